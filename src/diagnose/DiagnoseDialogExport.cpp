// The work of CreateDiagnoseDlg.
#include "frame/ExportWork.h"

void OpenDiagnoseDialog(ModuleState& state, const char* logPath) {
    // The diagnostics viewer arrives with its subsystem; until then the call only runs its frame.
    (void)state, (void)logPath;
}

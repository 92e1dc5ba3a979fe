// The work of CreateInfoDlg.
#include "frame/ExportWork.h"

void RunInfoDialog(ModuleState& state, UINT captionId, UINT textId, const char* tag, const char* details) {
    // The information dialog arrives with its subsystem; until then the call only runs its frame.
    (void)state, (void)captionId, (void)textId, (void)tag, (void)details;
}

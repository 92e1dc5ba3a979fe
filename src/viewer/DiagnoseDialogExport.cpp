// The work of CreateDiagnoseDlg: bring the open viewer to the front, or open one on the log.
#include "frame/ExportWork.h"

#include "viewer/DiagnoseDlg.h"
#include "frame/ModuleState.h"
#include "win/TextConversion.h"

#include <memory>

void OpenDiagnoseDialog(ModuleState& state, const char* logPath) {
    state.EndAbandonedDialogs();
    if (HWND open = state.diagnoseDialogSlot.Window()) {
        CDiagnoseDlg::BringToFront(open);
        return;
    }
    auto dialog = std::make_unique<CDiagnoseDlg>(&state.diagnoseDialogSlot);
    dialog->SetSource(win::CallerText(logPath));
    // A dialog whose window could not be made leaves nothing behind: no object, an empty slot.
    if (dialog->Create())
        dialog.release(); // it deletes itself when its window goes
}

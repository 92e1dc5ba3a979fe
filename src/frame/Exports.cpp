// The four exported functions: each runs its frame, hands the work on, and answers 0.
#include "ZtServiceMsg.h"

#include "frame/CallFrame.h"
#include "frame/ExportWork.h"
#include "frame/ModuleState.h"

namespace {

// No exception and no failure may leave an export: the host lives on whatever happens here.
template <typename Work>
int Guarded(Work&& work) noexcept {
    try {
        work();
    } catch (...) {
    }
    return 0;
}

} // namespace

extern "C" int __cdecl NotifyMsgBoxTmp(LCID lcid, UINT textId, UINT captionId, UINT style, UINT) {
    return Guarded([&] {
        CallFrame frame(TheModule(), lcid, CallFrame::RestoreResources::Yes);
        NotifyMessage(textId, captionId, style);
    });
}

extern "C" int __cdecl CreateInfoDlg(UINT, UINT captionId, UINT textId, LCID lcid, UINT, const char* tag,
                                     const char* details) {
    return Guarded([&] {
        CallFrame frame(TheModule(), lcid, CallFrame::RestoreResources::Yes);
        RunInfoDialog(TheModule(), captionId, textId, tag, details);
    });
}

extern "C" int __cdecl CreateDiagnoseDlg(LCID lcid, const char* logPath) {
    return Guarded([&] {
        CallFrame frame(TheModule(), lcid, CallFrame::RestoreResources::No);
        OpenDiagnoseDialog(TheModule(), logPath);
    });
}

extern "C" int __cdecl DestroyOpenDlg() {
    return Guarded([] { TheModule().CloseOpenDialogs(); });
}

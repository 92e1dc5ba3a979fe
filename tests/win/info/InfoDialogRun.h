// Runs CreateInfoDlg with an inspection from inside its modal loop, and a safety net that
// closes a dialog a failing test left open, so a fault shows as a failure and not a hang.
#pragma once

#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "info/VistralInfoDlg.h"
#include "TestSupport.h"

#include <functional>
#include <memory>

namespace info_tests {

struct InfoCall {
    UINT captionId = 5000;
    UINT textId = 5001;
    LCID lcid = 0x0407;
    const char* tag = "abc";
    const char* details = nullptr;
};

inline CVistralInfoDlg* OpenInfoDialog() { return static_cast<CVistralInfoDlg*>(TheModule().infoDialogSlot); }

// Calls CreateInfoDlg; `inspect` runs once the dialog is up, with its window and object.
inline void RunInfo(const InfoCall& call, std::function<void(HWND, CVistralInfoDlg*)> inspect,
                    UINT delayMs = 150) {
    auto running = std::make_shared<bool>(true);
    testing_support::AfterDelay(delayMs, [inspect] {
        CVistralInfoDlg* dialog = OpenInfoDialog();
        inspect(dialog ? dialog->Handle() : nullptr, dialog);
    });
    testing_support::AfterDelay(delayMs + 4000, [running] {
        if (*running && OpenInfoDialog())
            ::PostMessageW(OpenInfoDialog()->Handle(), WM_COMMAND, IDOK, 0);
    });
    CreateInfoDlg(0, call.captionId, call.textId, call.lcid, 0, call.tag, call.details);
    *running = false;
}

inline void PressOk(HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDOK, 0); }

} // namespace info_tests

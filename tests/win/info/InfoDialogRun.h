// Runs the information dialog with an inspection from inside its modal loop. Whatever the
// inspection finds, the run ends a second later (a WM_QUIT ends any modal loop of the thread),
// so a fault shows as a failure within seconds and never as a hang.
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

// Runs `run`, which blocks in the information dialog's modal loop; `inspect` runs once the
// dialog should be up, with the window and object in the slot (null when there is none).
// Answers false when the run had to be ended by force.
template <typename Run>
bool RunWithInspection(Run run, std::function<void(HWND, CVistralInfoDlg*)> inspect) {
    auto running = std::make_shared<bool>(true);
    testing_support::AfterDelay(150, [running, inspect] {
        if (!*running)
            return; // the run came back before its dialog could be inspected
        testing_support::AfterDelay(1000, [running] {
            if (*running)
                ::PostQuitMessage(0);
        });
        CVistralInfoDlg* dialog = OpenInfoDialog();
        inspect(dialog ? dialog->Handle() : nullptr, dialog);
    });
    run();
    *running = false;
    MSG quit;
    return !::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// CreateInfoDlg as a host calls it, inspected from inside.
inline bool RunInfo(const InfoCall& call, std::function<void(HWND, CVistralInfoDlg*)> inspect) {
    return RunWithInspection(
        [&call] { CreateInfoDlg(0, call.captionId, call.textId, call.lcid, 0, call.tag, call.details); }, inspect);
}

inline void PressOk(HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDOK, 0); }

} // namespace info_tests

// The dialog base: one dialog procedure for all dialogs, modal and modeless runs.
#include "win/Dialog.h"

#include "win/ResourceModule.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace win {
namespace {

// Messages whose answer is the dialog procedure's return value itself rather than
// DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

// Whether `message` is for `dialog` or one of its controls. Keyboard filtering (accelerators,
// Tab and Enter, PreTranslateMessage) looks only at those: the other windows of the thread
// belong to the host, whose keys are not ours to take.
bool IsFor(HWND dialog, const MSG& message) {
    return dialog && message.hwnd && (message.hwnd == dialog || ::IsChild(dialog, message.hwnd));
}

// A menu's loop (a context menu, the system menu) and a keyboard move or size take keys from
// the queue through the same hook: their Escape, Enter and arrows are theirs.
bool InMenuOrMoveLoop() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetCurrentThreadId(), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

// The modeless dialogs of this thread that see the host loop's messages, and the hook that
// shows them; both exist while the list is not empty. Held through a plain pointer: a
// thread_local object with a destructor would make the runtime pin this module in the process
// until the thread ends, so that a host could never unload it again.
thread_local HostLoopDialogs* t_hostLoop = nullptr;

// A copy of a dialog template, DWORD-aligned as the platform wants it, with the WS_VISIBLE of
// its style cleared; empty when the template cannot be read. An extended template starts with
// version 1 and the signature 0xFFFF, and keeps its style after the help id and extended style.
std::vector<DWORD> TemplateWithoutVisible(HINSTANCE module, LPCWSTR name) {
    HRSRC found = ::FindResourceW(module, name, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = found ? ::SizeofResource(module, found) : 0;
    if (!bytes || size < sizeof(DLGTEMPLATE))
        return {};
    std::vector<DWORD> copy(size / sizeof(DWORD) + 1);
    std::memcpy(copy.data(), bytes, size);
    const auto* words = reinterpret_cast<const WORD*>(copy.data());
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    copy[extended ? 3 : 0] &= ~static_cast<DWORD>(WS_VISIBLE);
    return copy;
}

} // namespace

struct HostLoopDialogs {
    std::vector<Dialog*> dialogs;
    HHOOK hook = nullptr;
};

Dialog::~Dialog() {
    LeaveHostLoop();
    if (m_hwnd && ::IsWindow(m_hwnd)) {
        // The object is half destroyed: its handlers must not run for the messages that
        // destroying the window sends.
        ::SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        ::DestroyWindow(m_hwnd);
    }
}

HWND Dialog::CreateWindowFromTemplate(HWND owner, Shown shown) {
    LPCWSTR name = MAKEINTRESOURCEW(m_templateId);
    HINSTANCE module = FindResourceHandle(name, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!module)
        return nullptr;
    const auto parameter = reinterpret_cast<LPARAM>(this);
    if (shown == Shown::AsTemplate)
        return ::CreateDialogParamW(module, name, owner, &Dialog::DialogProc, parameter);
    // The platform shows a dialog whose template says WS_VISIBLE before the creating call
    // returns, whatever WM_INITDIALOG does: a copy of the template without it is used.
    std::vector<DWORD> copy = TemplateWithoutVisible(module, name);
    if (copy.empty())
        return nullptr;
    return ::CreateDialogIndirectParamW(module, reinterpret_cast<const DLGTEMPLATE*>(copy.data()), owner,
                                        &Dialog::DialogProc, parameter);
}

INT_PTR Dialog::DoModal(HWND owner) {
    m_modal = true;
    m_ended = false;
    m_endCode = -1;
    HWND hwnd = CreateWindowFromTemplate(owner);
    if (!hwnd) {
        m_modal = false;
        return -1;
    }
    const bool ownerDisabled = owner && ::IsWindowEnabled(owner) && (::EnableWindow(owner, FALSE), true);
    if (!m_ended && m_hwnd && !::IsWindowVisible(m_hwnd))
        ::ShowWindow(m_hwnd, SW_SHOWNORMAL);

    MSG message;
    while (!m_ended) {
        BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // The thread is quitting: leave the loop and let the outer loop see WM_QUIT too.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsFor(m_hwnd, message) || !PreTranslateMessage(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    // The owner is enabled before the dialog goes, so that activation returns to it.
    if (ownerDisabled)
        ::EnableWindow(owner, TRUE);
    if (m_hwnd) {
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        ::DestroyWindow(m_hwnd);
    }
    m_modal = false;
    return m_endCode;
}

bool Dialog::Create(HWND owner, Shown shown) {
    m_modal = false;
    return CreateWindowFromTemplate(owner, shown) != nullptr;
}

void Dialog::EndDialog(INT_PTR code) {
    if (m_modal) {
        m_endCode = code;
        m_ended = true;
        // Wakes the modal loop, which may be waiting in GetMessage.
        if (m_hwnd)
            ::PostMessageW(m_hwnd, WM_NULL, 0, 0);
    } else if (m_hwnd) {
        ::DestroyWindow(m_hwnd);
    }
}

void Dialog::TranslateInHostLoop() {
    if (m_hostLoop || !m_hwnd)
        return;
    if (!t_hostLoop) {
        HHOOK hook =
            ::SetWindowsHookExW(WH_GETMESSAGE, &Dialog::HostLoopHook, nullptr, ::GetCurrentThreadId());
        if (!hook)
            return;
        t_hostLoop = new HostLoopDialogs{{}, hook};
    }
    t_hostLoop->dialogs.push_back(this);
    m_hostLoop = t_hostLoop;
}

// From the list it joined, which is another thread's only when that thread has ended (an
// abandoned dialog deleted elsewhere): its hook went with it.
void Dialog::LeaveHostLoop() {
    HostLoopDialogs* list = std::exchange(m_hostLoop, nullptr);
    if (!list)
        return;
    auto& dialogs = list->dialogs;
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), this), dialogs.end());
    if (dialogs.empty()) {
        if (list == t_hostLoop) {
            ::UnhookWindowsHookEx(list->hook);
            t_hostLoop = nullptr;
        }
        delete list;
    }
}

bool Dialog::Abandoned() const {
    return m_hwnd && !m_modal &&
           (!::IsWindow(m_hwnd) || ::GetWindowThreadProcessId(m_hwnd, nullptr) != m_thread);
}

LRESULT CALLBACK Dialog::HostLoopHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && wParam == PM_REMOVE && message->message == WM_QUIT && t_hostLoop) {
        // A copy, because a dialog may close and so change the list, or end it and the hook.
        const std::vector<Dialog*> dialogs = t_hostLoop->dialogs;
        for (Dialog* dialog : dialogs) {
            if (!t_hostLoop)
                break;
            const auto& still = t_hostLoop->dialogs;
            if (std::find(still.begin(), still.end(), dialog) == still.end())
                continue;
            try {
                dialog->OnThreadQuitting();
            } catch (...) {
            }
        }
    }
    if (code >= 0 && wParam == PM_REMOVE && message->message >= WM_KEYFIRST &&
        message->message <= WM_KEYLAST && t_hostLoop && !InMenuOrMoveLoop()) {
        // A copy, because a handler may close a dialog and so change the list.
        const std::vector<Dialog*> dialogs = t_hostLoop->dialogs;
        for (Dialog* dialog : dialogs) {
            if (!IsFor(dialog->m_hwnd, *message) &&
                !(message->hwnd && dialog->TakesKeysOf(::GetAncestor(message->hwnd, GA_ROOT))))
                continue;
            bool consumed = false;
            try {
                consumed = dialog->PreTranslateMessage(*message);
            } catch (...) {
            }
            if (consumed) {
                // The host's loop still dispatches it: make it a message nobody answers.
                message->message = WM_NULL;
                message->wParam = 0;
                message->lParam = 0;
            }
            break;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Dialog::OnCommand(WORD notifyCode, WORD id, HWND) {
    if (notifyCode != BN_CLICKED && notifyCode != 1 /* accelerator */)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool Dialog::PreTranslateMessage(MSG& message) {
    return m_hwnd && TranslateDialogKeys(m_hwnd, message);
}

bool Dialog::TranslateDialogKeys(HWND dialog, MSG& message) {
    if (message.message == WM_KEYDOWN && (message.wParam == VK_ESCAPE || message.wParam == VK_RETURN)) {
        HWND focus = ::GetFocus();
        const LRESULT wants =
            focus ? ::SendMessageW(focus, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message))
                  : 0;
        if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
            return false; // the control takes the key itself (an edit that has lines, a list's label editor)
        WORD id = IDCANCEL;
        if (message.wParam == VK_RETURN) {
            const LRESULT defaultId = ::SendMessageW(dialog, DM_GETDEFID, 0, 0);
            id = (wants & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
                     ? static_cast<WORD>(::GetDlgCtrlID(focus))
                 : HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId)
                                                    : IDOK;
        }
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
        return true;
    }
    return ::IsDialogMessageW(dialog, &message) != FALSE;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dialog->m_hwnd = hwnd;
        dialog->m_thread = ::GetCurrentThreadId();
    } else {
        dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!dialog)
        return FALSE;
    try {
        LockedMessage locked(dialog->m_messageLock);
        const std::shared_ptr<int> depth = dialog->m_dispatchDepth;
        const struct Counted {
            int& depth;
            ~Counted() { --depth; }
        } counted{++*depth};
        return dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        // No exception may cross the window procedure into the platform.
        return FALSE;
    }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = m_hwnd;
    LRESULT result = 0;
    bool handled = false;
    if (m_ignoring && message != WM_NCDESTROY)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        handled = OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        break;
    case WM_NOTIFY:
        handled = OnNotify(reinterpret_cast<NMHDR*>(lParam), result);
        break;
    case WM_NCDESTROY:
        LeaveHostLoop();
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        m_hwnd = nullptr;
        if (m_modal)
            m_ended = true;
        OnFinalMessage(); // may delete this
        return FALSE;
    default:
        handled = OnMessage(message, wParam, lParam, result);
        break;
    }
    if (!handled)
        return FALSE;
    if (AnswersDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace win

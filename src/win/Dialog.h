// The dialog base: one dialog procedure for all dialogs, typed virtual handlers, and modal
// and modeless runs that differ only in how they end.
#pragma once

#include "win/MessageLock.h"
#include "win/Window.h"

#include <memory>

namespace win {

struct HostLoopDialogs;

// A dialog made from a template of the current resource source. The modal run has a message
// loop of its own, in which PreTranslateMessage filters every message for the dialog and its
// controls (accelerators work whichever of them has the focus) and no other window's. A modeless dialog lives
// until its window is destroyed; OnFinalMessage runs after that, where a self-owning dialog deletes itself.
class Dialog : public Window {
public:
    explicit Dialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally with `owner` disabled meanwhile; answers the end code, or -1
    // when the window could not be created.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the window modelessly; false when it could not be created. Hidden: not shown,
    // whatever the template says; the caller shows it.
    enum class Shown { AsTemplate, Hidden };
    bool Create(HWND owner = nullptr, Shown shown = Shown::AsTemplate);
    // Ends a modal run with `code`; destroys a modeless window.
    void EndDialog(INT_PTR code);
    // Gives a modeless dialog its keyboard handling (Tab, Enter, Escape, PreTranslateMessage)
    // inside a host's message loop that knows nothing of it, through a message hook on this
    // thread that lives as long as the window.
    void TranslateInHostLoop();

    // Every message of the window is handled under `lock` (null: none); set before the window
    // is made.
    void HandleMessagesUnder(std::shared_ptr<MessageLock> lock) { m_messageLock = std::move(lock); }
    const std::shared_ptr<MessageLock>& MessagesLock() const { return m_messageLock; }

    // How many handlers of this dialog, and of those that count with it, are on the stack: 1 in
    // the handler of a message the loop dispatched, more when a handler's call (a cross-thread
    // send, a message it sends) brought another message of theirs in. Shared with `other` from
    // now on: windows that delete each other count together.
    void CountDispatchWith(const Dialog& other) { m_dispatchDepth = other.m_dispatchDepth; }
    int DispatchDepth() const { return *m_dispatchDepth; }

    // Whether the window went with the thread that made it, which ended without closing it: no
    // message ended the object, which stays with whatever it runs (a modeless dialog's host
    // thread that returned while the dialog was open). Such an object may be deleted from any
    // thread.
    bool Abandoned() const;

    // From now on no handler of the object runs for its window's messages, but OnFinalMessage:
    // for a window about to be destroyed while what its handlers read is being given back.
    void IgnoreMessages() { m_ignoring = true; }

    bool IsModal() const { return m_modal; }
    UINT TemplateId() const { return m_templateId; }

protected:
    // Handlers answer true when they handled the message.
    virtual bool OnInitDialog() { return true; }
    virtual bool OnCommand(WORD notifyCode, WORD id, HWND control);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // `result` is the notification result, preset to 0.
    virtual bool OnNotify(NMHDR* header, LRESULT& result) {
        (void)header;
        (void)result;
        return false;
    }
    // Any other message; `result` is what the message answers when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        (void)message, (void)wParam, (void)lParam, (void)result;
        return false;
    }
    // Runs for every message to the dialog or its controls, in the modal loop and in a host
    // loop that asks for it (TranslateInHostLoop); answers true when the message is consumed.
    // It runs inside the loop's GetMessage: it may move the focus and post, but must not run a
    // command, a dialog or a message box there.
    virtual bool PreTranslateMessage(MSG& message);
    // The dialog manager's keys for `dialog` (Tab, arrows, mnemonics), except that Escape and
    // Enter are posted as the commands they stand for instead of being sent.
    static bool TranslateDialogKeys(HWND dialog, MSG& message);
    // Whether the keys of another top-level window are this dialog's to filter in a host's
    // loop: a modeless helper window it owns (not a modal one, which filters its own).
    virtual bool TakesKeysOf(HWND window) const {
        (void)window;
        return false;
    }
    // After the window is gone (WM_NCDESTROY); the object may delete itself here.
    virtual void OnFinalMessage() {}
    // The thread's loop has taken WM_QUIT and ends when this returns: the last moment, with no
    // loop of this thread left on the stack, at which a modeless dialog in a host's loop
    // (TranslateInHostLoop) can still finish what waited for a loop, before the host may free
    // the module. It may destroy the window.
    virtual void OnThreadQuitting() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK HostLoopHook(int code, WPARAM wParam, LPARAM lParam);
    void LeaveHostLoop();
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateWindowFromTemplate(HWND owner, Shown shown = Shown::AsTemplate);

    UINT m_templateId;
    bool m_modal = false;
    bool m_ended = false;
    bool m_ignoring = false;
    HostLoopDialogs* m_hostLoop = nullptr; // the list of its thread that it joined
    DWORD m_thread = 0;                    // the thread its window belongs to
    INT_PTR m_endCode = 0;
    std::shared_ptr<MessageLock> m_messageLock;
    // Held by each dispatch too, as the dispatch may delete the dialog.
    std::shared_ptr<int> m_dispatchDepth = std::make_shared<int>(0);
};

} // namespace win

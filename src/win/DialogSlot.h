// Where the module's open modeless dialog stands, for calls that come on any host thread.
#pragma once

#include "win/Dialog.h"

#include <mutex>
#include <utility>

namespace win {

// The dialog's own thread enters and leaves the slot; DestroyOpenDlg and CreateDiagnoseDlg read
// it on whichever thread the host calls them, and delete an abandoned dialog from there. The
// rule: the lock is held only while the slot is read or exchanged, never across a call that waits
// for another thread (a SendMessage to the dialog, deleting it). The dialog's thread takes the
// lock to leave the slot, so a dialog read from it stays whole until the lock is let go; what
// another thread may use of it afterwards is its window handle, which a message reaches safely
// (or fails to, once the window is gone).
class DialogSlot {
public:
    DialogSlot() = default;
    DialogSlot(const DialogSlot&) = delete;
    DialogSlot& operator=(const DialogSlot&) = delete;

    void Enter(Dialog* dialog) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_dialog = dialog;
    }
    // Empties the slot when `dialog` stands in it.
    void Leave(const Dialog* dialog) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_dialog == dialog)
            m_dialog = nullptr;
    }
    // The open dialog's window; null when none is open.
    HWND Window() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_dialog ? m_dialog->Handle() : nullptr;
    }
    // The open dialog itself: only for the thread it runs on.
    Dialog* Get() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_dialog;
    }
    // An abandoned dialog (Dialog::Abandoned) taken out of the slot, for the caller to delete
    // once the lock is let go; null when the slot holds none. However many threads ask, one
    // takes it.
    Dialog* TakeAbandoned() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_dialog && m_dialog->Abandoned() ? std::exchange(m_dialog, nullptr) : nullptr;
    }

private:
    mutable std::mutex m_mutex;
    Dialog* m_dialog = nullptr;
};

} // namespace win

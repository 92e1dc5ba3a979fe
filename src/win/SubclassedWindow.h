// A control whose messages pass through a C++ object first: the window subclassing that owner-
// drawn buttons and painted statics need.
#pragma once

#include "win/MessageLock.h"
#include "win/Window.h"

#include <memory>

namespace win {

// Attaches to an existing control and sees its messages before the control's own procedure.
// The subclass is removed when the object is destroyed or the window goes away.
class SubclassedWindow : public Window {
public:
    SubclassedWindow() = default;
    virtual ~SubclassedWindow();
    SubclassedWindow(const SubclassedWindow&) = delete;
    SubclassedWindow& operator=(const SubclassedWindow&) = delete;

    // Binds the child `id` of `parent`; false when there is no such child.
    bool SubclassDlgItem(int id, HWND parent);
    bool SubclassWindow(HWND hwnd);
    void UnsubclassWindow();
    // Every message of the window is handled under `lock` (null: none).
    void HandleMessagesUnder(std::shared_ptr<MessageLock> lock) { m_messageLock = std::move(lock); }

protected:
    // Runs once the window is bound, before any message reaches WindowProc.
    virtual void PreSubclassWindow() {}
    // Runs at WM_NCDESTROY, before the object lets go of the window: what belonged to that
    // window goes here, so that the object is fresh when it is bound to another.
    virtual void OnWindowGone() {}
    // Answers a message; the default passes it to the control's own procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    std::shared_ptr<MessageLock> m_messageLock;
};

} // namespace win

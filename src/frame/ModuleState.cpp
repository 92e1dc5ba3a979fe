// The module-wide state and the language selection of the per-call frame.
#include "frame/ModuleState.h"

#include "win/Dialog.h"
#include "win/ResourceModule.h"

ModuleState::ModuleState(std::wstring languageBaseName, std::wstring languageDirectory)
    : m_languages(std::move(languageDirectory)), m_languageBaseName(std::move(languageBaseName)) {}

HINSTANCE ModuleState::SelectLanguageResources(LCID lcid) {
    if (lcid != m_currentLanguage) {
        std::wstring name = m_languageBaseName;
        m_languages.LoadLanguageLibrary(name, lcid, m_languageLibrary);
        m_currentLanguage = lcid;
    }
    if (!m_languageLibrary)
        return nullptr;
    HINSTANCE previous = win::ResourceHandle();
    win::SetResourceHandle(m_languageLibrary);
    return previous;
}

// A viewer whose host thread ended without closing it lost its windows with that thread, but
// not its object and its reading thread: it would stand in its slot for good, and no viewer
// could open again, nor the module be freed. It is ended here, from whichever thread asks.
void ModuleState::EndAbandonedDialogs() {
    delete diagnoseDialogSlot.TakeAbandoned(); // outside the slot's lock: its workers are joined
}

void ModuleState::CloseOpenDialogs() {
    EndAbandonedDialogs();
    if (m_closeMessage == 0)
        m_closeMessage = ::RegisterWindowMessageW(kCloseMessageName);
    if (infoDialogSlot)
        ::SendMessageW(infoDialogSlot->Handle(), m_closeMessage, 0, 0);
    // The window, not the object: the viewer may be another thread's, and leave the slot and
    // go while this thread waits for the send.
    if (HWND viewer = diagnoseDialogSlot.Window())
        ::SendMessageW(viewer, m_closeMessage, 0, 0);
}

ModuleState& TheModule() {
    static ModuleState state;
    return state;
}

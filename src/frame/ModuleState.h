// The module-wide state: language list, current language, language library, the two
// open-dialog slots and the registered close message.
#pragma once

#include "frame/LanguageList.h"
#include "win/DialogSlot.h"

#include <windows.h>
#include <string>

namespace win {
class Dialog;
}

// The state that exists once per loaded module. Tests build their own instances with a
// language base name and directory of their choosing; the exports use TheModule().
class ModuleState {
public:
    explicit ModuleState(std::wstring languageBaseName = L"ZtServiceMsg",
                         std::wstring languageDirectory = {});
    ModuleState(const ModuleState&) = delete;
    ModuleState& operator=(const ModuleState&) = delete;

    // Makes the language library of `lcid` the resource source (loading it when `lcid`
    // differs from the current language) and answers the previous resource handle, or null
    // when nothing was changed because no language library is held.
    HINSTANCE SelectLanguageResources(LCID lcid);

    LCID CurrentLanguage() const { return m_currentLanguage; }
    HMODULE LanguageLibrary() const { return m_languageLibrary; }
    const CMsgLangListEx& Languages() const { return m_languages; }

    // The slots point to the open dialogs without owning them; each dialog fills and
    // empties its own slot. The viewer's is read from other threads too (win::DialogSlot).
    win::Dialog* infoDialogSlot = nullptr;
    win::DialogSlot diagnoseDialogSlot;

    // Sends the registered close message to the open dialogs, the information dialog first,
    // after ending an abandoned one.
    void CloseOpenDialogs();
    // Ends a modeless dialog whose thread ended without closing it (win::Dialog::Abandoned),
    // and with it whatever it still runs.
    void EndAbandonedDialogs();
    UINT CloseMessage() const { return m_closeMessage; }

private:
    CMsgLangListEx m_languages;
    std::wstring m_languageBaseName;
    LCID m_currentLanguage = 0;
    HMODULE m_languageLibrary = nullptr; // the selected one; the language list owns it
    UINT m_closeMessage = 0;
};

// The name both sides register for the close message.
constexpr wchar_t kCloseMessageName[] = L"B424407D-3EDF-4AF5-842B-D35991C5583E";

// The instance the exports work on.
ModuleState& TheModule();

// Finds and loads the language resource library that fits a requested language.
#pragma once

#include <windows.h>
#include <string>

// Loads "<base><abbreviation>.LNG" for a language, with the fallback chain of
// LanguageCandidates. Libraries are mapped as image resources only, so a planted file of that
// name can never run code in the host. The caller owns the library handle it passes in.
class CMsgLangListEx {
public:
    // Libraries are looked for in `searchDirectory` first (this module's directory when
    // empty), then in the platform's search order.
    explicit CMsgLangListEx(std::wstring searchDirectory = {});
    virtual ~CMsgLangListEx() = default;

    // `name` is read as the base name and overwritten with the last composed file name;
    // `library` is replaced (the old one freed after the new one loaded) on success.
    BOOL LoadLanguageLibrary(std::wstring& name, LCID lcid, HMODULE& library);

    // Appends the loaded language's abbreviation and ".HLP"; 0 (name unchanged) when the
    // platform has no abbreviation for it.
    BOOL GetHelpFileName(std::wstring& name) const;

    LCID LoadedLanguage() const { return m_loadedLanguage; }

    // The number of library loads attempted so far; tests use it to see who looked.
    unsigned LoadAttempts() const { return m_loadAttempts; }

private:
    HMODULE LoadResourceLibrary(const std::wstring& fileName);

    LCID m_loadedLanguage = 0;
    std::wstring m_searchDirectory;
    unsigned m_loadAttempts = 0;
};

// The platform's three-letter language abbreviation ("DEU", "ENU"); false when there is none
// or it does not fit the five characters the file names allow.
bool GetLanguageAbbreviation(LCID lcid, std::wstring& abbreviation);

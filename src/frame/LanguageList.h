// Finds and loads the language resource library that fits a requested language.
#pragma once

#include "win/UniqueHandle.h"

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

// Loads "<base><abbreviation>.LNG" for a language, with the fallback chain of
// LanguageCandidates. Libraries are mapped as image resources only, so a planted file of that
// name can never run code in the host.
//
// Every library it mapped stays mapped until the list is destroyed (when the module unloads):
// an open viewer, or a caller that put an earlier resource source back, may still load from a
// library that a later call replaced. A file mapped once is reused, so switching back and forth
// between languages maps nothing new.
class CMsgLangListEx {
public:
    // Libraries are looked for in `searchDirectory` first (this module's directory when
    // empty), then in the platform's search order.
    explicit CMsgLangListEx(std::wstring searchDirectory = {});
    virtual ~CMsgLangListEx() = default;
    CMsgLangListEx(const CMsgLangListEx&) = delete;
    CMsgLangListEx& operator=(const CMsgLangListEx&) = delete;

    // `name` is read as the base name and overwritten with the last composed file name;
    // `library` is set to the loaded library on success, which the list keeps owning.
    BOOL LoadLanguageLibrary(std::wstring& name, LCID lcid, HMODULE& library);

    // Appends the loaded language's abbreviation and ".HLP"; 0 (name unchanged) when the
    // platform has no abbreviation for it.
    BOOL GetHelpFileName(std::wstring& name) const;

    LCID LoadedLanguage() const { return m_loadedLanguage; }

    // The number of library look-ups so far (a reused mapping counts); tests use it to see who
    // looked.
    unsigned LoadAttempts() const { return m_loadAttempts; }

private:
    HMODULE LoadResourceLibrary(const std::wstring& fileName);

    LCID m_loadedLanguage = 0;
    std::wstring m_searchDirectory;
    unsigned m_loadAttempts = 0;
    std::vector<std::pair<std::wstring, win::UniqueModule>> m_mapped; // by file name
};

// The platform's three-letter language abbreviation ("DEU", "ENU"); false when there is none
// or it does not fit the five characters the file names allow.
bool GetLanguageAbbreviation(LCID lcid, std::wstring& abbreviation);

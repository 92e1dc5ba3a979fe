// Finds and loads the language resource library that fits a requested language.
#include "frame/LanguageList.h"

#include "frame/LanguageCandidates.h"
#include "win/ResourceModule.h"

bool GetLanguageAbbreviation(LCID lcid, std::wstring& abbreviation) {
    wchar_t buffer[6] = {};
    if (::GetLocaleInfoW(lcid, LOCALE_SABBREVLANGNAME, buffer, 6) == 0)
        return false;
    abbreviation = buffer;
    return true;
}

CMsgLangListEx::CMsgLangListEx(std::wstring searchDirectory) : m_searchDirectory(std::move(searchDirectory)) {}

HMODULE CMsgLangListEx::LoadResourceLibrary(const std::wstring& fileName) {
    ++m_loadAttempts;
    for (const auto& [mappedName, library] : m_mapped)
        if (::lstrcmpiW(mappedName.c_str(), fileName.c_str()) == 0)
            return library.get();
    constexpr DWORD kResourceOnly = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;
    const std::wstring directory = m_searchDirectory.empty() ? win::ThisModuleDirectory() : m_searchDirectory;
    win::UniqueModule library;
    if (!directory.empty()) {
        std::wstring besideModule = directory;
        if (besideModule.back() != L'\\' && besideModule.back() != L'/')
            besideModule += L'\\';
        library.reset(::LoadLibraryExW((besideModule + fileName).c_str(), nullptr, kResourceOnly));
    }
    if (!library)
        library.reset(::LoadLibraryExW(fileName.c_str(), nullptr, kResourceOnly));
    if (!library)
        return nullptr;
    m_mapped.emplace_back(fileName, std::move(library));
    return m_mapped.back().second.get();
}

BOOL CMsgLangListEx::LoadLanguageLibrary(std::wstring& name, LCID lcid, HMODULE& library) {
    if (name.empty())
        return FALSE;
    const std::wstring base = name;
    BOOL loaded = FALSE;
    for (uint32_t candidate : frame::LanguageCandidates(lcid)) {
        name = base;
        std::wstring abbreviation;
        if (!GetLanguageAbbreviation(candidate, abbreviation))
            continue;
        name += abbreviation + L".LNG";
        if (HMODULE fresh = LoadResourceLibrary(name)) {
            m_loadedLanguage = candidate;
            library = fresh;
            loaded = TRUE;
            break;
        }
    }
    return loaded;
}

BOOL CMsgLangListEx::GetHelpFileName(std::wstring& name) const {
    std::wstring abbreviation;
    if (!GetLanguageAbbreviation(m_loadedLanguage, abbreviation))
        return FALSE;
    name += abbreviation + L".HLP";
    return TRUE;
}

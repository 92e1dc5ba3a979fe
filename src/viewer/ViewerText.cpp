// Texts of the viewer: its own, with the module's German standing in for a missing one, and the
// platform's texts of errors.
#include "viewer/ViewerText.h"

#include "diagnose/RecordMessage.h"
#include "frame/ModuleState.h"
#include "win/ResourceModule.h"

std::wstring ViewerText(UINT id) {
    std::wstring text;
    if (win::TryLoadResString(id, text) && !text.empty())
        return text;
    win::ScopedResourceHandle own(win::ThisModule());
    return win::LoadResString(id);
}

viewer::MessageOfLine MessageReader() {
    const HINSTANCE resources = win::ResourceHandle();
    const diagnose::TextIdLookup lookup = [resources](uint32_t id, std::wstring& text) {
        return win::TryLoadResString(resources, id, text);
    };
    return [lookup](const std::wstring& line) { return diagnose::MessageOf(line, lookup); };
}

std::wstring ViewerText(UINT id, const std::wstring& insert) {
    std::wstring text = ViewerText(id);
    const size_t at = text.find(L"%s");
    return at == std::wstring::npos ? text : text.replace(at, 2, insert);
}

std::wstring SystemErrorText(DWORD error) {
    const LANGID language = LANGIDFROMLCID(TheModule().CurrentLanguage());
    for (LANGID tried : {language, LANGID(0)}) {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
            nullptr, error, tried, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (!length || !text)
            continue;
        std::wstring result(text, length);
        ::LocalFree(text);
        while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
            result.pop_back();
        return result;
    }
    return L"0x" + std::to_wstring(error);
}

std::wstring ViewerTextWith(UINT id, const std::wstring& value) {
    std::wstring text = ViewerText(id);
    for (const wchar_t* placeholder : {L"%s", L"%u"}) {
        const size_t at = text.find(placeholder);
        if (at != std::wstring::npos)
            return text.replace(at, 2, value);
    }
    return text;
}

// The framework's resource source and string loading from it.
#include "win/ResourceModule.h"

namespace win {
namespace {

HINSTANCE g_resourceHandle = nullptr;

// Reads a string-table row in place, without a buffer of our own; null when the row is
// missing or empty (the string table cannot tell the two apart).
const wchar_t* FindStringRow(HINSTANCE module, UINT id, int& length) {
    const wchar_t* text = nullptr;
    length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? text : nullptr;
}

} // namespace

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring ModuleDirectory(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

HINSTANCE ResourceHandle() {
    return g_resourceHandle ? g_resourceHandle : ThisModule();
}

void SetResourceHandle(HINSTANCE module) {
    g_resourceHandle = module;
}

HINSTANCE FindResourceHandle(LPCWSTR name, LPCWSTR type) {
    HINSTANCE current = ResourceHandle();
    if (::FindResourceW(current, name, type))
        return current;
    HINSTANCE own = ThisModule();
    if (own != current && ::FindResourceW(own, name, type))
        return own;
    return nullptr;
}

bool TryLoadResString(UINT id, std::wstring& text) {
    return TryLoadResString(ResourceHandle(), id, text);
}

bool TryLoadResString(HINSTANCE module, UINT id, std::wstring& text) {
    int length = 0;
    const wchar_t* row = FindStringRow(module, id, length);
    if (!row)
        return false;
    text.assign(row, static_cast<size_t>(length));
    return true;
}

std::wstring LoadResString(UINT id) {
    std::wstring text;
    TryLoadResString(id, text);
    return text;
}

} // namespace win

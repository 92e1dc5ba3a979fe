// The framework's resource source: the module whose strings, dialogs, icons, images and
// accelerators are loaded, which is a language library or this module itself.
#pragma once

#include <windows.h>
#include <string>

namespace win {

// The module that holds this code: the DLL in production, the test program in tests.
HINSTANCE ThisModule();

// The directory of `module` (the process's program for null), ending in a backslash; empty
// when it cannot be read.
std::wstring ModuleDirectory(HMODULE module);

// The directory of ThisModule(), ending in a backslash.
inline std::wstring ThisModuleDirectory() {
    return ModuleDirectory(ThisModule());
}

// The current resource source; ThisModule() until someone selects another.
HINSTANCE ResourceHandle();
void SetResourceHandle(HINSTANCE module);

// The module that holds the resource: the current resource source first, then this module;
// null when neither has it.
HINSTANCE FindResourceHandle(LPCWSTR name, LPCWSTR type);

// Loads a string-table row from the current resource source; a missing row gives empty text.
std::wstring LoadResString(UINT id);

// As LoadResString, but tells whether the row exists, and leaves `text` alone when it does not.
bool TryLoadResString(UINT id, std::wstring& text);

// Puts the previous resource source back when the scope ends, whatever way it ends.
class ScopedResourceHandle {
public:
    explicit ScopedResourceHandle(HINSTANCE module) : m_previous(ResourceHandle()) {
        SetResourceHandle(module);
    }
    ~ScopedResourceHandle() { SetResourceHandle(m_previous); }
    ScopedResourceHandle(const ScopedResourceHandle&) = delete;
    ScopedResourceHandle& operator=(const ScopedResourceHandle&) = delete;

private:
    HINSTANCE m_previous;
};

} // namespace win

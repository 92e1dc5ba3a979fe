// One owner type for every Win32 handle: closes it once, on scope exit or reset.
#pragma once

#include <windows.h>
#include <cstdint>
#include <utility>

namespace win {

// Owns a handle of type T that Close releases; Invalid is the value that means "none".
// HANDLE owners that use NULL and INVALID_HANDLE_VALUE as "none" are distinct types.
template <typename T, auto Close, intptr_t Invalid> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    T get() const { return m_handle; }
    explicit operator bool() const { return m_handle != invalid(); }

    T release() {
        T handle = m_handle;
        m_handle = invalid();
        return handle;
    }

    void reset(T handle = invalid()) {
        T old = std::exchange(m_handle, handle);
        if (old != invalid())
            Close(old);
    }

    // For APIs that write the handle through an out pointer; the old one is released first.
    T* put() {
        reset();
        return &m_handle;
    }

    static T invalid() { return reinterpret_cast<T>(Invalid); }

private:
    T m_handle = invalid();
};

namespace detail {
inline void CloseKernelHandle(HANDLE h) {
    ::CloseHandle(h);
}
inline void FreeLibraryHandle(HMODULE h) {
    ::FreeLibrary(h);
}
inline void CloseRegKey(HKEY h) {
    ::RegCloseKey(h);
}
inline void ReleaseActivationContext(HANDLE h) {
    ::ReleaseActCtx(h);
}
inline void FreeGlobal(HGLOBAL h) {
    ::GlobalFree(h);
}
inline void DeleteGdiObject(HGDIOBJ h) {
    ::DeleteObject(h);
}
inline void DestroyIconHandle(HICON h) {
    ::DestroyIcon(h);
}
} // namespace detail

using UniqueFile = UniqueHandle<HANDLE, detail::CloseKernelHandle, -1>;
using UniqueKernelHandle = UniqueHandle<HANDLE, detail::CloseKernelHandle, 0>;
using UniqueModule = UniqueHandle<HMODULE, detail::FreeLibraryHandle, 0>;
using UniqueRegKey = UniqueHandle<HKEY, detail::CloseRegKey, 0>;
using UniqueActCtx = UniqueHandle<HANDLE, detail::ReleaseActivationContext, -1>;
using UniqueGlobal = UniqueHandle<HGLOBAL, detail::FreeGlobal, 0>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteGdiObject, 0>;
using UniqueFont = UniqueHandle<HFONT, detail::DeleteGdiObject, 0>;
using UniqueIcon = UniqueHandle<HICON, detail::DestroyIconHandle, 0>;

} // namespace win

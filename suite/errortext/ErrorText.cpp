// Stand-in for the suite's error-text component: deterministic answers, so that every path of
// a caller can be reached.
//   a positive code                     -> status 1 (S_FALSE), no text
//   a failure code of the Win32 facility -> E_NOTIMPL: the caller is to use the system's text
//   any other code                      -> status 0 and "Komponententext 0x%08X" for a German
//                                          language id, "Component text 0x%08X" otherwise
// Registration is per user (HKCU\Software\Classes), so no administrator is needed.
#include "diagnose/ErrorTextComponent.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <new>
#include <string>

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
HMODULE g_module = nullptr;

class ErrorText final : public IZtErrorText {
public:
    ErrorText() { ++g_objects; }
    ~ErrorText() { --g_objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(IZtErrorText)) {
            *out = static_cast<IZtErrorText*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --m_references;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetErrorText(LONG languageId, LONG code, BSTR* text) override {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        if (code > 0)
            return S_FALSE;
        if (code < 0 && HRESULT_FACILITY(code) == FACILITY_WIN32)
            return E_NOTIMPL;
        wchar_t buffer[64];
        std::swprintf(buffer, 64,
                      PRIMARYLANGID(LANGIDFROMLCID(static_cast<LCID>(languageId))) == LANG_GERMAN
                          ? L"Komponententext 0x%08X"
                          : L"Component text 0x%08X",
                      static_cast<unsigned>(code));
        *text = ::SysAllocString(buffer);
        return *text ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::atomic<long> m_references{1};
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) ErrorText;
        if (!object)
            return E_OUTOFMEMORY;
        const HRESULT status = object->QueryInterface(iid, out);
        object->Release();
        return status;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }
};

Factory g_factory;

const wchar_t kUserClassKey[] = L"Software\\Classes\\CLSID\\{C8E89F43-0ACB-43CB-8330-5491BF87C450}";
const wchar_t kRootClassKey[] = L"CLSID\\{C8E89F43-0ACB-43CB-8330-5491BF87C450}";

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        ::DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_ZtErrorText)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

namespace {

LSTATUS WriteServerKey(HKEY root, const std::wstring& classKey, const wchar_t* path) {
    HKEY key = nullptr;
    const std::wstring server = classKey + L"\\InprocServer32";
    LSTATUS status =
        ::RegCreateKeyExW(root, server.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    static const wchar_t model[] = L"Both";
    status = ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                              static_cast<DWORD>((std::wcslen(path) + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS)
        status = ::RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model),
                                  sizeof model);
    ::RegCloseKey(key);
    return status;
}

// The server path HKEY_CLASSES_ROOT names for the class; empty when it names none.
std::wstring ServerInClassesRoot() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    const std::wstring server = std::wstring(kRootClassKey) + L"\\InprocServer32";
    if (::RegGetValueW(HKEY_CLASSES_ROOT, server.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) !=
        ERROR_SUCCESS)
        return {};
    return path;
}

std::wstring ThisServer() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(g_module, path, MAX_PATH);
    return path;
}

} // namespace

// Per user; where the per-user classes are not merged into HKEY_CLASSES_ROOT (Wine), the class
// is written there as well.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring path = ThisServer();
    if (path.empty())
        return E_FAIL;
    LSTATUS status = WriteServerKey(HKEY_CURRENT_USER, kUserClassKey, path.c_str());
    if (status == ERROR_SUCCESS && ServerInClassesRoot() != path)
        status = WriteServerKey(HKEY_CLASSES_ROOT, kRootClassKey, path.c_str());
    return HRESULT_FROM_WIN32(status);
}

// Removes what DllRegisterServer wrote, and no registration of another copy.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, kUserClassKey);
    if ((status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) && ServerInClassesRoot() == ThisServer())
        status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kRootClassKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

// Display texts of attribute values: resource strings, error texts, hidden attributes.
#include "diagnose/DiagnoseTextResolver.h"

#include "diagnose/DiagnoseData.h"
#include "diagnose/ErrorTextComponent.h"
#include "frame/ModuleState.h"
#include "win/ResourceModule.h"

#include <cwchar>
#include <wrl/client.h>

namespace {

bool SameName(const std::wstring& name, const wchar_t* known) {
    return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), static_cast<int>(name.size()),
                            known, -1) == CSTR_EQUAL;
}

std::wstring Format(LONG code, const wchar_t* text, size_t length) {
    wchar_t prefix[16];
    std::swprintf(prefix, 16, L"[0x%08x] ", static_cast<unsigned>(code));
    return std::wstring(prefix).append(text, length);
}

// The component's answer: its status, and the text when the status is 0. A component that is
// not registered (or cannot be made) counts as declining.
HRESULT ComponentText(LONG code, std::wstring& text) {
    Microsoft::WRL::ComPtr<IZtErrorText> component;
    HRESULT status = ::CoCreateInstance(CLSID_ZtErrorText, nullptr, CLSCTX_ALL, __uuidof(IZtErrorText),
                                        reinterpret_cast<void**>(component.GetAddressOf()));
    if (FAILED(status) || !component)
        return FAILED(status) ? status : E_NOINTERFACE;
    BSTR answer = nullptr;
    status = component->GetErrorText(static_cast<LONG>(TheModule().CurrentLanguage()), code, &answer);
    if (status == S_OK && answer)
        text.assign(answer, ::SysStringLen(answer));
    ::SysFreeString(answer);
    return status;
}

} // namespace

std::wstring CDiagnoseTextResolver::GetErrorText(LONG code) const {
    std::wstring text;
    const HRESULT status = ComponentText(code, text);
    if (status == S_OK)
        return Format(code, text.data(), text.size());
    if (status > 0)
        return {};
    wchar_t* system = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
        static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&system), 0, nullptr);
    std::wstring result = Format(code, system, system ? length : 0);
    ::LocalFree(system);
    return result;
}

bool CDiagnoseTextResolver::TranslateAttribute(const std::wstring& name, std::wstring& value,
                                               const CDiagnoseData& record) const {
    if (SameName(name, L"CaptionID") || SameName(name, L"TextID")) {
        // String identifiers are 16-bit: a larger number would name another row of the table.
        const int32_t id = record.GetAttributeLong(name, 0);
        if (id >= 0 && id <= 0xFFFF)
            win::TryLoadResString(static_cast<UINT>(id), value);
        return true;
    }
    if (SameName(name, L"Mode"))
        return false;
    if (SameName(name, L"HResult")) {
        value = GetErrorText(record.GetAttributeLong(name, 0));
        return true;
    }
    return true;
}

const CDiagnoseTextResolver& TheTextResolver() {
    static const CDiagnoseTextResolver resolver;
    return resolver;
}

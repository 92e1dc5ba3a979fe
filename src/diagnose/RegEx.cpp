// The regular-expression wrapper over VBScript.RegExp.
#include "diagnose/RegEx.h"

#include "diagnose/RegExpInterfaces.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string_view>

using Microsoft::WRL::ComPtr;

namespace {

void Check(HRESULT status, const IID& iid) {
    if (FAILED(status))
        throw CRegExException(status, iid);
}

// An owned BSTR; the engine's strings are freed whatever way the scope ends.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : m_text(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!m_text)
            throw CRegExException(E_OUTOFMEMORY, __uuidof(IRegExp2));
    }
    ~Bstr() { ::SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_text; }
    BSTR* put() {
        ::SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }
    std::wstring str() const {
        return m_text ? std::wstring(m_text, ::SysStringLen(m_text)) : std::wstring();
    }

private:
    BSTR m_text = nullptr;
};

// A query that finds no such interface leaves `out` empty; other failures raise.
template <typename T> ComPtr<T> Query(IUnknown* object) {
    ComPtr<T> result;
    if (!object)
        return result;
    const HRESULT status =
        object->QueryInterface(__uuidof(T), reinterpret_cast<void**>(result.GetAddressOf()));
    if (status == E_NOINTERFACE)
        return nullptr;
    Check(status, __uuidof(T));
    return result;
}

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// Hands each item of an engine collection to `visit`, reading the count anew before every item
// as the engine's collections may be live.
template <typename Collection, typename Visit> void ForEachItem(Collection* collection, Visit&& visit) {
    for (LONG i = 0;; ++i) {
        LONG count = 0;
        Check(collection->get_Count(&count), __uuidof(Collection));
        if (i >= count)
            return;
        ComPtr<IDispatch> item;
        Check(collection->get_Item(i, item.GetAddressOf()), __uuidof(Collection));
        visit(item.Get());
    }
}

} // namespace

CRegExException::CRegExException(HRESULT status, const IID& iid)
    : std::runtime_error("regular-expression engine call failed"), m_status(status), m_iid(iid) {}

CRegEx::~CRegEx() {
    if (m_engine)
        m_engine->Release();
}

bool CRegEx::Create() {
    if (m_engine)
        return true;
    IUnknown* object = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_VBScriptRegExp, nullptr, CLSCTX_ALL, IID_IUnknown,
                                  reinterpret_cast<void**>(&object))) ||
        !object)
        return false;
    if (SUCCEEDED(::OleRun(object)))
        object->QueryInterface(__uuidof(IRegExp2), reinterpret_cast<void**>(&m_engine));
    object->Release();
    return m_engine != nullptr;
}

void CRegEx::SetIgnoreCase(bool value) {
    if (m_engine)
        Check(m_engine->put_IgnoreCase(ToVariantBool(value)), __uuidof(IRegExp2));
}

void CRegEx::SetGlobal(bool value) {
    if (m_engine)
        Check(m_engine->put_Global(ToVariantBool(value)), __uuidof(IRegExp2));
}

void CRegEx::SetMultiline(bool value) {
    if (m_engine)
        Check(m_engine->put_Multiline(ToVariantBool(value)), __uuidof(IRegExp2));
}

bool CRegEx::GetIgnoreCase() const {
    VARIANT_BOOL value = VARIANT_FALSE;
    if (m_engine)
        Check(m_engine->get_IgnoreCase(&value), __uuidof(IRegExp2));
    return value == VARIANT_TRUE;
}

bool CRegEx::GetGlobal() const {
    VARIANT_BOOL value = VARIANT_FALSE;
    if (m_engine)
        Check(m_engine->get_Global(&value), __uuidof(IRegExp2));
    return value == VARIANT_TRUE;
}

bool CRegEx::GetMultiline() const {
    VARIANT_BOOL value = VARIANT_FALSE;
    if (m_engine)
        Check(m_engine->get_Multiline(&value), __uuidof(IRegExp2));
    return value == VARIANT_TRUE;
}

std::wstring CRegEx::GetPattern() const {
    if (!m_engine)
        return {};
    Bstr pattern;
    Check(m_engine->get_Pattern(pattern.put()), __uuidof(IRegExp2));
    return pattern.str();
}

void CRegEx::SetPattern(const std::wstring& pattern) {
    Bstr text(pattern);
    Check(m_engine->put_Pattern(text.get()), __uuidof(IRegExp2));
}

LONG CRegEx::Execute(std::vector<CRegExMatch>& matches, const std::wstring& pattern,
                     const std::wstring& text) {
    matches.clear();
    if (!m_engine)
        return 0;
    SetPattern(pattern);
    Bstr source(text);
    ComPtr<IDispatch> result;
    Check(m_engine->Execute(source.get(), result.GetAddressOf()), __uuidof(IRegExp2));
    ComPtr<IMatchCollection2> collection = Query<IMatchCollection2>(result.Get());
    if (!collection)
        return static_cast<LONG>(matches.size());
    ForEachItem(collection.Get(), [&](IDispatch* item) {
        ComPtr<IMatch2> match = Query<IMatch2>(item);
        if (!match)
            return;
        CRegExMatch entry;
        Bstr value;
        Check(match->get_Value(value.put()), __uuidof(IMatch2));
        entry.Value = value.str();
        Check(match->get_FirstIndex(&entry.FirstIndex), __uuidof(IMatch2));
        Check(match->get_Length(&entry.Length), __uuidof(IMatch2));
        ComPtr<IDispatch> groupsObject;
        Check(match->get_SubMatches(groupsObject.GetAddressOf()), __uuidof(IMatch2));
        if (ComPtr<ISubMatches> groups = Query<ISubMatches>(groupsObject.Get())) {
            for (LONG j = 0;; ++j) {
                LONG groupCount = 0;
                Check(groups->get_Count(&groupCount), __uuidof(ISubMatches));
                if (j >= groupCount)
                    break;
                VARIANT group;
                ::VariantInit(&group);
                Check(groups->get_Item(j, &group), __uuidof(ISubMatches));
                if (group.vt == VT_BSTR && group.bstrVal)
                    entry.SubMatches.emplace_back(group.bstrVal, ::SysStringLen(group.bstrVal));
                else
                    entry.SubMatches.emplace_back();
                ::VariantClear(&group);
            }
        }
        matches.push_back(std::move(entry));
    });
    return static_cast<LONG>(matches.size());
}

LONG CRegEx::ExecuteStrings(std::vector<std::wstring>& matches, const std::wstring& pattern,
                            const std::wstring& text) {
    matches.clear();
    if (!m_engine)
        return 0;
    SetPattern(pattern);
    Bstr source(text);
    ComPtr<IDispatch> result;
    Check(m_engine->Execute(source.get(), result.GetAddressOf()), __uuidof(IRegExp2));
    ComPtr<IMatchCollection> collection = Query<IMatchCollection>(result.Get());
    if (!collection)
        return static_cast<LONG>(matches.size());
    ForEachItem(collection.Get(), [&](IDispatch* item) {
        if (ComPtr<IMatch> match = Query<IMatch>(item)) {
            Bstr value;
            Check(match->get_Value(value.put()), __uuidof(IMatch));
            matches.push_back(value.str());
        }
    });
    return static_cast<LONG>(matches.size());
}

bool CRegEx::Test(const std::wstring& pattern, const std::wstring& text) {
    if (!m_engine)
        return false;
    SetPattern(pattern);
    Bstr source(text);
    VARIANT_BOOL result = VARIANT_FALSE;
    Check(m_engine->Test(source.get(), &result), __uuidof(IRegExp2));
    return result == VARIANT_TRUE;
}

std::wstring CRegEx::Replace(const std::wstring& pattern, const std::wstring& text,
                             const std::wstring& replacement) {
    if (!m_engine)
        return {};
    SetPattern(pattern);
    Bstr source(text);
    Bstr with(replacement);
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = with.get(); // borrowed: `with` frees it
    Bstr result;
    Check(m_engine->Replace(source.get(), argument, result.put()), __uuidof(IRegExp2));
    return result.str();
}

std::wstring CRegEx::Escape(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        // One pass gives what twelve replacements in turn give: the backslash goes first
        // there, so no backslash added later is doubled.
        if (std::wstring_view(L"\\^$*+?.()|{}").find(c) != std::wstring_view::npos)
            escaped.push_back(L'\\');
        escaped.push_back(c);
    }
    return escaped;
}

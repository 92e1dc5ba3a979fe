// The COM interfaces of the platform's regular-expression engine (VBScript.RegExp), declared
// from its published type library: MinGW-w64 ships no header for them. Method order matters.
#pragma once

#include <oaidl.h>
#include <objbase.h>

// {3F4DACA4-160D-11D2-A8E9-00104B365C9F}
inline constexpr CLSID CLSID_VBScriptRegExp = {
    0x3F4DACA4, 0x160D, 0x11D2, {0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};

struct IRegExp2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Pattern(BSTR* pattern) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Pattern(BSTR pattern) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IgnoreCase(VARIANT_BOOL* ignoreCase) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IgnoreCase(VARIANT_BOOL ignoreCase) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Global(VARIANT_BOOL* global) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Global(VARIANT_BOOL global) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Multiline(VARIANT_BOOL* multiline) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Multiline(VARIANT_BOOL multiline) = 0;
    virtual HRESULT STDMETHODCALLTYPE Execute(BSTR source, IDispatch** matches) = 0;
    virtual HRESULT STDMETHODCALLTYPE Test(BSTR source, VARIANT_BOOL* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Replace(BSTR source, VARIANT replacement, BSTR* result) = 0;
};

struct IMatchCollection2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG index, IDispatch** match) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
};

struct IMatch2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FirstIndex(LONG* firstIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Length(LONG* length) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SubMatches(IDispatch** subMatches) = 0;
};

struct ISubMatches : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG index, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
};

struct IMatchCollection : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG index, IDispatch** match) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
};

struct IMatch : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FirstIndex(LONG* firstIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Length(LONG* length) = 0;
};

__CRT_UUID_DECL(IRegExp2, 0x3F4DACB0, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F)
__CRT_UUID_DECL(IMatchCollection2, 0x3F4DACB2, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F)
__CRT_UUID_DECL(IMatch2, 0x3F4DACB1, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F)
__CRT_UUID_DECL(ISubMatches, 0x3F4DACB3, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F)
__CRT_UUID_DECL(IMatchCollection, 0x3F4DACA2, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F)
__CRT_UUID_DECL(IMatch, 0x3F4DACA1, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F)

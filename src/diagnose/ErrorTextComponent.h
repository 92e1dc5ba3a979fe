// The suite's error-text component, reached through COM: a text for a status code in a
// language. Its result 0 means the text is valid; a negative result asks the caller to use the
// system's message text instead; a positive one means there is no text.
#pragma once

#include <objbase.h>
#include <oleauto.h>

// {C8E89F43-0ACB-43CB-8330-5491BF87C450}
inline constexpr CLSID CLSID_ZtErrorText = {
    0xC8E89F43, 0x0ACB, 0x43CB, {0x83, 0x30, 0x54, 0x91, 0xBF, 0x87, 0xC4, 0x50}};

struct IZtErrorText : public IUnknown {
    // `text` receives a string the caller frees (SysFreeString), or stays null.
    virtual HRESULT STDMETHODCALLTYPE GetErrorText(LONG languageId, LONG code, BSTR* text) = 0;
};

__CRT_UUID_DECL(IZtErrorText, 0xD03297C3, 0xC395, 0x4E0A, 0x9B, 0xB3, 0xBB, 0xAF, 0x8A, 0xDC, 0x40, 0xB3)

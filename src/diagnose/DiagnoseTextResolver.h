// The display rules of attribute values in the details list.
#pragma once

#include <windows.h>

#include <string>

class CDiagnoseData;

// Stateless; the module has one (TheTextResolver).
class CDiagnoseTextResolver {
public:
    // Whether the attribute is shown; may replace `value` by its display text. Names are
    // matched without regard to case: CaptionID and TextID become the language resources'
    // string of that number (when there is one), HResult its error text, Mode is hidden.
    bool TranslateAttribute(const std::wstring& name, std::wstring& value, const CDiagnoseData& record) const;

    // "[0x%08x] %s" with the code and the suite's error text for the current language, or the
    // system's message text when the suite's component is missing or declines; empty when the
    // component answers a positive status. Without any text the part after the blank is empty.
    std::wstring GetErrorText(LONG code) const;
};

const CDiagnoseTextResolver& TheTextResolver();

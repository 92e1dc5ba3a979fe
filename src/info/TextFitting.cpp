// Shortening a text to the room it is drawn in.
#include "info/TextFitting.h"

namespace info {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}
bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// The first `length` characters of `text` as they are shown when the rest is left out.
std::wstring Shortened(const std::wstring& text, size_t length) {
    if (length > 0 && IsHighSurrogate(text[length - 1]))
        --length;
    while (length > 0 && IsBlank(text[length - 1]))
        --length;
    return text.substr(0, length) + L"\u2026";
}

} // namespace

std::wstring FitWithEllipsis(const std::wstring& text, const FitsRoom& fits) {
    if (fits(text))
        return text;
    // Halving the range: a long message takes a dozen measurements, not one per character.
    size_t fitting = 0, tooLong = text.size();
    while (tooLong - fitting > 1) {
        const size_t middle = fitting + (tooLong - fitting) / 2;
        (fits(Shortened(text, middle)) ? fitting : tooLong) = middle;
    }
    return Shortened(text, fitting);
}

} // namespace info

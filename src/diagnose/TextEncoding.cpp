// Encoding detection and widening of the log's text.
#include "diagnose/TextEncoding.h"

namespace diagnose {
namespace {

// Whether the sample holds a whole non-ASCII UTF-8 sequence and all its non-ASCII bytes form
// well-formed ones (shortest forms, no surrogates, nothing above U+10FFFF). A sequence cut by
// the sample's end says neither: the sample ends where it ends, not where a character does.
// Text of an 8-bit code page practically never passes: its umlauts stand alone between ASCII
// letters.
bool IsUtf8(const unsigned char* data, size_t size) {
    bool nonAscii = false;
    for (size_t i = 0; i < size;) {
        const unsigned char b = data[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t need;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (b >= 0xC2 && b <= 0xDF)
            need = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            need = 2, low = b == 0xE0 ? 0xA0 : 0x80, high = b == 0xED ? 0x9F : 0xBF;
        else if (b >= 0xF0 && b <= 0xF4)
            need = 3, low = b == 0xF0 ? 0x90 : 0x80, high = b == 0xF4 ? 0x8F : 0xBF;
        else
            return false;
        for (size_t k = 1; k <= need; ++k) {
            if (i + k == size)
                return nonAscii;
            const unsigned char next = data[i + k];
            if (k == 1 ? next < low || next > high : (next & 0xC0) != 0x80)
                return false;
        }
        i += need + 1;
        nonAscii = true;
    }
    return nonAscii;
}

} // namespace

DetectedEncoding DetectEncoding(const unsigned char* data, size_t size) {
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return {TextForm::Utf8, 3};
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
        return {TextForm::Utf16, 2};
    // 8-bit text practically never holds NUL bytes; UTF-16 text of Latin script has one in
    // almost every unit, always in the high byte.
    const size_t sample = (size < 65536 ? size : 65536) & ~size_t(1);
    if (sample < 2)
        return {};
    size_t zeroHigh = 0, zeroLow = 0;
    for (size_t i = 0; i < sample; i += 2) {
        zeroLow += data[i] == 0;
        zeroHigh += data[i + 1] == 0;
    }
    const size_t units = sample / 2;
    if (zeroHigh * 2 >= units && zeroLow * 8 <= units)
        return {TextForm::Utf16, 0};
    if (IsUtf8(data, size < 65536 ? size : 65536))
        return {TextForm::Utf8, 0};
    return {};
}

namespace {
void AppendCodePoint(std::wstring& out, uint32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(cp));
}
} // namespace

void AppendUtf8(std::wstring& out, const char* text, size_t length) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < length) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        size_t need;
        uint32_t cp, min;
        if (b >= 0xC2 && b <= 0xDF)
            need = 1, cp = b & 0x1F, min = 0x80;
        else if (b >= 0xE0 && b <= 0xEF)
            need = 2, cp = b & 0x0F, min = 0x800;
        else if (b >= 0xF0 && b <= 0xF4)
            need = 3, cp = b & 0x07, min = 0x10000;
        else {
            out.push_back(L'\xFFFD');
            ++i;
            continue;
        }
        size_t k = 1;
        for (; k <= need && i + k < length && (s[i + k] & 0xC0) == 0x80; ++k)
            cp = (cp << 6) | (s[i + k] & 0x3F);
        if (k <= need || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(L'\xFFFD');
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += need + 1;
    }
}

void AppendUtf16(std::wstring& out, const char16_t* text, size_t length) {
    if constexpr (sizeof(wchar_t) == 2) {
        out.append(reinterpret_cast<const wchar_t*>(text), length);
    } else {
        for (size_t i = 0; i < length; ++i) {
            const uint32_t u = text[i];
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00));
                ++i;
            } else {
                out.push_back(static_cast<wchar_t>(u));
            }
        }
    }
}

void AppendAnsi(std::wstring& out, const char* text, size_t length, const char16_t* table) {
    const size_t at = out.size();
    out.resize(at + length);
    wchar_t* target = &out[0] + at;
    const auto* source = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length; ++i)
        target[i] = static_cast<wchar_t>(table[source[i]]);
}

const char16_t* Latin1Table() {
    static const struct Table {
        char16_t units[256];
        Table() {
            for (int i = 0; i < 256; ++i)
                units[i] = static_cast<char16_t>(i);
        }
    } table;
    return table.units;
}

} // namespace diagnose

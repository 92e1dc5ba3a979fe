// The forms of saved records: CSV rows, UTF-8.
#include "viewer/save/RecordsFile.h"

#include <cstdint>

namespace viewer {
namespace {

bool EndsWithNoCase(const std::wstring& text, const wchar_t* ending) {
    const std::wstring tail(ending);
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        wchar_t unit = text[text.size() - tail.size() + i];
        if (unit >= L'A' && unit <= L'Z')
            unit = static_cast<wchar_t>(unit - L'A' + L'a');
        if (unit != tail[i])
            return false;
    }
    return true;
}

void AppendCodePoint(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

} // namespace

SaveFormat FormatFor(const std::wstring& path, int filterIndex) {
    if (EndsWithNoCase(path, L".csv"))
        return SaveFormat::Csv;
    if (EndsWithNoCase(path, L".txt"))
        return SaveFormat::Text;
    return filterIndex == kCsvFilter ? SaveFormat::Csv : SaveFormat::Text;
}

std::wstring CsvSeparator(const std::wstring& listSeparator, const std::wstring& decimalSeparator) {
    const bool usable = !listSeparator.empty() && listSeparator.size() <= 3 &&
                        listSeparator.find_first_of(L"\"\r\n") == std::wstring::npos;
    if (usable)
        return listSeparator;
    return decimalSeparator == L"," ? L";" : L",";
}

void AppendCsvRow(std::wstring& out, const std::vector<std::wstring>& fields, const std::wstring& separator) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        const std::wstring& field = fields[i];
        const bool quoted = field.find_first_of(L"\"\r\n") != std::wstring::npos ||
                            (!separator.empty() && field.find(separator) != std::wstring::npos) ||
                            (!field.empty() && (field.front() == L' ' || field.back() == L' '));
        if (!quoted) {
            out += field;
            continue;
        }
        out += L'"';
        for (wchar_t unit : field) {
            if (unit == L'"')
                out += L'"';
            out += unit;
        }
        out += L'"';
    }
    out += L"\r\n";
}

void AppendUtf8(std::string& out, const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = static_cast<uint32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            code &= 0xFFFF;
            if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
                const uint32_t low = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendCodePoint(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
        }
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            code = kReplacement;
        AppendCodePoint(out, code);
    }
}

} // namespace viewer

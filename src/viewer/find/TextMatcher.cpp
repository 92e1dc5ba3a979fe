// Text search in record lines.
#include "viewer/find/TextMatcher.h"

#include <algorithm>

namespace viewer {

CharacterTables CharacterTables::Ascii() {
    CharacterTables tables;
    tables.upper.resize(65536);
    tables.word.resize(65536);
    for (uint32_t unit = 0; unit < 65536; ++unit) {
        const bool lower = unit >= 'a' && unit <= 'z';
        tables.upper[unit] = static_cast<wchar_t>(lower ? unit - 32 : unit);
        tables.word[unit] =
            lower || (unit >= 'A' && unit <= 'Z') || (unit >= '0' && unit <= '9') || unit == '_';
    }
    return tables;
}

TextMatcher::TextMatcher(const std::wstring& what, bool matchCase, bool wholeWord,
                         const CharacterTables& tables)
    : m_what(what), m_matchCase(matchCase), m_wholeWord(wholeWord), m_tables(tables) {
    if (!m_matchCase)
        for (wchar_t& unit : m_what)
            unit = Fold(unit);
    const size_t n = m_what.size();
    m_shift.assign(65536, static_cast<uint8_t>(std::min<size_t>(n ? n : 1, 255)));
    for (size_t i = 0; i + 1 < n; ++i)
        m_shift[static_cast<uint16_t>(m_what[i])] = static_cast<uint8_t>(std::min<size_t>(n - 1 - i, 255));
}

wchar_t TextMatcher::Fold(wchar_t unit) const {
    return m_tables.upper[static_cast<uint16_t>(unit)];
}

bool TextMatcher::IsWord(wchar_t unit) const {
    return m_tables.word[static_cast<uint16_t>(unit)] != 0 || unit == L'_';
}

// Horspool's search: the window moves on by how far its last unit stands from the end of the
// text sought, so most units of a line are never looked at.
template <typename UnitAt> size_t TextMatcher::Search(size_t length, UnitAt&& unitAt, size_t from) const {
    const size_t n = m_what.size();
    if (n == 0 || length < n)
        return std::wstring::npos;
    const wchar_t* what = m_what.data();
    const wchar_t* upper = m_tables.upper.data();
    const uint8_t* shift = m_shift.data();
    auto unit = [&](size_t i) {
        const wchar_t u = unitAt(i);
        return m_matchCase ? u : upper[static_cast<uint16_t>(u)];
    };
    for (size_t at = from; at + n <= length;) {
        const wchar_t last = unit(at + n - 1);
        if (last == what[n - 1]) {
            size_t k = 0;
            while (k + 1 < n && unit(at + k) == what[k])
                ++k;
            if (k + 1 == n && (!m_wholeWord || ((at == 0 || !IsWord(unitAt(at - 1))) &&
                                                (at + n == length || !IsWord(unitAt(at + n))))))
                return at;
        }
        at += shift[static_cast<uint16_t>(last)];
    }
    return std::wstring::npos;
}

bool TextMatcher::Matches(const std::wstring& line) const {
    return Find(line) != std::wstring::npos;
}

size_t TextMatcher::Find(const std::wstring& line, size_t from) const {
    const wchar_t* text = line.data();
    return Search(
        line.size(), [text](size_t i) { return text[i]; }, from);
}

bool TextMatcher::MatchesAnsi(const char* bytes, size_t size, const char16_t* table) const {
    const auto* units = reinterpret_cast<const unsigned char*>(bytes);
    return Search(size, [units, table](size_t i) { return static_cast<wchar_t>(table[units[i]]); }) !=
           std::wstring::npos;
}

bool TextMatcher::MatchesUtf16(const char* bytes, size_t size) const {
    const auto* units = reinterpret_cast<const unsigned char*>(bytes);
    return Search(size / 2, [units](size_t i) {
               return static_cast<wchar_t>(units[2 * i] | (units[2 * i + 1] << 8));
           }) != std::wstring::npos;
}

} // namespace viewer

// Whether a line holds a text, as the platform's Find dialog asks for it: with or without
// regard to case, and anywhere or as a whole word only. No platform headers; the platform
// gives the case mapping and the letters and digits as tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace viewer {

// The platform's view of UTF-16 units: each unit's upper case, and whether it is a letter or
// digit (which, with the underscore, make up words).
struct CharacterTables {
    std::vector<wchar_t> upper; // 65536 entries
    std::vector<uint8_t> word;  // 65536 entries, 1 for word units
    // ASCII rules only; for hosts without a platform (tests).
    static CharacterTables Ascii();
};

class TextMatcher {
public:
    TextMatcher(const std::wstring& what, bool matchCase, bool wholeWord, const CharacterTables& tables);
    // An empty text matches nothing.
    bool Matches(const std::wstring& line) const;
    // Where the first match at or after `from` begins; npos when there is none.
    size_t Find(const std::wstring& line, size_t from = 0) const;
    size_t Length() const { return m_what.size(); }
    // The same for a line as 8-bit units of a single-byte code page (through its table) or as
    // UTF-16LE bytes, without widening it first: most of its units are never looked at.
    bool MatchesAnsi(const char* bytes, size_t size, const char16_t* table) const;
    bool MatchesUtf16(const char* bytes, size_t size) const;

private:
    template <typename UnitAt> size_t Search(size_t length, UnitAt&& unitAt, size_t from = 0) const;
    wchar_t Fold(wchar_t unit) const;
    bool IsWord(wchar_t unit) const;

    std::wstring m_what;
    bool m_matchCase;
    bool m_wholeWord;
    const CharacterTables& m_tables;
    std::vector<uint8_t> m_shift; // how far the window moves, by the unit at its end
};

} // namespace viewer

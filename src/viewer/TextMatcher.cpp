// Text search in record lines.
#include "viewer/TextMatcher.h"

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
}

wchar_t TextMatcher::Fold(wchar_t unit) const {
    return m_tables.upper[static_cast<uint16_t>(unit)];
}

bool TextMatcher::IsWord(wchar_t unit) const {
    return m_tables.word[static_cast<uint16_t>(unit)] != 0 || unit == L'_';
}

bool TextMatcher::Matches(const std::wstring& line) const {
    if (m_what.empty() || line.size() < m_what.size())
        return false;
    const std::wstring* text = &line;
    if (!m_matchCase) {
        m_folded.resize(line.size());
        for (size_t i = 0; i < line.size(); ++i)
            m_folded[i] = Fold(line[i]);
        text = &m_folded;
    }
    for (size_t at = text->find(m_what); at != std::wstring::npos; at = text->find(m_what, at + 1)) {
        if (!m_wholeWord)
            return true;
        const size_t end = at + m_what.size();
        if ((at == 0 || !IsWord(line[at - 1])) && (end == line.size() || !IsWord(line[end])))
            return true;
    }
    return false;
}

} // namespace viewer

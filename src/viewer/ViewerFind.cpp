// The viewer's search state and the Find dialog.
#include "viewer/ViewerFind.h"

namespace {
// The platform's case mapping and word characters, as the Find dialog's users expect them.
std::unique_ptr<viewer::CharacterTables> PlatformTables() {
    auto tables = std::make_unique<viewer::CharacterTables>();
    tables->upper.resize(65536);
    tables->word.resize(65536);
    for (uint32_t unit = 0; unit < 65536; ++unit) {
        wchar_t upper = static_cast<wchar_t>(unit);
        if (unit < 0xD800 || unit > 0xDFFF)
            ::CharUpperBuffW(&upper, 1);
        tables->upper[unit] = upper;
        tables->word[unit] = ::IsCharAlphaNumericW(static_cast<wchar_t>(unit)) ? 1 : 0;
    }
    return tables;
}
} // namespace

ViewerFind::ViewerFind() {
    m_request.lStructSize = sizeof m_request;
    m_request.lpstrFindWhat = m_buffer;
    m_request.wFindWhatLen = static_cast<WORD>(sizeof m_buffer);
    m_request.Flags = FR_DOWN;
}

UINT ViewerFind::Message() {
    return ::RegisterWindowMessageW(FINDMSGSTRINGW);
}

void ViewerFind::Open(HWND owner) {
    if (m_dialog && ::IsWindow(m_dialog)) {
        ::SetActiveWindow(m_dialog);
        return;
    }
    m_request.hwndOwner = owner;
    m_text.copy(m_buffer, std::min<size_t>(m_text.size(), 255));
    m_buffer[std::min<size_t>(m_text.size(), 255)] = L'\0';
    m_request.Flags =
        (m_down ? FR_DOWN : 0) | (m_matchCase ? FR_MATCHCASE : 0) | (m_wholeWord ? FR_WHOLEWORD : 0);
    m_dialog = ::FindTextW(&m_request);
}

bool ViewerFind::Take(const FINDREPLACEW& request) {
    if (request.Flags & FR_DIALOGTERM) {
        m_dialog = nullptr;
        return false;
    }
    const std::wstring text = request.lpstrFindWhat ? request.lpstrFindWhat : L"";
    const bool matchCase = (request.Flags & FR_MATCHCASE) != 0;
    const bool wholeWord = (request.Flags & FR_WHOLEWORD) != 0;
    if (text != m_text || matchCase != m_matchCase || wholeWord != m_wholeWord)
        m_marks.clear();
    m_text = text;
    m_matchCase = matchCase;
    m_wholeWord = wholeWord;
    m_down = (request.Flags & FR_DOWN) != 0;
    return true;
}

diagnose::Recheck ViewerFind::Marks(const CDiagnoseIndex& index, const std::vector<bool>*& marks) {
    marks = &m_marks;
    const diagnose::RecordId first = static_cast<diagnose::RecordId>(m_marks.size());
    if (first >= index.RecordCount())
        return diagnose::Recheck::Same;
    if (!m_tables)
        m_tables = PlatformTables();
    const viewer::TextMatcher matcher(m_text, m_matchCase, m_wholeWord, *m_tables);
    m_marks.resize(index.RecordCount(), false);
    // 8-bit text of a single-byte page and UTF-16 are searched as they are stored.
    const diagnose::TextDecoder& decoder = index.Decoder();
    const char16_t* table = decoder.ansiTable.empty() ? diagnose::Latin1Table() : decoder.ansiTable.data();
    std::wstring text;
    const diagnose::Recheck check = index.ForEachLineBytes(
        index.Source(), first, index.RecordCount(),
        [&](diagnose::RecordId id, const char* bytes, size_t size, diagnose::TextForm form) {
            if (form == diagnose::TextForm::Ansi8) {
                m_marks[id] = matcher.MatchesAnsi(bytes, size, table);
            } else if (form == diagnose::TextForm::Utf16) {
                m_marks[id] = matcher.MatchesUtf16(bytes, size);
            } else {
                text.clear();
                index.DecodeText(bytes, size, form, text);
                m_marks[id] = matcher.Matches(text);
            }
            return true;
        });
    if (check != diagnose::Recheck::Same)
        m_marks.clear();
    return check;
}

void ViewerFind::ForgetFrom(diagnose::RecordId first) {
    if (first < m_marks.size())
        m_marks.resize(first);
}

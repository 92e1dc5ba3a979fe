// The viewer's search state and the Find dialog.
#include "viewer/find/ViewerFind.h"

#include "viewer/find/MarkingSteps.h"

#include <iterator>

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

ViewerFind::ViewerFind() {
    m_request.lStructSize = sizeof m_request;
    m_request.lpstrFindWhat = m_buffer;
    // In characters: the dialog limits its edit to this and copies the text back within it.
    m_request.wFindWhatLen = static_cast<WORD>(std::size(m_buffer));
    m_request.Flags = FR_DOWN;
}

UINT ViewerFind::Message() {
    static const UINT message = ::RegisterWindowMessageW(FINDMSGSTRINGW);
    return message;
}

void ViewerFind::Open(HWND owner) {
    if (m_dialog && ::IsWindow(m_dialog)) {
        ::SetActiveWindow(m_dialog);
        return;
    }
    m_request.hwndOwner = owner;
    const size_t length = std::min(m_text.size(), std::size(m_buffer) - 1);
    m_text.copy(m_buffer, length);
    m_buffer[length] = L'\0';
    m_request.Flags =
        (m_down ? FR_DOWN : 0) | (m_matchCase ? FR_MATCHCASE : 0) | (m_wholeWord ? FR_WHOLEWORD : 0);
    m_dialog = ::FindTextW(&m_request);
}

void ViewerFind::SetText(const std::wstring& text) {
    if (text != m_text)
        m_marks.Clear();
    m_text = text.substr(0, std::size(m_buffer) - 1);
}

void ViewerFind::Enable(bool enable) {
    if (m_dialog)
        ::EnableWindow(m_dialog, enable ? TRUE : FALSE);
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
        m_marks.Clear();
    m_text = text;
    m_matchCase = matchCase;
    m_wholeWord = wholeWord;
    m_down = (request.Flags & FR_DOWN) != 0;
    return true;
}

std::unique_ptr<viewer::TextMatcher> ViewerFind::MakeMatcher() {
    if (!m_tables)
        m_tables = PlatformTables();
    return std::make_unique<viewer::TextMatcher>(m_text, m_matchCase, m_wholeWord, *m_tables);
}

diagnose::Recheck ViewerFind::MarkInSteps(const CDiagnoseIndex& index, diagnose::WriteGate* gate,
                                          size_t perStep) {
    return viewer::MarkInSteps(
        gate, index, index.ReadingSource(), m_marks, [this] { return MakeMatcher(); }, perStep);
}

diagnose::Recheck ViewerFind::UpdateMarks(const CDiagnoseIndex& index, size_t most) {
    if (MarksComplete(index))
        return diagnose::Recheck::Same;
    if (!m_tables)
        m_tables = PlatformTables();
    const viewer::TextMatcher matcher(m_text, m_matchCase, m_wholeWord, *m_tables);
    return m_marks.Update(index, index.Source(), matcher, most);
}

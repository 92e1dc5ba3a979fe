// The viewer's search: the platform's Find dialog, what was asked for last, and which records
// hold that text, found by reading every line once and then only the lines that arrive.
#pragma once

#include "diagnose/DiagnoseIndex.h"
#include "viewer/find/MatchMarks.h"
#include "viewer/find/TextMatcher.h"

#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <string>

// The platform's case mapping and word characters, as the Find dialog's users expect them.
std::unique_ptr<viewer::CharacterTables> PlatformTables();

class ViewerFind {
public:
    ViewerFind();
    ViewerFind(const ViewerFind&) = delete;
    ViewerFind& operator=(const ViewerFind&) = delete;

    // Shows the Find dialog for `owner`, or brings it forward when it is open.
    void Open(HWND owner);
    HWND Dialog() const { return m_dialog; }
    // Takes the Find dialog out of the operator's reach while a modal dialog of the viewer runs.
    void Enable(bool enable);
    // The message the Find dialog sends its owner (FINDMSGSTRING).
    static UINT Message();
    // Takes text and options from the dialog's message; false when the dialog is closing.
    bool Take(const FINDREPLACEW& request);

    // A search text kept from an earlier viewer: Find Next looks for it, the dialog offers it.
    void SetText(const std::wstring& text);
    bool HasText() const { return !m_text.empty(); }
    const std::wstring& Text() const { return m_text; }
    bool MatchCase() const { return m_matchCase; }
    bool WholeWord() const { return m_wholeWord; }
    bool Down() const { return m_down; }

    // Brings the marks up to the index's last record, by at most `most` records (see
    // MatchMarks::Update). Any thread, with the index's gate held.
    diagnose::Recheck UpdateMarks(const CDiagnoseIndex& index, size_t most = SIZE_MAX);
    // Whether every record of `index` has been looked at for the text.
    bool MarksComplete(const CDiagnoseIndex& index) const { return m_marks.Size() >= index.RecordCount(); }
    const viewer::MatchMarks& Marks() const { return m_marks; }
    // Brings the marks up to the last record on the reading thread, reading the lines outside
    // `gate` (viewer::MarkInSteps).
    diagnose::Recheck MarkInSteps(const CDiagnoseIndex& index, diagnose::WriteGate* gate, size_t perStep);
    // A matcher of the search as it stands, to find the matches in a text shown; it lives no
    // longer than this object.
    std::unique_ptr<viewer::TextMatcher> MakeMatcher();
    // Records from `first` on are to be looked at again (the index took them back or changed).
    void ForgetFrom(diagnose::RecordId first) { m_marks.ForgetFrom(first); }

private:
    FINDREPLACEW m_request{};
    wchar_t m_buffer[256] = {};
    HWND m_dialog = nullptr;
    std::wstring m_text;
    bool m_matchCase = false;
    bool m_wholeWord = false;
    bool m_down = true;
    std::unique_ptr<viewer::CharacterTables> m_tables;
    viewer::MatchMarks m_marks;
};

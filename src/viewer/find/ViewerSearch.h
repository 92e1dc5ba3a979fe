// Finding text in the viewer: the Find dialog's search, which records hold it (a few at once,
// more on the reading thread), Find Next and Find Previous in the order the operator sees the
// records, and the match window opened on the search.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/find/ViewerFind.h"
#include "viewer/reading/LogReader.h"

#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <vector>

class CDiagnoseDlg;

namespace viewer {
struct SearchStart;
}

class ViewerSearch {
public:
    explicit ViewerSearch(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    ViewerFind& Find() { return m_find; }
    const ViewerFind& Find() const { return m_find; }
    // The Find dialog's message.
    void OnFindMessage(const FINDREPLACEW& request);
    void FindNext(bool down);
    // Brings the search's marks up to the last record: a few records at once, more on the
    // reading thread (Searching() meanwhile; the match window is told as they come). Changed or
    // Failed only from a look at once.
    diagnose::Recheck BringMarksUp();
    bool Searching() const { return m_marking != Marking::None; }
    // How far the marks have come, in percent of the records.
    unsigned SearchedPercent() const;
    // Why the last search on the reading thread could not read the log; 0 when it could.
    DWORD MarkFailure() const { return m_markFailure; }
    // A search asked for starts on the reading thread when it is free; whether it runs now.
    bool StartMarking();
    // Escape: the marks made so far stay.
    void CancelMarking();
    // The reading thread's job was stopped: a search it ran starts again once it is free.
    void Interrupted() {
        if (m_marking == Marking::Running)
            m_marking = Marking::Asked;
    }
    bool Running() const { return m_marking == Marking::Running; }
    void EndMarking(const viewer::LogReader::Outcome& outcome);
    // The match window on the search, opened (and activated) or filled again.
    void ShowAllMatches(bool activate);

private:
    bool FindFrom(bool down, DWORD& readError);
    void AllEntries(std::vector<const diagnose::RecordList*>& entries, viewer::SearchStart& start) const;
    void MarkedEntries(const std::vector<diagnose::RecordId>& listed,
                       std::vector<const diagnose::RecordList*>& entries, viewer::SearchStart& start) const;
    void OnSearchTaken();

    CDiagnoseDlg& m_viewer;
    ViewerFind m_find;
    // A search on the reading thread: asked for (it waits for the job that runs) or running.
    enum class Marking { None, Asked, Running } m_marking = Marking::None;
    diagnose::Recheck m_markCheck = diagnose::Recheck::Same; // the reading thread's, taken at its end
    DWORD m_markFailure = 0;
    std::optional<bool> m_findDown;   // Find Next waits for the marks: which way it goes
    bool m_matchesOnFindNext = false; // the Find dialog was opened to fill the match window
};

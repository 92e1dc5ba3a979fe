// The windows the viewer owns besides its details and its Find dialog: the match window, the
// records window and the timeline, made when first asked for, and what they are told of the viewer (ViewerObserver).
#pragma once

#include "viewer/ViewerObserver.h"

#include <functional>
#include <memory>
#include <vector>

class CDiagnoseDlg;
class CMatchWindow;
class RecordsWindow;
class TimelineWindow;

class OwnedWindows {
public:
    explicit OwnedWindows(CDiagnoseDlg& viewer);
    ~OwnedWindows();
    OwnedWindows(const OwnedWindows&) = delete;
    OwnedWindows& operator=(const OwnedWindows&) = delete;

    // The match window and the timeline, made at their first use; null before.
    CMatchWindow& Matches();
    TimelineWindow& Timeline();
    RecordsWindow& Records();
    CMatchWindow* MatchesMade() const { return m_matches.get(); }
    RecordsWindow* RecordsMade() const { return m_records.get(); }
    TimelineWindow* TimelineMade() const { return m_timeline.get(); }
    // An observer removes itself before it goes.
    void AddObserver(ViewerObserver* observer);
    void RemoveObserver(ViewerObserver* observer);
    // Tells every observer; one may remove itself while it is told.
    void Notify(const std::function<void(ViewerObserver&)>& call);
    // The index goes: their handlers run no more (their final bookkeeping still does).
    void IgnoreMessages();

private:
    CDiagnoseDlg& m_viewer;
    std::vector<ViewerObserver*> m_observers;
    std::unique_ptr<CMatchWindow> m_matches;    // after m_observers, which it leaves as it goes
    std::unique_ptr<RecordsWindow> m_records;
    std::unique_ptr<TimelineWindow> m_timeline; // last: it leaves the observers while they exist
};

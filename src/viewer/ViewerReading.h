// The viewer's side of reading and following its log: what the reading thread filed joins tree
// and list from the viewer's queue, a few times a second while it loads and when a job ends; the
// log is looked at every second while following is on; a log that was cut, replaced or made anew
// is read again (ViewerReading.cpp, ViewerFollow.cpp).
#pragma once

#include "diagnose/GroupKey.h"
#include "viewer/session/LogSession.h"

#include <optional>
#include <vector>

class CDiagnoseDlg;

class ViewerReading {
public:
    explicit ViewerReading(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    void StartReading(viewer::JobPurpose job);
    // Stops the reading thread's job; a search it ran starts again when it is free, a sort or a
    // copy is dropped.
    void StopReader();
    // From the queue: what the reading thread filed joins tree and list, an ended job is told.
    void TakeRead();
    // A look at the log, or a read of what was appended; from the queue.
    void Refresh();
    // Reads the log again from the start, keeping the selected group where it still exists.
    void Reload();
    void OnFollowTimer();
    // A read that stopped part-way: following stops and the caption says why (none: F5 tries
    // again what failed).
    void StopOnReadFailure(const diagnose::ReadResult& result);

private:
    bool ShowNewRecords();
    void UpdateTree(const std::vector<GroupKey>& changed, diagnose::RecordId firstNew);
    void EndRead(const viewer::JobEnd& end);
    void EndLoad(const viewer::LogReader::Outcome& outcome);
    void EndLook(const viewer::JobEnd& end);

    CDiagnoseDlg& m_viewer;
    // A load that reads the log again selects the group selected before, and then tells the
    // windows the viewer owns.
    struct ReloadSelection {
        GroupKey key;
        bool entry = false;
    };
    std::optional<ReloadSelection> m_reloadSelection;
};

// Sorting the viewer's list by a header click: at once for a small group, on the reading thread
// for a large one (or one sorted by its messages, which are read there first).
#pragma once

#include "viewer/reading/LogReader.h"

#include <memory>
#include <optional>

class CDiagnoseDlg;

class ViewerSorting {
public:
    explicit ViewerSorting(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    // One header click sorts once, however the platform delivers it; the viewer's
    // kColumnClickDone ends the click.
    void OnColumnClick(int column);
    void ClickDone() { m_columnClickSeen = false; }
    // Whether the shown group is being sorted on the reading thread, or waits for it.
    bool Sorting() const { return m_sorting != nullptr || m_sortAsked.has_value(); }
    // Whether the message column's keys of the shown group would take the viewer's thread long.
    bool MessagesTakeLong() const;
    // A sort asked for while the reading thread was busy starts; whether one runs there now.
    bool StartAskedSort();
    // Drops the sort asked for or running (of rows that go, or on Escape).
    void CancelSorting();
    // The reading thread's job was stopped: the sort it ran is dropped.
    void Drop() { m_sorting.reset(); }
    void EndSorting(const viewer::LogReader::Outcome& outcome);

private:
    struct SortJob;
    void SortRows(int column);
    bool StartSorting(int column);

    CDiagnoseDlg& m_viewer;
    bool m_columnClickSeen = false;
    std::shared_ptr<SortJob> m_sorting; // shared with the reading thread's job
    std::optional<int> m_sortAsked;     // a large group's sort by this column waits for the reading thread
};

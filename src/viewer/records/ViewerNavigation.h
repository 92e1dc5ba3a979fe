// Going about the log from the viewer: to a time (Ctrl+G), to the next or previous error or
// warning across all computers in time order (F8), and into the records window with a filter
// from a record's row or a heading of the tree.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/ViewerObserver.h"
#include "viewer/records/ClassSteps.h"
#include "viewer/records/GoToTimeDlg.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

class CDiagnoseDlg;

class ViewerNavigation : private ViewerObserver {
public:
    explicit ViewerNavigation(CDiagnoseDlg& viewer) : m_viewer(viewer), m_goTo(viewer) {}

    // Asks for a time; the first row of the list at or after it is selected.
    void GoToTime();
    // From the focused record (from the log's start or end without one): its group is
    // selected in the tree and its row in the list.
    void StepToClass(uint16_t traceClass, bool forward);
    // A filter item of a context menu on `record` (the list's focused one when none is given):
    // the records window with it.
    void FilterBy(WORD command, diagnose::RecordId record = ~diagnose::RecordId(0));
    // Whether `item` is a heading of the tree, whose records the records window can show.
    bool IsHeading(HTREEITEM item) const;
    void HeadingRecords(HTREEITEM item);

private:
    void OnRecordsAdded(diagnose::RecordId firstNew) override;
    void OnReloaded() override;
    void OnSelectionChanged() override {}
    void OnReadError(uint32_t) override {}
    bool GoTo(const std::wstring& typed);
    diagnose::RecordId Focused() const;

    CDiagnoseDlg& m_viewer;
    GoToTimeDlg m_goTo;
    viewer::ClassSteps m_steps;
    bool m_observing = false;
    diagnose::RecordId m_recordsSeen = 0;
};

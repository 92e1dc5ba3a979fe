// The viewer's timeline window "Vistral Diagnose - Zeitverlauf": when the records of the
// selected tree entry, or of the whole log, happened, as stacked bars per time slot.
#pragma once

#include "viewer/timeline/TimelineCounts.h"
#include "viewer/timeline/TimelineChart.h"
#include "viewer/OwnedPlacement.h"
#include "viewer/ViewerObserver.h"
#include "win/Dialog.h"

class CDiagnoseDlg;

// Owned by the viewer, which outlives it; its window is owned by the viewer's window, so the
// system destroys it before the viewer's. The object outlives its window and opens it again.
// It follows the viewer through ViewerObserver and counts from the posted message, once per
// burst of notifications, never inside the viewer's handler that told it.
class TimelineWindow : public win::Dialog, private ViewerObserver {
public:
    explicit TimelineWindow(CDiagnoseDlg& viewer);
    ~TimelineWindow() override;

    // Creates the window, or brings it to the front when it is open.
    void Open();
    // Where the window stands, or stood when it was last open; for the viewer to keep.
    std::optional<viewer::ScreenRect> Place() const { return m_place.Current(m_hwnd); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD notifyCode, WORD id, HWND control) override;
    void OnOK() override {} // Enter is no reason to close a picture
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnFinalMessage() override;

private:
    void OnRecordsAdded(diagnose::RecordId firstNew) override;
    void OnReloaded() override;
    void OnSelectionChanged() override;
    void OnReadError(uint32_t) override {}

    void ScheduleCount();
    void CountNow(size_t most);
    void Layout(int cx, int cy);
    void OnSlotClicked(size_t slot);
    void ShowFocusText();
    void ShowContextMenu(HWND control, LPARAM position);

    CDiagnoseDlg& m_viewer;
    viewer::TimelineCounts m_counts;
    const viewer::TimelineBins* m_shown = nullptr; // of m_counts: what the chart shows
    TimelineChart m_chart;
    bool m_countPosted = false;
    bool m_wholeLog = false; // the operator chose the whole log whatever entry is selected
    OwnedPlacement m_place{
        {viewer::Side::Right, viewer::Side::Left, viewer::Side::Below, viewer::Side::Above}};
};

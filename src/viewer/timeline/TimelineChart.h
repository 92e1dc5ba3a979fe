// The timeline's picture: stacked bars per time slot with a legend and axis labels, painted
// double-buffered with GDI+; hovering a bar shows its slot and counts, a click reports its slot.
// It takes the focus by Tab: the arrows, Home, End, Page Up and Page Down move a focus drawn
// round a slot, Enter reports that slot as a click does, and the window's text names it.
#pragma once

#include "viewer/timeline/TimelineBins.h"
#include "win/SubclassedWindow.h"

#include <functional>
#include <string>

class TimelineChart : public win::SubclassedWindow {
public:
    struct Texts {
        std::wstring kinds[viewer::kTraceKinds]; // Fehler, Warnung, Information, Unbekannt
        std::wstring empty;                      // shown when no record has a time
    };
    // What the chart draws; `bins` must live while the chart is bound to its window.
    void Show(const viewer::TimelineBins* bins, Texts texts);
    // Called with the slot a click landed on (or Enter was pressed on), when it holds records.
    std::function<void(size_t slot)> onSlotClicked;
    // Called when the focused slot or its counts changed.
    std::function<void()> onFocusMoved;

    // The slot under a point of the client area; false where there is none.
    bool SlotAt(POINT point, size_t& slot) const;
    // The tooltip's text for a slot: its time and the count of each type.
    std::wstring SlotText(size_t slot) const;
    // The focused slot (SIZE_MAX: none), its place in the client area, and its time and counts
    // on one line; empty without one.
    size_t Focus() const { return m_focus; }
    RECT SlotBox(size_t slot) const;
    std::wstring FocusText() const;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Geometry;
    Geometry Measure() const;
    // The labels' sizes at the font and DPI they are drawn with, in pixels.
    struct AxisMetrics {
        float dateWidth = 56;  // "dd.mm.yyyy", the widest time label
        float lineHeight = 14; // one line of a label
        float countWidth = 38; // a count of seven digits, left of the plot
    };
    AxisMetrics MeasureAxis() const;
    void Paint();
    void OnMouseMove(POINT point);
    void Hover(size_t slot);
    void OnWindowGone() override;
    bool OnKey(WPARAM key);
    void MoveFocus(size_t slot);

    const viewer::TimelineBins* m_bins = nullptr;
    Texts m_texts;
    AxisMetrics m_axis;   // measured when the window is bound and when it is sized
    HWND m_tip = nullptr; // owned by the timeline window, destroyed with it
    size_t m_hover = SIZE_MAX;
    bool m_trackingLeave = false;
    size_t m_focus = SIZE_MAX;
    int64_t m_focusStart = 0; // the focused slot's start: the focus stays on its time when counted anew
};

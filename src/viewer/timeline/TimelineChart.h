// The timeline's picture: stacked bars per time slot with a legend and axis labels, painted
// double-buffered with GDI+; hovering a bar shows its slot and counts, a click reports its slot.
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
    // Called with the slot a click landed on, when it holds records.
    std::function<void(size_t slot)> onSlotClicked;

    // The slot under a point of the client area; false where there is none.
    bool SlotAt(POINT point, size_t& slot) const;
    // The tooltip's text for a slot: its time and the count of each type.
    std::wstring SlotText(size_t slot) const;

protected:
    void PreSubclassWindow() override;
    void OnWindowGone() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Geometry;
    Geometry Measure() const;
    void Paint();
    void OnMouseMove(POINT point);
    void Hover(size_t slot);

    const viewer::TimelineBins* m_bins = nullptr;
    Texts m_texts;
    HWND m_tip = nullptr; // owned by the timeline window, destroyed with it
    size_t m_hover = SIZE_MAX;
    bool m_trackingLeave = false;
};

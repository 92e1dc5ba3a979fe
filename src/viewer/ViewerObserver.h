// What the viewer tells the windows it owns (the match list, the timeline) so that they follow
// its log and its selection.
#pragma once

#include "diagnose/RecordStore.h"

#include <cstdint>

// Calls come from the viewer's own handlers after its tree and list are up to date, never
// from inside a modal loop, a menu or a control notification of the viewer: an observer may
// read the index and redraw, but must not destroy the viewer or run a modal loop of its own.
class ViewerObserver {
public:
    // Records from `firstNew` on were filed (or filed again: the provisional last line grew).
    virtual void OnRecordsAdded(diagnose::RecordId firstNew) = 0;
    // The index was emptied and the log read again: earlier record ids mean nothing now.
    virtual void OnReloaded() = 0;
    // Another tree item was selected, or the tree was filled in the other grouping.
    virtual void OnSelectionChanged() = 0;
    // The log could not be read on (the platform's code), or reads again (0).
    virtual void OnReadError(uint32_t error) = 0;

protected:
    ~ViewerObserver() = default;
};

// What the viewer tells the windows it owns (the match list, the timeline) so that they follow
// its log and its selection.
#pragma once

#include "diagnose/RecordStore.h"

#include <cstdint>

// Calls come after the viewer's tree and list are up to date: new records, reloads and read
// failures from its deferred work (nothing of the viewer's on the stack), a selection change
// from inside the tree's notification. So an observer may read the index and the selection and
// redraw or post to itself, but must not destroy a window, change the viewer's selection or
// run a modal loop from these calls.
class ViewerObserver {
public:
    // Records from `firstNew` on were filed (or filed again: the provisional last line grew).
    virtual void OnRecordsAdded(diagnose::RecordId firstNew) = 0;
    // The log is about to be read again: the records are still those of the last read.
    virtual void OnReloading() {}
    // The index was emptied and the log read again: earlier record ids mean nothing now.
    virtual void OnReloaded() = 0;
    // Another tree item was selected, or the tree was filled in the other grouping.
    virtual void OnSelectionChanged() = 0;
    // The log could not be read on (the platform's code), or reads again (0).
    virtual void OnReadError(uint32_t error) = 0;

protected:
    ~ViewerObserver() = default;
};

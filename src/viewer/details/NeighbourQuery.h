// How the details dialog asks the viewer for the record above or below a given one.
#pragma once

#include "diagnose/RecordStore.h"

// In: `previous` and `record`. Out: the neighbour (kNoRecord when there is none) and where the
// two rows stand in the viewer's list as it is currently ordered.
struct NeighbourQuery {
    static constexpr diagnose::RecordId kNoRecord = 0xFFFFFFFF;

    bool previous = false;
    diagnose::RecordId record = kNoRecord;
    diagnose::RecordId neighbour = kNoRecord;
    bool neighbourHasNext = false;
    bool neighbourHasPrevious = false;
    bool recordHasNext = false;
    bool recordHasPrevious = false;
};

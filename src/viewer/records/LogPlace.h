// Where a record stands in the log's time order: records with a time by time, then those without
// one; file order where that leaves them equal. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/records/RecordClock.h"

#include <cstdint>

namespace viewer {

struct LogPlace {
    bool untimed = false;
    int64_t seconds = 0;
    diagnose::RecordId id = 0;
    friend bool operator<(const LogPlace& a, const LogPlace& b) {
        if (a.untimed != b.untimed)
            return b.untimed;
        if (!a.untimed && a.seconds != b.seconds)
            return a.seconds < b.seconds;
        return a.id < b.id;
    }
};

inline LogPlace PlaceOf(const diagnose::RecordStore& store, RecordClock& clock, diagnose::RecordId id) {
    int64_t seconds = 0;
    const bool timed = clock.SecondsOf(store, id, seconds);
    return {!timed, seconds, id};
}

} // namespace viewer

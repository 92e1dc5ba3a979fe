// A record's date and time as seconds since 01.01.1970, for the log's time order across
// computers. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"

#include <cstdint>
#include <vector>

namespace viewer {

// The days of each date text are read once: a log of millions of records has a few hundred
// dates. A store that takes records back (or is cleared) needs Forget first: its date numbers
// may then stand for other texts.
class RecordClock {
public:
    // False for a record whose date or time is not the log's form ("dd.mm.yyyy", "hh:mm:ss").
    bool SecondsOf(const diagnose::RecordStore& store, diagnose::RecordId id, int64_t& seconds);
    void Forget() { m_days.clear(); }

private:
    static constexpr int64_t kNotRead = INT64_MIN;
    static constexpr int64_t kNoDate = INT64_MIN + 1;
    std::vector<int64_t> m_days; // by date number
};

} // namespace viewer

// The next (or previous) record of a trace class across all computers in the log's time order,
// from any record: what F8 goes to in the viewer. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/records/RecordClock.h"

#include <optional>
#include <unordered_map>

namespace viewer {

// A computer writes its records in time order: each list of a computer and a class is searched
// by halves while it is in time order, and looked at record by record where it is not. What is
// known of each list is kept and extended as it grows.
class ClassSteps {
public:
    // After `from` (or before it); from the log's start (or end) when `from` is not a record.
    // Records without a time come after all others, in file order.
    std::optional<diagnose::RecordId> Next(const diagnose::RecordStore& store, diagnose::RecordId from,
                                           uint16_t traceClass, bool forward);
    // Looks at up to `most` records of the lists of `traceClass` not looked at yet; true when
    // none is left, and Next then looks at a few records a list. The first step of a class through
    // a log of millions goes in several dispatches this way.
    bool Prepare(const diagnose::RecordStore& store, uint16_t traceClass, size_t most);
    // Records were taken back, or the log was read again: what was known goes.
    void Forget();

private:
    struct Known {
        size_t checked = 0; // the records of the list looked at
        bool ordered = true; // and whether they are in time order
    };
    const Known& Check(const diagnose::RecordStore& store, const diagnose::RecordList& list,
                       size_t most = SIZE_MAX);

    std::unordered_map<const diagnose::RecordList*, Known> m_lists;
    RecordClock m_clock;
};

} // namespace viewer

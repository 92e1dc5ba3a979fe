// Which counts the timeline shows: the whole log's, kept and added to as records arrive whatever
// entry is shown meanwhile, and the shown entry's. No platform headers.
#pragma once

#include "viewer/timeline/TimelineBins.h"

namespace viewer {

// Choosing another entry counts that entry; choosing the whole log again counts nothing but
// what arrived since: an arrow key in the tree of a log of millions costs the entry it lands on.
class TimelineCounts {
public:
    // Records from `firstNew` on were filed, or filed again.
    void RecordsAdded(diagnose::RecordId firstNew);
    // The log was read again: earlier counts mean nothing.
    void Reloaded();
    // The counts of `records` (null: the whole log), brought up to date by at most `most`
    // records: TimelineBins::Counted says whether they are.
    const TimelineBins& Of(const diagnose::RecordStore& store, const diagnose::RecordList* records,
                           size_t most = SIZE_MAX);
    // Records looked at since made: what choosing and following have cost.
    uint64_t RecordsLookedAt() const { return m_all.bins.RecordsLookedAt() + m_entry.bins.RecordsLookedAt(); }

private:
    struct Counted {
        TimelineBins bins;
        bool counted = false;
        const diagnose::RecordList* records = nullptr;
        diagnose::RecordId firstNew = kNoRecord; // the first record filed since they were counted
    };
    const TimelineBins& UpToDate(Counted& set, const diagnose::RecordStore& store,
                                 const diagnose::RecordList* records, size_t most);

    Counted m_all, m_entry;
};

} // namespace viewer

// Which counts the timeline shows.
#include "viewer/timeline/TimelineCounts.h"

#include <algorithm>

namespace viewer {

void TimelineCounts::RecordsAdded(diagnose::RecordId firstNew) {
    for (Counted* set : {&m_all, &m_entry})
        set->firstNew = std::min(set->firstNew, firstNew);
}

void TimelineCounts::Reloaded() {
    m_all.counted = m_entry.counted = false;
}

const TimelineBins& TimelineCounts::Of(const diagnose::RecordStore& store,
                                       const diagnose::RecordList* records) {
    return UpToDate(records ? m_entry : m_all, store, records);
}

const TimelineBins& TimelineCounts::UpToDate(Counted& set, const diagnose::RecordStore& store,
                                             const diagnose::RecordList* records) {
    if (!set.counted || set.records != records)
        set.bins.Build(store, records);
    else if (set.firstNew != kNoRecord)
        set.bins.Update(store, records, set.firstNew);
    set.counted = true;
    set.records = records;
    set.firstNew = kNoRecord;
    return set.bins;
}

} // namespace viewer

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
                                       const diagnose::RecordList* records, size_t most) {
    return UpToDate(records ? m_entry : m_all, store, records, most);
}

const TimelineBins& TimelineCounts::UpToDate(Counted& set, const diagnose::RecordStore& store,
                                             const diagnose::RecordList* records, size_t most) {
    if (!set.counted || set.records != records)
        set.bins.Build(store, records, most);
    else if (set.firstNew != kNoRecord || !set.bins.Counted(store))
        set.bins.Update(store, records, set.firstNew, most);
    set.counted = true;
    set.records = records;
    set.firstNew = kNoRecord;
    return set.bins;
}

} // namespace viewer

// A record's date and time as seconds.
#include "viewer/records/RecordClock.h"

#include "viewer/timeline/LogTime.h"

namespace viewer {

bool RecordClock::SecondsOf(const diagnose::RecordStore& store, diagnose::RecordId id, int64_t& seconds) {
    if (!store.IsRecord(id))
        return false;
    const uint32_t date = store.TextNumber(id, 0);
    if (date >= m_days.size())
        m_days.resize(date + size_t(1), kNotRead);
    if (m_days[date] == kNotRead) {
        int64_t days = 0;
        m_days[date] = ReadLogDate(store.GetDate(id), days) ? days : kNoDate;
    }
    int64_t clock = 0;
    if (m_days[date] == kNoDate || !ReadLogTimeKey(store.GetTimeKey(id), clock))
        return false;
    seconds = m_days[date] * kSecondsPerDay + clock;
    return true;
}

} // namespace viewer

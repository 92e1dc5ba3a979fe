// Splitting a set of records into time slots and counting them.
#include "viewer/TimelineBins.h"

#include "viewer/LogTime.h"

#include <algorithm>

namespace viewer {
namespace {

constexpr int64_t kWeek = 7 * kSecondsPerDay;
constexpr int64_t kSlotLengths[] = {60, 5 * 60, 15 * 60, 3600, 6 * 3600, kSecondsPerDay, kWeek};

int64_t SlotCount(int64_t first, int64_t last, int64_t length) {
    return (FloorToStep(last, length) - FloorToStep(first, length)) / length + 1;
}

size_t SetSize(const diagnose::RecordStore& store, const diagnose::RecordList* records) {
    return records ? records->size() : store.RecordCount();
}

diagnose::RecordId At(const diagnose::RecordList* records, size_t index) {
    return records ? (*records)[index] : static_cast<diagnose::RecordId>(index);
}

// The index in the set of the first record at or after `id` (the set is in file order).
size_t IndexOf(const diagnose::RecordStore& store, const diagnose::RecordList* records,
               diagnose::RecordId id) {
    if (!records)
        return std::min<size_t>(id, store.RecordCount());
    size_t low = 0, high = records->size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if ((*records)[middle] < id)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Reads records' times; consecutive records mostly share their interned date, so its day is
// read once per run of them.
class RecordClock {
public:
    explicit RecordClock(const diagnose::RecordStore& store) : m_store(store) {}
    bool Read(diagnose::RecordId id, int64_t& seconds) {
        const std::wstring& date = m_store.GetDate(id);
        if (&date != m_date) {
            m_date = &date;
            m_dateRead = ReadLogDate(date, m_days);
        }
        int64_t ofDay = 0;
        if (!m_dateRead || !ReadLogTimeKey(m_store.GetTimeKey(id), ofDay))
            return false;
        seconds = m_days * kSecondsPerDay + ofDay;
        return true;
    }

private:
    const diagnose::RecordStore& m_store;
    const std::wstring* m_date = nullptr;
    bool m_dateRead = false;
    int64_t m_days = 0;
};

} // namespace

TraceKind TraceKindOf(uint16_t traceClass) {
    switch (traceClass) {
    case 0:
        return kTraceInformation;
    case 1:
        return kTraceWarning;
    case 2:
        return kTraceError;
    default:
        return kTraceUnknown;
    }
}

int64_t ChooseSlotSeconds(int64_t first, int64_t last) {
    for (int64_t length : kSlotLengths)
        if (SlotCount(first, last, length) <= static_cast<int64_t>(kMaxTimeSlots))
            return length;
    int64_t weeks = std::max<int64_t>(1, (last - first) / (kWeek * static_cast<int64_t>(kMaxTimeSlots)));
    while (SlotCount(first, last, weeks * kWeek) > static_cast<int64_t>(kMaxTimeSlots))
        ++weeks;
    return weeks * kWeek;
}

struct TimelineBins::Range {
    bool any = false;
    int64_t first = 0;
    int64_t last = 0;
};

TimelineBins::Range TimelineBins::Scan(const diagnose::RecordStore& store,
                                       const diagnose::RecordList* records, size_t from) const {
    Range range;
    RecordClock clock(store);
    const size_t size = SetSize(store, records);
    for (size_t i = from; i < size; ++i) {
        int64_t seconds = 0;
        if (!clock.Read(At(records, i), seconds))
            continue;
        range.first = range.any ? std::min(range.first, seconds) : seconds;
        range.last = range.any ? std::max(range.last, seconds) : seconds;
        range.any = true;
    }
    return range;
}

void TimelineBins::Count(const diagnose::RecordStore& store, const diagnose::RecordList* records,
                         size_t from) {
    RecordClock clock(store);
    const size_t size = SetSize(store, records);
    // A group's records share one trace class.
    const bool oneClass = records && size > 0;
    const TraceKind groupKind = oneClass ? TraceKindOf(store.GetTraceClass(At(records, 0))) : kTraceUnknown;
    for (size_t i = from; i < size; ++i) {
        const diagnose::RecordId id = At(records, i);
        int64_t seconds = 0;
        if (!clock.Read(id, seconds)) {
            ++m_untimed;
            continue;
        }
        TimeSlot& slot = m_slots[static_cast<size_t>((seconds - m_start) / m_slotSeconds)];
        const TraceKind kind = oneClass ? groupKind : TraceKindOf(store.GetTraceClass(id));
        ++slot.counts[kind];
        ++m_totals[kind];
        if (slot.first == kNoRecord)
            slot.first = id;
    }
}

void TimelineBins::Reset() {
    m_slots.clear();
    m_start = m_slotSeconds = 0;
    m_untimed = 0;
    std::fill(std::begin(m_totals), std::end(m_totals), 0u);
}

void TimelineBins::Build(const diagnose::RecordStore& store, const diagnose::RecordList* records) {
    Reset();
    m_records = records;
    m_end = store.RecordCount();
    const Range range = Scan(store, records, 0);
    if (range.any) {
        m_slotSeconds = ChooseSlotSeconds(range.first, range.last);
        m_start = FloorToStep(range.first, m_slotSeconds);
        m_slots.resize(static_cast<size_t>(SlotCount(range.first, range.last, m_slotSeconds)));
    }
    Count(store, records, 0);
}

void TimelineBins::Update(const diagnose::RecordStore& store, const diagnose::RecordList* records,
                          diagnose::RecordId firstNew) {
    if (records != m_records || firstNew < m_end || store.RecordCount() < m_end) {
        Build(store, records);
        return;
    }
    const size_t from = IndexOf(store, records, m_end);
    const Range added = Scan(store, records, from);
    if (added.any) {
        // The slots so far stand for the earlier times: the choice for them and the new ones is
        // the choice for all.
        const bool had = !m_slots.empty();
        const int64_t first = had ? std::min(added.first, m_start) : added.first;
        const int64_t last = had ? std::max(added.last, SlotStart(m_slots.size()) - 1) : added.last;
        const int64_t length = ChooseSlotSeconds(first, last);
        if (had && length != m_slotSeconds) {
            Build(store, records);
            return;
        }
        const int64_t start = FloorToStep(first, length);
        if (had)
            m_slots.insert(m_slots.begin(), static_cast<size_t>((m_start - start) / length), TimeSlot{});
        m_slots.resize(static_cast<size_t>(SlotCount(first, last, length)));
        m_start = start;
        m_slotSeconds = length;
    }
    m_end = store.RecordCount();
    Count(store, records, from);
}

uint32_t TimelineBins::Tallest() const {
    uint32_t tallest = 0;
    for (const TimeSlot& slot : m_slots)
        tallest = std::max(tallest, slot.Total());
    return tallest;
}

} // namespace viewer

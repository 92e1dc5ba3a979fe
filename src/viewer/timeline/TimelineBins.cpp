// Splitting a set of records into time slots and counting them.
#include "viewer/timeline/TimelineBins.h"

#include "diagnose/TimeKey.h"
#include "viewer/timeline/LogTime.h"

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
        if (const uint32_t date = m_store.TextNumber(id, 0); date != m_date) {
            m_date = date;
            m_dateRead = ReadLogDate(m_store.GetDate(id), m_days);
        }
        if (!m_dateRead)
            return false;
        const uint64_t key = m_store.GetTimeKey(id);
        if (key != m_key) {
            m_key = key;
            m_keyRead = ReadLogTimeKey(key, m_ofDay);
        }
        seconds = m_days * kSecondsPerDay + m_ofDay;
        return m_keyRead;
    }

private:
    const diagnose::RecordStore& m_store;
    uint32_t m_date = UINT32_MAX; // the number of the date m_days was read from
    bool m_dateRead = false;
    int64_t m_days = 0;
    uint64_t m_key = diagnose::kInexactTime; // and the same for runs of records of one second
    bool m_keyRead = false;
    int64_t m_ofDay = 0;
};

// A group's records share one trace class; the whole log's are looked up one by one.
class RecordKinds {
public:
    RecordKinds(const diagnose::RecordStore& store, const diagnose::RecordList* records)
        : m_store(store), m_oneClass(records && !records->empty()),
          m_kind(m_oneClass ? TraceKindOf(store.GetTraceClass((*records)[0])) : kTraceUnknown) {}
    TraceKind Of(diagnose::RecordId id) const {
        return m_oneClass ? m_kind : TraceKindOf(m_store.GetTraceClass(id));
    }

private:
    const diagnose::RecordStore& m_store;
    bool m_oneClass;
    TraceKind m_kind;
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

// One pass: the slots start at the shortest length and become the next longer one (each a whole
// number of the one before, all aligned alike, so slots merge exactly) whenever the times seen
// so far need more than kMaxTimeSlots of them. The length reached is the first that holds them
// all. Beyond a week the lengths are no longer nested: the set is counted again on a grid of
// whole weeks chosen from the earliest and latest time.
void TimelineBins::Add(const diagnose::RecordStore& store, const diagnose::RecordList* records, size_t from,
                       size_t most) {
    m_tails = store.TailsTakenBack();
    RecordClock clock(store);
    const RecordKinds kinds(store, records);
    const size_t size = SetSize(store, records);
    size_t last = size - from > most ? from + most : size;
    bool regrid = false;
    for (size_t i = from; i < last; ++i) {
        const diagnose::RecordId id = At(records, i);
        int64_t seconds = 0;
        if (!clock.Read(id, seconds)) {
            ++m_untimed;
            continue;
        }
        m_earliest = m_timed ? std::min(m_earliest, seconds) : seconds;
        m_latest = m_timed ? std::max(m_latest, seconds) : seconds;
        m_timed = true;
        if (!regrid && !Place(seconds, kinds.Of(id), id)) {
            regrid = true;
            last = size; // the grid takes the earliest and latest time of the whole set
        }
    }
    m_looked += last - from;
    m_end = last < size ? At(records, last) : store.RecordCount();
    if (regrid)
        Regrid(store, records);
}

// Counts one record; false when its time would need slots longer than a week.
bool TimelineBins::Place(int64_t seconds, TraceKind kind, diagnose::RecordId id) {
    if (m_slots.empty()) {
        m_slotSeconds = kSlotLengths[0];
        m_start = FloorToStep(seconds, m_slotSeconds);
        m_slots.resize(1);
    }
    while (seconds < m_start || seconds >= SlotStart(m_slots.size())) {
        const int64_t start = std::min(m_start, FloorToStep(seconds, m_slotSeconds));
        const int64_t end =
            std::max(SlotStart(m_slots.size()), FloorToStep(seconds, m_slotSeconds) + m_slotSeconds);
        if ((end - start) / m_slotSeconds <= static_cast<int64_t>(kMaxTimeSlots)) {
            m_slots.insert(m_slots.begin(), static_cast<size_t>((m_start - start) / m_slotSeconds),
                           TimeSlot{});
            m_slots.resize(static_cast<size_t>((end - start) / m_slotSeconds));
            m_start = start;
            break;
        }
        const auto next = std::upper_bound(std::begin(kSlotLengths), std::end(kSlotLengths), m_slotSeconds);
        if (next == std::end(kSlotLengths))
            return false;
        Coarsen(*next);
    }
    TimeSlot& slot = m_slots[static_cast<size_t>((seconds - m_start) / m_slotSeconds)];
    ++slot.counts[kind];
    ++m_totals[kind];
    slot.first = std::min(slot.first, id);
    return true;
}

void TimelineBins::Coarsen(int64_t length) {
    const int64_t start = FloorToStep(m_start, length);
    const int64_t last = FloorToStep(SlotStart(m_slots.size()) - 1, length);
    std::vector<TimeSlot> merged(static_cast<size_t>((last - start) / length + 1));
    for (size_t i = 0; i < m_slots.size(); ++i) {
        TimeSlot& into = merged[static_cast<size_t>((SlotStart(i) - start) / length)];
        for (int kind = 0; kind < kTraceKinds; ++kind)
            into.counts[kind] += m_slots[i].counts[kind];
        into.first = std::min(into.first, m_slots[i].first);
    }
    m_slots = std::move(merged);
    m_start = start;
    m_slotSeconds = length;
}

// Counts the whole set again on whole weeks that hold the earliest and latest time.
void TimelineBins::Regrid(const diagnose::RecordStore& store, const diagnose::RecordList* records) {
    m_slotSeconds = ChooseSlotSeconds(m_earliest, m_latest);
    m_start = FloorToStep(m_earliest, m_slotSeconds);
    m_slots.assign(static_cast<size_t>(SlotCount(m_earliest, m_latest, m_slotSeconds)), TimeSlot{});
    m_untimed = 0;
    std::fill(std::begin(m_totals), std::end(m_totals), 0u);
    RecordClock clock(store);
    const RecordKinds kinds(store, records);
    const size_t size = SetSize(store, records);
    m_looked += size;
    for (size_t i = 0; i < size; ++i) {
        const diagnose::RecordId id = At(records, i);
        int64_t seconds = 0;
        if (clock.Read(id, seconds))
            Place(seconds, kinds.Of(id), id);
        else
            ++m_untimed;
    }
}

void TimelineBins::Reset() {
    m_slots.clear();
    m_start = m_slotSeconds = 0;
    m_untimed = 0;
    std::fill(std::begin(m_totals), std::end(m_totals), 0u);
    m_timed = false;
    m_earliest = m_latest = 0;
}

void TimelineBins::Build(const diagnose::RecordStore& store, const diagnose::RecordList* records,
                         size_t most) {
    Reset();
    m_records = records;
    Add(store, records, 0, most);
}

void TimelineBins::Update(const diagnose::RecordStore& store, const diagnose::RecordList* records,
                          diagnose::RecordId firstNew, size_t most) {
    // Records told of again that were counted already changed only when a last line was taken
    // back since: a window opened while the log is read counts further than the viewer told it.
    const bool refiled = firstNew < m_end && store.TailsTakenBack() != m_tails;
    if (records != m_records || refiled || store.RecordCount() < m_end) {
        Build(store, records, most);
        return;
    }
    Add(store, records, IndexOf(store, records, m_end), most);
}

uint32_t TimelineBins::Tallest() const {
    uint32_t tallest = 0;
    for (const TimeSlot& slot : m_slots)
        tallest = std::max(tallest, slot.Total());
    return tallest;
}

} // namespace viewer

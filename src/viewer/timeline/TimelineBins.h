// The timeline's counts: a set of records split into time slots, counted per diagnose type.
#pragma once

#include "diagnose/RecordStore.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace viewer {

// The diagnose types as the timeline stacks them, from the bottom of a bar up.
enum TraceKind { kTraceError, kTraceWarning, kTraceInformation, kTraceUnknown, kTraceKinds };
TraceKind TraceKindOf(uint16_t traceClass);

constexpr size_t kMaxTimeSlots = 240;
constexpr diagnose::RecordId kNoRecord = ~diagnose::RecordId(0);

// The slot length in seconds for records from `first` to `last`: the first of 1 min, 5 min,
// 15 min, 1 h, 6 h, 1 day and 1 week whose slots, aligned to whole lengths (LogTime.h), cover
// them in at most kMaxTimeSlots; for longer spans the fewest whole weeks that do.
int64_t ChooseSlotSeconds(int64_t first, int64_t last);

struct TimeSlot {
    uint32_t counts[kTraceKinds] = {};
    diagnose::RecordId first = kNoRecord; // the slot's first record in file order
    uint32_t Total() const { return counts[0] + counts[1] + counts[2] + counts[3]; }
};

// Holds no record ids but one per slot: at most kMaxTimeSlots slots whatever the log's size.
// Times come from the index (interned dates and time keys), never from the log's text.
class TimelineBins {
public:
    // Counts `records` of `store` (null: every record), which are in file order; at most `most`
    // of them, the rest by Update.
    void Build(const diagnose::RecordStore& store, const diagnose::RecordList* records,
               size_t most = SIZE_MAX);
    // Takes in what a read filed from `firstNew` on (kNoRecord: nothing), and records not counted
    // yet, into the same set, at most `most` of them, merging slots when the new times need a
    // longer length; counts the set anew when the read took records back or the set is another.
    void Update(const diagnose::RecordStore& store, const diagnose::RecordList* records,
                diagnose::RecordId firstNew, size_t most = SIZE_MAX);
    // Whether every record of the set filed in `store` is counted.
    bool Counted(const diagnose::RecordStore& store) const { return m_end >= store.RecordCount(); }

    const std::vector<TimeSlot>& Slots() const { return m_slots; }
    int64_t SlotSeconds() const { return m_slotSeconds; }
    // The start of slot `index`, in seconds since 01.01.1970.
    int64_t SlotStart(size_t index) const { return m_start + static_cast<int64_t>(index) * m_slotSeconds; }
    // Records whose date and time do not read as "dd.mm.yyyy hh:mm:ss".
    uint32_t Untimed() const { return m_untimed; }
    uint32_t Total(TraceKind kind) const { return m_totals[kind]; }
    uint32_t Tallest() const;
    // Records looked at by every count so far.
    uint64_t RecordsLookedAt() const { return m_looked; }

private:
    void Add(const diagnose::RecordStore& store, const diagnose::RecordList* records, size_t from,
             size_t most);
    bool Place(int64_t seconds, TraceKind kind, diagnose::RecordId id);
    void Coarsen(int64_t length);
    void Regrid(const diagnose::RecordStore& store, const diagnose::RecordList* records);
    void Reset();

    std::vector<TimeSlot> m_slots;
    int64_t m_start = 0;
    int64_t m_slotSeconds = 0;
    uint32_t m_untimed = 0;
    uint32_t m_totals[kTraceKinds] = {};
    bool m_timed = false; // whether any record has a time: then these are the earliest and latest
    int64_t m_earliest = 0;
    int64_t m_latest = 0;
    const diagnose::RecordList* m_records = nullptr; // compared only, never read: the set counted
    diagnose::RecordId m_end = 0;                    // the first record not counted
    uint32_t m_tails = 0;                            // the store's last lines taken back then
    uint64_t m_looked = 0;
};

} // namespace viewer

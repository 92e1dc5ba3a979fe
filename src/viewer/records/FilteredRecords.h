// The rows of the records window: every record that passes its filter, in the log's time order
// (file order for equal times), those without a time after them in file order; made in steps
// and followed as the log grows. No platform headers.
#pragma once

#include "viewer/records/RankedBits.h"
#include "viewer/records/RecordFilter.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace viewer {

// A log is written in time order nearly everywhere, so the rows cost a bit a record: the rows in
// time order as they come in the file are bits over the records; one that comes with an earlier
// time than the rows before it ("late": a computer whose clock is behind) is kept apart with
// where it goes. Once those are more than a few, every timed row is kept as its record's number
// (four bytes a row), in time order. Rows without a time are kept as numbers.
// New rows that go far back are merged in over several calls, a bounded number of rows each:
// meanwhile the rows stay as they were, and the new ones wait.
class FilteredRecords {
public:
    static constexpr size_t kNoRow = SIZE_MAX;

    // Starts over with `test` on the store's records.
    void Start(RecordTest test);
    // Looks at the records not looked at yet, up to the store's last (and below `textMarks`'
    // size when the filter has a text: the bits of the records whose line holds it) and at most
    // `most` of them, or merges as many rows. True when all were looked at and are in place.
    bool Advance(const diagnose::RecordStore& store, size_t most, const std::vector<bool>* textMarks = nullptr);
    // Records from `first` on were taken back or filed again: their rows go, to be looked at anew.
    void ForgetFrom(const diagnose::RecordStore& store, diagnose::RecordId first);
    diagnose::RecordId Looked() const { return m_looked; }
    // Whether every record of the store was looked at and every row is in its place.
    bool Complete(const diagnose::RecordStore& store) const { return m_looked >= store.RecordCount() && !m_merge; }
    bool Merging() const { return m_merge != nullptr; }

    size_t Count() const { return Timed() + m_untimed.size(); }
    // The records that passed so far: the rows, and those still to be merged in.
    size_t Passed() const { return m_passed; }
    size_t Untimed() const { return m_untimed.size(); }
    diagnose::RecordId At(size_t row) const;
    // Calls `visit` with the records of rows [first, last) in order, a few steps a row, until it
    // answers false (then false); VisitBackward from the last of them to the first.
    bool Visit(size_t first, size_t last, const std::function<bool(diagnose::RecordId)>& visit) const;
    bool VisitBackward(size_t first, size_t last, const std::function<bool(diagnose::RecordId)>& visit) const;
    // The row of a record; kNoRow when it is not shown.
    size_t RowOf(const diagnose::RecordStore& store, diagnose::RecordId id);
    // The first row after `from` in the log's time order (or the last before it); the first
    // (or last) row when `from` is not a record; kNoRow when there is none.
    size_t RowAfter(const diagnose::RecordStore& store, diagnose::RecordId from, bool forward);
    // The first row at or after `seconds`; kNoRow when every timed row lies before it.
    size_t RowAtOrAfter(const diagnose::RecordStore& store, int64_t seconds);
    // The next (or previous) row after `row` whose trace class is `traceClass`; from the first
    // (or last) row when `row` is kNoRow. kNoRow when there is none.
    size_t NextOfClass(const diagnose::RecordStore& store, size_t row, uint16_t traceClass, bool forward) const;
    const RecordTest& Test() const { return m_test; }
    RecordClock& Clock() { return m_clock; }
    // What the rows take, for the benchmarks' account.
    size_t MemoryBytes() const;

private:
    struct Late {
        diagnose::RecordId id;
        uint32_t before; // the rows of m_inOrder that come before it
    };
    using Run = std::vector<diagnose::RecordId>; // rows in time order, of ascending records
    // The rows as they stand and runs of new ones, merged into `out` over several calls.
    struct Merge {
        std::vector<Run> runs;
        std::vector<size_t> at; // the next row of each run
        size_t row = 0;         // the next of the rows as they stand
        std::vector<diagnose::RecordId> out;
        std::vector<Run> waiting; // runs that came meanwhile, for the next merge
    };
    size_t Timed() const { return m_asIds ? m_timed.size() : m_inOrder.Count() + m_late.size(); }
    int64_t SecondsOf(const diagnose::RecordStore& store, diagnose::RecordId id);
    bool AddLate(const diagnose::RecordStore& store, diagnose::RecordId id, int64_t seconds);
    Run SortedRun(const diagnose::RecordStore& store, std::vector<std::pair<int64_t, diagnose::RecordId>>& fresh);
    void Join(const diagnose::RecordStore& store, Run run);
    void StartMerge(std::vector<Run> runs);
    void MergeSome(const diagnose::RecordStore& store, size_t most);
    size_t LatesBeforeRow(size_t row) const;

    RecordTest m_test{RecordFilter{}, std::nullopt, std::nullopt};
    RecordClock m_clock;
    RankedBits m_inOrder;     // rows in time order in file order
    int64_t m_lastSeconds = 0; // the time of the last of them
    std::vector<Late> m_late; // in time order
    bool m_asIds = false;
    std::vector<diagnose::RecordId> m_timed;   // every timed row in time order, once m_asIds
    std::vector<diagnose::RecordId> m_untimed; // in file order
    std::unique_ptr<Merge> m_merge;            // while new rows are merged in
    diagnose::RecordId m_looked = 0;
    size_t m_passed = 0;
};

} // namespace viewer

// The rows of the records window: every record that passes its filter, in the log's time order
// (file order for equal times), those without a time after them in file order; made in steps
// and followed as the log grows. No platform headers.
#pragma once

#include "viewer/records/RecordFilter.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace viewer {

class FilteredRecords {
public:
    static constexpr size_t kNoRow = SIZE_MAX;

    // Starts over with `test` on the store's records.
    void Start(RecordTest test);
    // Looks at the records not looked at yet, up to the store's last (and below `textMarks`'
    // size when the filter has a text: the bits of the records whose line holds it) and at most
    // `most` of them. True when all were looked at.
    bool Advance(const diagnose::RecordStore& store, size_t most, const std::vector<bool>* textMarks = nullptr);
    // Records from `first` on were taken back or filed again: their rows go, to be looked at anew.
    void ForgetFrom(diagnose::RecordId first);
    diagnose::RecordId Looked() const { return m_looked; }

    size_t Count() const { return m_timed.size() + m_untimed.size(); }
    size_t Untimed() const { return m_untimed.size(); }
    diagnose::RecordId At(size_t row) const {
        return row < m_timed.size() ? m_timed[row] : m_untimed[row - m_timed.size()];
    }
    // The row of a record; kNoRow when it is not shown.
    size_t RowOf(const diagnose::RecordStore& store, diagnose::RecordId id);
    // The first row at or after `seconds`; kNoRow when every timed row lies before it.
    size_t RowAtOrAfter(const diagnose::RecordStore& store, int64_t seconds);
    // The next (or previous) row after `row` whose trace class is `traceClass`; from the first
    // (or last) row when `row` is kNoRow. kNoRow when there is none.
    size_t NextOfClass(const diagnose::RecordStore& store, size_t row, uint16_t traceClass, bool forward) const;
    const RecordTest& Test() const { return m_test; }
    RecordClock& Clock() { return m_clock; }

private:
    int64_t SecondsAt(const diagnose::RecordStore& store, size_t row);
    void Join(const diagnose::RecordStore& store, std::vector<std::pair<int64_t, diagnose::RecordId>>& fresh);

    RecordTest m_test{RecordFilter{}, std::nullopt, std::nullopt};
    RecordClock m_clock;
    std::vector<diagnose::RecordId> m_timed;   // in time order
    std::vector<diagnose::RecordId> m_untimed; // in file order
    diagnose::RecordId m_looked = 0;
};

// The record of trace class `traceClass` next after `from` (or before it) in the whole log's
// time order, records without a time after all others in file order; from the log's start (or
// end) when `from` is not a record. Looks at the records of that class only.
std::optional<diagnose::RecordId> NextOfClassInLog(const diagnose::RecordStore& store, RecordClock& clock,
                                                   diagnose::RecordId from, uint16_t traceClass, bool forward);

} // namespace viewer

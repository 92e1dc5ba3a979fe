// The next record of a trace class across all computers.
#include "viewer/records/ClassSteps.h"

namespace viewer {

FilteredRecords& ClassSteps::Of(uint16_t traceClass) {
    auto found = m_classes.find(traceClass);
    if (found == m_classes.end()) {
        found = m_classes.emplace(traceClass, FilteredRecords()).first;
        RecordFilter filter;
        filter.types = TypeBitOf(traceClass);
        found->second.Start(RecordTest(filter, std::nullopt, std::nullopt));
    }
    return found->second;
}

bool ClassSteps::Prepare(const diagnose::RecordStore& store, uint16_t traceClass, size_t most) {
    FilteredRecords& rows = Of(traceClass);
    return rows.Complete(store) || rows.Advance(store, most);
}

std::optional<diagnose::RecordId> ClassSteps::Next(const diagnose::RecordStore& store, diagnose::RecordId from,
                                                   uint16_t traceClass, bool forward) {
    while (!Prepare(store, traceClass, SIZE_MAX)) {
    }
    FilteredRecords& rows = Of(traceClass);
    for (size_t row = rows.RowAfter(store, from, forward); row != FilteredRecords::kNoRow;) {
        const diagnose::RecordId id = rows.At(row);
        if (store.GetTraceClass(id) == traceClass) // the unknown classes share their rows
            return id;
        row = forward ? (row + 1 < rows.Count() ? row + 1 : FilteredRecords::kNoRow)
                      : (row > 0 ? row - 1 : FilteredRecords::kNoRow);
    }
    return std::nullopt;
}

void ClassSteps::ForgetFrom(const diagnose::RecordStore& store, diagnose::RecordId first) {
    for (auto& [traceClass, rows] : m_classes)
        rows.ForgetFrom(store, first);
}

} // namespace viewer

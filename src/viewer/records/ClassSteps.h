// The next (or previous) record of a trace class across all computers in the log's time order,
// from any record: what F8 goes to in the viewer. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/records/FilteredRecords.h"

#include <map>
#include <optional>

namespace viewer {

// The records of each class asked for are kept in time order as the records window keeps its
// rows (a bit a record while the log is in time order), made once and followed: a step is a
// search by halves.
class ClassSteps {
public:
    // Takes in up to `most` records not taken in yet; true when none is left. The first step of
    // a class through a log of millions goes in several dispatches this way.
    bool Prepare(const diagnose::RecordStore& store, uint16_t traceClass, size_t most);
    // After `from` (or before it); from the log's start (or end) when `from` is not a record.
    // Records without a time come after all others, in file order. Takes in what is left first.
    std::optional<diagnose::RecordId> Next(const diagnose::RecordStore& store, diagnose::RecordId from,
                                           uint16_t traceClass, bool forward);
    // Records from `first` on were taken back or filed again.
    void ForgetFrom(const diagnose::RecordStore& store, diagnose::RecordId first);
    // The log was read again.
    void Forget() { m_classes.clear(); }

private:
    FilteredRecords& Of(uint16_t traceClass);

    std::map<uint16_t, FilteredRecords> m_classes;
};

} // namespace viewer

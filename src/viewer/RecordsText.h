// Records' lines as they stand in the log, read again for a copy, a save or a sort. No platform
// headers.
#pragma once

#include "diagnose/RecordStore.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace viewer {

// Told of one record's line: `position` is the record's place in the records given.
using RecordLineVisitor = std::function<bool(size_t position, const std::wstring& line)>;

// Calls `visit` for each of `records` that is one, in file order, reading runs of nearby
// records together and decoding only their lines, until `visit` answers false. Anything but
// Same stops there: a log that changed under the viewer gives none of its lines as a record's.
// `stop`, which another thread may set, is looked at between reads of the log (Failed then).
diagnose::Recheck VisitRecordLines(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                   const std::vector<diagnose::RecordId>& records,
                                   const RecordLineVisitor& visit, const std::atomic<bool>* stop = nullptr);

// About how many bytes of the log VisitRecordLines reads for `records` in file order: for each
// run of nearby records, from its first line's start to its last line's.
uint64_t BytesToRead(const diagnose::RecordStore& store, const std::vector<diagnose::RecordId>& records);

// The lines of `records` in the order given. Anything but Same leaves `lines` empty: a log
// that changed under the viewer gives none of its lines as a record's.
diagnose::Recheck ReadRecordLines(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                  const std::vector<diagnose::RecordId>& records,
                                  std::vector<std::wstring>& lines, const std::atomic<bool>* stop = nullptr);

// The lines of `records` in the order given, each handed to `take` (an id that is no record
// gives an empty line), read `batch` records at a time: a copy of a million records holds one
// batch's lines, not all of them. Stops, answering Same, when `take` answers false; anything
// but Same once a log changed under the viewer or could not be read, or `stop` was set.
diagnose::Recheck ForEachRecordLine(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                    const std::vector<diagnose::RecordId>& records,
                                    const std::function<bool(const std::wstring& line)>& take,
                                    size_t batch = 4096, const std::atomic<bool>* stop = nullptr);

} // namespace viewer

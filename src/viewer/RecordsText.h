// Records' lines as they stand in the log, read again for a copy or a sort, and the text a
// copy puts on the clipboard. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"

#include <string>
#include <vector>

namespace viewer {

// The lines of `records` in the order given, read in runs of nearby records rather than one
// block per line. Anything but Same leaves `lines` empty: a log that changed under the viewer
// gives none of its lines as a record's.
diagnose::Recheck ReadRecordLines(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                  const std::vector<diagnose::RecordId>& records,
                                  std::vector<std::wstring>& lines);

// Each line ended by CR LF, in the order given, then one terminating NUL: exactly the
// characters that go to the clipboard.
std::wstring ComposeRecordsText(const std::vector<std::wstring>& lines);

} // namespace viewer

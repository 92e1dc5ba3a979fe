// The file operations of Zt::ZtLogFile: opening against other writers, cutting to the size
// limit, and removing a log that stayed empty. Positions and sizes are 64-bit throughout.
#pragma once

#include <windows.h>

#include <string>

#include "win/UniqueHandle.h"

namespace Zt {

// How long an open waits for another writer that holds the file or is removing it. Each writer
// holds it only for one piece, so this is long enough for any writer and short enough for a
// blocked one.
constexpr DWORD kSharingRetryMs = 2000;

// Opens `path` for appending (write access, others may read), retrying while another writer
// holds it or is removing it. An invalid handle when the file cannot be had.
win::UniqueFile OpenLogForWriting(const std::wstring& path, DWORD disposition);

// Cuts the open log at `file` to its newest `keepSize` bytes (whole UTF-16 units) when it is
// larger than `sizeLimit`. The tail is first copied whole into a temporary file through a
// reading handle of our own; the log is changed only after that, and cut only once the whole
// tail has moved to its start. Any failure leaves the log no shorter than it was. The file
// position is at the end afterwards.
void CutToSizeLimit(HANDLE file, const std::wstring& path, DWORD sizeLimit, DWORD keepSize);

// Moves the position of `file` to its end, wherever that is.
void MoveToEnd(HANDLE file);

// Flushes and closes `file`; a log that holds no byte is then removed, unless another writer
// has it open by then (its content is never at risk).
void CloseLog(win::UniqueFile& file, const std::wstring& path);

} // namespace Zt

// Where the lines of 8-bit text end. The line feeds of a part are found 64 bytes a step, as one
// mask whose set bits are its lines: a search from each line's start, sixteen bytes at a time,
// took a tenth of the scan, and ended at a place no branch could foresee.
#pragma once

#include <cstddef>
#include <vector>

namespace diagnose {

struct LineSpan;

// Appends the lines of raw[begin, end) to `lines`: each up to and with its line feed, the last
// one to `end` when no line feed ends it; a carriage return before the end is no part of a
// line's text. In 32-byte units where the processor has them, unless `wide` is false.
void SplitLines(const char* raw, size_t begin, size_t end, std::vector<LineSpan>& lines, bool wide = true);

} // namespace diagnose

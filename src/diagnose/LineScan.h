// The line scan: raw lines of a log into what filing needs (places, hashes, groups, dates,
// time keys), with no state beyond one call. Workers run it on parts of a batch at a time.
#pragma once

#include "diagnose/LineHash.h"
#include "diagnose/TextEncoding.h"
#include "diagnose/TimeKey.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace diagnose {

// A local number that stands for none (no computer, no process).
constexpr uint32_t kAbsent = 0xFFFFFFFFu;

// One line of a part: raw bytes [rawBegin, rawEnd) with its terminator, and its text as units
// of the scanned text (the raw text itself, or the widened text of a multi-byte code page).
struct LineSpan {
    size_t rawBegin, rawEnd;
    size_t textBegin, textLength;
};

// What a scan found in its lines: per line its place, hash, local group triple, local date and
// time key; the distinct names and dates, decoded; the times that need their text.
struct PartScan {
    struct Line {
        size_t start; // raw, from the start of what was scanned
        size_t end;
        uint32_t hash;
        uint32_t triple;
        uint32_t date;
        uint64_t time;
    };
    struct Triple {
        uint32_t host, process;
        uint16_t traceClass;
    };
    std::vector<Line> lines;
    std::vector<std::wstring> names;
    std::vector<std::wstring> dates;
    std::vector<Triple> triples;
    bool clipped = false; // its one line is longer than the limit; the scan saw its first part
    double seconds = 0;   // how long the scan took
    std::exception_ptr failure;
    std::vector<LineSpan> spans; // where the lines are, while they are scanned

    // Empties it for the next batch and keeps its room: a large block given back is given back
    // to the system under Wine, and each page of it taken again costs a page fault.
    void Clear();
};

// Scans the lines of raw text [begin, end) in the decoder's form; lines end at LF.
void ScanPart(const char* raw, size_t begin, size_t end, const TextDecoder& decoder, PartScan& out);
// Scans one line held in memory, line breaks included as they are.
void ScanMemoryLine(std::u16string_view line, PartScan& out);

// Bytes per unit of a text form.
size_t UnitBytes(TextForm form);
// Where the next (the last) unit-aligned LF of raw text is; `size` (SIZE_MAX) when there is none.
size_t FindLineFeed(const char* raw, size_t from, size_t size, size_t unit);
size_t FindLastLineFeed(const char* raw, size_t size, size_t unit);
// Starts of `parts` parts of about equal size, each at the start of a line, and the end.
std::vector<size_t> SplitAtLines(const char* raw, size_t size, size_t unit, unsigned parts);
// The units of the line [begin, end) without its line end: the LF and one CR before it, or a
// CR at the very end (the cut-off half of a CR LF).
size_t TextUnits(const char* raw, size_t begin, size_t end, size_t unit);

// Appends 8-bit or UTF-8 units as the decoder reads them.
void AppendUnits(std::wstring& out, const char* s, size_t n, const TextDecoder& decoder);

} // namespace diagnose

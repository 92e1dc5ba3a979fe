// The batch reader: one read of a log's lines in batches of whole lines. It owns the buffers,
// the read position and the scan crew: each batch is scanned by the crew, which reads the one
// after it too, while the caller files the one before. The source is read by one thread at a
// time: the crew's while a read ahead runs, else the caller's.
#pragma once

#include "diagnose/ByteSource.h"
#include "diagnose/LineScan.h"
#include "diagnose/RecordStore.h"
#include "diagnose/ScanCrew.h"

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace diagnose {

class BatchReader {
public:
    // Where what was read goes; each call files all of it or, when memory runs out, none.
    struct Filer {
        // The scanned lines of [at, end), a batch of whole lines.
        std::function<ReadResult(std::vector<PartScan>& parts, uint64_t at, uint64_t end)> batch;
        // One line [start, end) longer than the limit, of which `prefix` holds the first `size` bytes.
        std::function<ReadResult(const char* prefix, size_t size, uint64_t start, uint64_t end)> longLine;
        // Whether filing now would wait (WriteGate::Busy): the reader reads and scans the next
        // batches first, a few at most. None: it never would.
        std::function<bool()> busy;
        // Set once the read is to stop (WriteGate::StopFlag): looked at between two reads of
        // the source, each of kReadStepBytes at most, and the read ends (WriteStopped) with
        // what was filed. None: it never is.
        const std::atomic<bool>* stop = nullptr;
    };

    // Adds where its time goes to `stages`.
    BatchReader(ByteSource& source, const TextDecoder& decoder, size_t maxLineBytes, ReadStages& stages);
    ~BatchReader();
    BatchReader(const BatchReader&) = delete;
    BatchReader& operator=(const BatchReader&) = delete;

    // Reads the lines that end with LF in [from, to), unit-aligned, into `filer`, in order. A
    // read that fails keeps what was filed before it; the line it cut off is not filed. A stop
    // throws WriteStopped.
    ReadResult ReadLines(uint64_t from, uint64_t to, Filer& filer);
    // Where the whole lines read end, and where the source ends: `to`, or sooner when the source
    // turned out shorter than it said.
    uint64_t Position() const { return m_at; }
    uint64_t SourceEnd() const { return m_end; }
    // The first bytes of [Position(), SourceEnd()), as many as a line may have: the last line.
    bool ReadRest(std::string& bytes, size_t limit, ReadResult& result);

private:
    struct Batch {
        std::string bytes;
        uint64_t at = UINT64_MAX;
        size_t lines = 0;           // the bytes of its whole lines
        std::vector<size_t> bounds; // of the parts
        std::vector<PartScan> parts;
        ScanCrew::Ticket scan = 0; // of its parts' start
    };
    bool ReadInto(std::string& bytes, uint64_t at, size_t size, ReadResult& result, size_t kept = 0);
    void StartScan(Batch& batch, uint64_t ahead);
    // The oldest batch being scanned, once it is, joins the scanned ones.
    void JoinScan();
    // All of them, for what needs every batch before it filed.
    void JoinScans();
    // The read ahead, once it has ended; it throws what the read threw.
    void JoinReadAhead();
    // Files the scanned batches in order; without `wait`, stops while the filer is busy and
    // fewer than kMostScanned batches wait.
    ReadResult FileScanned(Filer& filer, bool wait);
    // A filed batch whose buffer has room, or a new one.
    std::unique_ptr<Batch> FreeBatch();
    void ReadAhead(uint64_t at);
    bool FindLineEnd(uint64_t from, uint64_t& lineEnd, ReadResult& result);

    ByteSource& m_source;
    const TextDecoder& m_decoder;
    const size_t m_unit;
    const size_t m_maxLineBytes;
    ReadStages& m_stages;
    const std::atomic<bool>* m_stop = nullptr; // the filer's, for the read that runs
    size_t m_batchBytes = 0;
    uint64_t m_at = 0;
    uint64_t m_end = 0;
    std::deque<std::unique_ptr<Batch>> m_scanned;  // scanned, not filed yet, in file order
    std::deque<std::unique_ptr<Batch>> m_scanning; // the last two started, in file order
    std::unique_ptr<Batch> m_next;                 // being read, then started
    std::unique_ptr<Batch> m_ahead;                // the one after, read by the crew as it scans
    ScanCrew::Ticket m_aheadRead = 0;              // that read's start, until it is joined
    std::exception_ptr m_aheadFailure;             // of that read: thrown once it is joined
    // Filed; their buffers take the next batches, without new pages.
    std::vector<std::unique_ptr<Batch>> m_spares;
    // Declared after the batches, so that it ends, having run what it was given, before they go.
    std::optional<ScanCrew> m_crew;
};

} // namespace diagnose

// The batch reader: batches of whole lines read, scanned by the crew, and handed on for filing.
#include "diagnose/BatchReader.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>

namespace diagnose {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A batch of a sixty-fourth of the read keeps what is read but not filed yet small beside the
// index; at most 8 MiB keeps what a stop waits for (the batch being scanned) to a few tens of
// milliseconds. Every batch but a small last one is scanned in parallel. Each batch ends with
// the crew's last parts scanned while the other threads wait, and with calls to the Wine server:
// batches of 8 MiB instead of 4 made the 2 GiB log's load a twelfth shorter under Wine.
constexpr size_t kMinBatchBytes = size_t(1) << 20;
constexpr size_t kMaxBatchBytes = size_t(8) << 20;
constexpr uint64_t kBatchShare = 64;
constexpr size_t kParallelBytes = kMinBatchBytes / 2;
constexpr size_t kPartBytes = kMinBatchBytes / 2; // at least as many parts as halves of a MiB
// Scanned batches that wait while the index's reader holds it (a paint of the viewer's tree
// takes some 30 ms, four batches' scan): the crew scans on instead of waiting with the filer.
constexpr size_t kMostScanned = 4;

} // namespace

BatchReader::BatchReader(ByteSource& source, const TextDecoder& decoder, size_t maxLineBytes,
                         ReadStages& stages)
    : m_source(source), m_decoder(decoder), m_unit(UnitBytes(decoder.form)), m_maxLineBytes(maxLineBytes),
      m_stages(stages) {}

BatchReader::~BatchReader() = default;

// Reads [at, at + size) into `bytes`, of which the first `kept` are there already. A source
// that ends sooner than it said has all there is: the read ends there, and SourceEnd() moves
// back to it.
bool BatchReader::ReadInto(std::string& bytes, uint64_t at, size_t size, ReadResult& result, size_t kept) {
    struct Account { // however the read ends
        double& seconds;
        Clock::time_point start;
        ~Account() { seconds += Since(start); }
    } account{m_stages.read, Clock::now()};
    if (bytes.capacity() < size) { // as much room as asked for: growing a string doubles its room
        std::string room(size, '\0');
        room.replace(0, std::min(kept, bytes.size()), bytes, 0, std::min(kept, bytes.size()));
        bytes.swap(room);
    }
    bytes.resize(size);
    size_t done = std::min(kept, size), got = 0;
    uint32_t error = 0;
    switch (ReadInSteps(m_source, at + done, bytes.data() + done, size - done, got, error, m_stop)) {
    case SpanRead::Stopped:
        throw WriteStopped{};
    case SpanRead::Failed:
        result = {ReadResult::ReadFailed, error};
        return false;
    default:
        done += got;
    }
    if (done < size) {
        m_end = at + done - done % m_unit;
        bytes.resize(static_cast<size_t>(m_end - at));
    }
    return true;
}

// Parts are more than workers, four for each and one for each half MiB at least: the filing
// thread scans what is left once it is done, and the last part of a batch is short. The read
// of the batch after it, from `ahead` on, is started first: the filing thread, which read it
// before, files meanwhile, and filing and reading one after the other took it longer than the
// scan took the crew (a large log under Wine: 2.8 s instead of 3.1 s). The parts queue up behind
// those of the batch before, which may not have ended yet: each batch ended with the crew's
// last parts scanned while the other threads waited, a fourteenth of the load of a large log.
void BatchReader::StartScan(Batch& batch, uint64_t ahead) {
    const unsigned parallel = std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
    if (!m_crew)
        m_crew.emplace(m_end - batch.at < kParallelBytes ? 1u : parallel);
    batch.bounds =
        SplitAtLines(batch.bytes.data(), batch.lines, m_unit,
                     batch.lines < kParallelBytes
                         ? 1u
                         : std::max(parallel * 4, static_cast<unsigned>(batch.lines / kPartBytes)));
    batch.parts.resize(batch.bounds.size() - 1);
    for (PartScan& part : batch.parts)
        part.Clear();
    if (ahead < m_end) {
        m_ahead = FreeBatch(); // here: the spares are the filing thread's
        m_aheadFailure = nullptr;
        m_aheadRead = m_crew->Start(
            [this, ahead](size_t) {
                try {
                    ReadAhead(ahead);
                } catch (...) {
                    m_aheadFailure = std::current_exception();
                }
            },
            1);
    }
    batch.scan = m_crew->Start(
        [this, &batch](size_t k) {
            try {
                const Clock::time_point start = Clock::now();
                ScanPart(batch.bytes.data(), batch.bounds[k], batch.bounds[k + 1], m_decoder, batch.parts[k]);
                batch.parts[k].seconds = Since(start);
            } catch (...) {
                batch.parts[k].failure = std::current_exception();
            }
        },
        batch.parts.size());
}

void BatchReader::JoinScan() {
    Batch& batch = *m_scanning.front();
    const Clock::time_point start = Clock::now();
    m_crew->Wait(batch.scan);
    m_stages.wait += Since(start);
    ++m_stages.batches;
    for (const PartScan& part : batch.parts)
        m_stages.scan += part.seconds;
    for (const PartScan& part : batch.parts)
        if (part.failure)
            std::rethrow_exception(part.failure);
    RecordStore::MayFail("scanned");
    m_scanned.push_back(std::move(m_scanning.front()));
    m_scanning.pop_front();
}

void BatchReader::JoinScans() {
    while (!m_scanning.empty())
        JoinScan();
}

void BatchReader::JoinReadAhead() {
    if (m_aheadRead == 0)
        return;
    const Clock::time_point start = Clock::now();
    m_crew->Wait(m_aheadRead);
    m_stages.wait += Since(start);
    m_aheadRead = 0;
    if (m_aheadFailure)
        std::rethrow_exception(m_aheadFailure); // a stop, or no memory for the bytes
}

ReadResult BatchReader::FileScanned(Filer& filer, bool wait) {
    while (!m_scanned.empty()) {
        if (!wait && m_scanned.size() < kMostScanned && filer.busy && filer.busy())
            return {};
        Batch& batch = *m_scanned.front();
        const Clock::time_point start = Clock::now();
        const ReadResult filed = filer.batch(batch.parts, batch.at, batch.at + batch.lines);
        m_stages.file += Since(start);
        if (!filed.ok())
            return filed;
        // A batch grown for a long line is given back, not kept for the batches after it. (The
        // spares have room for every batch: kept, a batch is never filed twice.)
        if (batch.bytes.capacity() <= 2 * m_batchBytes)
            m_spares.push_back(std::move(m_scanned.front()));
        m_scanned.pop_front();
    }
    return {};
}

std::unique_ptr<BatchReader::Batch> BatchReader::FreeBatch() {
    if (m_spares.empty())
        return std::make_unique<Batch>();
    std::unique_ptr<Batch> spare = std::move(m_spares.back());
    m_spares.pop_back();
    return spare;
}

// The bytes of the batch after the one being scanned, read meanwhile into m_ahead. A read that
// fails here is left for the loop to read again and answer; a stop ends the read.
void BatchReader::ReadAhead(uint64_t at) {
    ReadResult failed;
    const bool read = ReadInto(m_ahead->bytes, at,
                               static_cast<size_t>(std::min<uint64_t>(m_batchBytes, m_end - at)), failed);
    m_ahead->at = read ? at : UINT64_MAX;
}

// Where the line that runs on past `from` ends: after its LF, or 0 when the source ends first.
bool BatchReader::FindLineEnd(uint64_t from, uint64_t& lineEnd, ReadResult& result) {
    std::string chunk;
    for (uint64_t at = from; at < m_end; at += chunk.size()) {
        if (!ReadInto(chunk, at, static_cast<size_t>(std::min<uint64_t>(m_batchBytes, m_end - at)), result))
            return false;
        if (const size_t lineFeed = FindLineFeed(chunk.data(), 0, chunk.size(), m_unit);
            lineFeed < chunk.size()) {
            lineEnd = at + lineFeed + m_unit;
            return true;
        }
    }
    lineEnd = 0;
    return true;
}

ReadResult BatchReader::ReadLines(uint64_t from, uint64_t to, Filer& filer) {
    m_at = from;
    m_end = to;
    m_stop = filer.stop;
    m_batchBytes =
        static_cast<size_t>(std::clamp<uint64_t>((to - from) / kBatchShare, kMinBatchBytes, kMaxBatchBytes));
    ReadResult result;
    // However the read ends, nothing of it runs on: the caller reads the source next.
    struct Quiet {
        std::optional<ScanCrew>& crew;
        ~Quiet() {
            if (crew)
                crew->WaitAll();
        }
    } quiet{m_crew};
    try {
        // Every batch there is: the scanned ones, then one being scanned and one read ahead (two
        // being scanned for a moment, while one fewer is scanned).
        m_spares.reserve(kMostScanned + 2);
        size_t want = m_batchBytes;
        while (m_at < m_end) {
            const size_t size = static_cast<size_t>(std::min<uint64_t>(want, m_end - m_at));
            if (!m_next)
                m_next = m_ahead ? std::move(m_ahead) : FreeBatch();
            if (m_next->at != m_at || m_next->bytes.size() != size) { // not read ahead, or not as wanted
                // A batch grown for a long line keeps what it has read of it.
                const size_t kept = m_next->at == m_at ? std::min(m_next->bytes.size(), size) : 0;
                if (!ReadInto(m_next->bytes, m_at, size, result, kept)) {
                    JoinScans();
                    const ReadResult filed =
                        FileScanned(filer, true); // what was read before the failure stays
                    return filed.ok() ? result : filed;
                }
                m_next->at = m_at;
            }
            const size_t lastLineFeed = FindLastLineFeed(m_next->bytes.data(), m_next->bytes.size(), m_unit);
            if (lastLineFeed != SIZE_MAX) {
                m_next->lines = lastLineFeed + m_unit;
                m_at = m_next->at + m_next->lines;
                StartScan(*m_next, m_at);
                m_scanning.push_back(std::move(m_next));
                if (m_scanning.size() > 1)
                    JoinScan(); // the one before, while the crew goes on with this one
                if (const ReadResult filed = FileScanned(filer, false); !filed.ok())
                    return filed;
                JoinReadAhead(); // before the loop looks at the end, which a short read moves
                want = m_batchBytes;
                continue;
            }
            if (m_at + m_next->bytes.size() >= m_end)
                break; // the rest is the last line, without LF
            if (want < m_maxLineBytes) {
                want = std::min(want * 2, m_maxLineBytes); // never a buffer beyond the line limit
                continue;
            }
            // A line longer than the limit: a record of its own, with what fits.
            JoinScans();
            if (const ReadResult filed = FileScanned(filer, true); !filed.ok())
                return filed;
            uint64_t lineEnd = 0;
            if (!FindLineEnd(m_at + m_next->bytes.size(), lineEnd, result))
                return result;
            if (lineEnd == 0)
                break; // it is the last line
            const size_t clip = std::min(m_next->bytes.size(), m_maxLineBytes & ~(m_unit - 1));
            if (const ReadResult filed = filer.longLine(m_next->bytes.data(), clip, m_at, lineEnd);
                !filed.ok())
                return filed;
            m_at = lineEnd;
            m_next.reset(); // a buffer as large as the limit is not kept for the batches after it
            want = m_batchBytes;
        }
        JoinScans();
        if (const ReadResult filed = FileScanned(filer, true); !filed.ok())
            return filed;
        for (const auto* batch : {&m_next, &m_ahead})
            m_stages.heldBytes += *batch ? (*batch)->bytes.capacity() : 0;
        for (const std::unique_ptr<Batch>& spare : m_spares)
            m_stages.heldBytes += spare->bytes.capacity();
    } catch (const std::bad_alloc&) {
        return {ReadResult::OutOfMemory, 0};
    }
    return result;
}

bool BatchReader::ReadRest(std::string& bytes, size_t limit, ReadResult& result) {
    bytes.clear();
    const uint64_t size = std::min<uint64_t>(m_end - m_at, limit & ~(m_unit - 1));
    return size == 0 || ReadInto(bytes, m_at, static_cast<size_t>(size), result);
}

} // namespace diagnose

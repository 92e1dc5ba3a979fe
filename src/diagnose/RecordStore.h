// The diagnose model without the platform: an index of the log's lines, not their text. Per
// record it keeps where the line starts, its list (computer and trace class), its process and the
// sort keys of the two list columns, in some eight bytes (differences from the first record of
// its block); line texts are read again from the source when they are needed, and checked
// against what was indexed.
#pragma once

#include "diagnose/ByteSource.h"
#include "diagnose/ChunkedArray.h"
#include "diagnose/ClassLists.h"
#include "diagnose/KindTable.h"
#include "diagnose/NodePool.h"
#include "diagnose/RecordList.h"
#include "diagnose/StableArray.h"
#include "diagnose/TextEncoding.h"
#include "diagnose/TextTable.h"
#include "diagnose/WriteGate.h"
#include "diagnose/TimeKey.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace diagnose {

// Both groupings lead to the same lists; a list lives as long as the store holds records. The
// names are the store's own, held once (GetHost gives the same text).
using ByTraceClass = std::map<uint16_t, std::map<std::wstring_view, const RecordList*>>;
using ByHost = std::map<std::wstring_view, ClassLists, std::less<std::wstring_view>,
                        PoolAllocator<std::pair<const std::wstring_view, ClassLists>>>;

// The trace class a record files under when its line has none.
constexpr uint16_t kNoTraceClass = 0xFFFF;

// How reading the source ended. The records read before a failure stay.
struct ReadResult {
    // Stopped: the writer was told to stop (WriteGate) before it could file all it read.
    // OverBudget: the next batch would have taken the index past its budget, or the log plainly
    // holds more than the budget (RecordStore::SetMemoryBudget).
    enum Status { Complete, ReadFailed, OutOfMemory, TooLarge, Stopped, OverBudget };
    Status status = Complete;
    uint32_t error = 0;        // the source's error code when the read failed
    uint32_t firstNew = 0;     // the first record the read filed (or would have): all from here on are new
    bool replacedTail = false; // the provisional last record of the earlier read was taken back
    // The source changed under the read (a writer cut the log in place): it ended before `to`,
    // or its first or last lines are no longer those the read filed. Its lines may mix old text
    // and new; the read is to start over.
    bool overtaken = false;
    bool ok() const { return status == Complete; }
};

struct PartScan;

// Where the time of a read went, in seconds, for the benchmarks: reading the source (on the
// filing thread, read-ahead included), waiting for the crew to finish a batch, filing, the
// workers' scanning added up over the parts, and the whole read.
struct ReadStages {
    double read = 0, wait = 0, file = 0, scan = 0, total = 0;
    uint32_t batches = 0;
    size_t heldBytes = 0; // what the batch buffers held when the read ended
};

// What reading a line again found.
enum class Recheck { Same, Changed, Failed };

// A hash of 64-bit keys that uses all their bits where size_t has 32 (the standard one keeps
// only the low half there, and keys that differ above it all collide).
struct KeyHash {
    size_t operator()(uint64_t key) const {
        key ^= key >> 33;
        key *= 0xFF51AFD7ED558CCDull;
        key ^= key >> 33;
        return static_cast<size_t>(key);
    }
};

// The longest line read whole; a longer one is a record of its own with the fields of its first
// this many bytes. A 32-bit host keeps it within reach of its address space.
constexpr size_t kMaxLineBytes = sizeof(void*) == 4 ? size_t(256) << 20 : size_t(2) << 30;

class RecordStore {
public:
    explicit RecordStore(size_t maxLineBytes = kMaxLineBytes);
    virtual ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Another thread reads the store while this one files into it: every change is made as one
    // step of `gate` (null: no other thread reads). The reading thread may hold what it reads
    // between steps: a list stays where it is until Clear, and a text until Clear, even when a
    // provisional last line is taken back (its list may then be empty, and out of the groupings).
    void SetWriteGate(WriteGate* gate) { m_gate = gate; }
    WriteGate* Gate() const { return m_gate; }
    // Whether the writer is to stop (WriteGate::StopFlag): a read that ends now is no failure.
    bool StopAsked() const {
        const std::atomic<bool>* stop = m_gate ? m_gate->StopFlag() : nullptr;
        return stop && *stop;
    }

    // Starts an empty index of a text in `decoder`'s form whose lines begin at `start` (after a
    // byte-order mark).
    void Begin(TextDecoder decoder, uint64_t start);
    // The same for a text whose first bytes are `head`: a byte-order mark (UTF-8, UTF-16LE) or
    // the shape of the text decides; 8-bit text without a mark is read with `eightBit`.
    void BeginDetected(const char* head, size_t size, const TextDecoder& eightBit);
    // Files the lines of [End(), to) of `source`. Lines end at LF and a CR before it is dropped.
    // Complete lines become records; the text after the last LF does too when `fileTail` (a
    // load: the last line needs no LF) or when it replaces such a record of an earlier read.
    // `to` must not lie before End(). Each batch of lines is filed whole or not at all: when
    // memory runs out, the index is as it was before that batch. A read that fails part-way
    // keeps the records before it, and the line it cut off is not made one.
    ReadResult Read(ByteSource& source, uint64_t to, bool fileTail, const std::wstring& unknown);
    // The most the index may take, in bytes; 0, the default, sets no bound. A read stops before
    // a batch would take it past (OverBudget), with what it filed before; a first read that has
    // seen enough of the log to tell that all of it cannot fit stops then. Lines longer than a
    // quarter of the budget set while the index is empty are read in part (ClippedLines).
    void SetMemoryBudget(size_t bytes);
    size_t MemoryBudget() const { return m_budget; }
    // Where the index would best begin, for a read up to `to`, to hold the newest lines of the
    // source within three quarters of its budget and of the records it can count, as far as the
    // part read so far tells: a line's start. TextStart() when no later start would help.
    uint64_t NewestStart(ByteSource& source, uint64_t to) const;
    // Empties the index and begins it anew at `start`, a line's start, in the same text form;
    // the lines before are left out (StartsLate).
    void StartAt(uint64_t start);
    // Where the indexed lines begin.
    uint64_t TextStart() const { return m_textStart; }
    // Whether the index leaves out lines at the start of its text (StartAt).
    bool StartsLate() const { return m_startsLate; }
    // Files one line held in memory (line breaks included, as they are).
    void AddLine(std::u16string_view line, const std::wstring& unknown);
    void Clear();

    // Where the indexed text ends, and where the lines that ended with LF end.
    uint64_t End() const;
    uint64_t CompleteEnd() const { return m_completeEnd; }
    bool HasTail() const { return m_tail && m_tail->filed; }
    // How often a provisional last record was taken back: its id may now stand for another
    // record, or for none.
    uint32_t TailsTakenBack() const { return m_tailsTakenBack; }
    // How many records stand for lines longer than the limit, of which only the first part
    // was read.
    uint32_t ClippedLines() const { return m_clippedLines; }
    const TextDecoder& Decoder() const { return m_decoder; }

    uint32_t RecordCount() const { return static_cast<uint32_t>(m_entries.size()); }
    bool IsRecord(RecordId id) const { return id < m_entries.size(); }

    // The grouping by trace class is made from the one by computer when asked for (the tree
    // asks once per fill): kept beside it, it cost every new list a search of a map of all
    // computers, the largest part of filing a log of very many computers.
    ByTraceClass GetByTraceClass() const;
    const ByHost& GetByHost() const { return m_byHost; }
    // The list a record is filed in; null for an id that is not one.
    const RecordList* ListOf(RecordId id) const;
    // The number of that list among the store's: a filter decides once per list, not per record.
    // A number stands for the same list until records are taken back or the store is cleared.
    uint32_t ListNumber(RecordId id) const { return KindOf(id).leaf; }
    // The first record of [first, last) in each list the records of that range are filed in, in
    // file order, into `firsts`: what a viewer asks of each batch it takes in, at one look per
    // record. At most `most` lists: answers where the records those lists cover end.
    RecordId FirstOfEachList(RecordId first, RecordId last, size_t most, std::vector<RecordId>& firsts) const;

    // The fields the index keeps; empty texts (and kNoTraceClass) for an id that is not one. The
    // texts are the index's own, valid while it holds the record.
    std::wstring_view GetHost(RecordId id) const;
    // Inline, as the time key: a sort reads the date or process of every row.
    std::wstring_view GetProcess(RecordId id) const {
        return IsRecord(id) ? m_names[KindOf(id).process] : std::wstring_view();
    }
    uint16_t GetTraceClass(RecordId id) const;
    std::wstring_view GetDate(RecordId id) const {
        return IsRecord(id) ? m_dates[DateOf(id)] : std::wstring_view();
    }
    // The number of a record's date (column 0) or process (column 1) among the index's texts of
    // that kind: equal texts, equal numbers. A sort tells texts apart by these.
    uint32_t TextNumber(RecordId id, int column) const {
        return column == 0 ? DateOf(id) : KindOf(id).process;
    }
    // The order-keeping key of the time text (TimeKey.h); kInexactTime when it is kept as text.
    // Inline: a sort reads it for every row, several times.
    uint64_t GetTimeKey(RecordId id) const {
        if (!IsRecord(id))
            return 0;
        const uint64_t kept = KeptTimeOf(id);
        return kept & kStartOnly ? kInexactTime : kept;
    }
    // The time text: from its key, or, for one the key cannot hold, read again from the source
    // of the last read (what is kept of it when the line cannot be read or has changed).
    std::wstring GetTime(RecordId id) const;
    // What is kept of a record's time text (TimeKey.h: CompareKeptTimes); the texts read again
    // decide where that cannot.
    uint64_t KeptTime(RecordId id) const { return IsRecord(id) ? KeptTimeOf(id) : 0; }
    // The order of two records' time texts (<0, 0, >0), read again only when what is kept ties.
    int CompareTimes(RecordId a, RecordId b) const;
    // The text a record's row shows: column 0 date, a blank and time; column 1 the process;
    // other columns empty.
    std::wstring RowText(RecordId id, int column) const;

    // Where a record's line starts in the source; 0 for a line added from memory.
    uint64_t LineStart(RecordId id) const;
    // The line of a record read again from `source` (memory lines from memory). Changed when
    // the lines around it in the source are no longer those that were indexed; `text` is then
    // empty.
    Recheck ReadLine(ByteSource& source, RecordId id, std::wstring& text) const;
    // Whether the first and the last few kilobytes of the indexed text still stand in the source
    // as they were indexed: a look at a file before reading on, a few kilobytes read. Failed
    // with the source's code in `error` when it could not be read.
    Recheck CheckEdges(ByteSource& source, uint32_t* error = nullptr) const;
    // Calls `visit(id, line)` for the records [first, last) in file order, with their lines read
    // and checked block by block, until `visit` answers false.
    using LineVisitor = std::function<bool(RecordId, const std::wstring&)>;
    Recheck ForEachLine(ByteSource& source, RecordId first, RecordId last, const LineVisitor& visit) const;
    // The same with each line's bytes as they are stored, without its line end: in the
    // decoder's form, or UTF-16 for lines added from memory. DecodeText widens them. `stop`,
    // which another thread may set, is looked at between reads of kReadStepBytes: Failed then.
    using LineBytesVisitor = std::function<bool(RecordId, const char* bytes, size_t size, TextForm form)>;
    Recheck ForEachLineBytes(ByteSource& source, RecordId first, RecordId last, const LineBytesVisitor& visit,
                             const std::atomic<bool>* stop = nullptr) const;
    void DecodeText(const char* bytes, size_t size, TextForm form, std::wstring& out) const;

    // Where the time of the last Read went.
    const ReadStages& LastReadStages() const { return m_stages; }
    // Bytes the index holds; what its budget bounds.
    size_t MemoryBytes() const;

    // Called by a load at points where an allocation may fail; tests throw from it.
    using FaultHook = void (*)(const char* where);
    static void SetFaultHook(FaultHook hook);
    static void MayFail(const char* where);

protected:
    // Where time texts are read again after a read of `read`: the source of the thread that
    // reads them.
    virtual ByteSource& ReadBackSource(ByteSource& read) { return read; }

private:
    // What a record keeps, in six bytes: its fields are differences from its block's, and a
    // record that would not fit them begins a block of its own (about 1 in 64 of a log in time
    // order). Where its line starts, from the block's base (a block spans less than 32 KiB), with
    // the block's lane of dates and times it takes in the top bit; its kind (computer, trace class
    // and process) from the block's first, either way; its kept time from its lane's first,
    // shifted.
    struct Entry {
        uint16_t place;
        int16_t kind;
        uint16_t time;
        static constexpr uint16_t kLaneBit = 0x8000;
        size_t Offset() const { return place & (kLaneBit - 1); }
        int Lane() const { return place >> 15; }
    };
    // A date and the times from a first: lines without a header (a separator, a blank line) come
    // between the dated lines of a log, and take the second lane of their block.
    struct Lane {
        uint64_t time = 0;     // the first record's kept time
        uint32_t date = 0;     // every record's date's number
        uint8_t timeShift = 0; // of the time differences: the unit bits no time of the lane sets
        bool used = false;
        // The time bits that logs writing whole seconds leave unset: the key's last four symbols.
        static constexpr uint8_t kSecondsShift = 20;
        bool Takes(uint32_t date, uint64_t time) const;
        static Lane From(uint32_t date, uint64_t time);
    };
    // Consecutive records whose lines are read and checked together, and the bases of their
    // fields.
    struct Block {
        RecordId first = 0;
        uint32_t count = 0;
        uint64_t base = 0; // where the first line starts; for memory lines, its index
        uint64_t end = 0;  // where the last line ends
        Lane lanes[2];
        uint32_t kind = 0; // the first record's kind
        uint32_t hash = 0;
        bool memory = false;
        bool clipped = false; // one line longer than the limit: its first m_maxLineBytes stand for it
    };
    static constexpr size_t kPageBits = 6; // records a page of m_pageBlocks stands for
    // The block of a record: from the block of its page's first, a step or two on.
    size_t BlockIndexOf(RecordId id) const {
        size_t at = m_pageBlocks[id >> kPageBits];
        while (at + 1 < m_blocks.size() && m_blocks[at + 1].first <= id)
            ++at;
        return at;
    }
    const Block& BlockOf(RecordId id) const { return m_blocks[BlockIndexOf(id)]; }
    const Kind& KindOf(RecordId id) const { return m_kinds[int64_t(BlockOf(id).kind) + m_entries[id].kind]; }
    uint64_t KeptTimeOf(RecordId id) const {
        const Entry& entry = m_entries[id];
        const Lane& lane = BlockOf(id).lanes[entry.Lane()];
        return lane.time + (uint64_t(entry.time) << lane.timeShift);
    }
    uint32_t DateOf(RecordId id) const { return BlockOf(id).lanes[m_entries[id].Lane()].date; }
    // A list with what it is the list of. Its records come first: the groupings hand out their
    // address, and filing finds the leaf from it (LeafOf).
    struct Leaf {
        Leaf(uint32_t host, uint16_t traceClass, uint32_t id) : list(traceClass), host(host), id(id) {}
        ClassList list;
        uint32_t host;
        uint32_t id; // its place in m_leaves
    };
    static_assert(std::is_standard_layout_v<Leaf>, "a list's address is its leaf's");
    static const Leaf& LeafOf(const RecordList* list) { return *reinterpret_cast<const Leaf*>(list); }
    struct Checkpoint {
        uint32_t records = 0;
        size_t blocks = 0, names = 0, dates = 0, leaves = 0, kinds = 0, memoryLines = 0;
        Block lastBlock;
        uint64_t completeEnd = 0;
        uint32_t clippedLines = 0;
    };
    // A load's last line without LF, or half a UTF-16 unit after the last LF (no record then).
    struct Tail {
        Checkpoint before;
        uint64_t end;
        bool filed;
    };
    ReadResult ReadOn(ByteSource& source, uint64_t to, bool fileTail, const std::wstring& unknown);
    ReadResult ReadLines(ByteSource& source, uint64_t to, bool fileTail, const std::wstring& unknown);
    std::vector<std::u16string> TakeBackTail();
    void DetectAgain(ByteSource& source, uint64_t to);
    // `lineEnd`, when not 0, is where the one line of `parts` ends.
    bool File(std::vector<PartScan>& parts, uint64_t base, bool memory, const std::wstring& unknown,
              uint64_t lineEnd = 0);
    void AppendRecord(uint64_t start, uint64_t end, uint32_t hash, bool memory, bool clipped, uint32_t kind,
                      uint32_t date, uint64_t time);
    Checkpoint Mark() const;
    // Takes back what was filed since `mark`; `keepInterned` leaves the lists and texts made
    // since, which the reading thread may hold (the lists then hold no record).
    void Rollback(const Checkpoint& mark, bool keepInterned = false);
    void Ungroup(const Leaf& leaf);
    void LeaveEmptyListsOut();
    std::vector<PartScan> ScanLine(const char* prefix, size_t size, uint64_t start, uint64_t end) const;
    uint32_t NameId(const std::wstring& name);
    uint32_t DateId(const std::wstring& date);
    uint32_t LeafId(uint32_t host, uint16_t traceClass);
    // The lane of the last block a record of these fields joins (its second opened for it), or
    // -1 when it begins a block.
    int LaneInLastBlock(uint64_t start, bool memory, bool clipped, uint32_t kind, uint32_t date,
                        uint64_t time);
    uint64_t ReadEnd(const Block& block) const;
    ReadResult::Status Overflow(const std::vector<PartScan>& parts, uint64_t at, uint64_t end, uint64_t to,
                                bool project);
    size_t Slack() const;
    void CountListBytes(const RecordList& list, size_t before);
    size_t ClipBytes() const;
    uint64_t StartOf(const Block& block, RecordId id) const;
    Recheck ReadBlock(ByteSource& source, const Block& block, std::string& bytes,
                      const std::atomic<bool>* stop = nullptr) const;
    Recheck SettleEdges(ByteSource& source);
    struct Probe;
    Recheck CheckProbe(ByteSource& source, const Probe& probe, uint32_t* error = nullptr) const;
    bool LineFeedAfter(ByteSource& source, uint64_t from, uint64_t to, bool& found, ReadResult& result) const;
    bool BlockMatches(const Block& block, const char* bytes) const;
    struct LineBytes {
        const char* data;
        size_t size;
        TextForm form;
    };
    LineBytes BytesOf(const Block& block, const char* blockBytes, RecordId id) const;

    size_t m_maxLineBytes;
    size_t m_lineLimit; // at construction; the budget may lower m_maxLineBytes below it
    size_t m_budget = 0;
    size_t m_listBytes = 0; // what the lists hold, counted as they change
    bool m_startsLate = false;
    // What the index would have taken with the batch a read refused: the bytes read then, the
    // records and the memory (a first batch may be refused before any record is filed).
    struct Refused {
        uint64_t bytes = 0;
        uint64_t records = 0;
        size_t memory = 0;
    } m_refused;
    Refused m_sample; // the same when the read had passed a first part of the log
    TextDecoder m_decoder;
    TextDecoder m_eightBit;   // for text without a mark, while the encoding is detected again
    bool m_detect = false;    // detected from the bytes, and again on each read until a line is complete
    uint64_t m_textStart = 0; // where the lines begin: after a byte-order mark
    uint64_t m_completeEnd = 0;
    uint32_t m_clippedLines = 0;
    ChunkedArray<Entry> m_entries;
    ChunkedArray<Block, 12> m_blocks;
    ChunkedArray<uint32_t, 12> m_pageBlocks; // for each 64 records, the block of the first
    KindTable m_kinds; // a list and a process: what most records of a log share with many others
    // Times the key cannot hold keep the key of their start only (kStartOnly), not their text:
    // the time of a line with a value that holds three blanks runs to that value (the grammar),
    // and a copy per record made the index larger than the log.
    ByteSource* m_readBack = nullptr; // the source of the last read, where time texts are read again
    // The names of computers and processes, and the dates, each held once.
    TextTable m_names;
    TextTable m_dates;
    StableArray<Leaf> m_leaves;
    std::vector<ByHost::iterator> m_hostEntries; // by name number; end() where there is none
    NodePool m_hostNodes;                        // m_byHost's, which goes first
    ByHost m_byHost{ByHost::allocator_type(m_hostNodes)};
    std::vector<std::u16string> m_memoryLines;
    std::unique_ptr<Tail> m_tail; // a last line without LF, filed provisionally
    // The text after the last LF was read up to `until` without one while the complete lines
    // ended at `from`: a read looks for its end in what came after, not in all of it again.
    struct NoLineFeed {
        uint64_t from = 0, until = 0;
    } m_noLineFeed;
    // A few kilobytes at the start and at the end of the indexed text, taken from blocks checked
    // whole after each read: a look reads these, not a whole block.
    struct Probe {
        uint64_t at = 0;
        uint32_t size = 0, hash = 0;
    } m_headProbe, m_tailProbe;
    ReadStages m_stages;
    WriteGate* m_gate = nullptr;
    uint32_t m_tailsTakenBack = 0;
    size_t m_tailLists = 0; // lists from here on came with a provisional last line taken back
};

} // namespace diagnose

namespace diagnose {
// Rows of records in blocks, as the index keeps its lists: no piece as large as all of them.
using RecordRowBlocks = ChunkedArray<RecordId, 16>;
} // namespace diagnose

// Orders `rows` by the row text of `column` (UTF-16 code-unit order), keeping rows with equal
// texts in their current relative order; descending reverses the comparison, not the result.
// Uses the keys the store keeps (a time the key cannot hold is read again where they leave the
// order open). The room it takes while it sorts comes in the rows' form.
void SortRecordRows(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows, int column,
                    bool ascending);
// With `stop`, which another thread may set, it gives up soon after (false; the rows are then
// in no order to rely on).
bool SortRecordRows(const diagnose::RecordStore& store, diagnose::RecordRowBlocks& rows, int column,
                    bool ascending, const std::atomic<bool>* stop = nullptr);
// Puts a new record into rows that SortRecordRows ordered, where sorting them again with the
// record appended would put it: after the rows whose text equals its own. Answers the row.
size_t InsertSortedRow(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows,
                       diagnose::RecordId id, int column, bool ascending);

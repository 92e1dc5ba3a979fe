// Read-back: a record's line read again from the source, its block checked against what was
// indexed, and decoded; the fields the index keeps.
#include "diagnose/LineScan.h"
#include "diagnose/LineScanner.h"
#include "diagnose/RecordStore.h"
#include "diagnose/TimeKey.h"

#include <algorithm>

namespace diagnose {

const RecordList* RecordStore::ListOf(RecordId id) const {
    return IsRecord(id) ? &m_leaves[KindOf(id).leaf].list.records : nullptr;
}

RecordId RecordStore::FirstOfEachList(RecordId first, RecordId last, size_t most,
                                      std::vector<RecordId>& firsts) const {
    const RecordId end = std::min(last, RecordCount());
    // A range that runs to the end, as a viewer takes in what a read filed since it looked, is
    // looked at list by list: a list holds records of it when its last record is one. A look
    // per record was a host's thread's tenth of a second over the take-ins of a large log.
    if (end == RecordCount() && first < end) {
        size_t lists = firsts.size();
        for (size_t leaf = 0; leaf < m_leaves.size(); ++leaf) {
            const RecordList& records = m_leaves[leaf].list.records;
            lists += records.size() > 0 && records.back() >= first;
        }
        if (lists <= most) {
            const size_t before = firsts.size();
            for (size_t leaf = 0; leaf < m_leaves.size(); ++leaf) {
                const RecordList& records = m_leaves[leaf].list.records;
                if (records.size() > 0 && records.back() >= first)
                    firsts.push_back(*std::lower_bound(records.begin(), records.end(), first));
            }
            std::sort(firsts.begin() + static_cast<std::ptrdiff_t>(before), firsts.end());
            return end;
        }
    }
    std::vector<bool> seen(m_leaves.size());
    RecordId id = first;
    for (; id < end; ++id) {
        const uint32_t leaf = KindOf(id).leaf;
        if (!seen[leaf]) {
            if (firsts.size() == most)
                break;
            seen[leaf] = true;
            firsts.push_back(id);
        }
    }
    return id;
}

std::wstring_view RecordStore::GetHost(RecordId id) const {
    return IsRecord(id) ? m_names[m_leaves[KindOf(id).leaf].host] : std::wstring_view();
}

uint16_t RecordStore::GetTraceClass(RecordId id) const {
    return IsRecord(id) ? m_leaves[KindOf(id).leaf].list.traceClass : kNoTraceClass;
}

// A time the key cannot hold is found again in its line: the header scanned anew. Where the line
// cannot be read as indexed, the start the key holds stands for it.
std::wstring RecordStore::GetTime(RecordId id) const {
    std::wstring text;
    if (!IsRecord(id))
        return text;
    const uint64_t key = KeptTimeOf(id);
    if (!(key & kStartOnly)) {
        AppendTime(text, key);
        return text;
    }
    std::wstring line;
    MemorySource none;
    if (ReadLine(m_readBack ? *m_readBack : none, id, line) == Recheck::Same) {
        const HeaderSpans header = ScanHeader(line.data(), line.size());
        return line.substr(header.timeBegin, header.timeEnd - header.timeBegin);
    }
    AppendTime(text, key & ~kStartOnly);
    return text;
}

int RecordStore::CompareTimes(RecordId a, RecordId b) const {
    bool decided = false;
    const int order = CompareKeptTimes(KeptTime(a), KeptTime(b), decided);
    return decided ? order : GetTime(a).compare(GetTime(b));
}

std::wstring RecordStore::RowText(RecordId id, int column) const {
    if (!IsRecord(id))
        return {};
    if (column == 1)
        return std::wstring(GetProcess(id));
    if (column != 0)
        return {};
    std::wstring text(GetDate(id));
    return text.append(1, L' ').append(GetTime(id));
}

// A line longer than the limit is read back as far as the limit.
size_t RecordStore::ClipBytes() const {
    return m_maxLineBytes & ~(UnitBytes(m_decoder.form) - 1);
}

uint64_t RecordStore::ReadEnd(const Block& block) const {
    return block.clipped ? block.base + std::min<uint64_t>(block.end - block.base, ClipBytes()) : block.end;
}

uint64_t RecordStore::StartOf(const Block& block, RecordId id) const {
    return block.base + m_entries[id].Offset();
}

// Reads a block's bytes and checks them against its hash.
namespace {
// Reads [base, base + size) whole, in steps; Changed when the source is shorter now, Failed
// with its code in `error` when it could not be read, or when `stop` was set.
Recheck ReadSpan(ByteSource& source, uint64_t base, size_t size, std::string& bytes,
                 uint32_t* failure = nullptr, const std::atomic<bool>* stop = nullptr) {
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return Recheck::Failed;
    }
    size_t done = 0;
    uint32_t error = 0;
    switch (ReadInSteps(source, base, bytes.data(), size, done, error, stop)) {
    case SpanRead::Whole:
        return Recheck::Same;
    case SpanRead::Short:
        return Recheck::Changed;
    default:
        if (failure)
            *failure = error;
        return Recheck::Failed;
    }
}
} // namespace

// Whether the bytes of a block, at `bytes`, are those that were indexed.
bool RecordStore::BlockMatches(const Block& block, const char* bytes) const {
    const size_t size = static_cast<size_t>(ReadEnd(block) - block.base);
    uint32_t hash = 0;
    for (RecordId id = block.first; id < block.first + block.count; ++id) {
        const size_t begin = m_entries[id].Offset();
        const size_t end = id + 1 < block.first + block.count ? m_entries[id + 1].Offset() : size;
        hash = CombineHash(hash, HashLine(bytes + begin, end - begin));
    }
    return hash == block.hash;
}

Recheck RecordStore::ReadBlock(ByteSource& source, const Block& block, std::string& bytes,
                               const std::atomic<bool>* stop) const {
    const Recheck read =
        ReadSpan(source, block.base, static_cast<size_t>(ReadEnd(block) - block.base), bytes, nullptr, stop);
    if (read != Recheck::Same)
        return read;
    return BlockMatches(block, bytes.data()) ? Recheck::Same : Recheck::Changed;
}

void RecordStore::DecodeText(const char* bytes, size_t size, TextForm form, std::wstring& out) const {
    switch (form) {
    case TextForm::Utf16: {
        std::u16string text(size / 2, u'\0');
        std::memcpy(text.data(), bytes, text.size() * 2);
        AppendUtf16(out, text.data(), text.size());
        break;
    }
    case TextForm::AnsiMultiByte: {
        std::u16string text;
        if (m_decoder.widen && size > 0)
            m_decoder.widen(bytes, size, text);
        AppendUtf16(out, text.data(), text.size());
        break;
    }
    default:
        AppendUnits(out, bytes, size, m_decoder);
        break;
    }
}

// A line's bytes without its line end, in `blockBytes` of its block (for memory lines, its own).
RecordStore::LineBytes RecordStore::BytesOf(const Block& block, const char* blockBytes, RecordId id) const {
    if (block.memory) {
        const std::u16string& line = m_memoryLines[static_cast<size_t>(block.base) + m_entries[id].Offset()];
        return {reinterpret_cast<const char*>(line.data()), line.size() * 2, TextForm::Utf16};
    }
    const size_t unit = UnitBytes(m_decoder.form);
    const size_t begin = m_entries[id].Offset();
    const size_t end = id + 1 < block.first + block.count ? m_entries[id + 1].Offset()
                                                          : static_cast<size_t>(ReadEnd(block) - block.base);
    return {blockBytes + begin, TextUnits(blockBytes, begin, end, unit) * unit, m_decoder.form};
}

uint64_t RecordStore::LineStart(RecordId id) const {
    if (!IsRecord(id))
        return 0;
    const Block& block = m_blocks[BlockIndexOf(id)];
    return block.memory ? 0 : StartOf(block, id);
}

Recheck RecordStore::ReadLine(ByteSource& source, RecordId id, std::wstring& text) const {
    text.clear();
    if (!IsRecord(id))
        return Recheck::Failed;
    const Block& block = m_blocks[BlockIndexOf(id)];
    std::string bytes;
    if (!block.memory) {
        const Recheck check = ReadBlock(source, block, bytes);
        if (check != Recheck::Same)
            return check;
    }
    const LineBytes line = BytesOf(block, bytes.data(), id);
    DecodeText(line.data, line.size, line.form, text);
    return Recheck::Same;
}

// A probe's few kilobytes as they stand in the source now.
Recheck RecordStore::CheckProbe(ByteSource& source, const Probe& probe, uint32_t* error) const {
    std::string bytes;
    if (probe.size == 0)
        return Recheck::Same;
    if (const Recheck read = ReadSpan(source, probe.at, probe.size, bytes, error); read != Recheck::Same)
        return read;
    return HashBytes(bytes.data(), bytes.size()) == probe.hash ? Recheck::Same : Recheck::Changed;
}

Recheck RecordStore::CheckEdges(ByteSource& source, uint32_t* error) const {
    const Recheck head = CheckProbe(source, m_headProbe, error);
    return head != Recheck::Same ? head : CheckProbe(source, m_tailProbe, error);
}

// After a read: the last file block is read whole and checked, and the first one too unless its
// probe is whole already (its bytes never change once filed); the probes are taken from the
// bytes checked. Changed when the source no longer holds what was indexed there.
Recheck RecordStore::SettleEdges(ByteSource& source) {
    constexpr uint64_t kProbeBytes = 4096;
    size_t first = m_blocks.size(), last = m_blocks.size();
    for (size_t i = 0; i < m_blocks.size() && first == m_blocks.size(); ++i)
        first = m_blocks[i].memory ? first : i;
    for (size_t i = m_blocks.size(); i-- > 0 && last == m_blocks.size();)
        last = m_blocks[i].memory ? last : i;
    if (last == m_blocks.size())
        return Recheck::Same;
    std::string bytes;
    const std::atomic<bool>* stop = m_gate ? m_gate->StopFlag() : nullptr; // a block may be a long line
    auto take = [&](const Block& block, bool head) {
        const uint64_t end = ReadEnd(block);
        const uint64_t size = std::min<uint64_t>(kProbeBytes, end - block.base);
        const size_t at = static_cast<size_t>(head ? 0 : end - block.base - size);
        (head ? m_headProbe : m_tailProbe) = {block.base + at, static_cast<uint32_t>(size),
                                              HashBytes(bytes.data() + at, static_cast<size_t>(size))};
    };
    const Block& head = m_blocks[first];
    if (m_headProbe.size < std::min<uint64_t>(kProbeBytes, ReadEnd(head) - head.base) || first == last) {
        if (const Recheck check = ReadBlock(source, head, bytes, stop); check != Recheck::Same)
            return check;
        take(head, true);
    } else if (const Recheck check = CheckProbe(source, m_headProbe); check != Recheck::Same) {
        return check;
    }
    if (first != last)
        if (const Recheck check = ReadBlock(source, m_blocks[last], bytes, stop); check != Recheck::Same)
            return check;
    take(m_blocks[last], false);
    return Recheck::Same;
}

// Whether a unit-aligned LF stands in [from, to) of the source, read in small pieces.
bool RecordStore::LineFeedAfter(ByteSource& source, uint64_t from, uint64_t to, bool& found,
                                ReadResult& result) const {
    const size_t unit = UnitBytes(m_decoder.form);
    std::string chunk(64 << 10, '\0');
    found = false;
    for (uint64_t at = from; at < to && !found;) {
        if (StopAsked()) // a line without its end may have grown by gigabytes
            throw WriteStopped{};
        size_t got = 0;
        uint32_t error = 0;
        if (!source.Read(at, chunk.data(), static_cast<size_t>(std::min<uint64_t>(chunk.size(), to - at)),
                         got, error)) {
            if (StopAsked()) // the read was cancelled for it
                throw WriteStopped{};
            result.status = ReadResult::ReadFailed;
            result.error = error;
            return false;
        }
        got -= got % unit;
        if (got == 0)
            break;
        found = FindLineFeed(chunk.data(), 0, got, unit) < got;
        at += got;
    }
    return true;
}

Recheck RecordStore::ForEachLineBytes(ByteSource& source, RecordId first, RecordId last,
                                      const LineBytesVisitor& visit, const std::atomic<bool>* stop) const {
    constexpr uint64_t kSpanBytes = 1 << 20; // neighbouring blocks are read together
    last = std::min(last, RecordCount());
    std::string bytes;
    for (RecordId id = first; id < last;) {
        const size_t firstBlock = BlockIndexOf(id);
        const Block& start = m_blocks[firstBlock];
        size_t lastBlock = firstBlock;
        if (!start.memory) {
            while (lastBlock + 1 < m_blocks.size() &&
                   m_blocks[lastBlock].first + m_blocks[lastBlock].count < last &&
                   !m_blocks[lastBlock + 1].memory && !m_blocks[lastBlock].clipped &&
                   !m_blocks[lastBlock + 1].clipped &&
                   m_blocks[lastBlock + 1].base == m_blocks[lastBlock].end &&
                   m_blocks[lastBlock + 1].end - start.base <= kSpanBytes)
                ++lastBlock;
            const Recheck read =
                ReadSpan(source, start.base, static_cast<size_t>(ReadEnd(m_blocks[lastBlock]) - start.base),
                         bytes, nullptr, stop);
            if (read != Recheck::Same)
                return read;
        }
        for (size_t b = firstBlock; b <= lastBlock; ++b) {
            const Block& block = m_blocks[b];
            const char* blockBytes = bytes.data() + (block.memory ? 0 : block.base - start.base);
            if (!block.memory && !BlockMatches(block, blockBytes))
                return Recheck::Changed;
            for (const RecordId blockEnd = std::min(last, block.first + block.count); id < blockEnd; ++id) {
                const LineBytes line = BytesOf(block, blockBytes, id);
                if (!visit(id, line.data, line.size, line.form))
                    return Recheck::Same;
            }
        }
    }
    return Recheck::Same;
}

Recheck RecordStore::ForEachLine(ByteSource& source, RecordId first, RecordId last,
                                 const LineVisitor& visit) const {
    std::wstring text;
    return ForEachLineBytes(source, first, last,
                            [&](RecordId id, const char* bytes, size_t size, TextForm form) {
                                text.clear();
                                DecodeText(bytes, size, form, text);
                                return visit(id, text);
                            });
}

} // namespace diagnose

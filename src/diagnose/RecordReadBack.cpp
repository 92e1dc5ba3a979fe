// Read-back: a record's line read again from the source, its block checked against what was
// indexed, and decoded; the fields the index keeps.
#include "diagnose/LineScan.h"
#include "diagnose/RecordStore.h"
#include "diagnose/TimeKey.h"

#include <algorithm>

namespace diagnose {

const std::wstring& RecordStore::EmptyText() {
    static const std::wstring empty;
    return empty;
}

const RecordList* RecordStore::ListOf(RecordId id) const {
    return IsRecord(id) ? &m_leaves[m_entries[id].leaf].list.records : nullptr;
}

const std::wstring& RecordStore::GetHost(RecordId id) const {
    return IsRecord(id) ? m_names[m_leaves[m_entries[id].leaf].host] : EmptyText();
}

uint16_t RecordStore::GetTraceClass(RecordId id) const {
    return IsRecord(id) ? m_leaves[m_entries[id].leaf].list.traceClass : kNoTraceClass;
}

std::wstring RecordStore::GetTime(RecordId id) const {
    std::wstring text;
    if (!IsRecord(id))
        return text;
    const uint64_t key = m_times[id];
    if (key != kInexactTime) {
        AppendTime(text, key);
        return text;
    }
    size_t lo = 0, hi = m_inexactTimes.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (m_inexactTimes[mid].id < id)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < m_inexactTimes.size() && m_inexactTimes[lo].id == id)
        for (uint32_t k = 0; k < m_inexactTimes[lo].length; ++k)
            text += m_inexactUnits[static_cast<size_t>(m_inexactTimes[lo].at + k)];
    return text;
}

std::wstring RecordStore::RowText(RecordId id, int column) const {
    if (!IsRecord(id))
        return {};
    if (column == 1)
        return GetProcess(id);
    if (column != 0)
        return {};
    return GetDate(id) + L' ' + GetTime(id);
}

size_t RecordStore::BlockIndexOf(RecordId id) const {
    size_t lo = 0, hi = m_blocks.size();
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        (m_blocks[mid].first <= id ? lo : hi) = mid;
    }
    return lo;
}

// A line longer than the limit is read back as far as the limit.
size_t RecordStore::ClipBytes() const {
    return m_maxLineBytes & ~(UnitBytes(m_decoder.form) - 1);
}

uint64_t RecordStore::ReadEnd(const Block& block) const {
    return block.clipped ? block.base + std::min<uint64_t>(block.end - block.base, ClipBytes()) : block.end;
}

uint64_t RecordStore::StartOf(const Block& block, RecordId id) const {
    return block.base + m_entries[id].offset;
}

// Reads a block's bytes and checks them against its hash.
namespace {
// Reads [base, base + size) whole; Changed when the source is shorter now.
Recheck ReadSpan(ByteSource& source, uint64_t base, size_t size, std::string& bytes) {
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return Recheck::Failed;
    }
    size_t done = 0;
    while (done < size) {
        size_t got = 0;
        uint32_t error = 0;
        if (!source.Read(base + done, bytes.data() + done, size - done, got, error))
            return Recheck::Failed;
        if (got == 0)
            return Recheck::Changed;
        done += got;
    }
    return Recheck::Same;
}
} // namespace

// Whether the bytes of a block, at `bytes`, are those that were indexed.
bool RecordStore::BlockMatches(const Block& block, const char* bytes) const {
    const size_t size = static_cast<size_t>(ReadEnd(block) - block.base);
    uint32_t hash = 0;
    for (RecordId id = block.first; id < block.first + block.count; ++id) {
        const size_t begin = m_entries[id].offset;
        const size_t end = id + 1 < block.first + block.count ? m_entries[id + 1].offset : size;
        hash = CombineHash(hash, HashBytes(bytes + begin, end - begin));
    }
    return hash == block.hash;
}

Recheck RecordStore::ReadBlock(ByteSource& source, const Block& block, std::string& bytes) const {
    const Recheck read =
        ReadSpan(source, block.base, static_cast<size_t>(ReadEnd(block) - block.base), bytes);
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
        const std::u16string& line = m_memoryLines[static_cast<size_t>(block.base) + m_entries[id].offset];
        return {reinterpret_cast<const char*>(line.data()), line.size() * 2, TextForm::Utf16};
    }
    const size_t unit = UnitBytes(m_decoder.form);
    const size_t begin = m_entries[id].offset;
    const size_t end = id + 1 < block.first + block.count ? m_entries[id + 1].offset
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

Recheck RecordStore::CheckEnd(ByteSource& source) const {
    // The last file block: the newest lines, which a cut or a replaced file changes first.
    for (size_t i = m_blocks.size(); i-- > 0;) {
        if (m_blocks[i].memory)
            continue;
        std::string bytes;
        return ReadBlock(source, m_blocks[i], bytes);
    }
    return Recheck::Same;
}

Recheck RecordStore::ForEachLineBytes(ByteSource& source, RecordId first, RecordId last,
                                      const LineBytesVisitor& visit) const {
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
            const Recheck read = ReadSpan(
                source, start.base, static_cast<size_t>(ReadEnd(m_blocks[lastBlock]) - start.base), bytes);
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

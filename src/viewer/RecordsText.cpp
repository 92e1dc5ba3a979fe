// Records' lines read again.
#include "viewer/RecordsText.h"

#include <algorithm>
#include <utility>

namespace viewer {
namespace {
// Records this close share a block or lie in neighbouring ones: reading across the gap costs
// less than starting another read.
constexpr diagnose::RecordId kRunGap = 64;
} // namespace

diagnose::Recheck VisitRecordLines(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                   const std::vector<diagnose::RecordId>& records,
                                   const RecordLineVisitor& visit, const std::atomic<bool>* stop) {
    // (record, its place in `records`), in file order; no copy when they are in file order.
    std::vector<std::pair<diagnose::RecordId, size_t>> wanted;
    const bool inFileOrder = std::is_sorted(records.begin(), records.end());
    if (!inFileOrder) {
        wanted.resize(records.size());
        for (size_t i = 0; i < records.size(); ++i)
            wanted[i] = {records[i], i};
        std::sort(wanted.begin(), wanted.end());
    }
    auto idAt = [&](size_t i) { return inFileOrder ? records[i] : wanted[i].first; };
    auto placeAt = [&](size_t i) { return inFileOrder ? i : wanted[i].second; };
    std::wstring line;
    bool goOn = true;
    size_t next = 0;
    while (next < records.size() && goOn) {
        if (!store.IsRecord(idAt(next))) {
            ++next;
            continue;
        }
        size_t end = next + 1;
        while (end < records.size() && store.IsRecord(idAt(end)) && idAt(end) - idAt(end - 1) <= kRunGap)
            ++end;
        size_t at = next;
        const diagnose::Recheck check = store.ForEachLineBytes(
            source, idAt(next), idAt(end - 1) + 1,
            [&](diagnose::RecordId id, const char* bytes, size_t size, diagnose::TextForm form) {
                if (idAt(at) != id)
                    return true; // a line between two wanted ones: read, but not decoded
                line.clear();
                store.DecodeText(bytes, size, form, line);
                for (; at < end && idAt(at) == id && goOn; ++at)
                    goOn = visit(placeAt(at), line);
                return at < end && goOn;
            },
            stop);
        if (check != diagnose::Recheck::Same)
            return check;
        next = end;
    }
    return diagnose::Recheck::Same;
}

uint64_t BytesToRead(const diagnose::RecordStore& store, const std::vector<diagnose::RecordId>& records) {
    uint64_t bytes = 0;
    for (size_t first = 0, i = 1; i <= records.size(); ++i) {
        if (i < records.size() && records[i] > records[i - 1] && records[i] - records[i - 1] <= kRunGap)
            continue; // the run goes on
        if (i > first)
            bytes += store.LineStart(records[i - 1]) -
                     std::min(store.LineStart(records[first]), store.LineStart(records[i - 1]));
        first = i;
    }
    return bytes;
}

diagnose::Recheck ReadRecordLines(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                  const std::vector<diagnose::RecordId>& records,
                                  std::vector<std::wstring>& lines, const std::atomic<bool>* stop) {
    lines.assign(records.size(), std::wstring());
    const diagnose::Recheck check = VisitRecordLines(
        store, source, records,
        [&](size_t at, const std::wstring& line) {
            lines[at] = line;
            return true;
        },
        stop);
    if (check != diagnose::Recheck::Same)
        lines.clear();
    return check;
}

diagnose::Recheck ForEachRecordLine(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                    const std::vector<diagnose::RecordId>& records,
                                    const std::function<bool(const std::wstring& line)>& take, size_t batch,
                                    const std::atomic<bool>* stop) {
    std::vector<std::wstring> lines;
    for (size_t first = 0; first < records.size(); first += batch) {
        const auto begin = records.begin() + static_cast<long>(first);
        const std::vector<diagnose::RecordId> part(
            begin, begin + static_cast<long>(std::min(batch, records.size() - first)));
        const diagnose::Recheck check = ReadRecordLines(store, source, part, lines, stop);
        if (check != diagnose::Recheck::Same)
            return check;
        for (const std::wstring& line : lines)
            if (!take(line))
                return diagnose::Recheck::Same;
    }
    return diagnose::Recheck::Same;
}

} // namespace viewer

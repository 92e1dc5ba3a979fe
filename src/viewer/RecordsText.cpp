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

diagnose::Recheck ReadRecordLines(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                  const std::vector<diagnose::RecordId>& records,
                                  std::vector<std::wstring>& lines) {
    lines.assign(records.size(), std::wstring());
    // (record, where its line goes), in file order.
    std::vector<std::pair<diagnose::RecordId, size_t>> wanted(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        wanted[i] = {records[i], i};
    std::sort(wanted.begin(), wanted.end());
    size_t next = 0;
    while (next < wanted.size()) {
        if (!store.IsRecord(wanted[next].first)) {
            ++next;
            continue;
        }
        size_t end = next + 1;
        while (end < wanted.size() && store.IsRecord(wanted[end].first) &&
               wanted[end].first - wanted[end - 1].first <= kRunGap)
            ++end;
        size_t at = next;
        const diagnose::Recheck check =
            store.ForEachLine(source, wanted[next].first, wanted[end - 1].first + 1,
                              [&](diagnose::RecordId id, const std::wstring& line) {
                                  for (; at < end && wanted[at].first == id; ++at)
                                      lines[wanted[at].second] = line;
                                  return at < end;
                              });
        if (check != diagnose::Recheck::Same) {
            lines.clear();
            return check;
        }
        next = end;
    }
    return diagnose::Recheck::Same;
}

diagnose::Recheck ForEachRecordLine(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                    const std::vector<diagnose::RecordId>& records,
                                    const std::function<bool(const std::wstring& line)>& take, size_t batch) {
    std::vector<std::wstring> lines;
    for (size_t first = 0; first < records.size(); first += batch) {
        const auto begin = records.begin() + static_cast<long>(first);
        const std::vector<diagnose::RecordId> part(
            begin, begin + static_cast<long>(std::min(batch, records.size() - first)));
        const diagnose::Recheck check = ReadRecordLines(store, source, part, lines);
        if (check != diagnose::Recheck::Same)
            return check;
        for (const std::wstring& line : lines)
            if (!take(line))
                return diagnose::Recheck::Same;
    }
    return diagnose::Recheck::Same;
}

} // namespace viewer

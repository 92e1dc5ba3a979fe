// Sorting: a group's rows ordered by a column's text with the keys the index keeps.
#include "diagnose/RecordStore.h"
#include "diagnose/TimeKey.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

void SortRecordRows(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows, int column,
                    bool ascending) {
    using diagnose::RecordId;
    if (column != 0 && column != 1)
        return; // every text is empty: all rows compare equal and keep their order
    const size_t n = rows.size();
    struct Key {
        uint32_t rank;
        uint32_t inexact; // index into `times`, or none
        uint64_t time;
    };
    constexpr uint32_t kNone = 0xFFFFFFFFu;
    std::vector<Key> keys(n);
    // Dates and processes are interned: equal texts are one object, and neighbouring rows mostly
    // share theirs. Each distinct object is numbered once, in one pass, and ranked by its text.
    std::vector<const std::wstring*> distinct;
    std::unordered_map<const std::wstring*, uint32_t> numbers;
    const std::wstring* last = nullptr;
    uint32_t lastNumber = 0;
    for (size_t i = 0; i < n; ++i) {
        const std::wstring* text = column == 0 ? &store.GetDate(rows[i]) : &store.GetProcess(rows[i]);
        if (text != last) {
            const auto [at, added] = numbers.try_emplace(text, static_cast<uint32_t>(distinct.size()));
            if (added)
                distinct.push_back(text);
            last = text;
            lastNumber = at->second;
        }
        keys[i].rank = lastNumber;
    }
    std::vector<uint32_t> byText(distinct.size()), rank(distinct.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(),
              [&](uint32_t a, uint32_t b) { return *distinct[a] < *distinct[b]; });
    for (uint32_t r = 0; r < byText.size(); ++r)
        rank[byText[r]] = r;

    std::vector<std::wstring> times;
    for (size_t i = 0; i < n; ++i) {
        keys[i].rank = rank[keys[i].rank];
        keys[i].time = column == 0 ? store.GetTimeKey(rows[i]) : 0;
        keys[i].inexact = kNone;
        if (keys[i].time == diagnose::kInexactTime) {
            keys[i].inexact = static_cast<uint32_t>(times.size());
            times.push_back(store.GetTime(rows[i]));
        }
    }
    auto timeText = [&](const Key& key) {
        if (key.inexact != kNone)
            return times[key.inexact];
        std::wstring text;
        diagnose::AppendTime(text, key.time);
        return text;
    };
    auto less = [&](const Key& a, const Key& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.inexact == kNone && b.inexact == kNone)
            return a.time < b.time;
        return timeText(a) < timeText(b);
    };
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return ascending ? less(keys[a], keys[b]) : less(keys[b], keys[a]);
    });
    std::vector<RecordId> sorted(n);
    for (size_t i = 0; i < n; ++i)
        sorted[i] = rows[order[i]];
    rows.swap(sorted);
}

size_t InsertSortedRow(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows,
                       diagnose::RecordId id, int column, bool ascending) {
    const std::wstring text = store.RowText(id, column);
    auto at = std::upper_bound(rows.begin(), rows.end(), text,
                               [&](const std::wstring& key, diagnose::RecordId row) {
                                   const std::wstring other = store.RowText(row, column);
                                   return ascending ? key < other : other < key;
                               });
    const auto row = static_cast<size_t>(at - rows.begin());
    rows.insert(at, id);
    return row;
}

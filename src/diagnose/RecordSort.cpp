// Sorting: a group's rows ordered by a column's text with the keys the index keeps.
#include "diagnose/RecordStore.h"
#include "diagnose/TimeKey.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <unordered_map>

namespace {
using diagnose::RecordId;

// The date (column 0) or process (column 1) of each row, numbered in text order. Dates and
// processes are interned: equal texts have one number, and neighbouring rows mostly share theirs,
// so a row's number is mostly its neighbour's, and no number is kept per row.
class TextRanks {
public:
    TextRanks(const diagnose::RecordStore& store, int column) : m_store(store), m_column(column) {}

    // Numbers the texts of `rows`; answers how many rows each has, in text order.
    template <typename Rows> std::vector<size_t> Count(const Rows& rows) {
        std::vector<size_t> counts;
        uint32_t previous = 0;
        for (RecordId id : rows) {
            const uint32_t number = NumberOf(id);
            if (number == counts.size())
                counts.push_back(0);
            else if (number != previous)
                m_runs = false;
            ++counts[number];
            previous = number;
        }
        std::vector<uint32_t> byText(m_distinct.size());
        std::iota(byText.begin(), byText.end(), 0u);
        std::sort(byText.begin(), byText.end(),
                  [&](uint32_t a, uint32_t b) { return m_distinct[a] < m_distinct[b]; });
        m_ranks.resize(byText.size());
        std::vector<size_t> ranked(counts.size());
        for (uint32_t r = 0; r < byText.size(); ++r) {
            m_ranks[byText[r]] = r;
            ranked[r] = counts[byText[r]];
        }
        return ranked;
    }
    // The rank of a row's text among those Count numbered.
    uint32_t RankOf(RecordId id) { return m_ranks[NumberOf(id)]; }
    // Whether the rows of each text came in one run: the runs are then the texts in the order
    // of their numbers (a log in file order, by date).
    bool InRuns() const { return m_runs; }
    uint32_t RankOfNumber(uint32_t number) const { return m_ranks[number]; }

private:
    uint32_t NumberOf(RecordId id) {
        const uint32_t text = m_store.TextNumber(id, m_column);
        if (text != m_last) {
            const auto [at, added] = m_numbers.try_emplace(text, static_cast<uint32_t>(m_distinct.size()));
            if (added)
                m_distinct.push_back(m_column == 0 ? m_store.GetDate(id) : m_store.GetProcess(id));
            m_last = text;
            m_lastNumber = at->second;
        }
        return m_lastNumber;
    }

    const diagnose::RecordStore& m_store;
    int m_column;
    std::vector<std::wstring_view> m_distinct;
    std::unordered_map<uint32_t, uint32_t> m_numbers; // the index's text number: ours
    std::vector<uint32_t> m_ranks;                    // by our number
    uint32_t m_last = UINT32_MAX;
    uint32_t m_lastNumber = 0;
    bool m_runs = true;
};

// Orders rows of one date of which some have times the key cannot hold: by their kept keys, in
// which every key that begins with the start of a time that is not whole lies in one range of
// keys; the rows of each such range are then ordered by their texts, read again.
template <typename It>
void SortByKeptTime(const diagnose::RecordStore& store, It first, It last, bool ascending) {
    auto key = [&](RecordId id) { return store.KeptTime(id) & ~diagnose::kStartOnly; };
    std::stable_sort(first, last,
                     [&](RecordId a, RecordId b) { return ascending ? key(a) < key(b) : key(b) < key(a); });
    std::vector<std::pair<std::wstring, RecordId>> texts;
    const ptrdiff_t n = last - first;
    for (ptrdiff_t at = 0, end = 0; at < n; at = std::max(at + 1, end)) {
        if (!(store.KeptTime(first[at]) & diagnose::kStartOnly))
            continue;
        uint64_t low = 0, high = 0;
        diagnose::KeysBeginningWith(store.KeptTime(first[at]), low, high);
        auto inRange = [&](ptrdiff_t k) { return key(first[k]) >= low && key(first[k]) <= high; };
        ptrdiff_t begin = at;
        while (begin > 0 && inRange(begin - 1))
            --begin;
        for (end = at + 1; end < n && inRange(end);)
            ++end;
        if (end - begin < 2)
            continue; // its key alone placed it: its line need not be read again
        texts.clear();
        for (ptrdiff_t k = begin; k < end; ++k)
            texts.emplace_back(store.GetTime(first[k]), first[k]);
        std::stable_sort(texts.begin(), texts.end(), [&](const auto& a, const auto& b) {
            return ascending ? a.first < b.first : b.first < a.first;
        });
        for (ptrdiff_t k = begin; k < end; ++k)
            first[k] = texts[static_cast<size_t>(k - begin)].second;
    }
}

// Orders a run of rows that share one date by their times, keeping equal times in their order.
// A run in file order is mostly in order already: it is then only looked at, or reversed when it
// is wanted the other way. Otherwise a radix sort by the time keys, through `scratch` (made as
// long as the run), over the bits in which the keys differ; times the key cannot hold are
// compared as texts.
template <typename It, typename Rows>
void SortByTime(const diagnose::RecordStore& store, It first, It last, Rows& scratch, bool ascending) {
    const size_t n = static_cast<size_t>(last - first);
    if (n < 2)
        return;
    bool inOrder = true, inReverse = true, inexact = false;
    const uint64_t firstKey = store.GetTimeKey(first[0]);
    uint64_t previous = firstKey, differing = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t key = store.GetTimeKey(first[i]);
        inexact |= key == diagnose::kInexactTime;
        if (ascending ? key < previous : previous < key)
            inOrder = false;
        if (ascending ? previous < key : key < previous)
            inReverse = false;
        previous = key;
        differing |= key ^ firstKey;
    }
    if (inexact) {
        SortByKeptTime(store, first, last, ascending);
        return;
    }
    if (inOrder)
        return;
    if (inReverse) {
        // A date in file order sorted the other way: reversed, and each run of equal times
        // turned back, so that equal times keep their order.
        std::reverse(first, last);
        for (It run = first; run != last;) {
            const uint64_t key = store.GetTimeKey(*run);
            It end = run + 1;
            while (end != last && store.GetTimeKey(*end) == key)
                ++end;
            std::reverse(run, end);
            run = end;
        }
        return;
    }
    int low = 0, high = 63;
    while (!(differing >> low & 1))
        ++low;
    while (!(differing >> high & 1))
        --high;
    constexpr int kDigitBits = 13;
    constexpr uint32_t kBins = 1u << kDigitBits;
    std::vector<uint32_t> bins(kBins);
    if (scratch.size() < n)
        scratch.resize(n);
    It from = first, to = scratch.begin();
    bool inScratch = false;
    for (int shift = low; shift <= high; shift += kDigitBits) {
        auto digit = [&](RecordId id) { return (store.GetTimeKey(id) >> shift) & (kBins - 1); };
        std::fill(bins.begin(), bins.end(), 0u);
        for (size_t i = 0; i < n; ++i)
            ++bins[digit(from[i])];
        uint32_t at = 0;
        for (uint32_t b = 0; b < kBins; ++b) {
            uint32_t& bin = bins[ascending ? b : kBins - 1 - b];
            const uint32_t count = bin;
            bin = at;
            at += count;
        }
        for (size_t i = 0; i < n; ++i)
            to[bins[digit(from[i])]++] = from[i];
        std::swap(from, to);
        inScratch = !inScratch;
    }
    if (inScratch)
        std::copy(from, from + static_cast<std::ptrdiff_t>(n), first);
}
} // namespace

// A stable counting sort by the rank of the date or process, then a radix sort by the times
// within each date: linear in the rows, and at most four bytes a row on top of the rows
// themselves, so that a group of many millions sorts within a 32-bit host. Rows in file order of
// a log written in time order need none: their dates come in runs, and their times in order.
// A sort on another thread looks at `stop` between its passes and between dates, and gives up.
namespace {
template <typename Rows>
bool SortRows(const diagnose::RecordStore& store, Rows& rows, int column, bool ascending,
              const std::atomic<bool>* stop = nullptr) {
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    if (column != 0 && column != 1)
        return true; // every text is empty: all rows compare equal and keep their order
    TextRanks ranks(store, column);
    const std::vector<size_t> counts = ranks.Count(rows);
    if (stopped())
        return false;
    // Descending takes the ranks from the last: equal texts still keep their order.
    const size_t distinct = counts.size();
    auto bucket = [&](size_t rank) { return ascending ? rank : distinct - 1 - rank; };
    std::vector<size_t> starts(distinct + 1);
    for (size_t rank = 0; rank < distinct; ++rank)
        starts[bucket(rank) + 1] = counts[rank];
    for (size_t b = 1; b < starts.size(); ++b)
        starts[b] += starts[b - 1];
    // Room for the rows as they are placed, taken only when a sort needs it, in the rows' form.
    Rows scratch;
    if (ranks.InRuns()) {
        // Each text's rows are one run (a log in file order, by date): the runs move whole, or
        // stay where they are.
        auto runAt = [&](size_t number, size_t& count) {
            const uint32_t rank = ranks.RankOfNumber(static_cast<uint32_t>(number));
            count = counts[rank];
            return starts[bucket(rank)];
        };
        bool moved = false;
        for (size_t number = 0, from = 0, count = 0; number < distinct && !moved; ++number, from += count)
            moved = runAt(number, count) != from;
        if (moved) {
            scratch.resize(rows.size());
            for (size_t number = 0, from = 0, count = 0; number < distinct; ++number, from += count) {
                const size_t to = runAt(number, count);
                const auto at = [](auto& array, size_t i) {
                    return array.begin() + static_cast<std::ptrdiff_t>(i);
                };
                std::copy(at(rows, from), at(rows, from + count), at(scratch, to));
            }
            std::copy(scratch.begin(), scratch.end(), rows.begin());
        }
    } else {
        scratch.resize(rows.size());
        std::vector<size_t> next(starts.begin(), starts.end() - 1);
        for (RecordId id : rows)
            scratch[next[bucket(ranks.RankOf(id))]++] = id;
        // Copied back rather than swapped: the rows keep the room they hold for arriving lines.
        std::copy(scratch.begin(), scratch.end(), rows.begin());
    }
    if (column == 0)
        for (size_t b = 0; b < distinct; ++b) {
            if (stopped())
                return false;
            SortByTime(store, rows.begin() + static_cast<std::ptrdiff_t>(starts[b]),
                       rows.begin() + static_cast<std::ptrdiff_t>(starts[b + 1]), scratch, ascending);
        }
    return true;
}
} // namespace

void SortRecordRows(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows, int column,
                    bool ascending) {
    SortRows(store, rows, column, ascending);
}

bool SortRecordRows(const diagnose::RecordStore& store, diagnose::RecordRowBlocks& rows, int column,
                    bool ascending, const std::atomic<bool>* stop) {
    return SortRows(store, rows, column, ascending, stop);
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

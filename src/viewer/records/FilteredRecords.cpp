// The records window's rows.
#include "viewer/records/FilteredRecords.h"

#include "viewer/records/LogPlace.h"

#include <algorithm>
#include <functional>
#include <queue>

namespace viewer {
namespace {

using Place = LogPlace;

// The first of [0, count) for which `before` is false; `before` holds for a start of them.
template <typename Before> size_t PartitionPoint(size_t count, Before&& before) {
    size_t low = 0, high = count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (before(middle))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Late rows kept apart, at most: beyond, every timed row is kept as a number. Each one costs
// the rows after it a step to find, and its own coming a move of those before it.
constexpr size_t kMostLate = 16384;
// New rows merged in at once when so few rows lie after the earliest of them, else as many a
// call as records are looked at. Records are looked at meanwhile, their rows waiting for the
// next merge: the rows double from one merge to the next, and each is merged a few times at
// most. Runs waiting, at most.
constexpr size_t kMergedAtOnce = 65536;
constexpr size_t kMostWaitingRuns = 4096;

} // namespace

void FilteredRecords::Start(RecordTest test) {
    m_test = std::move(test);
    m_clock.Forget();
    m_inOrder.Clear();
    m_lastSeconds = 0;
    m_late = {};
    m_asIds = false;
    m_timed = {};
    m_untimed = {};
    m_merge.reset();
    m_looked = 0;
    m_passed = 0;
}

int64_t FilteredRecords::SecondsOf(const diagnose::RecordStore& store, diagnose::RecordId id) {
    int64_t seconds = 0;
    m_clock.SecondsOf(store, id, seconds);
    return seconds;
}

bool FilteredRecords::Advance(const diagnose::RecordStore& store, size_t most, const std::vector<bool>* textMarks) {
    if (m_merge) {
        MergeSome(store, most);
        if (m_merge && m_merge->waiting.size() >= kMostWaitingRuns)
            return false; // the rows that wait are enough
    }
    diagnose::RecordId end = store.RecordCount();
    const bool text = !m_test.Filter().text.empty();
    if (text)
        end = static_cast<diagnose::RecordId>(std::min<size_t>(end, textMarks ? textMarks->size() : 0));
    end = static_cast<diagnose::RecordId>(std::min<size_t>(end, size_t(m_looked) + std::min<size_t>(most, end)));
    std::vector<std::pair<int64_t, diagnose::RecordId>> fresh; // for the numbers, or a merge
    std::optional<int64_t> seconds;
    for (diagnose::RecordId id = m_looked; id < end; ++id) {
        if (text && (*textMarks)[id] != m_test.Filter().textHeld)
            continue;
        if (!m_test.Passes(store, id, m_clock, seconds))
            continue;
        ++m_passed;
        if (!seconds) {
            m_untimed.push_back(id);
        } else if (m_asIds || m_merge || !fresh.empty()) {
            fresh.emplace_back(*seconds, id);
        } else if (m_inOrder.Count() == 0 || *seconds >= m_lastSeconds) {
            m_inOrder.Append(id);
            m_lastSeconds = *seconds;
        } else if (!AddLate(store, id, *seconds)) {
            fresh.emplace_back(*seconds, id); // late rows enough: these are merged in as numbers
        }
    }
    m_looked = std::max(m_looked, end);
    if (!fresh.empty()) {
        Run run = SortedRun(store, fresh);
        if (m_merge)
            m_merge->waiting.push_back(std::move(run));
        else if (m_asIds)
            Join(store, std::move(run));
        else
            StartMerge({std::move(run)});
    }
    return Complete(store);
}

// A row whose time lies before the last in-order row's goes where its time puts it: after the
// rows of equal time, which came earlier in the file. False when the late rows are enough.
bool FilteredRecords::AddLate(const diagnose::RecordStore& store, diagnose::RecordId id, int64_t seconds) {
    if (m_late.size() >= kMostLate)
        return false;
    const size_t before =
        PartitionPoint(m_inOrder.Count(), [&](size_t k) { return SecondsOf(store, m_inOrder.Select(k)) <= seconds; });
    const size_t at = PartitionPoint(m_late.size(), [&](size_t i) { return SecondsOf(store, m_late[i].id) <= seconds; });
    m_late.insert(m_late.begin() + static_cast<ptrdiff_t>(at), Late{id, static_cast<uint32_t>(before)});
    return true;
}

FilteredRecords::Run FilteredRecords::SortedRun(const diagnose::RecordStore& store,
                                                std::vector<std::pair<int64_t, diagnose::RecordId>>& fresh) {
    (void)store;
    auto earlier = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(fresh.begin(), fresh.end(), earlier))
        std::stable_sort(fresh.begin(), fresh.end(), earlier);
    Run run;
    run.reserve(fresh.size());
    for (const auto& [time, id] : fresh)
        run.push_back(id);
    return run;
}

// New rows join the numbers: at the end, where they mostly go; merged at once when only a few
// rows lie after the earliest of them; else over the next calls.
void FilteredRecords::Join(const diagnose::RecordStore& store, Run run) {
    const int64_t earliest = SecondsOf(store, run.front());
    const size_t old = m_timed.size();
    size_t from = old;
    while (from > 0 && old - from <= kMergedAtOnce && SecondsOf(store, m_timed[from - 1]) > earliest)
        --from;
    if (old - from > kMergedAtOnce) {
        StartMerge({std::move(run)});
        return;
    }
    m_timed.insert(m_timed.end(), run.begin(), run.end());
    if (from == old)
        return;
    // Earlier rows of equal time stand first: they come earlier in the file.
    std::vector<diagnose::RecordId> tail(m_timed.begin() + static_cast<ptrdiff_t>(from),
                                         m_timed.begin() + static_cast<ptrdiff_t>(old));
    size_t a = 0, b = 0, out = from;
    int64_t aSeconds = SecondsOf(store, tail[0]), bSeconds = earliest;
    while (a < tail.size() || b < run.size()) {
        if (b == run.size() || (a < tail.size() && aSeconds <= bSeconds)) {
            m_timed[out++] = tail[a++];
            aSeconds = a < tail.size() ? SecondsOf(store, tail[a]) : 0;
        } else {
            m_timed[out++] = run[b++];
            bSeconds = b < run.size() ? SecondsOf(store, run[b]) : 0;
        }
    }
}

void FilteredRecords::StartMerge(std::vector<Run> runs) {
    m_merge = std::make_unique<Merge>();
    m_merge->at.assign(runs.size(), 0);
    m_merge->runs = std::move(runs);
    size_t rows = Timed();
    for (const Run& run : m_merge->runs)
        rows += run.size();
    m_merge->out.reserve(rows);
}

// At most `most` rows of the merge. Rows as they stand come before new rows of the same time,
// and runs that came earlier before later ones: they are of earlier records. The runs' next rows
// stand in a heap: a merge that waited long takes in many runs.
void FilteredRecords::MergeSome(const diagnose::RecordStore& store, size_t most) {
    Merge& merge = *m_merge;
    using Head = std::pair<int64_t, size_t>; // a run's next row's time, and the run
    std::priority_queue<Head, std::vector<Head>, std::greater<Head>> heads;
    auto enter = [&](size_t r) {
        if (merge.at[r] < merge.runs[r].size())
            heads.emplace(SecondsOf(store, merge.runs[r][merge.at[r]]), r);
    };
    for (size_t r = 0; r < merge.runs.size(); ++r)
        enter(r);
    auto takeRun = [&] {
        const size_t r = heads.top().second;
        heads.pop();
        merge.out.push_back(merge.runs[r][merge.at[r]++]);
        enter(r);
    };
    size_t produced = 0;
    const size_t timed = Timed();
    if (merge.row < timed)
        Visit(merge.row, timed, [&](diagnose::RecordId id) {
            const int64_t seconds = SecondsOf(store, id);
            for (; !heads.empty() && heads.top().first < seconds; ++produced)
                takeRun();
            merge.out.push_back(id);
            ++merge.row;
            return ++produced < most;
        });
    if (merge.row < timed)
        return;
    for (; !heads.empty() && produced < most; ++produced)
        takeRun();
    if (!heads.empty())
        return;
    // Merged: the numbers stand for the rows from now on.
    m_timed = std::move(merge.out);
    m_asIds = true;
    m_inOrder.Clear();
    m_late = {};
    std::vector<Run> waiting = std::move(merge.waiting);
    m_merge.reset();
    if (!waiting.empty())
        StartMerge(std::move(waiting));
}

void FilteredRecords::ForgetFrom(const diagnose::RecordStore& store, diagnose::RecordId first) {
    // A merge is given up: its new rows are looked at again, and the rows of records after them go.
    if (m_merge) {
        for (const auto* runs : {&m_merge->runs, &m_merge->waiting})
            for (const Run& run : *runs)
                for (diagnose::RecordId id : run)
                    first = std::min(first, id);
        m_merge.reset();
    }
    auto from = [first](diagnose::RecordId id) { return id >= first; };
    m_timed.erase(std::remove_if(m_timed.begin(), m_timed.end(), from), m_timed.end());
    m_untimed.erase(std::remove_if(m_untimed.begin(), m_untimed.end(), from), m_untimed.end());
    // A late row counts in-order rows of earlier records only: those of later ones come after it.
    m_late.erase(std::remove_if(m_late.begin(), m_late.end(), [first](const Late& late) { return late.id >= first; }),
                 m_late.end());
    m_inOrder.TruncateFrom(first);
    m_looked = std::min(m_looked, first);
    m_clock.Forget();
    m_test.Forget();
    m_lastSeconds = m_inOrder.Count() ? SecondsOf(store, m_inOrder.Select(m_inOrder.Count() - 1)) : 0;
    m_passed = Count();
}

size_t FilteredRecords::LatesBeforeRow(size_t row) const {
    return PartitionPoint(m_late.size(), [&](size_t i) { return m_late[i].before + i < row; });
}

diagnose::RecordId FilteredRecords::At(size_t row) const {
    const size_t timed = Timed();
    if (row >= timed)
        return m_untimed[row - timed];
    if (m_asIds)
        return m_timed[row];
    const size_t late = LatesBeforeRow(row);
    if (late < m_late.size() && m_late[late].before + late == row)
        return m_late[late].id;
    return m_inOrder.Select(row - late);
}

bool FilteredRecords::Visit(size_t first, size_t last, const std::function<bool(diagnose::RecordId)>& visit) const {
    const size_t timed = Timed();
    size_t row = first;
    if (m_asIds) {
        for (; row < std::min(last, timed); ++row)
            if (!visit(m_timed[row]))
                return false;
    } else if (row < std::min(last, timed)) {
        size_t late = LatesBeforeRow(row);
        diagnose::RecordId next = row - late < m_inOrder.Count() ? m_inOrder.Select(row - late) : 0;
        for (; row < std::min(last, timed); ++row) {
            if (late < m_late.size() && m_late[late].before + late == row) {
                if (!visit(m_late[late++].id))
                    return false;
            } else {
                if (!visit(next))
                    return false;
                next = m_inOrder.Next(next, UINT32_MAX);
            }
        }
    }
    for (; row < std::min(last, Count()); ++row)
        if (!visit(m_untimed[row - timed]))
            return false;
    return true;
}

bool FilteredRecords::VisitBackward(size_t first, size_t last,
                                    const std::function<bool(diagnose::RecordId)>& visit) const {
    const size_t timed = Timed();
    size_t row = std::min(last, Count());
    for (; row > std::max(first, timed); --row)
        if (!visit(m_untimed[row - 1 - timed]))
            return false;
    if (m_asIds) {
        for (; row > first; --row)
            if (!visit(m_timed[row - 1]))
                return false;
    } else if (row > first) {
        size_t late = LatesBeforeRow(row); // the late rows before `row`
        size_t inOrder = row - late;       // and the in-order ones
        diagnose::RecordId previous = inOrder > 0 ? m_inOrder.Select(inOrder - 1) : 0;
        for (; row > first; --row) {
            if (late > 0 && m_late[late - 1].before + late - 1 == row - 1) {
                if (!visit(m_late[--late].id))
                    return false;
            } else {
                if (!visit(previous))
                    return false;
                if (--inOrder > 0)
                    previous = m_inOrder.Previous(previous);
            }
        }
    }
    return true;
}

size_t FilteredRecords::RowOf(const diagnose::RecordStore& store, diagnose::RecordId id) {
    const Place place = PlaceOf(store, m_clock, id);
    if (place.untimed) {
        const auto at = std::lower_bound(m_untimed.begin(), m_untimed.end(), id);
        return at != m_untimed.end() && *at == id ? Timed() + static_cast<size_t>(at - m_untimed.begin()) : kNoRow;
    }
    if (m_asIds) {
        const size_t at = PartitionPoint(m_timed.size(), [&](size_t row) { return PlaceOf(store, m_clock, m_timed[row]) < place; });
        return at < m_timed.size() && m_timed[at] == id ? at : kNoRow;
    }
    const size_t late =
        PartitionPoint(m_late.size(), [&](size_t i) { return PlaceOf(store, m_clock, m_late[i].id) < place; });
    if (m_inOrder.Has(id))
        return m_inOrder.Rank(id) + late;
    return late < m_late.size() && m_late[late].id == id ? m_late[late].before + late : kNoRow;
}

size_t FilteredRecords::RowAfter(const diagnose::RecordStore& store, diagnose::RecordId from, bool forward) {
    const size_t count = Count();
    if (count == 0)
        return kNoRow;
    if (!store.IsRecord(from))
        return forward ? 0 : count - 1;
    const Place start = PlaceOf(store, m_clock, from);
    if (forward) {
        const size_t after = PartitionPoint(count, [&](size_t row) { return !(start < PlaceOf(store, m_clock, At(row))); });
        return after < count ? after : kNoRow;
    }
    const size_t before = PartitionPoint(count, [&](size_t row) { return PlaceOf(store, m_clock, At(row)) < start; });
    return before > 0 ? before - 1 : kNoRow;
}

size_t FilteredRecords::RowAtOrAfter(const diagnose::RecordStore& store, int64_t seconds) {
    if (m_asIds) {
        const size_t at = PartitionPoint(m_timed.size(), [&](size_t row) { return SecondsOf(store, m_timed[row]) < seconds; });
        return at < m_timed.size() ? at : kNoRow;
    }
    size_t row = kNoRow;
    const size_t k =
        PartitionPoint(m_inOrder.Count(), [&](size_t i) { return SecondsOf(store, m_inOrder.Select(i)) < seconds; });
    if (k < m_inOrder.Count())
        row = RowOf(store, m_inOrder.Select(k));
    const size_t late = PartitionPoint(m_late.size(), [&](size_t i) { return SecondsOf(store, m_late[i].id) < seconds; });
    if (late < m_late.size())
        row = std::min<size_t>(row, m_late[late].before + late);
    return row;
}

// Row by row from there: the next error is a few rows away, and no row costs more than a look
// at its record's class.
size_t FilteredRecords::NextOfClass(const diagnose::RecordStore& store, size_t row, uint16_t traceClass,
                                    bool forward) const {
    size_t at = kNoRow;
    if (forward) {
        size_t next = row == kNoRow ? 0 : row + 1;
        Visit(next, Count(), [&](diagnose::RecordId id) {
            if (store.GetTraceClass(id) == traceClass)
                return at = next, false;
            return ++next, true;
        });
    } else {
        size_t previous = row == kNoRow ? Count() : std::min(row, Count());
        VisitBackward(0, previous, [&](diagnose::RecordId id) {
            --previous;
            if (store.GetTraceClass(id) == traceClass)
                return at = previous, false;
            return true;
        });
    }
    return at;
}

size_t FilteredRecords::MemoryBytes() const {
    size_t bytes = m_inOrder.MemoryBytes() + m_late.capacity() * sizeof(Late) +
                   (m_timed.capacity() + m_untimed.capacity()) * sizeof(diagnose::RecordId);
    if (m_merge) {
        bytes += m_merge->out.capacity() * sizeof(diagnose::RecordId);
        for (const auto* runs : {&m_merge->runs, &m_merge->waiting})
            for (const Run& run : *runs)
                bytes += run.capacity() * sizeof(diagnose::RecordId);
    }
    return bytes;
}

} // namespace viewer

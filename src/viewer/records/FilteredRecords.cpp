// The records window's rows.
#include "viewer/records/FilteredRecords.h"

#include <algorithm>

namespace viewer {
namespace {

// Where a record stands in the log's time order: timed records by time, then file order.
struct Place {
    bool untimed;
    int64_t seconds;
    diagnose::RecordId id;
    friend bool operator<(const Place& a, const Place& b) {
        if (a.untimed != b.untimed)
            return b.untimed;
        if (!a.untimed && a.seconds != b.seconds)
            return a.seconds < b.seconds;
        return a.id < b.id;
    }
};

Place PlaceOf(const diagnose::RecordStore& store, RecordClock& clock, diagnose::RecordId id) {
    int64_t seconds = 0;
    const bool timed = clock.SecondsOf(store, id, seconds);
    return {!timed, seconds, id};
}

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
    m_looked = 0;
}

int64_t FilteredRecords::SecondsOf(const diagnose::RecordStore& store, diagnose::RecordId id) {
    int64_t seconds = 0;
    m_clock.SecondsOf(store, id, seconds);
    return seconds;
}

bool FilteredRecords::Advance(const diagnose::RecordStore& store, size_t most, const std::vector<bool>* textMarks) {
    diagnose::RecordId end = store.RecordCount();
    const bool text = !m_test.Filter().text.empty();
    if (text)
        end = static_cast<diagnose::RecordId>(std::min<size_t>(end, textMarks ? textMarks->size() : 0));
    end = static_cast<diagnose::RecordId>(std::min<size_t>(end, size_t(m_looked) + most));
    std::vector<std::pair<int64_t, diagnose::RecordId>> fresh;
    std::optional<int64_t> seconds;
    for (diagnose::RecordId id = m_looked; id < end; ++id) {
        if (text && (*textMarks)[id] != m_test.Filter().textHeld)
            continue;
        if (!m_test.Passes(store, id, m_clock, seconds))
            continue;
        if (!seconds) {
            m_untimed.push_back(id);
        } else if (m_asIds) {
            fresh.emplace_back(*seconds, id);
        } else if (m_inOrder.Count() == 0 || *seconds >= m_lastSeconds) {
            m_inOrder.Append(id);
            m_lastSeconds = *seconds;
        } else {
            AddLate(store, id, *seconds);
        }
    }
    m_looked = std::max(m_looked, end);
    Join(store, fresh);
    return m_looked >= store.RecordCount();
}

// A row whose time lies before the last in-order row's goes where its time puts it: after the
// rows of equal time, which came earlier in the file.
void FilteredRecords::AddLate(const diagnose::RecordStore& store, diagnose::RecordId id, int64_t seconds) {
    const size_t before =
        PartitionPoint(m_inOrder.Count(), [&](size_t k) { return SecondsOf(store, m_inOrder.Select(k)) <= seconds; });
    const size_t at = PartitionPoint(m_late.size(), [&](size_t i) { return SecondsOf(store, m_late[i].id) <= seconds; });
    m_late.insert(m_late.begin() + static_cast<ptrdiff_t>(at), Late{id, static_cast<uint32_t>(before)});
    if (m_late.size() > kMostLate)
        TakeAsIds(store);
}

void FilteredRecords::TakeAsIds(const diagnose::RecordStore& store) {
    (void)store;
    std::vector<diagnose::RecordId> timed;
    timed.reserve(Timed());
    Visit(0, Timed(), [&](diagnose::RecordId id) { return timed.push_back(id), true; });
    m_timed = std::move(timed);
    m_asIds = true;
    m_inOrder.Clear();
    m_late = {};
}

// New rows join the numbers in time order: they mostly go at the end, and only the rows from
// the earliest new one on are merged.
void FilteredRecords::Join(const diagnose::RecordStore& store,
                           std::vector<std::pair<int64_t, diagnose::RecordId>>& fresh) {
    if (fresh.empty())
        return;
    auto earlier = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(fresh.begin(), fresh.end(), earlier))
        std::stable_sort(fresh.begin(), fresh.end(), earlier);
    const size_t old = m_timed.size();
    size_t from = old;
    while (from > 0 && SecondsOf(store, m_timed[from - 1]) > fresh.front().first)
        --from;
    m_timed.reserve(old + fresh.size());
    for (const auto& [time, id] : fresh)
        m_timed.push_back(id);
    if (from == old)
        return;
    // Earlier rows of equal time stand first: they come earlier in the file.
    std::vector<std::pair<int64_t, diagnose::RecordId>> tail;
    tail.reserve(old - from);
    for (size_t row = from; row < old; ++row)
        tail.emplace_back(SecondsOf(store, m_timed[row]), m_timed[row]);
    size_t a = 0, b = 0, out = from;
    while (a < tail.size() || b < fresh.size())
        m_timed[out++] = b == fresh.size() || (a < tail.size() && tail[a].first <= fresh[b].first) ? tail[a++].second
                                                                                                  : fresh[b++].second;
}

void FilteredRecords::ForgetFrom(const diagnose::RecordStore& store, diagnose::RecordId first) {
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
    return m_inOrder.MemoryBytes() + m_late.capacity() * sizeof(Late) +
           (m_timed.capacity() + m_untimed.capacity()) * sizeof(diagnose::RecordId);
}

std::optional<diagnose::RecordId> NextOfClassInLog(const diagnose::RecordStore& store, RecordClock& clock,
                                                   diagnose::RecordId from, uint16_t traceClass, bool forward,
                                                   const std::function<bool(diagnose::RecordId)>& shown) {
    const bool fromRecord = store.IsRecord(from);
    const Place start = fromRecord ? PlaceOf(store, clock, from) : Place{};
    std::optional<Place> best;
    for (const auto& [host, lists] : store.GetByHost()) {
        (void)host;
        const auto found = lists.find(traceClass);
        if (found == lists.end())
            continue;
        for (diagnose::RecordId id : *found->second) {
            if (shown && !shown(id))
                continue;
            const Place place = PlaceOf(store, clock, id);
            if (fromRecord && (forward ? !(start < place) : !(place < start)))
                continue;
            if (!best || (forward ? place < *best : *best < place))
                best = place;
        }
    }
    if (!best)
        return std::nullopt;
    return best->id;
}

} // namespace viewer

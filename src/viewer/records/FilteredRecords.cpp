// The records window's rows.
#include "viewer/records/FilteredRecords.h"

#include <algorithm>
#include <limits>

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

} // namespace

void FilteredRecords::Start(RecordTest test) {
    m_test = std::move(test);
    m_clock.Forget();
    m_timed.clear();
    m_timed.shrink_to_fit();
    m_untimed.clear();
    m_untimed.shrink_to_fit();
    m_looked = 0;
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
        if (seconds)
            fresh.emplace_back(*seconds, id);
        else
            m_untimed.push_back(id);
    }
    m_looked = std::max(m_looked, end);
    Join(store, fresh);
    return m_looked >= store.RecordCount();
}

// New timed rows join in time order. A log is written in time order almost everywhere: they
// mostly go at the end, and only the rows from the earliest new one on are merged.
void FilteredRecords::Join(const diagnose::RecordStore& store,
                           std::vector<std::pair<int64_t, diagnose::RecordId>>& fresh) {
    if (fresh.empty())
        return;
    std::stable_sort(fresh.begin(), fresh.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const size_t old = m_timed.size();
    size_t from = old;
    while (from > 0 && SecondsAt(store, from - 1) > fresh.front().first)
        --from; // the rows after the earliest new time: usually none
    m_timed.reserve(old + fresh.size());
    for (const auto& [time, id] : fresh)
        m_timed.push_back(id);
    if (from == old)
        return;
    // Earlier rows of equal time stand first: they come earlier in the file.
    std::vector<std::pair<int64_t, diagnose::RecordId>> tail;
    tail.reserve(old - from);
    for (size_t row = from; row < old; ++row)
        tail.emplace_back(SecondsAt(store, row), m_timed[row]);
    size_t a = 0, b = 0, out = from;
    while (a < tail.size() || b < fresh.size())
        m_timed[out++] =
            b == fresh.size() || (a < tail.size() && tail[a].first <= fresh[b].first) ? tail[a++].second
                                                                                       : fresh[b++].second;
}

void FilteredRecords::ForgetFrom(diagnose::RecordId first) {
    auto from = [first](diagnose::RecordId id) { return id >= first; };
    m_timed.erase(std::remove_if(m_timed.begin(), m_timed.end(), from), m_timed.end());
    m_untimed.erase(std::remove_if(m_untimed.begin(), m_untimed.end(), from), m_untimed.end());
    m_looked = std::min(m_looked, first);
    m_clock.Forget();
    m_test.Forget();
}

int64_t FilteredRecords::SecondsAt(const diagnose::RecordStore& store, size_t row) {
    int64_t seconds = 0;
    m_clock.SecondsOf(store, m_timed[row], seconds);
    return seconds;
}

size_t FilteredRecords::RowOf(const diagnose::RecordStore& store, diagnose::RecordId id) {
    const Place place = PlaceOf(store, m_clock, id);
    if (place.untimed) {
        const auto at = std::lower_bound(m_untimed.begin(), m_untimed.end(), id);
        return at != m_untimed.end() && *at == id ? m_timed.size() + static_cast<size_t>(at - m_untimed.begin())
                                                  : kNoRow;
    }
    const auto at = std::lower_bound(m_timed.begin(), m_timed.end(), place, [&](diagnose::RecordId row, const Place& p) {
        return PlaceOf(store, m_clock, row) < p;
    });
    return at != m_timed.end() && *at == id ? static_cast<size_t>(at - m_timed.begin()) : kNoRow;
}

size_t FilteredRecords::RowAtOrAfter(const diagnose::RecordStore& store, int64_t seconds) {
    const auto at = std::partition_point(m_timed.begin(), m_timed.end(), [&](diagnose::RecordId id) {
        return PlaceOf(store, m_clock, id).seconds < seconds;
    });
    return at == m_timed.end() ? kNoRow : static_cast<size_t>(at - m_timed.begin());
}

size_t FilteredRecords::NextOfClass(const diagnose::RecordStore& store, size_t row, uint16_t traceClass,
                                    bool forward) const {
    const size_t count = Count();
    if (forward) {
        for (size_t at = row == kNoRow ? 0 : row + 1; at < count; ++at)
            if (store.GetTraceClass(At(at)) == traceClass)
                return at;
    } else {
        for (size_t at = row == kNoRow ? count : std::min(row, count); at-- > 0;)
            if (store.GetTraceClass(At(at)) == traceClass)
                return at;
    }
    return kNoRow;
}

std::optional<diagnose::RecordId> NextOfClassInLog(const diagnose::RecordStore& store, RecordClock& clock,
                                                   diagnose::RecordId from, uint16_t traceClass, bool forward) {
    const bool fromRecord = store.IsRecord(from);
    const Place start = fromRecord ? PlaceOf(store, clock, from) : Place{};
    std::optional<Place> best;
    for (const auto& [host, lists] : store.GetByHost()) {
        (void)host;
        const auto found = lists.find(traceClass);
        if (found == lists.end())
            continue;
        for (diagnose::RecordId id : *found->second) {
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

// The rows of the viewer's record list.
#include "viewer/RecordRows.h"

#include "diagnose/TimeKey.h"

#include <algorithm>
#include <unordered_map>

namespace viewer {

using diagnose::RecordId;

namespace {
// The order SortRecordRows sorts in: by date text, then by time (its key, or its text where the
// key cannot hold it); by process text; any other column holds equal texts. No text is built.
bool RowLess(const diagnose::RecordStore& store, int column, RecordId a, RecordId b) {
    if (column == 1)
        return store.GetProcess(a) < store.GetProcess(b);
    if (column != 0)
        return false;
    if (store.TextNumber(a, 0) != store.TextNumber(b, 0)) // dates are interned: other texts
        return store.GetDate(a) < store.GetDate(b);
    const uint64_t timeA = store.GetTimeKey(a), timeB = store.GetTimeKey(b);
    if (timeA != diagnose::kInexactTime && timeB != diagnose::kInexactTime)
        return timeA < timeB;
    return store.CompareTimes(a, b) < 0;
}
bool SameText(const wchar_t* a, const wchar_t* b, size_t count) {
    auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c; };
    for (size_t i = 0; i < count; ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

// Whether "date time" begins with `typed`; rows mostly share their interned date, whose answer
// is kept while the typed text ends within it.
class DateTextMatch {
public:
    DateTextMatch(const diagnose::RecordStore& store, const std::wstring& typed)
        : m_store(store), m_typed(typed) {}
    bool operator()(RecordId id) {
        const std::wstring_view date = m_store.GetDate(id);
        if (const uint32_t number = m_store.TextNumber(id, 0); number != m_date) {
            m_date = number;
            m_head = SameText(date.data(), m_typed.data(), std::min(date.size(), m_typed.size()));
        }
        if (!m_head || m_typed.size() <= date.size())
            return m_head;
        if (m_typed[date.size()] != L' ')
            return false;
        const std::wstring time = m_store.GetTime(id);
        const size_t rest = m_typed.size() - date.size() - 1;
        return rest <= time.size() && SameText(time.data(), m_typed.data() + date.size() + 1, rest);
    }

private:
    const diagnose::RecordStore& m_store;
    const std::wstring& m_typed;
    uint32_t m_date = UINT32_MAX; // the number of the date m_head answers for
    bool m_head = false;
};

} // namespace

template <typename Rows>
long FindRowByDateText(const diagnose::RecordStore& store, const Rows& rows, long start,
                       const std::wstring& typed, bool wrap) {
    const long count = static_cast<long>(rows.size());
    if (typed.empty() || count == 0)
        return -1;
    start = start >= 0 && start < count ? start : 0;
    DateTextMatch matches(store, typed);
    for (long row = start; row < count; ++row)
        if (matches(rows[static_cast<size_t>(row)]))
            return row;
    for (long row = 0; wrap && row < start; ++row)
        if (matches(rows[static_cast<size_t>(row)]))
            return row;
    return -1;
}
template long FindRowByDateText(const diagnose::RecordStore&, const diagnose::RecordRowBlocks&, long,
                                const std::wstring&, bool);
template long FindRowByDateText(const diagnose::RecordStore&, const std::vector<RecordId>&, long,
                                const std::wstring&, bool);

void RecordRows::Show(const diagnose::RecordList* group) {
    m_group = group;
    m_sortColumn = -1;
    m_rows.clear(); // the last group's room goes with it
    m_taken = 0;
    if (group)
        for (RecordId id : *group)
            m_rows.push_back(id);
    if (!m_rows.empty())
        m_taken = m_rows.back() + 1;
}

RecordId RecordRows::At(long row) const {
    return row >= 0 && static_cast<size_t>(row) < m_rows.size() ? m_rows[static_cast<size_t>(row)]
                                                                : NeighbourQuery::kNoRecord;
}

long RecordRows::RowOf(RecordId record) const {
    if (record == NeighbourQuery::kNoRecord)
        return -1;
    const auto found = std::find(m_rows.begin(), m_rows.end(), record);
    return found == m_rows.end() ? -1 : static_cast<long>(found - m_rows.begin());
}

RecordRows::Marked RecordRows::Mark(const ListPlaces& places) const {
    Marked marked{At(places.selected), At(places.focused), At(places.top), {}, places.allSelected};
    marked.also.reserve(places.alsoSelected.size());
    for (long row : places.alsoSelected)
        marked.also.push_back(At(row));
    return marked;
}

ListPlaces RecordRows::Follow(const Marked& marked) const {
    ListPlaces places(RowOf(marked.selected), RowOf(marked.focused), RowOf(marked.top));
    places.allSelected = marked.all;
    if (marked.also.empty())
        return places;
    // One pass over the rows for all of them, not a search each.
    std::unordered_map<RecordId, size_t> wanted;
    for (size_t i = 0; i < marked.also.size(); ++i)
        wanted.emplace(marked.also[i], i);
    places.alsoSelected.assign(marked.also.size(), -1);
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (auto found = wanted.find(m_rows[row]); found != wanted.end())
            places.alsoSelected[found->second] = static_cast<long>(row);
    places.alsoSelected.erase(std::remove(places.alsoSelected.begin(), places.alsoSelected.end(), -1L),
                              places.alsoSelected.end());
    return places;
}

template <typename Rows> void RecordRows::Sort(const diagnose::RecordStore& store, Rows& rows) const {
    if (m_sortColumn != kMessageColumn)
        SortRecordRows(store, rows, m_sortColumn, m_ascending);
    else if (m_messages)
        m_messages->Sort(rows, m_ascending);
}

// The comparison of the sort, in its direction.
bool RecordRows::Less(const diagnose::RecordStore& store, RecordId a, RecordId b) const {
    if (!m_ascending)
        std::swap(a, b);
    if (m_sortColumn != kMessageColumn)
        return RowLess(store, m_sortColumn, a, b);
    return m_messages && m_messages->Less(a, b);
}

ListPlaces RecordRows::SortBy(const diagnose::RecordStore& store, int column, const ListPlaces& before) {
    const Marked marked = Mark(before);
    m_ascending = !m_ascending;
    m_sortColumn = column;
    Sort(store, m_rows);
    return Follow(marked);
}

RecordRows::Sorting RecordRows::StartSort(int column) const {
    Sorting sorting{m_group, column, !m_ascending, {}};
    sorting.rows.resize(m_rows.size());
    std::copy(m_rows.begin(), m_rows.end(), sorting.rows.begin());
    return sorting;
}

ListPlaces RecordRows::TakeSorted(Sorting& sorting, const ListPlaces& before, bool& taken) {
    taken = sorting.group == m_group && sorting.rows.size() == m_rows.size() && m_group;
    if (!taken)
        return before;
    const Marked marked = Mark(before);
    m_rows.swap(sorting.rows);
    m_sortColumn = sorting.column;
    m_ascending = sorting.ascending;
    return Follow(marked);
}

ListPlaces RecordRows::TakeNew(const diagnose::RecordStore& store, RecordId firstNew, bool dropped,
                               const ListPlaces& before, bool& changed) {
    changed = false;
    if (!m_group)
        return before;
    const Marked marked = Mark(before);
    const size_t count = m_rows.size();
    if (dropped)
        m_rows.truncate(static_cast<size_t>(
            std::remove_if(m_rows.begin(), m_rows.end(), [&](RecordId id) { return id >= firstNew; }) -
            m_rows.begin()));
    // Records the rows took in already (the group grew before they were shown) join once.
    const RecordId takeFrom = dropped ? firstNew : std::max(firstNew, m_taken);
    std::vector<RecordId> fresh(std::lower_bound(m_group->begin(), m_group->end(), takeFrom), m_group->end());
    m_taken = m_group->size() ? m_group->end()[-1] + 1 : 0;
    if (fresh.empty() && m_rows.size() == count)
        return before;
    changed = true;
    if (m_sortColumn < 0) {
        for (RecordId id : fresh)
            m_rows.push_back(id);
        return dropped ? Follow(marked) : before; // appended: no row moved
    }
    // One stable merge for the whole batch, in place: a row at a time would move the rows after
    // it for every record, which in a group of a million rows freezes the host. Each new record
    // goes after the rows of equal text, as sorting all again would put it.
    Sort(store, fresh);
    std::vector<size_t> at(fresh.size());
    size_t from = 0;
    for (size_t i = 0; i < fresh.size(); ++i) {
        from = static_cast<size_t>(
            std::upper_bound(m_rows.begin() + static_cast<long>(from), m_rows.end(), fresh[i],
                             [&](RecordId key, RecordId row) { return Less(store, key, row); }) -
            m_rows.begin());
        at[i] = from;
    }
    size_t end = m_rows.size();
    m_rows.resize(end + fresh.size());
    for (size_t i = fresh.size(); i-- > 0;) {
        std::move_backward(m_rows.begin() + static_cast<long>(at[i]), m_rows.begin() + static_cast<long>(end),
                           m_rows.begin() + static_cast<long>(end + i + 1));
        m_rows[at[i] + i] = fresh[i];
        end = at[i];
    }
    return Follow(marked);
}

void RecordRows::FindNeighbour(NeighbourQuery& query) const {
    query.neighbour = NeighbourQuery::kNoRecord;
    query.neighbourHasNext = query.neighbourHasPrevious = false;
    query.recordHasNext = query.recordHasPrevious = false;
    const long row = RowOf(query.record);
    if (row < 0)
        return;
    const long count = static_cast<long>(m_rows.size());
    query.recordHasNext = row + 1 < count;
    query.recordHasPrevious = row >= 1;
    if (query.previous ? row == 0 : row + 1 >= count)
        return;
    const long neighbour = query.previous ? row - 1 : row + 1;
    query.neighbour = m_rows[static_cast<size_t>(neighbour)];
    query.neighbourHasNext = neighbour + 1 < count;
    query.neighbourHasPrevious = neighbour >= 1;
}

} // namespace viewer

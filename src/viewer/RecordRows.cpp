// The rows of the viewer's record list.
#include "viewer/RecordRows.h"

#include <algorithm>

namespace viewer {

using diagnose::RecordId;

void RecordRows::Show(const diagnose::RecordList* group) {
    m_group = group;
    m_sortColumn = -1;
    m_rows.clear();
    if (group)
        m_rows.assign(group->begin(), group->end());
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

ListPlaces RecordRows::Follow(const std::vector<RecordId>& old, const ListPlaces& before) const {
    auto recordAt = [&](long row) {
        return row >= 0 && static_cast<size_t>(row) < old.size() ? old[static_cast<size_t>(row)]
                                                                 : NeighbourQuery::kNoRecord;
    };
    return {RowOf(recordAt(before.selected)), RowOf(recordAt(before.focused)), RowOf(recordAt(before.top))};
}

ListPlaces RecordRows::SortBy(const diagnose::RecordStore& store, int column, const ListPlaces& before) {
    const std::vector<RecordId> old = m_rows;
    m_ascending = !m_ascending;
    m_sortColumn = column;
    SortRecordRows(store, m_rows, column, m_ascending);
    return Follow(old, before);
}

ListPlaces RecordRows::TakeNew(const diagnose::RecordStore& store, RecordId firstNew, bool dropped,
                               const ListPlaces& before, bool& changed) {
    changed = false;
    if (!m_group)
        return before;
    std::vector<RecordId> old = m_rows;
    if (dropped)
        m_rows.erase(
            std::remove_if(m_rows.begin(), m_rows.end(), [&](RecordId id) { return id >= firstNew; }),
            m_rows.end());
    std::vector<RecordId> fresh(std::lower_bound(m_group->begin(), m_group->end(), firstNew), m_group->end());
    if (fresh.empty() && m_rows.size() == old.size())
        return before;
    changed = true;
    if (m_sortColumn < 0) {
        m_rows.insert(m_rows.end(), fresh.begin(), fresh.end());
    } else {
        // One stable merge for the whole batch: a row at a time would move the rows after it
        // for every record, which in a group of a million rows freezes the host.
        SortRecordRows(store, fresh, m_sortColumn, m_ascending);
        std::vector<RecordId> merged;
        merged.reserve(m_rows.size() + fresh.size());
        auto from = m_rows.begin();
        for (RecordId id : fresh) {
            const std::wstring text = store.RowText(id, m_sortColumn);
            // After the rows whose text equals the new one's, as sorting all again would put it.
            const auto at =
                std::upper_bound(from, m_rows.end(), text, [&](const std::wstring& key, RecordId row) {
                    const std::wstring other = store.RowText(row, m_sortColumn);
                    return m_ascending ? key < other : other < key;
                });
            merged.insert(merged.end(), from, at);
            merged.push_back(id);
            from = at;
        }
        merged.insert(merged.end(), from, m_rows.end());
        m_rows = std::move(merged);
    }
    return Follow(old, before);
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

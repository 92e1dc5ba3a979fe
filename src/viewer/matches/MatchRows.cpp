// The rows of the match window.
#include "viewer/matches/MatchRows.h"

#include <algorithm>
#include <numeric>

namespace viewer {

void MatchRows::Fill(const std::vector<bool>& marks, const ColumnTexts* sorted) {
    m_end = marks.size();
    if (!sorted || m_sortColumn < 0) {
        m_sortColumn = -1;
        m_ascending = false;
        sorted = nullptr;
    }
    std::vector<diagnose::RecordId> rows;
    rows.reserve(static_cast<size_t>(std::count(marks.begin(), marks.end(), true)));
    for (size_t id = 0; id < marks.size(); ++id)
        if (marks[id])
            rows.push_back(static_cast<diagnose::RecordId>(id));
    m_rows.swap(rows);
    if (sorted)
        Sort(*sorted);
}

RowChange MatchRows::TakeNew(const std::vector<bool>& marks, diagnose::RecordId firstNew,
                             const ColumnTexts& texts) {
    RowChange change;
    // Only records filed again (the provisional last line) take rows back: rarely, and few.
    if (firstNew < m_end) {
        size_t kept = 0;
        for (size_t row = 0; row < m_rows.size(); ++row) {
            if (m_rows[row] >= firstNew)
                change.removed.push_back(row);
            else
                m_rows[kept++] = m_rows[row];
        }
        m_rows.resize(kept);
    }
    std::vector<diagnose::RecordId> fresh;
    for (size_t id = std::min<size_t>(firstNew, m_end); id < marks.size(); ++id)
        if (marks[id])
            fresh.push_back(static_cast<diagnose::RecordId>(id));
    m_end = marks.size();
    if (m_sortColumn >= 0 && !fresh.empty()) {
        change.inserted = Merge(std::move(fresh), texts);
    } else {
        for (diagnose::RecordId id : fresh) {
            change.inserted.push_back(m_rows.size());
            m_rows.push_back(id);
        }
    }
    return change;
}

// Each new row goes after the rows of equal text, as if it had been there when the header was
// clicked; answers where the new rows stand.
std::vector<size_t> MatchRows::Merge(std::vector<diagnose::RecordId> fresh, const ColumnTexts& texts) {
    std::vector<std::wstring> freshTexts;
    texts(m_sortColumn, fresh, freshTexts);
    if (freshTexts.size() != fresh.size())
        return {};
    std::vector<uint32_t> order(fresh.size());
    std::iota(order.begin(), order.end(), 0u);
    auto before = [&](const std::wstring& a, const std::wstring& b) { return m_ascending ? a < b : b < a; };
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return before(freshTexts[a], freshTexts[b]); });
    std::vector<std::wstring> one;
    std::vector<size_t> at(fresh.size());
    size_t from = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        const std::wstring& key = freshTexts[order[i]];
        size_t low = from, high = m_rows.size();
        while (low < high) { // the first row whose text comes after the key
            const size_t middle = low + (high - low) / 2;
            one.clear();
            texts(m_sortColumn, {m_rows[middle]}, one);
            if (!one.empty() && before(key, one[0]))
                high = middle;
            else
                low = middle + 1;
        }
        at[i] = from = low;
    }
    // In place, from the back: each row moves once.
    size_t end = m_rows.size();
    m_rows.resize(end + fresh.size());
    std::vector<size_t> inserted(fresh.size());
    for (size_t i = fresh.size(); i-- > 0;) {
        std::move_backward(m_rows.begin() + static_cast<long>(at[i]), m_rows.begin() + static_cast<long>(end),
                           m_rows.begin() + static_cast<long>(end + i + 1));
        m_rows[at[i] + i] = fresh[order[i]];
        inserted[i] = at[i] + i;
        end = at[i];
    }
    return inserted;
}

// Only the ranges that touch [first, last) are replaced: the list reports its rows one by one,
// in order, so most calls end at the last range.
void SelectedRows::Set(long first, long last, bool selected) {
    if (first >= last)
        return;
    const auto begin =
        std::lower_bound(m_ranges.begin(), m_ranges.end(), first,
                         [](const std::pair<long, long>& range, long row) { return range.second < row; });
    const auto end =
        std::upper_bound(begin, m_ranges.end(), last,
                         [](long row, const std::pair<long, long>& range) { return row < range.first; });
    std::vector<std::pair<long, long>> replaced;
    if (selected) { // joined with what touches it
        replaced.push_back({begin != end ? std::min(first, begin->first) : first,
                            begin != end ? std::max(last, (end - 1)->second) : last});
    } else {
        for (auto range = begin; range != end; ++range) {
            if (range->first < first)
                replaced.push_back({range->first, first});
            if (range->second > last)
                replaced.push_back({last, range->second});
        }
    }
    m_ranges.insert(m_ranges.erase(begin, end), replaced.begin(), replaced.end());
}

size_t SelectedRows::Count() const {
    size_t count = 0;
    for (const auto& range : m_ranges)
        count += static_cast<size_t>(range.second - range.first);
    return count;
}

std::vector<std::pair<long, bool>> SelectedRows::Insert(const std::vector<size_t>& inserted) {
    std::vector<std::pair<long, long>> moved;
    size_t shift = 0;
    for (const auto& range : m_ranges) {
        for (long row = range.first; row < range.second;) {
            while (shift < inserted.size() && static_cast<long>(inserted[shift]) <= row + long(shift))
                ++shift;
            // Rows up to the next new one keep this shift.
            const long end = shift < inserted.size()
                                 ? std::min(range.second, long(inserted[shift]) - long(shift))
                                 : range.second;
            if (!moved.empty() && moved.back().second == row + long(shift))
                moved.back().second = end + long(shift);
            else
                moved.push_back({row + long(shift), end + long(shift)});
            row = end;
        }
    }
    // The rows whose state differs: a sweep over both sets of edges.
    std::vector<std::pair<long, int>> edges; // row, +1 old begins / -1 old ends, +2 new begins / -2 new ends
    for (const auto& range : m_ranges)
        edges.insert(edges.end(), {{range.first, 1}, {range.second, -1}});
    for (const auto& range : moved)
        edges.insert(edges.end(), {{range.first, 2}, {range.second, -2}});
    std::sort(edges.begin(), edges.end());
    std::vector<std::pair<long, bool>> changed;
    int state = 0; // bit 1: in an old range, bit 2: in a new one
    for (size_t i = 0; i < edges.size();) {
        const long row = edges[i].first;
        for (; i < edges.size() && edges[i].first == row; ++i)
            state += edges[i].second;
        const long next = i < edges.size() ? edges[i].first : row;
        if (state == 1 || state == 2)
            for (long r = row; r < next; ++r)
                changed.push_back({r, state == 2});
    }
    m_ranges.swap(moved);
    return changed;
}

void MatchRows::SortBy(int column, const ColumnTexts& texts) {
    m_ascending = !m_ascending;
    m_sortColumn = column;
    Sort(texts);
}

void MatchRows::Clear() {
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_sortColumn = -1;
    m_ascending = false;
}

void MatchRows::Sort(const ColumnTexts& texts) {
    std::vector<std::wstring> keys;
    texts(m_sortColumn, m_rows, keys);
    if (keys.size() != m_rows.size())
        return;
    std::vector<uint32_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0u);
    // Descending reverses the comparison, not the result: equal texts keep their order.
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return m_ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    std::vector<diagnose::RecordId> sorted(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        sorted[i] = m_rows[order[i]];
    m_rows.swap(sorted);
}

std::wstring MatchesTitle(std::wstring format, const std::wstring& what, size_t count) {
    const std::wstring number = std::to_wstring(count);
    const size_t text = format.find(L"%s");
    if (text != std::wstring::npos)
        format.replace(text, 2, what);
    // After the text went in, and searched for after it: the text may hold "%u" itself.
    const size_t at = format.find(L"%u", text == std::wstring::npos ? 0 : text + what.size());
    if (at != std::wstring::npos)
        format.replace(at, 2, number);
    return format;
}

} // namespace viewer

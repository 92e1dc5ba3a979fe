// The rows of the match window.
#include "viewer/matches/MatchRows.h"

#include "diagnose/LineScanner.h"

#include <algorithm>
#include <numeric>

namespace viewer {

void MatchRows::Fill(const std::vector<bool>& marks) {
    m_sortColumn = -1;
    m_ascending = false;
    std::vector<diagnose::RecordId> rows;
    rows.reserve(static_cast<size_t>(std::count(marks.begin(), marks.end(), true)));
    for (size_t id = 0; id < marks.size(); ++id)
        if (marks[id])
            rows.push_back(static_cast<diagnose::RecordId>(id));
    m_rows.swap(rows);
}

void MatchRows::TakeNew(const std::vector<bool>& marks, diagnose::RecordId firstNew,
                        const ColumnTexts& texts) {
    m_rows.erase(
        std::remove_if(m_rows.begin(), m_rows.end(), [&](diagnose::RecordId id) { return id >= firstNew; }),
        m_rows.end());
    const size_t before = m_rows.size();
    for (size_t id = firstNew; id < marks.size(); ++id)
        if (marks[id])
            m_rows.push_back(static_cast<diagnose::RecordId>(id));
    // The rows are in sort order and the new ones follow in file order: a stable sort puts each
    // new row after the rows of equal text, as if it had been there when the header was clicked.
    if (m_sortColumn >= 0 && m_rows.size() > before)
        Sort(texts);
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

std::wstring TextAfterHeader(const std::wstring& line) {
    const diagnose::HeaderSpans header = diagnose::ScanHeader<wchar_t>(line.data(), line.size());
    return line.substr(header.found ? header.end : 0);
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

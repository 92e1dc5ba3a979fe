// The rows of the match window: the records that hold the search text, in file order or
// sorted by a column's text, following the log as it grows. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"

#include <functional>
#include <string>
#include <vector>

namespace viewer {

// The texts of `column` for `rows`, in the order given. The window answers them from the index
// and, for the line's text, from the log; a sort asks for all rows at once, so that the log is
// read in one pass rather than line by line.
using ColumnTexts = std::function<void(int column, const std::vector<diagnose::RecordId>& rows,
                                       std::vector<std::wstring>& texts)>;

// How a batch of new matches changed the rows: the rows that went (in the old numbering) and
// the rows that came (in the new), each ascending.
struct RowChange {
    std::vector<size_t> removed;
    std::vector<size_t> inserted;
};

class MatchRows {
public:
    // The records marked in `marks`, in file order, or sorted as they were when `sorted` is
    // given (the same search read again); else a sort is forgotten. The rows take four bytes per
    // match and no more: they are counted before they are stored.
    void Fill(const std::vector<bool>& marks, const ColumnTexts* sorted = nullptr);
    // Records from `firstNew` on were filed (or filed again): the rows at or after it go, and
    // the marked ones from there join, at the end in file order, or where sorting would put
    // them (after the rows of equal text) when the rows are sorted: one stable merge, which asks
    // for the texts of the new rows and of the rows a binary search looks at, not of them all.
    RowChange TakeNew(const std::vector<bool>& marks, diagnose::RecordId firstNew, const ColumnTexts& texts);
    // A header click: by that column's text (code-unit order), equal texts keeping their order;
    // the first click ascending, then each click toggles, one direction for all columns.
    void SortBy(int column, const ColumnTexts& texts);
    void Clear();

    const std::vector<diagnose::RecordId>& Rows() const { return m_rows; }
    // Whether records from `firstNew` on may take rows back (they were looked at before).
    bool TakesBack(diagnose::RecordId firstNew) const { return firstNew < m_end; }
    // The records looked at so far.
    diagnose::RecordId End() const { return static_cast<diagnose::RecordId>(m_end); }
    int SortColumn() const { return m_sortColumn; }
    bool Ascending() const { return m_ascending; }

private:
    void Sort(const ColumnTexts& texts);
    std::vector<size_t> Merge(std::vector<diagnose::RecordId> fresh, const ColumnTexts& texts);

    std::vector<diagnose::RecordId> m_rows;
    size_t m_end = 0;      // the records looked at so far: rows of records before it stay
    int m_sortColumn = -1; // -1: file order
    bool m_ascending = false;
};

// The selected rows as the list reports them, kept as ranges so that rows that go in between
// move the selection with its records without asking a list of millions row by row.
class SelectedRows {
public:
    // Rows [first, last) are now selected or not.
    void Set(long first, long last, bool selected);
    void Clear() { m_ranges.clear(); }
    size_t Count() const;
    // Unselected rows went in at `inserted` (ascending, in the new numbering): the ranges move;
    // answers the rows whose state differs from before at the same number, with the new state.
    std::vector<std::pair<long, bool>> Insert(const std::vector<size_t>& inserted);
    const std::vector<std::pair<long, long>>& Ranges() const { return m_ranges; }

private:
    std::vector<std::pair<long, long>> m_ranges; // [first, last), ascending, apart
};

// The window's title from its format: "%s" becomes the search text, "%u" the number of matches.
std::wstring MatchesTitle(std::wstring format, const std::wstring& what, size_t count);

} // namespace viewer

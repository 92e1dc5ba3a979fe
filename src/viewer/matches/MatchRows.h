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

class MatchRows {
public:
    // The records marked in `marks`, in file order; a sort is forgotten. The rows take four
    // bytes per match and no more: they are counted before they are stored.
    void Fill(const std::vector<bool>& marks);
    // Records from `firstNew` on were filed (or filed again): the rows at or after it go, and
    // the marked ones from there join, at the end in file order, or where sorting would put
    // them (after the rows of equal text) when the rows are sorted.
    void TakeNew(const std::vector<bool>& marks, diagnose::RecordId firstNew, const ColumnTexts& texts);
    // A header click: by that column's text (code-unit order), equal texts keeping their order;
    // the first click ascending, then each click toggles, one direction for all columns.
    void SortBy(int column, const ColumnTexts& texts);
    void Clear();

    const std::vector<diagnose::RecordId>& Rows() const { return m_rows; }
    int SortColumn() const { return m_sortColumn; }

private:
    void Sort(const ColumnTexts& texts);

    std::vector<diagnose::RecordId> m_rows;
    int m_sortColumn = -1; // -1: file order
    bool m_ascending = false;
};

// What the text column shows of a line: the line after its header (date, time and the blanks
// after them), the whole line when it has none.
std::wstring TextAfterHeader(const std::wstring& line);

// The window's title from its format: "%s" becomes the search text, "%u" the number of matches.
std::wstring MatchesTitle(std::wstring format, const std::wstring& what, size_t count);

} // namespace viewer

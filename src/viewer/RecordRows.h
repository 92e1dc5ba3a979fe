// The rows of the viewer's record list, without the window: which group they show, in which
// order, how new records join them, and where the rows that mattered stand after a change.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/details/NeighbourQuery.h"

#include <vector>

namespace viewer {

// Rows the list keeps track of across a change, by row number; -1 for none.
struct ListPlaces {
    long selected = -1;
    long focused = -1;
    long top = -1;
};

// The records of one group as the list shows them: in file order until a header click sorts
// them (stably, by the column's text; each click turns the direction round). Records are found
// by id, so what the operator looks at stays with its record whatever joins or moves.
class RecordRows {
public:
    // Shows `group` (null: nothing) in file order.
    void Show(const diagnose::RecordList* group);
    const diagnose::RecordList* Group() const { return m_group; }

    size_t Count() const { return m_rows.size(); }
    // In blocks, as the index keeps its lists: a group of millions needs no piece of memory as
    // large as its rows, nor twice that when rows arrive or while it sorts.
    const diagnose::RecordRowBlocks& Ids() const { return m_rows; }
    // The record in `row`; kNoRecord outside the rows.
    diagnose::RecordId At(long row) const;
    // The row of `record`; -1 when it is not shown.
    long RowOf(diagnose::RecordId record) const;

    int SortColumn() const { return m_sortColumn; } // -1: file order
    bool Ascending() const { return m_ascending; }
    // Sorts by `column`, the other way round from the last click; answers where `before` stands.
    ListPlaces SortBy(const diagnose::RecordStore& store, int column, const ListPlaces& before);

    // The group's records from `firstNew` on join the rows: at the end in file order, where a
    // stable sort would put them when sorted (after the rows of equal text). With `dropped`,
    // the rows of records from `firstNew` on go first (the provisional last line was filed
    // again). Answers where `before` stands now; `changed` tells whether any row did.
    ListPlaces TakeNew(const diagnose::RecordStore& store, diagnose::RecordId firstNew, bool dropped,
                       const ListPlaces& before, bool& changed);

    // The record above or below `query.record` in the rows as they stand.
    void FindNeighbour(NeighbourQuery& query) const;

private:
    // The records that stood at a list's places before a change.
    struct Marked {
        diagnose::RecordId selected, focused, top;
    };
    Marked Mark(const ListPlaces& places) const;
    ListPlaces Follow(const Marked& marked) const;

    const diagnose::RecordList* m_group = nullptr;
    diagnose::RecordRowBlocks m_rows;
    diagnose::RecordId m_taken = 0; // the group's records below this are rows
    int m_sortColumn = -1;
    bool m_ascending = false;
};

// The list's type-ahead: the first of `rows` from `start` on (around past the last to the first
// when `wrap`) whose first column, date and time, begins with `typed` (ASCII letters compared
// without regard to case); -1 when none does, so that the list keeps its selection.
// For the viewer's rows and the match window's.
template <typename Rows>
long FindRowByDateText(const diagnose::RecordStore& store, const Rows& rows, long start,
                       const std::wstring& typed, bool wrap);

} // namespace viewer

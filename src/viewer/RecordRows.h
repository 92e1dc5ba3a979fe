// The rows of the viewer's record list, without the window: which group they show, in which
// order, how new records join them, and where the rows that mattered stand after a change.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/MessageKeys.h"
#include "viewer/details/NeighbourQuery.h"

#include <vector>

namespace viewer {

// Rows the list keeps track of across a change, by row number; -1 for none.
struct ListPlaces {
    ListPlaces(long selected = -1, long focused = -1, long top = -1)
        : selected(selected), focused(focused), top(top) {}
    long selected = -1;
    long focused = -1;
    long top = -1;
    // The other selected rows of a selection of several (at most kFollowedSelection of them).
    std::vector<long> alsoSelected;
    // More rows are selected than are listed: after a change that moves rows, only those listed
    // stay selected.
    bool moreSelected = false;
    // Every row is selected (none is listed): so it stays, whatever moves.
    bool allSelected = false;
};

// A selection of more rows follows only its first row across a sort or a merge: finding each
// row again, and setting its state in the platform's list, costs a message a row.
constexpr size_t kFollowedSelection = 4096;

// The list's columns: date and time, process, message.
constexpr int kMessageColumn = 2;

// The records of one group as the list shows them: in file order until a header click sorts
// them (stably, by the column's text; each click turns the direction round). Records are found
// by id, so what the operator looks at stays with its record whatever joins or moves. The
// message column sorts by keys its owner reads from the log (SetMessageKeys); the others by
// the index's.
class RecordRows {
public:
    // The keys the message column sorts by; they must be of the shown group when it is sorted so.
    void SetMessageKeys(const MessageKeys* keys) { m_messages = keys; }

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
    // The same sort made elsewhere (by the index's keys; not the message column): a copy of the
    // rows, which SortRecordRows orders while the rows stay as they are.
    struct Sorting {
        const diagnose::RecordList* group = nullptr;
        int column = -1;
        bool ascending = true;
        diagnose::RecordRowBlocks rows;
    };
    Sorting StartSort(int column) const;
    // Takes the rows `sorting` ordered, when they are still those of the rows (the same group,
    // nothing joined since); answers where `before` stands then, or `before` when not taken.
    ListPlaces TakeSorted(Sorting& sorting, const ListPlaces& before, bool& taken);

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
        std::vector<diagnose::RecordId> also;
        bool all;
    };
    Marked Mark(const ListPlaces& places) const;
    ListPlaces Follow(const Marked& marked) const;
    template <typename Rows> void Sort(const diagnose::RecordStore& store, Rows& rows) const;
    bool Less(const diagnose::RecordStore& store, diagnose::RecordId a, diagnose::RecordId b) const;

    const diagnose::RecordList* m_group = nullptr;
    diagnose::RecordRowBlocks m_rows;
    diagnose::RecordId m_taken = 0; // the group's records below this are rows
    int m_sortColumn = -1;
    bool m_ascending = false;
    const MessageKeys* m_messages = nullptr;
};

// The list's type-ahead: the first of `rows` from `start` on (around past the last to the first
// when `wrap`) whose first column, date and time, begins with `typed` (ASCII letters compared
// without regard to case); -1 when none does, so that the list keeps its selection.
// For the viewer's rows and the match window's.
template <typename Rows>
long FindRowByDateText(const diagnose::RecordStore& store, const Rows& rows, long start,
                       const std::wstring& typed, bool wrap);

} // namespace viewer

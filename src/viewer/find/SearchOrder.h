// Where "find next" goes: the order in which the viewer searches its records, as a pure
// function of the tree's entries, the list's rows and which records match.
#pragma once

#include "diagnose/RecordStore.h"

#include <functional>
#include <vector>

namespace viewer {

// Where the search starts.
struct SearchStart {
    // The entry whose records the list shows, by its place in `entries`; -1 when a heading or
    // nothing is selected.
    long shownEntry = -1;
    // With a heading selected: the place of its first entry; -1 with nothing selected.
    long headingEntry = -1;
    // The list's rows in the order shown (for the shown entry) and the selected row, -1 for none.
    const diagnose::RecordRowBlocks* rows = nullptr;
    long selectedRow = -1;
};

struct SearchHit {
    long entry = -1; // place in `entries`; -1: nothing found
    diagnose::RecordId record = 0;
    bool Found() const { return entry >= 0; }
};

// The next record that `matches`, searching `down` or up: from the selected row through the
// shown list (from its first row when none is selected), then through the following entries in
// tree order, each in file order (as selecting it shows it), around past the last entry to the
// first, and back to the shown list's rows on the other side of the selection, the selected row
// itself last. With a heading selected it starts at the heading's first entry (going up: at the
// entry before it); with nothing selected, at the first entry (going up: the last). An entry of
// null has no records.
SearchHit FindNextMatch(const std::vector<const diagnose::RecordList*>& entries, const SearchStart& start,
                        bool down, const std::function<bool(diagnose::RecordId)>& matches);

} // namespace viewer

// Where "find next" goes.
#include "viewer/find/SearchOrder.h"

#include <algorithm>

namespace viewer {

using diagnose::RecordId;

SearchHit FindNextMatch(const std::vector<const diagnose::RecordList*>& entries, const SearchStart& start,
                        bool down, const std::function<bool(RecordId)>& matches) {
    const long n = static_cast<long>(entries.size());
    if (n == 0)
        return {};
    const long step = down ? 1 : -1;
    auto wrap = [&](long k) { return ((k % n) + n) % n; };

    // The shown rows in [from, to), walked in the search's direction.
    auto searchRows = [&](long from, long to) -> SearchHit {
        const diagnose::RecordRowBlocks& rows = *start.rows;
        for (long row = down ? from : to - 1; down ? row < to : row >= from; row += step)
            if (matches(rows[static_cast<size_t>(row)]))
                return {start.shownEntry, rows[static_cast<size_t>(row)]};
        return {};
    };
    auto searchEntry = [&](long place) -> SearchHit {
        const diagnose::RecordList* list = entries[static_cast<size_t>(place)];
        if (!list)
            return {};
        if (down) {
            const auto found = std::find_if(list->begin(), list->end(), matches);
            return found == list->end() ? SearchHit{} : SearchHit{place, *found};
        }
        const auto found = std::find_if(list->rbegin(), list->rend(), matches);
        return found == list->rend() ? SearchHit{} : SearchHit{place, *found};
    };

    if (start.shownEntry >= 0 && start.shownEntry < n && start.rows) {
        const long count = static_cast<long>(start.rows->size());
        const long row = start.selectedRow < count ? start.selectedRow : -1;
        SearchHit hit = row < 0 ? searchRows(0, count)
                        : down  ? searchRows(row + 1, count)
                                : searchRows(0, row);
        for (long k = 1; !hit.Found() && k < n; ++k)
            hit = searchEntry(wrap(start.shownEntry + step * k));
        // Around to the shown list: the rows on the other side, the selected one last.
        if (!hit.Found() && row >= 0)
            hit = down ? searchRows(0, row + 1) : searchRows(row, count);
        return hit;
    }
    long first = start.headingEntry >= 0 && start.headingEntry < n ? start.headingEntry : 0;
    if (!down)
        first = start.headingEntry >= 0 && start.headingEntry < n ? first - 1 : n - 1;
    for (long k = 0; k < n; ++k)
        if (const SearchHit hit = searchEntry(wrap(first + step * k)); hit.Found())
            return hit;
    return {};
}

} // namespace viewer

// The next record of a trace class across all computers.
#include "viewer/records/ClassSteps.h"

#include "viewer/records/LogPlace.h"

#include <algorithm>

namespace viewer {

void ClassSteps::Forget() {
    m_lists.clear();
    m_clock.Forget();
}

const ClassSteps::Known& ClassSteps::Check(const diagnose::RecordStore& store, const diagnose::RecordList& list,
                                           size_t most) {
    Known& known = m_lists[&list];
    if (known.checked > list.size())
        known = {}; // taken back and filed again
    for (const size_t end = std::min(list.size(), known.checked + std::min(most, list.size()));
         known.checked < end; ++known.checked)
        if (known.checked > 0 && known.ordered &&
            PlaceOf(store, m_clock, list[known.checked]) < PlaceOf(store, m_clock, list[known.checked - 1]))
            known.ordered = false;
    return known;
}

bool ClassSteps::Prepare(const diagnose::RecordStore& store, uint16_t traceClass, size_t most) {
    for (const auto& [host, lists] : store.GetByHost()) {
        (void)host;
        const auto found = lists.find(traceClass);
        if (found == lists.end())
            continue;
        const size_t before = m_lists[found->second].checked;
        const Known& known = Check(store, *found->second, most);
        const size_t looked = known.checked >= before ? known.checked - before : known.checked;
        most -= std::min(most, looked);
        if (known.checked < found->second->size())
            return false;
    }
    return true;
}

std::optional<diagnose::RecordId> ClassSteps::Next(const diagnose::RecordStore& store, diagnose::RecordId from,
                                                   uint16_t traceClass, bool forward) {
    const bool fromRecord = store.IsRecord(from);
    const LogPlace start = fromRecord ? PlaceOf(store, m_clock, from) : LogPlace{};
    std::optional<LogPlace> best;
    auto consider = [&](diagnose::RecordId id) {
        const LogPlace place = PlaceOf(store, m_clock, id);
        if (fromRecord && (forward ? !(start < place) : !(place < start)))
            return;
        if (!best || (forward ? place < *best : *best < place))
            best = place;
    };
    for (const auto& [host, lists] : store.GetByHost()) {
        (void)host;
        const auto found = lists.find(traceClass);
        if (found == lists.end() || found->second->empty())
            continue;
        const diagnose::RecordList& list = *found->second;
        if (!Check(store, list).ordered) {
            for (diagnose::RecordId id : list)
                consider(id);
            continue;
        }
        if (!fromRecord) {
            consider(forward ? list[0] : list.back());
            continue;
        }
        // The first record after the start, or the last before it.
        const auto after = std::partition_point(list.begin(), list.end(), [&](diagnose::RecordId id) {
            return !(start < PlaceOf(store, m_clock, id));
        });
        if (forward && after != list.end())
            consider(*after);
        const auto before = std::partition_point(list.begin(), list.end(), [&](diagnose::RecordId id) {
            return PlaceOf(store, m_clock, id) < start;
        });
        if (!forward && before != list.begin())
            consider(*(before - 1));
    }
    if (!best)
        return std::nullopt;
    return best->id;
}

} // namespace viewer

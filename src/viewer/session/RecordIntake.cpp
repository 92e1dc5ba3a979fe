// What the viewer's windows know of the index.
#include "viewer/session/RecordIntake.h"

#include <algorithm>

namespace viewer {
namespace {
GroupKey KeyOf(const diagnose::RecordStore& store, diagnose::RecordId id) {
    return {std::wstring(store.GetHost(id)), store.GetTraceClass(id)};
}
} // namespace

RecordIntake::Step RecordIntake::Take(const diagnose::RecordStore& store, size_t mostGroups) {
    Step step;
    const diagnose::RecordId count = store.RecordCount();
    const uint32_t tails = store.TailsTakenBack();
    step.dropped = tails != m_tailsSeen;
    step.firstNew = m_shown;
    if (step.dropped && m_tailGroup) {
        step.changed.push_back(*m_tailGroup);
        step.firstNew = m_shown - 1;
    }
    std::vector<diagnose::RecordId> firsts;
    m_shown = store.FirstOfEachList(step.firstNew, count, mostGroups, firsts);
    for (const diagnose::RecordId id : firsts)
        step.changed.push_back(KeyOf(store, id));
    m_tailsSeen = tails;
    m_tailGroup.reset();
    if (store.HasTail() && m_shown == count && count > 0)
        m_tailGroup = KeyOf(store, count - 1);
    m_addedFrom = std::min(m_addedFrom, step.firstNew);
    std::sort(step.changed.begin(), step.changed.end());
    step.changed.erase(std::unique(step.changed.begin(), step.changed.end()), step.changed.end());
    step.complete = m_shown >= count;
    if (step.complete)
        step.addedFrom = std::exchange(m_addedFrom, kNothingAdded);
    return step;
}

void RecordIntake::Reset(const diagnose::RecordStore& store) {
    m_shown = store.RecordCount();
    m_tailsSeen = store.TailsTakenBack();
    m_addedFrom = kNothingAdded;
    m_tailGroup.reset();
}

} // namespace viewer

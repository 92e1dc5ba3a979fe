// What the viewer's windows know of the index: the records they have taken in, and which groups
// the next records join. No platform headers, no windows.
#pragma once

#include "diagnose/GroupKey.h"
#include "diagnose/RecordStore.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace viewer {

class RecordIntake {
public:
    static constexpr diagnose::RecordId kNothingAdded = UINT32_MAX;

    // One dispatch's part of what the reading thread filed.
    struct Step {
        // The first record to take in; one before what was shown when the provisional last line
        // was taken back (it may have been filed again under another group, or not at all).
        diagnose::RecordId firstNew = 0;
        bool dropped = false;
        std::vector<GroupKey> changed; // the groups that gained or lost records, sorted, once each
        // Every record filed has joined: the windows the viewer owns are told from addedFrom on.
        bool complete = true;
        diagnose::RecordId addedFrom = kNothingAdded;
    };

    // Whether the store holds nothing the windows have not taken in.
    bool UpToDate(const diagnose::RecordStore& store) const {
        return store.TailsTakenBack() == m_tailsSeen && store.RecordCount() == m_shown;
    }
    // The records of at most `mostGroups` groups that are new to them; the rest come in the next.
    Step Take(const diagnose::RecordStore& store, size_t mostGroups);
    // The windows start from the store as it is (emptied for a new load).
    void Reset(const diagnose::RecordStore& store);
    // The records below this one the windows know of.
    diagnose::RecordId Shown() const { return m_shown; }

private:
    diagnose::RecordId m_shown = 0;
    uint32_t m_tailsSeen = 0;
    diagnose::RecordId m_addedFrom = kNothingAdded; // since the last complete step
    std::optional<GroupKey> m_tailGroup;            // the provisional last line's group
};

} // namespace viewer

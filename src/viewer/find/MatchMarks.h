// Which records hold the search text: every line is read once, then only the lines that arrive.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/find/TextMatcher.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace viewer {

class MatchMarks {
public:
    // Looks at the records not looked at yet, up to the store's last and at most `most` of
    // them: they are read from `source` and checked against what was indexed. Changed when the source no
    // longer holds what was indexed, Failed when it could not be read (`Error()` says why); nothing is kept
    // then, and the next update reads every line again.
    diagnose::Recheck Update(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                             const TextMatcher& matcher, size_t most = SIZE_MAX);
    bool Marked(diagnose::RecordId id) const { return id < m_marks.size() && m_marks[id]; }
    // The records looked at: [0, Size()), and which of them hold the text.
    size_t Size() const { return m_marks.size(); }
    const std::vector<bool>& Bits() const { return m_marks; }
    // The marked records in file order while there are at most kListedMost of them, else null:
    // Find Next then looks only at their groups, not at every group of the tree.
    static constexpr size_t kListedMost = 65536;
    const std::vector<diagnose::RecordId>* Listed() const { return m_listing ? &m_listed : nullptr; }
    // Records from `first` on are to be looked at again (the store took them back or changed).
    void ForgetFrom(diagnose::RecordId first);
    void Clear();
    // The source's error code of the last failed update.
    uint32_t Error() const { return m_error; }

private:
    std::vector<bool> m_marks;
    std::vector<diagnose::RecordId> m_listed;
    bool m_listing = true; // m_listed holds every marked record
    uint32_t m_error = 0;
};

} // namespace viewer

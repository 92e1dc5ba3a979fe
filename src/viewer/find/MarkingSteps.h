// The search's marks brought up on the reading thread. No platform headers.
#pragma once

#include "diagnose/WriteGate.h"
#include "viewer/find/MatchMarks.h"

#include <functional>
#include <memory>

namespace viewer {

// Brings `marks` up to the store's last record, `perStep` records a look. The lines are read and
// matched outside the gate, so that the viewer's thread (a paint, a key) never waits for a read;
// what was found joins the marks under it. `matcher` is asked under the gate for the search as
// it stands then: the viewer's thread may change the search, or forget marks, between two steps,
// and a look begun before is not added. Ends as the gate's Enter does when a stop is asked.
diagnose::Recheck MarkInSteps(diagnose::WriteGate* gate, const diagnose::RecordStore& store,
                              diagnose::ByteSource& source, MatchMarks& marks,
                              const std::function<std::unique_ptr<TextMatcher>()>& matcher, size_t perStep);

} // namespace viewer

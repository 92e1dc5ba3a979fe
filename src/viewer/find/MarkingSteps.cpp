// The search's marks brought up on the reading thread.
#include "viewer/find/MarkingSteps.h"

namespace viewer {

diagnose::Recheck MarkInSteps(diagnose::WriteGate* gate, const diagnose::RecordStore& store,
                              diagnose::ByteSource& source, MatchMarks& marks,
                              const std::function<std::unique_ptr<TextMatcher>()>& matcher, size_t perStep) {
    for (;;) {
        MatchMarks::Look look;
        std::unique_ptr<TextMatcher> now;
        {
            const diagnose::GatedStep step(gate);
            if (marks.Size() >= store.RecordCount())
                return diagnose::Recheck::Same;
            look = marks.Next();
            now = matcher();
        }
        MatchMarks::LookAt(look, store, source, *now, perStep);
        const diagnose::GatedStep step(gate);
        if (const diagnose::Recheck check = marks.Add(look); check != diagnose::Recheck::Same)
            return check;
    }
}

} // namespace viewer

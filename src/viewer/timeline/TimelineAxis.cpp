// The timeline's label steps.
#include "viewer/timeline/TimelineAxis.h"

#include <cmath>

namespace viewer {
namespace {
constexpr int64_t kLabelSteps[] = {60,         120,        300,        600,         900,
                                   1800,       3600,       2 * 3600,   3 * 3600,    6 * 3600,
                                   12 * 3600,  86400,      2 * 86400,  7 * 86400,   14 * 86400,
                                   28 * 86400, 56 * 86400, 91 * 86400, 182 * 86400, 364 * 86400};
} // namespace

float LabelSpacing(float labelWidth) {
    return labelWidth * 1.5f;
}

int64_t ChooseLabelStep(int64_t slotSeconds, float slotWidth, float labelWidth) {
    const auto minimumSlots = static_cast<int64_t>(std::ceil(LabelSpacing(labelWidth) / slotWidth));
    for (int64_t candidate : kLabelSteps)
        if (candidate % slotSeconds == 0 && candidate / slotSeconds >= minimumSlots)
            return candidate;
    return slotSeconds * minimumSlots;
}

} // namespace viewer

// Where the timeline's time labels stand: pure arithmetic over measured widths, so that labels
// measured at any DPI and font keep clear of each other.
#pragma once

#include <cstdint>

namespace viewer {

// The room a time label is given, centred on its mark: half as much again as the widest label
// (a date) is wide at the font and DPI it is drawn with, so that neighbours never touch.
float LabelSpacing(float labelWidth);

// The seconds from one time label to the next, for slots of `slotSeconds` drawn `slotWidth`
// pixels wide and labels `labelWidth` pixels wide: the first of the steps a reader counts time
// in (whole minutes, hours, days, weeks) that is a whole number of slots and leaves at least
// LabelSpacing between labels; where none does, as many slots as leave it.
int64_t ChooseLabelStep(int64_t slotSeconds, float slotWidth, float labelWidth);

} // namespace viewer

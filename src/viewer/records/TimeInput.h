// A time as the operator types it to go to a record or to bound a filter: "09:42", "09:42:18",
// "05.12.2026 09:42", "05.12.2026", "-15m". No platform headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace viewer {

struct TimeInput {
    enum class Kind {
        Clock,    // a time of day: on the day the reader chooses
        Moment,   // a date, with or without its time of day
        Relative, // seconds before the newest record ("-15m")
    };
    Kind kind = Kind::Moment;
    int64_t seconds = 0; // of the day, since 01.01.1970, or before the newest record
    // The seconds it names: 60 for a minute ("09:42"), a day for a date alone; a range that
    // ends at it takes them in.
    int64_t span = 1;
};

// The forms understood: hh:mm, hh:mm:ss, dd.mm.yyyy, dd.mm.yyyy hh:mm, dd.mm.yyyy hh:mm:ss (one
// digit for the hour and the day and month will do), and -N with s, m, h or d; blanks around
// are ignored. Nothing for any other text, or for a day or time that does not exist.
std::optional<TimeInput> ReadTimeInput(std::wstring_view text);

// The moment an input stands for: a time of day on `day` (days since 01.01.1970), a relative
// time counted back from `newest` (seconds since 01.01.1970).
int64_t ResolveTime(const TimeInput& input, int64_t day, int64_t newest);

} // namespace viewer

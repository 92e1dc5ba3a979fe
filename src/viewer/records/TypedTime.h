// A time the operator typed, in the log's forms (TimeInput.h) or in the form of the regional
// settings, as seconds since 01.01.1970.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct TypedTime {
    int64_t seconds = 0;
    int64_t span = 1; // the seconds it names (TimeInput::span)
};

// A time of day alone falls on `day` (days since 01.01.1970); a relative one counts back from
// `newest`. Nothing for a text that is no time.
std::optional<TypedTime> ReadTypedTime(const std::wstring& typed, int64_t day, int64_t newest);

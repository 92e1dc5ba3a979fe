// The log's own date and time form, "dd.mm.yyyy hh:mm:ss", read into seconds and written back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace viewer {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 01.01.1970 of a date text "dd.mm.yyyy" (a real day of the years 1 to 9999, in the
// Gregorian calendar); false for any other text.
bool ReadLogDate(std::wstring_view date, int64_t& days);
// Seconds since midnight of a time key (diagnose/TimeKey.h) whose text is exactly "hh:mm:ss" of a
// real time of day; false for any other key, the inexact one too.
bool ReadLogTimeKey(uint64_t timeKey, int64_t& seconds);

// "dd.mm.yyyy" and "hh:mm" of a time in seconds since 01.01.1970.
std::wstring FormatLogDate(int64_t seconds);
std::wstring FormatLogClock(int64_t seconds);
// A time slot from `start` for `length` seconds: "dd.mm.yyyy hh:mm - hh:mm" within a day, the
// date alone for a day, first and last day for longer slots.
std::wstring FormatLogSlot(int64_t start, int64_t length);

// Seconds since 01.01.1970 rounded down to a whole `step` counted from Monday 05.01.1970, so that
// hours start on the hour, days at midnight and weeks on a Monday.
int64_t FloorToStep(int64_t seconds, int64_t step);

} // namespace viewer

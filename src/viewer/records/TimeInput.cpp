// Reading a time the operator typed.
#include "viewer/records/TimeInput.h"

#include "viewer/timeline/LogTime.h"

#include <string>

namespace viewer {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// A number of 1 to `most` digits at `at`, moving past it.
bool Number(std::wstring_view text, size_t& at, size_t most, int64_t& value) {
    size_t digits = 0;
    value = 0;
    while (at < text.size() && digits < most && text[at] >= L'0' && text[at] <= L'9') {
        value = value * 10 + (text[at++] - L'0');
        ++digits;
    }
    return digits > 0;
}

// "h:mm" or "h:mm:ss" making up all of `text`; `span` the seconds it names.
bool ReadClock(std::wstring_view text, int64_t& seconds, int64_t& span) {
    size_t at = 0;
    int64_t hours = 0, minutes = 0, secs = 0;
    if (!Number(text, at, 2, hours) || at >= text.size() || text[at++] != L':')
        return false;
    const size_t minutesAt = at;
    if (!Number(text, at, 2, minutes) || at - minutesAt != 2)
        return false;
    span = 60;
    if (at < text.size()) {
        span = 1;
        if (text[at++] != L':')
            return false;
        const size_t secondsAt = at;
        if (!Number(text, at, 2, secs) || at - secondsAt != 2 || at != text.size())
            return false;
    }
    if (hours > 23 || minutes > 59 || secs > 59)
        return false;
    seconds = hours * 3600 + minutes * 60 + secs;
    return true;
}

// "d.m.yyyy" making up all of `text`, as the log writes it ("dd.mm.yyyy") once padded.
bool ReadDate(std::wstring_view text, int64_t& days) {
    size_t at = 0;
    int64_t day = 0, month = 0, year = 0;
    if (!Number(text, at, 2, day) || at >= text.size() || text[at++] != L'.' || !Number(text, at, 2, month) ||
        at >= text.size() || text[at++] != L'.')
        return false;
    const size_t yearAt = at;
    if (!Number(text, at, 4, year) || at - yearAt != 4 || at != text.size())
        return false;
    auto twoDigits = [](int64_t value) { return std::to_wstring(100 + value).substr(1); };
    return ReadLogDate(twoDigits(day) + L"." + twoDigits(month) + L"." + std::to_wstring(10000 + year).substr(1),
                       days);
}

} // namespace

std::optional<TimeInput> ReadTimeInput(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    if (text.front() == L'-') {
        size_t at = 1;
        int64_t count = 0;
        if (!Number(text, at, 6, count) || at + 1 != text.size())
            return std::nullopt;
        const wchar_t unit = text[at];
        const int64_t scale = unit == L's'   ? 1
                              : unit == L'm' ? 60
                              : unit == L'h' ? 3600
                              : unit == L'd' ? kSecondsPerDay
                                             : 0;
        if (!scale)
            return std::nullopt;
        return TimeInput{TimeInput::Kind::Relative, count * scale, 1};
    }
    int64_t seconds = 0, span = kSecondsPerDay;
    if (ReadClock(text, seconds, span))
        return TimeInput{TimeInput::Kind::Clock, seconds, span};
    const size_t blank = text.find_first_of(L" \t");
    int64_t days = 0;
    if (!ReadDate(text.substr(0, blank), days))
        return std::nullopt;
    if (blank != std::wstring_view::npos) {
        std::wstring_view clock = text.substr(blank);
        while (!clock.empty() && IsBlank(clock.front()))
            clock.remove_prefix(1);
        if (!ReadClock(clock, seconds, span))
            return std::nullopt;
    }
    return TimeInput{TimeInput::Kind::Moment, days * kSecondsPerDay + seconds, span};
}

int64_t ResolveTime(const TimeInput& input, int64_t day, int64_t newest) {
    switch (input.kind) {
    case TimeInput::Kind::Clock:
        return day * kSecondsPerDay + input.seconds;
    case TimeInput::Kind::Relative:
        return newest - input.seconds;
    case TimeInput::Kind::Moment:
    default:
        return input.seconds;
    }
}

} // namespace viewer

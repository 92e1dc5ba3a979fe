// Reading a time the operator typed.
#include "viewer/records/TypedTime.h"

#include "viewer/records/TimeInput.h"
#include "viewer/timeline/LogTime.h"

#include <windows.h>
#include <oleauto.h>

#include <cmath>

std::optional<TypedTime> ReadTypedTime(const std::wstring& typed, int64_t day, int64_t newest) {
    if (const auto input = viewer::ReadTimeInput(typed))
        return TypedTime{viewer::ResolveTime(*input, day, newest), input->span};
    // The regional form ("12/5/2026 9:42 AM"): the platform reads it, a time of day alone as a
    // time on 30.12.1899, its day 0.
    DATE date = 0;
    std::wstring text = typed; // the platform's declaration takes it writable
    if (text.empty() || FAILED(::VarDateFromStr(text.data(), LOCALE_USER_DEFAULT, 0, &date)))
        return std::nullopt;
    constexpr int64_t kDaysTo1970 = 25569;
    const int64_t seconds = static_cast<int64_t>(std::llround(date * viewer::kSecondsPerDay));
    if (date >= 0 && date < 1)
        return TypedTime{day * viewer::kSecondsPerDay + seconds, 1};
    return TypedTime{seconds - kDaysTo1970 * viewer::kSecondsPerDay, 1};
}

// Reading and writing the log's date and time form.
#include "viewer/timeline/LogTime.h"

#include "diagnose/TimeKey.h"

namespace viewer {
namespace {

// Day counting after the civil-calendar algorithms of H. Hinnant: exact for every Gregorian
// date, negative before 1970, without tables.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

struct CivilDate {
    int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const unsigned month = shifted < 10 ? shifted + 3 : shifted - 9;
    return {static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

bool IsLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(int64_t year, unsigned month) {
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The number of `count` decimal digits at `text`, or -1 when one is not a digit.
int64_t Digits(const wchar_t* text, int count) {
    int64_t value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return -1;
        value = value * 10 + (text[i] - L'0');
    }
    return value;
}

void AppendTwoDigits(std::wstring& out, int64_t value) {
    out.push_back(static_cast<wchar_t>(L'0' + value / 10));
    out.push_back(static_cast<wchar_t>(L'0' + value % 10));
}

int64_t FloorDivide(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// Monday, 05.01.1970: the origin of whole weeks.
constexpr int64_t kWeekOrigin = 4 * kSecondsPerDay;

} // namespace

bool ReadLogDate(std::wstring_view date, int64_t& days) {
    if (date.size() != 10 || date[2] != L'.' || date[5] != L'.')
        return false;
    const int64_t day = Digits(date.data(), 2);
    const int64_t month = Digits(date.data() + 3, 2);
    const int64_t year = Digits(date.data() + 6, 4);
    if (day < 1 || month < 1 || month > 12 || year < 1 ||
        day > DaysInMonth(year, static_cast<unsigned>(month)))
        return false;
    days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return true;
}

bool ReadLogTimeKey(uint64_t timeKey, int64_t& seconds) {
    // The key holds "hh:mm:ss" in its first eight symbols and the end of the text after them. A
    // filter or a look for the next error reads every record's: the symbols are taken apart at
    // once, not in a loop.
    using namespace diagnose::time_key;
    constexpr uint64_t kAfterEight = (uint64_t(1) << ((kSymbols - 8) * kBits)) - 1;
    if (timeKey == diagnose::kInexactTime || (timeKey & kAfterEight) != 0)
        return false;
    auto symbol = [timeKey](unsigned at) {
        return static_cast<unsigned>(timeKey >> ((kSymbols - 1 - at) * kBits)) & 31u;
    };
    constexpr unsigned zero = kSymbolTable.symbols[static_cast<unsigned char>('0')];
    constexpr unsigned colon = kSymbolTable.symbols[static_cast<unsigned char>(':')];
    if (symbol(2) != colon || symbol(5) != colon)
        return false;
    auto digit = [&](unsigned at) { return symbol(at) - zero; }; // large when it is no digit
    const unsigned digits[6] = {digit(0), digit(1), digit(3), digit(4), digit(6), digit(7)};
    for (unsigned value : digits)
        if (value > 9)
            return false;
    const int64_t hours = digits[0] * 10 + digits[1], minutes = digits[2] * 10 + digits[3],
                  secs = digits[4] * 10 + digits[5];
    if (hours > 23 || minutes > 59 || secs > 59)
        return false;
    seconds = hours * 3600 + minutes * 60 + secs;
    return true;
}

std::wstring FormatLogDate(int64_t seconds) {
    const CivilDate date = CivilFromDays(FloorDivide(seconds, kSecondsPerDay));
    std::wstring text;
    AppendTwoDigits(text, date.day);
    text.push_back(L'.');
    AppendTwoDigits(text, date.month);
    text.push_back(L'.');
    AppendTwoDigits(text, date.year / 100 % 100);
    AppendTwoDigits(text, date.year % 100);
    return text;
}

std::wstring FormatLogClock(int64_t seconds) {
    const int64_t ofDay = seconds - FloorDivide(seconds, kSecondsPerDay) * kSecondsPerDay;
    std::wstring text;
    AppendTwoDigits(text, ofDay / 3600);
    text.push_back(L':');
    AppendTwoDigits(text, ofDay / 60 % 60);
    return text;
}

std::wstring FormatLogSlot(int64_t start, int64_t length) {
    if (length < kSecondsPerDay)
        return FormatLogDate(start) + L' ' + FormatLogClock(start) + L" - " + FormatLogClock(start + length);
    if (length == kSecondsPerDay)
        return FormatLogDate(start);
    return FormatLogDate(start) + L" - " + FormatLogDate(start + length - kSecondsPerDay);
}

int64_t FloorToStep(int64_t seconds, int64_t step) {
    return FloorDivide(seconds - kWeekOrigin, step) * step + kWeekOrigin;
}

} // namespace viewer

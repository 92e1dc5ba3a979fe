// Pins the user's short date and time formats for a test, so that log prefixes can be matched
// exactly, and puts the previous formats back afterwards.
#pragma once

#include <windows.h>

namespace logging_test {

// A local date and time as the pinned formats write them, as a regular expression.
constexpr wchar_t kPinnedTimeStamp[] = L"\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d";

class PinnedDateTimeFormat {
public:
    PinnedDateTimeFormat() {
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_date, 80);
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, m_time, 80);
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, L"dd.MM.yyyy");
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, L"HH:mm:ss");
    }
    ~PinnedDateTimeFormat() {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_date);
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, m_time);
    }
    PinnedDateTimeFormat(const PinnedDateTimeFormat&) = delete;
    PinnedDateTimeFormat& operator=(const PinnedDateTimeFormat&) = delete;

private:
    wchar_t m_date[80] = {};
    wchar_t m_time[80] = {};
};

} // namespace logging_test

// Pins the user's short date and time formats for a test, so that log prefixes can be compared
// exactly, and puts the previous formats back afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace logging_test {

class PinnedDateTimeFormat {
public:
    PinnedDateTimeFormat() {
        m_date = Get(LOCALE_SSHORTDATE);
        m_time = Get(LOCALE_STIMEFORMAT);
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, L"dd.MM.yyyy");
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, L"HH:mm:ss");
    }
    ~PinnedDateTimeFormat() {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_date.c_str());
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, m_time.c_str());
    }
    PinnedDateTimeFormat(const PinnedDateTimeFormat&) = delete;
    PinnedDateTimeFormat& operator=(const PinnedDateTimeFormat&) = delete;

    // Whether `text` is "dd.MM.yyyy HH:mm:ss" of today.
    static bool IsTimeStampOfToday(const std::wstring& text) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        wchar_t date[16] = {};
        ::wsprintfW(date, L"%02u.%02u.%04u ", now.wDay, now.wMonth, now.wYear);
        if (text.size() != 19 || text.compare(0, 11, date) != 0)
            return false;
        for (std::size_t i : {11u, 12u, 14u, 15u, 17u, 18u})
            if (text[i] < L'0' || text[i] > L'9')
                return false;
        return text[13] == L':' && text[16] == L':';
    }

private:
    static std::wstring Get(LCTYPE item) {
        wchar_t value[80] = {};
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, item, value, 80);
        return value;
    }
    std::wstring m_date;
    std::wstring m_time;
};

} // namespace logging_test

// The records window's title.
#include "viewer/records/RecordsTitle.h"

namespace viewer {

std::wstring FillIn(std::wstring format, std::initializer_list<std::wstring> values) {
    size_t from = 0;
    for (const std::wstring& value : values) {
        const size_t at = format.find(L"%s", from);
        if (at == std::wstring::npos)
            break;
        format.replace(at, 2, value);
        from = at + value.size();
    }
    return format;
}

std::wstring GroupedNumber(size_t number) {
    const std::wstring digits = std::to_wstring(number);
    std::wstring out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(L'\u00A0');
        out.push_back(digits[i]);
    }
    return out;
}

std::wstring RecordsTitle(const std::wstring& format, const std::wstring& untimedFormat, size_t shown,
                          size_t total, size_t untimed) {
    std::wstring title = FillIn(format, {GroupedNumber(shown), GroupedNumber(total)});
    if (untimed > 0)
        title += FillIn(untimedFormat, {GroupedNumber(untimed)});
    return title;
}

} // namespace viewer

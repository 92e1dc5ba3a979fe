// The records window's title and the texts it fills in. No platform headers.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

namespace viewer {

// `format` with its "%s" replaced by `values` in turn; a value's own "%s" stays as it is.
std::wstring FillIn(std::wstring format, std::initializer_list<std::wstring> values);
// Digits in groups of three apart by a no-break space: "16 000 000".
std::wstring GroupedNumber(size_t number);
// "… %s of %s", with `untimedFormat` (", without date and time: %s") after it when some of
// the rows have no time.
std::wstring RecordsTitle(const std::wstring& format, const std::wstring& untimedFormat, size_t shown,
                          size_t total, size_t untimed);

} // namespace viewer

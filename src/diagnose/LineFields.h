// Everything one line of the diagnostic log says, as the details of a record show it. No
// platform headers.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace diagnose {

// Names are case-sensitive; a later pair replaces an earlier one of the same name.
struct LineFields {
    std::wstring date;
    std::wstring time;
    std::map<std::wstring, std::wstring> attributes;
};

LineFields ParseLine(const wchar_t* line, size_t length);
inline LineFields ParseLine(const std::wstring& line) {
    return ParseLine(line.data(), line.size());
}

} // namespace diagnose

// The message of a record: what the operator reads of it in one line, taken from the line read
// again (the index keeps no text). No platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace diagnose {

// The text a "TextID" names, from the language resources; false when they hold none.
using TextIdLookup = std::function<bool(uint32_t id, std::wstring& text)>;

// The value of the line's last "Text" attribute exactly as it was logged, between its `="` and
// the quote that ends the attribute (the first one followed by white space and the next
// `Name="`, or by nothing but white space to the line's end); without one, the rest of the line.
// False, `text` untouched, when the line has no Text. The details' table keeps the grammar's
// values (LineFields), which end at their last word unit.
bool TextAsLogged(const wchar_t* line, size_t length, std::wstring& text);

// The line's "Text" value as logged (TextAsLogged); else the text its "TextID" names, or its value as it
// stands when the number names none (both as the details show them); a line without any attribute (free text)
// gives what follows its header, the whole line without one; any other line nothing. Names
// match in any case, and a later pair of one name replaces an earlier one.
std::wstring MessageOf(const wchar_t* line, size_t length, const TextIdLookup& lookup);
inline std::wstring MessageOf(const std::wstring& line, const TextIdLookup& lookup) {
    return MessageOf(line.data(), line.size(), lookup);
}

} // namespace diagnose

// The message of a record's line, through the line scanner.
#include "diagnose/RecordMessage.h"

#include "diagnose/LineScanner.h"

namespace diagnose {
namespace {

bool SameName(const wchar_t* name, size_t length, const char* known) {
    size_t i = 0;
    for (; i < length && known[i]; ++i) {
        wchar_t unit = name[i];
        if (unit >= L'a' && unit <= L'z')
            unit = static_cast<wchar_t>(unit - L'a' + L'A');
        char expected = known[i];
        if (expected >= 'a' && expected <= 'z')
            expected = static_cast<char>(expected - 'a' + 'A');
        if (unit != static_cast<wchar_t>(expected))
            return false;
    }
    return i == length && !known[i];
}

using Units = UnitClasses<wchar_t>;

// Whether the quote at `quote` ends the value it is in: nothing but white space follows it up to
// the line's end, or white space, a name and `="` (the next attribute). Each look stops at the
// first unit that is neither white space nor a word unit, at the next quote at the latest: all
// the looks of a line take linear time.
bool EndsValue(const wchar_t* s, size_t n, size_t quote) {
    size_t i = quote + 1;
    while (i < n && Units::IsSpace(s[i]))
        ++i;
    if (i == n)
        return true;
    if (i == quote + 1)
        return false;
    const size_t name = i;
    while (i < n && Units::IsWord(s[i]))
        ++i;
    return i > name && i + 1 < n && s[i] == L'=' && s[i + 1] == L'"';
}

} // namespace

// The grammar ends a value at its last word unit, so that "Error occurred." would lose its full
// stop and "Menü" its "ü"; the operator reads the message as it was logged. The line is walked
// from its start attribute by attribute, each value running from its `="` to the quote that ends
// it (EndsValue): quotes inside a text stay in it, a `Text="` inside another value opens
// nothing, and a value never closed runs to the line's end. From the start rather than from the
// header's end, since a value holding three blanks pulls the pairs before it into the time.
bool TextAsLogged(const wchar_t* line, size_t length, std::wstring& text) {
    bool found = false;
    for (size_t at = 0;;) {
        size_t equals = at;
        while (equals + 1 < length && !(line[equals] == L'=' && line[equals + 1] == L'"'))
            ++equals;
        if (equals + 1 >= length)
            return found;
        size_t name = equals;
        while (name > at && Units::IsWord(line[name - 1]))
            --name;
        const size_t value = equals + 2;
        size_t closing = value;
        while (closing < length && !(line[closing] == L'"' && EndsValue(line, length, closing)))
            ++closing;
        if (SameName(line + name, equals - name, "Text")) { // a later one replaces an earlier one
            text.assign(line + value, line + closing);
            found = true;
        }
        at = closing + 1;
    }
}

std::wstring MessageOf(const wchar_t* line, size_t length, const TextIdLookup& lookup) {
    std::wstring message;
    if (TextAsLogged(line, length, message))
        return message;
    const HeaderSpans header = ScanHeader<wchar_t>(line, length);
    bool anyAttribute = false, hasText = false, hasTextId = false;
    AttributeSpans text{}, textId{};
    ScanAttributes(line, length, header.end, [&](const AttributeSpans& a) {
        anyAttribute = true;
        const wchar_t* name = line + a.nameBegin;
        const size_t nameLength = a.nameEnd - a.nameBegin;
        if (SameName(name, nameLength, "Text")) {
            text = a;
            hasText = true;
        } else if (SameName(name, nameLength, "TextID")) {
            textId = a;
            hasTextId = true;
        }
    });
    if (hasText) // a Text the walk took for part of another value: the grammar's
        return std::wstring(line + text.valueBegin, line + text.valueEnd);
    if (hasTextId) {
        std::wstring value(line + textId.valueBegin, line + textId.valueEnd);
        // String identifiers are 16-bit: a larger number would name another row of the table.
        const int32_t id = ReadDecimal(value.data(), value.size());
        std::wstring named;
        if (id >= 0 && id <= 0xFFFF && lookup && lookup(static_cast<uint32_t>(id), named))
            return named;
        return value;
    }
    if (!anyAttribute)
        return std::wstring(line + (header.found ? header.end : 0), line + length);
    return {};
}

} // namespace diagnose

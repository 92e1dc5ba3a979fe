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

} // namespace

std::wstring MessageOf(const wchar_t* line, size_t length, const TextIdLookup& lookup) {
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
    if (hasText)
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

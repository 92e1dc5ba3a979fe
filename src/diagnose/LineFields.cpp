// A line's fields through the line scanner.
#include "diagnose/LineFields.h"

#include "diagnose/LineScanner.h"

namespace diagnose {

LineFields ParseLine(const wchar_t* line, size_t length) {
    LineFields fields;
    const HeaderSpans header = ScanHeader<wchar_t>(line, length);
    if (header.found) {
        fields.date.assign(line + header.dateBegin, line + header.dateEnd);
        fields.time.assign(line + header.timeBegin, line + header.timeEnd);
    }
    ScanAttributes(line, length, header.end, [&](const AttributeSpans& a) {
        fields.attributes[std::wstring(line + a.nameBegin, line + a.nameEnd)] =
            std::wstring(line + a.valueBegin, line + a.valueEnd);
    });
    return fields;
}

} // namespace diagnose

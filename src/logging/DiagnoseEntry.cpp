// The words of one Events.log entry.
#include "logging/DiagnoseEntry.h"

namespace Zt {

std::wstring_view LevelWord(DiagnoseLevel level) {
    switch (level) {
    case DiagnoseLevel::Info:
        return L"Info   ";
    case DiagnoseLevel::Warning:
        return L"Warning";
    case DiagnoseLevel::Error:
        break;
    }
    return L"Error  ";
}

std::wstring EntryHead(std::wstring_view source, DiagnoseLevel level) {
    std::wstring head(source);
    head += L": ";
    head += LevelWord(level);
    head += L":\t";
    return head;
}

std::wstring HexDump(const std::uint8_t* data, std::size_t size) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring dump;
    std::wstring column;
    if (!data)
        return dump;
    dump.reserve(size * 4 + (size / 16 + 1) * 4);
    for (std::size_t i = 0; i < size; ++i) {
        if (i != 0 && i % 16 == 0) {
            dump += L"\t\t";
            dump += column;
            dump += L"\r\n";
            column.clear();
        }
        const std::uint8_t byte = data[i];
        dump += kDigits[byte >> 4];
        dump += kDigits[byte & 0x0F];
        dump += L' ';
        // The C locale's isprint: 0x20 to 0x7E, whatever locale the host has set.
        column += (byte >= 0x20 && byte <= 0x7E) ? static_cast<wchar_t>(byte) : L'.';
    }
    if (!column.empty()) {
        dump += L"\t\t";
        dump += column;
    }
    return dump;
}

} // namespace Zt

// The time text of a record's header as one 64-bit number whose order is the code-unit order of
// the text, so that the list sorts by it without the text. The times that logs write ("12:32:28",
// "12:32:28.123", "2:03:27 PM") fit; any other text is marked inexact and kept as text beside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace diagnose {

constexpr uint64_t kInexactTime = ~uint64_t(0);

namespace time_key {
// Twelve symbols of five bits, the first in the highest bits; symbol 0 ends the text, the others
// stand for these units in their code-unit order.
constexpr char kAlphabet[] = " ,-./0123456789:AMPamp";
constexpr size_t kSymbols = 12;
constexpr int kBits = 5;

struct SymbolTable {
    uint8_t symbols[128] = {};
    constexpr SymbolTable() {
        for (size_t i = 0; kAlphabet[i]; ++i)
            symbols[static_cast<unsigned char>(kAlphabet[i])] = static_cast<uint8_t>(i + 1);
    }
};
inline constexpr SymbolTable kSymbolTable{};
} // namespace time_key

// The key of a time text given as code units; kInexactTime when it does not fit.
template <typename Unit> uint64_t PackTime(const Unit* text, size_t length) {
    if (length > time_key::kSymbols)
        return kInexactTime;
    uint64_t key = 0;
    for (size_t i = 0; i < time_key::kSymbols; ++i) {
        uint8_t symbol = 0;
        if (i < length) {
            uint32_t unit;
            if constexpr (sizeof(Unit) == 1)
                unit = static_cast<unsigned char>(text[i]);
            else
                unit = static_cast<uint32_t>(text[i]);
            symbol = unit < 0x80 ? time_key::kSymbolTable.symbols[unit] : 0;
            if (symbol == 0)
                return kInexactTime;
        }
        key = (key << time_key::kBits) | symbol;
    }
    return key;
}

// Appends the text an exact key stands for.
void AppendTime(std::wstring& out, uint64_t key);

// What the index keeps of a time text the key cannot hold: its first units, and whether that is
// all of it. The order of kept parts is the order of the texts, except where they are equal and
// not whole: the texts then decide.
struct KeptTime {
    static constexpr size_t kUnits = 8;
    wchar_t units[kUnits] = {};
    uint8_t length = 0;
    bool whole = true;
    // From the start of a time text (at least kUnits + 1 units of it, where it has them).
    static KeptTime Of(const std::wstring& start, bool complete);
    int Compare(const KeptTime& other) const;
};

} // namespace diagnose

// The time text of a record's header as one 64-bit number whose order is the code-unit order of
// the text, so that the list sorts by it without the text. The times that logs write ("12:32:28",
// "12:32:28.123", "2:03:27 PM") fit; any other text is marked inexact and kept as text beside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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

namespace time_key {
// The symbols of `.` to `:` (digits, `.`, `/` and `:`) follow their codes.
static_assert(kSymbolTable.symbols[':'] - kSymbolTable.symbols['.'] == ':' - '.');

// `Word`'s bytes, all of `.` to `:`, as their symbols' five bits each, the first byte's highest;
// false when another byte is among them. The bytes are tested and mapped together: each one's
// top bit is set before the subtraction, or cleared before the addition, so that no borrow or
// carry crosses into the next.
template <typename Word> bool PackPlainWord(Word x, Word& bits) {
    constexpr Word ones = static_cast<Word>(~Word(0) / 0xFF), tops = static_cast<Word>(ones << 7);
    const Word fromDot = static_cast<Word>((x | tops) - ones * Word('.'));           // top bit: '.' or more
    const Word pastColon = static_cast<Word>((x & ~tops) + ones * Word(0x7F - ':')); // top bit: past ':'
    if ((fromDot & ~pastColon & ~x & tops) != tops)
        return false;
    Word symbols =
        static_cast<Word>(x - ones * Word('.' - kSymbolTable.symbols[static_cast<unsigned char>('.')]));
    if constexpr (sizeof(Word) == 8) {
        symbols = __builtin_bswap64(symbols); // the first byte in the top one
        symbols = (symbols >> 8 & 0x00FF00FF00FF00FFu) << 5 | (symbols & 0x00FF00FF00FF00FFu);
        symbols = (symbols >> 16 & 0x0000FFFF0000FFFFu) << 10 | (symbols & 0x0000FFFF0000FFFFu);
        bits = (symbols >> 32) << 20 | (symbols & 0xFFFFFFFFu);
    } else {
        symbols = __builtin_bswap32(symbols);
        symbols = (symbols >> 8 & 0x00FF00FFu) << 5 | (symbols & 0x00FF00FFu);
        bits = (symbols >> 16) << 10 | (symbols & 0xFFFFu);
    }
    return true;
}

// The key of `N` bytes (8 or 12), all of `.` to `:`, into `key`; false when another byte is
// among them. The times of most logs ("12:32:28", "12:32:28.123") took a sixteenth of a line's
// scan through the symbol table.
template <size_t N> bool PackPlainBytes(const char* text, uint64_t& key) {
    static_assert(N == 8 || N == 12);
    uint64_t first;
    std::memcpy(&first, text, 8);
    uint64_t packed;
    if (!PackPlainWord(first, packed))
        return false;
    if constexpr (N == 12) {
        uint32_t last, lastPacked;
        std::memcpy(&last, text + 8, 4);
        if (!PackPlainWord(last, lastPacked))
            return false;
        packed = packed << 20 | lastPacked;
    }
    key = packed << (kBits * (kSymbols - N));
    return true;
}
} // namespace time_key

// The key of the longest start of a time text (at most twelve units) that the symbols spell: the
// whole text's key when it fits, and in any case an order-keeping key of that start.
template <typename Unit> uint64_t PackTimeStart(const Unit* text, size_t length, bool& whole) {
    if constexpr (sizeof(Unit) == 1) {
        uint64_t plain = 0;
        if ((length == 8 && time_key::PackPlainBytes<8>(text, plain)) ||
            (length == 12 && time_key::PackPlainBytes<12>(text, plain))) {
            whole = true;
            return plain;
        }
    }
    uint64_t key = 0;
    size_t i = 0;
    for (; i < time_key::kSymbols && i < length; ++i) {
        uint32_t unit;
        if constexpr (sizeof(Unit) == 1)
            unit = static_cast<unsigned char>(text[i]);
        else
            unit = static_cast<uint32_t>(text[i]);
        const uint8_t symbol = unit < 0x80 ? time_key::kSymbolTable.symbols[unit] : 0;
        if (symbol == 0)
            break;
        key = (key << time_key::kBits) | symbol;
    }
    whole = i == length;
    return key << (time_key::kBits * (time_key::kSymbols - i));
}

// The key of a time text given as code units; kInexactTime when it does not fit.
template <typename Unit> uint64_t PackTime(const Unit* text, size_t length) {
    bool whole = false;
    const uint64_t key = PackTimeStart(text, length, whole);
    return whole ? key : kInexactTime;
}

// Appends the text an exact key stands for.
void AppendTime(std::wstring& out, uint64_t key);

// What the index keeps of a time text: the key of the whole text, or, for one the key cannot
// hold, the key of its start with the top bit set. Kept keys order as their texts do, except
// where the start of one that is not whole begins the other: the texts then decide.
constexpr uint64_t kStartOnly = uint64_t(1) << 63;
// Negative, 0 or positive as the texts order; `decided` false when only the texts can tell.
int CompareKeptTimes(uint64_t a, uint64_t b, bool& decided);
// The keys that begin with the start a not-whole kept key holds: [low, high].
void KeysBeginningWith(uint64_t kept, uint64_t& low, uint64_t& high);

} // namespace diagnose

// Unpacking time keys.
#include "diagnose/TimeKey.h"

#include <algorithm>

namespace diagnose {

void AppendTime(std::wstring& out, uint64_t key) {
    for (size_t i = 0; i < time_key::kSymbols; ++i) {
        const unsigned shift = static_cast<unsigned>((time_key::kSymbols - 1 - i) * time_key::kBits);
        const auto symbol = static_cast<unsigned>((key >> shift) & 31u);
        if (symbol == 0)
            return;
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(time_key::kAlphabet[symbol - 1])));
    }
}

void KeysBeginningWith(uint64_t kept, uint64_t& low, uint64_t& high) {
    low = kept & ~kStartOnly;
    size_t symbols = 0;
    while (symbols < time_key::kSymbols &&
           (low >> (time_key::kBits * (time_key::kSymbols - 1 - symbols)) & 31u) != 0)
        ++symbols;
    high = low | ((uint64_t(1) << (time_key::kBits * (time_key::kSymbols - symbols))) - 1);
}

int CompareKeptTimes(uint64_t a, uint64_t b, bool& decided) {
    decided = true;
    for (const uint64_t start : {a, b}) {
        if (!(start & kStartOnly))
            continue;
        uint64_t low = 0, high = 0;
        KeysBeginningWith(start, low, high);
        const uint64_t other = (start == a ? b : a) & ~kStartOnly;
        if (low <= other && other <= high)
            decided = false; // the other begins with this one's start
    }
    const uint64_t keyA = a & ~kStartOnly, keyB = b & ~kStartOnly;
    return keyA < keyB ? -1 : keyA > keyB;
}

} // namespace diagnose

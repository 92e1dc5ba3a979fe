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

KeptTime KeptTime::Of(const std::wstring& start, bool complete) {
    KeptTime kept;
    kept.length = static_cast<uint8_t>(std::min(start.size(), kUnits));
    std::copy(start.begin(), start.begin() + kept.length, kept.units);
    kept.whole = complete && start.size() <= kUnits;
    return kept;
}

int KeptTime::Compare(const KeptTime& other) const {
    for (size_t i = 0; i < length && i < other.length; ++i)
        if (units[i] != other.units[i])
            return units[i] < other.units[i] ? -1 : 1;
    return length == other.length ? 0 : length < other.length ? -1 : 1;
}

} // namespace diagnose

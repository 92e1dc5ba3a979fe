// Unpacking time keys.
#include "diagnose/TimeKey.h"

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

} // namespace diagnose

// What a group of the log is: a computer and a trace class. No platform headers.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>

// What a tree item stands for: an entry a computer and a trace class, a heading the one of the
// two its grouping names.
struct GroupKey {
    std::wstring host;
    uint16_t traceClass = 0;

    bool operator==(const GroupKey& other) const {
        return host == other.host && traceClass == other.traceClass;
    }
    bool operator<(const GroupKey& other) const {
        return std::tie(host, traceClass) < std::tie(other.host, other.traceClass);
    }
};

// What the records window shows of the log: the operator's conditions, as typed and kept, and
// the test they make for one store. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/records/RecordClock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace viewer {

// The diagnose types, one bit each; every trace class but 0, 1 and 2 counts as unknown.
enum TypeBits : uint8_t {
    kInformationBit = 1,
    kWarningBit = 2,
    kErrorBit = 4,
    kUnknownBit = 8,
    kAllTypes = 15,
};
uint8_t TypeBitOf(uint16_t traceClass);

// Names (computers or processes) a filter shows alone, or hides.
struct NameChoice {
    enum class Mode : uint8_t { Only, Hide };
    Mode mode = Mode::Hide;
    std::vector<std::wstring> names; // none: no condition
    bool Passes(std::wstring_view name) const;
};

struct RecordFilter {
    uint8_t types = kAllTypes;
    NameChoice computers, processes;
    // A text the line holds, or does not hold (case-insensitive); empty: no condition.
    std::wstring text;
    bool textHeld = true;
    // The time range as typed (TimeInput.h); empty: open on that side.
    std::wstring from, to;

    bool ShowsAll() const;
    friend bool operator==(const RecordFilter& a, const RecordFilter& b);
    friend bool operator!=(const RecordFilter& a, const RecordFilter& b) { return !(a == b); }
};

// What a right click on a record adds to a filter.
enum class FilterAction { OnlyComputer, HideComputer, OnlyProcess, HideProcess, OnlyType, HideType, HideBefore, HideAfter };
// False when the record is none, or has no time for HideBefore or HideAfter.
bool AddCondition(RecordFilter& filter, FilterAction action, const diagnose::RecordStore& store, diagnose::RecordId id);

// The kept form: one "key=value" line per condition that is set; names apart by tabs.
std::wstring EncodeFilter(const RecordFilter& filter);
// Nothing for text that is not such a form; lines of keys it does not know are passed over.
std::optional<RecordFilter> DecodeFilter(std::wstring_view kept);

// Names as the operator types them, apart by ';', and back.
std::vector<std::wstring> SplitNames(std::wstring_view typed);
std::wstring JoinNames(const std::vector<std::wstring>& names);

// A filter's test of a store's records on everything the index keeps (not the text): per list
// and per process it decides once. Times are resolved by the caller (FilterTimes).
class RecordTest {
public:
    RecordTest(RecordFilter filter, std::optional<int64_t> from, std::optional<int64_t> to);
    // Whether the record passes; `seconds` is its time when it has one.
    bool Passes(const diagnose::RecordStore& store, diagnose::RecordId id, RecordClock& clock,
                std::optional<int64_t>& seconds);
    // The store took records back: numbers of lists and texts may stand for others now.
    void Forget();
    const RecordFilter& Filter() const { return m_filter; }

private:
    enum : uint8_t { kNotDecided, kPasses, kFails };
    RecordFilter m_filter;
    std::optional<int64_t> m_from, m_to;
    std::vector<uint8_t> m_lists, m_processes; // by list and process number
};

} // namespace viewer

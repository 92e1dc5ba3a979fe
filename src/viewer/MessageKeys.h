// The message column's sort keys: the messages of a group's records, read from the log once and
// held as numbers of distinct texts, so that its rows sort by message and new records merge in
// without reading the group again. No platform headers.
#pragma once

#include "diagnose/RecordStore.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace viewer {

// The message of a line (diagnose::MessageOf with the language's texts).
using MessageOfLine = std::function<std::wstring(const std::wstring& line)>;

// Four bytes a record and each distinct text once, at most `budgetUnits` units of text in all:
// a group of unlike messages fails rather than taking the host's memory. A message is compared
// by its first kKeyUnits units, more than the list shows of it.
class MessageKeys {
public:
    static constexpr size_t kKeyUnits = 256;
    static constexpr size_t kDefaultBudgetUnits = size_t(16) << 20;
    enum class Result { Done, Changed, Failed, TooLarge };

    explicit MessageKeys(size_t budgetUnits = kDefaultBudgetUnits) : m_budget(budgetUnits) {}

    // Reads the messages of `group`'s records from its position `from` on; those before stay.
    // Changed or Failed as the log's read-back; TooLarge past the budget. Anything but Done
    // leaves the keys empty.
    Result Read(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                const diagnose::RecordList& group, size_t from, const MessageOfLine& messageOf);
    // The group the keys are of; null when there are none.
    const diagnose::RecordList* Group() const { return m_group; }
    void Clear();

    // Whether `a`'s message sorts before `b`'s (code-unit order); records of the group only.
    bool Less(diagnose::RecordId a, diagnose::RecordId b) const;
    // Orders `rows` (records of the group) by message, stably; descending reverses the
    // comparison, not the result.
    void Sort(std::vector<diagnose::RecordId>& rows, bool ascending) const;

private:
    uint32_t KeyOf(diagnose::RecordId id) const;

    size_t m_budget;
    size_t m_units = 0;
    const diagnose::RecordList* m_group = nullptr;
    std::vector<uint32_t> m_keys;                         // by the record's place in the group
    std::unordered_map<std::wstring, uint32_t> m_numbers; // each distinct text and its number
    std::vector<const std::wstring*> m_texts;             // by number, the texts in m_numbers
};

} // namespace viewer

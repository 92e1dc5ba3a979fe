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
// a group of unlike messages fails rather than taking the host's memory. A group whose lines
// span more than `maxBytes` of the log is not read at all: on the viewer's thread that would
// hold the host for seconds. A message is compared by its first kKeyUnits units, more than the
// list shows of it.
class MessageKeys {
public:
    static constexpr size_t kKeyUnits = 256;
    static constexpr size_t kDefaultBudgetUnits = size_t(16) << 20;
    static constexpr uint64_t kDefaultMaxBytes = uint64_t(128) << 20;
    enum class Result { Done, Changed, Failed, TooLarge };

    explicit MessageKeys(size_t budgetUnits = kDefaultBudgetUnits, uint64_t maxBytes = kDefaultMaxBytes)
        : m_budget(budgetUnits), m_maxBytes(maxBytes) {}

    // Reads the messages of `group`'s records at its positions [from, to); those before stay.
    // Changed or Failed as the log's read-back; TooLarge past the budget or the bytes' bound
    // (for the records read now). Anything but Done leaves the keys empty.
    Result Read(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                const diagnose::RecordList& group, size_t from, const MessageOfLine& messageOf,
                size_t to = SIZE_MAX);
    // The reading thread reads any group, a step at a time; the viewer's thread keeps the bound.
    void SetMaxBytes(uint64_t maxBytes) { m_maxBytes = maxBytes; }
    // The group the keys are of; null when there are none.
    const diagnose::RecordList* Group() const { return m_group; }
    // How many of the group's records, from its first on, have keys.
    size_t Count() const { return m_keys.size(); }
    void Clear();

    // Whether `a`'s message sorts before `b`'s (code-unit order); records of the group only.
    bool Less(diagnose::RecordId a, diagnose::RecordId b) const;
    // Orders `rows` (records of the group) by message, stably; descending reverses the
    // comparison, not the result.
    void Sort(std::vector<diagnose::RecordId>& rows, bool ascending) const;
    void Sort(diagnose::RecordRowBlocks& rows, bool ascending) const;

private:
    uint32_t KeyOf(diagnose::RecordId id) const;
    template <typename Rows> void SortRows(Rows& rows, bool ascending) const;

    size_t m_budget;
    uint64_t m_maxBytes;
    size_t m_units = 0;
    const diagnose::RecordList* m_group = nullptr;
    std::vector<uint32_t> m_keys;                         // by the record's place in the group
    std::unordered_map<std::wstring, uint32_t> m_numbers; // each distinct text and its number
    std::vector<const std::wstring*> m_texts;             // by number, the texts in m_numbers
};

} // namespace viewer

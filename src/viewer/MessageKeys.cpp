// The message column's sort keys.
#include "viewer/MessageKeys.h"

#include "viewer/RecordsText.h"

#include <algorithm>
#include <numeric>

namespace viewer {

void MessageKeys::Clear() {
    m_group = nullptr;
    m_units = 0;
    std::vector<uint32_t>().swap(m_keys);
    std::vector<const std::wstring*>().swap(m_texts);
    std::unordered_map<std::wstring, uint32_t>().swap(m_numbers);
}

MessageKeys::Result MessageKeys::Read(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                      const diagnose::RecordList& group, size_t from,
                                      const MessageOfLine& messageOf, size_t to) {
    if (m_group != &group) {
        Clear();
        from = 0;
    }
    from = std::min({from, m_keys.size(), group.size()});
    to = std::max(from, std::min(to, group.size()));
    m_group = &group;
    m_keys.resize(from);
    const std::vector<diagnose::RecordId> records(group.begin() + static_cast<long>(from),
                                                  group.begin() + static_cast<long>(to));
    if (BytesToRead(store, records) > m_maxBytes) {
        Clear();
        return Result::TooLarge;
    }
    m_keys.resize(to, 0);
    bool tooLarge = false;
    const diagnose::Recheck check =
        VisitRecordLines(store, source, records, [&](size_t at, const std::wstring& line) {
            std::wstring message = messageOf(line);
            if (message.size() > kKeyUnits)
                message.resize(kKeyUnits);
            auto found = m_numbers.find(message);
            if (found == m_numbers.end()) {
                m_units += message.size() + 1;
                if (m_units > m_budget) {
                    tooLarge = true;
                    return false;
                }
                found = m_numbers.emplace(std::move(message), static_cast<uint32_t>(m_texts.size())).first;
                m_texts.push_back(&found->first);
            }
            m_keys[from + at] = found->second;
            return true;
        });
    if (tooLarge || check != diagnose::Recheck::Same) {
        Clear();
        return tooLarge                              ? Result::TooLarge
               : check == diagnose::Recheck::Changed ? Result::Changed
                                                     : Result::Failed;
    }
    return Result::Done;
}

uint32_t MessageKeys::KeyOf(diagnose::RecordId id) const {
    const auto at = std::lower_bound(m_group->begin(), m_group->end(), id) - m_group->begin();
    return static_cast<size_t>(at) < m_keys.size() ? m_keys[static_cast<size_t>(at)] : 0;
}

bool MessageKeys::Less(diagnose::RecordId a, diagnose::RecordId b) const {
    if (!m_group || m_texts.empty())
        return false;
    const uint32_t keyA = KeyOf(a), keyB = KeyOf(b);
    return keyA != keyB && *m_texts[keyA] < *m_texts[keyB];
}

void MessageKeys::Sort(std::vector<diagnose::RecordId>& rows, bool ascending) const {
    SortRows(rows, ascending);
}

void MessageKeys::Sort(diagnose::RecordRowBlocks& rows, bool ascending) const {
    SortRows(rows, ascending);
}

template <typename Rows> void MessageKeys::SortRows(Rows& rows, bool ascending) const {
    if (!m_group || m_texts.empty())
        return;
    // Each distinct text's place in text order, then the rows counted into their places: one
    // comparison sort of the distinct texts, none of the rows.
    std::vector<uint32_t> byText(m_texts.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(),
              [&](uint32_t a, uint32_t b) { return *m_texts[a] < *m_texts[b]; });
    std::vector<uint32_t> rank(m_texts.size());
    for (uint32_t place = 0; place < byText.size(); ++place) // the texts are distinct
        rank[byText[place]] = ascending ? place : static_cast<uint32_t>(byText.size()) - 1 - place;
    // The rows' room in the rows' own form: blocks for the viewer's, as its other sorts take.
    diagnose::ChunkedArray<uint32_t, 16> rowRank;
    rowRank.resize(rows.size());
    std::vector<size_t> start(m_texts.size() + 1, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        rowRank[i] = rank[KeyOf(rows[i])];
        ++start[rowRank[i] + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    Rows sorted;
    sorted.resize(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        sorted[start[rowRank[i]]++] = rows[i];
    rows.swap(sorted);
}

} // namespace viewer

// Which records hold the search text.
#include "viewer/find/MatchMarks.h"

#include <algorithm>

namespace viewer {

namespace {
// Passes reads through and keeps the error of the last one that failed.
class ErrorKeepingSource : public diagnose::ByteSource {
public:
    explicit ErrorKeepingSource(diagnose::ByteSource& source) : m_source(source) {}
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        const bool read = m_source.Read(offset, buffer, size, got, error);
        if (!read)
            lastError = error;
        return read;
    }
    uint32_t lastError = 0;

private:
    diagnose::ByteSource& m_source;
};
} // namespace

diagnose::Recheck MatchMarks::Update(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                                     const TextMatcher& matcher, size_t most) {
    Look look = Next();
    LookAt(look, store, source, matcher, most);
    return Add(look);
}

void MatchMarks::LookAt(Look& look, const diagnose::RecordStore& store, diagnose::ByteSource& source,
                        const TextMatcher& matcher, size_t most) {
    const diagnose::RecordId count = store.RecordCount();
    if (look.first >= count)
        return;
    const diagnose::RecordId last =
        look.first + static_cast<diagnose::RecordId>(std::min<size_t>(most, count - look.first));
    look.found.resize(last - look.first, false);
    // 8-bit text of a single-byte page and UTF-16 are searched as they are stored.
    const diagnose::TextDecoder& decoder = store.Decoder();
    const char16_t* table = decoder.ansiTable.empty() ? diagnose::Latin1Table() : decoder.ansiTable.data();
    std::wstring text;
    ErrorKeepingSource reading(source);
    look.check = store.ForEachLineBytes(
        reading, look.first, last,
        [&](diagnose::RecordId id, const char* bytes, size_t size, diagnose::TextForm form) {
            bool matches = false;
            if (form == diagnose::TextForm::Ansi8) {
                matches = matcher.MatchesAnsi(bytes, size, table);
            } else if (form == diagnose::TextForm::Utf16) {
                matches = matcher.MatchesUtf16(bytes, size);
            } else {
                text.clear();
                store.DecodeText(bytes, size, form, text);
                matches = matcher.Matches(text);
            }
            look.found[id - look.first] = matches;
            return true;
        });
    look.error = look.check == diagnose::Recheck::Failed ? reading.lastError : 0;
}

diagnose::Recheck MatchMarks::Add(const Look& look) {
    if (look.generation != m_generation || look.first != m_marks.size() ||
        (look.found.empty() && look.check == diagnose::Recheck::Same))
        return diagnose::Recheck::Same;
    m_error = look.error;
    if (look.check != diagnose::Recheck::Same) {
        Clear();
        return look.check;
    }
    m_marks.insert(m_marks.end(), look.found.begin(), look.found.end());
    for (size_t at = 0; at < look.found.size() && m_listing; ++at) {
        if (!look.found[at])
            continue;
        if (m_listed.size() < kListedMost) {
            m_listed.push_back(look.first + static_cast<diagnose::RecordId>(at));
        } else {
            m_listing = false;
            std::vector<diagnose::RecordId>().swap(m_listed);
        }
    }
    return diagnose::Recheck::Same;
}

void MatchMarks::ForgetFrom(diagnose::RecordId first) {
    if (first >= m_marks.size())
        return;
    ++m_generation;
    m_marks.resize(first);
    m_listed.erase(std::lower_bound(m_listed.begin(), m_listed.end(), first), m_listed.end());
    if (!m_listing && first == 0)
        m_listing = true;
}

void MatchMarks::Clear() {
    ++m_generation;
    m_marks.clear();
    m_listed.clear();
    m_listing = true;
}

} // namespace viewer

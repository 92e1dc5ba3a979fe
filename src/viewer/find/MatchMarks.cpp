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
    const diagnose::RecordId first = static_cast<diagnose::RecordId>(m_marks.size());
    const diagnose::RecordId count = store.RecordCount();
    if (first >= count)
        return diagnose::Recheck::Same;
    const diagnose::RecordId last =
        first + static_cast<diagnose::RecordId>(std::min<size_t>(most, count - first));
    m_marks.resize(last, false);
    // 8-bit text of a single-byte page and UTF-16 are searched as they are stored.
    const diagnose::TextDecoder& decoder = store.Decoder();
    const char16_t* table = decoder.ansiTable.empty() ? diagnose::Latin1Table() : decoder.ansiTable.data();
    std::wstring text;
    ErrorKeepingSource reading(source);
    const auto mark = [&](diagnose::RecordId id, bool matches) {
        m_marks[id] = matches;
        if (!matches || !m_listing)
            return;
        if (m_listed.size() < kListedMost) {
            m_listed.push_back(id);
        } else {
            m_listing = false;
            std::vector<diagnose::RecordId>().swap(m_listed);
        }
    };
    const diagnose::Recheck check = store.ForEachLineBytes(
        reading, first, last,
        [&](diagnose::RecordId id, const char* bytes, size_t size, diagnose::TextForm form) {
            if (form == diagnose::TextForm::Ansi8) {
                mark(id, matcher.MatchesAnsi(bytes, size, table));
            } else if (form == diagnose::TextForm::Utf16) {
                mark(id, matcher.MatchesUtf16(bytes, size));
            } else {
                text.clear();
                store.DecodeText(bytes, size, form, text);
                mark(id, matcher.Matches(text));
            }
            return true;
        });
    if (check != diagnose::Recheck::Same)
        Clear();
    m_error = check == diagnose::Recheck::Failed ? reading.lastError : 0;
    return check;
}

void MatchMarks::ForgetFrom(diagnose::RecordId first) {
    if (first >= m_marks.size())
        return;
    m_marks.resize(first);
    m_listed.erase(std::lower_bound(m_listed.begin(), m_listed.end(), first), m_listed.end());
    if (!m_listing && first == 0)
        m_listing = true;
}

void MatchMarks::Clear() {
    m_marks.clear();
    m_listed.clear();
    m_listing = true;
}

} // namespace viewer

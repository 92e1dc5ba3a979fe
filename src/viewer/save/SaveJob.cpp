// Writing records to a file on a thread of its own.
#include "viewer/save/SaveJob.h"

#include "diagnose/LineScanner.h"
#include "diagnose/TimeKey.h"
#include "viewer/RecordsText.h"

#include <algorithm>
#include <new>

namespace viewer {
namespace {
// Records a batch: read together, composed and written in one go, then counted as written.
constexpr size_t kBatch = 1024;

// The records the store held when the job started: the job reads nothing of the index beyond them.
std::vector<diagnose::RecordId> Below(diagnose::RecordId count, std::vector<diagnose::RecordId> records) {
    records.erase(
        std::remove_if(records.begin(), records.end(), [&](diagnose::RecordId id) { return id >= count; }),
        records.end());
    return records;
}
} // namespace

SaveJob::SaveJob(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                 std::vector<diagnose::RecordId> records, ByteSink& sink, SaveContent content,
                 std::function<void()> told)
    : m_store(store), m_source(source), m_records(Below(store.RecordCount(), std::move(records))),
      m_sink(sink), m_content(std::move(content)), m_told(std::move(told)), m_thread([this] { Run(); }) {}

SaveJob::~SaveJob() {
    Stop();
}

void SaveJob::RequestStop() {
    m_stop = true;
    m_source.CancelReads(); // a read that waits (a share that went away) ends now
}

void SaveJob::Stop() {
    RequestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void SaveJob::Wait() {
    if (m_thread.joinable())
        m_thread.join();
}

void SaveJob::Run() {
    State end = State::OutOfMemory;
    try {
        end = WriteAll();
    } catch (const std::bad_alloc&) {
    } catch (...) {
        end = State::ReadFailed; // nothing may leave the thread: it would end the host
    }
    m_state = end;
    if (m_told)
        m_told();
}

bool SaveJob::Put(const std::wstring& text) {
    m_bytes.clear();
    AppendUtf8(m_bytes, text);
    return m_bytes.empty() || m_sink.Write(m_bytes.data(), m_bytes.size(), m_writeError);
}

void SaveJob::AppendRecord(std::wstring& out, diagnose::RecordId id, const std::wstring& line) const {
    if (m_content.format == SaveFormat::Text) {
        out += line;
        out += L"\r\n";
        return;
    }
    const std::wstring_view date = m_store.GetDate(id);
    std::wstring time;
    if (m_store.GetTimeKey(id) != diagnose::kInexactTime) {
        time = m_store.GetTime(id);
    } else { // a time the key cannot hold: from the line in hand, not read once more
        const diagnose::HeaderSpans header = diagnose::ScanHeader(line.data(), line.size());
        time = line.substr(header.timeBegin, header.timeEnd - header.timeBegin);
    }
    const auto type = m_content.typeNames.find(m_store.GetTraceClass(id));
    AppendCsvRow(
        out,
        {date.empty() && time.empty() ? std::wstring() : std::wstring(date).append(1, L' ').append(time),
         std::wstring(m_store.GetHost(id)),
         type != m_content.typeNames.end() ? type->second : m_content.otherType,
         std::wstring(m_store.GetProcess(id)),
         m_content.messageOf ? m_content.messageOf(line) : std::wstring()},
        m_content.separator);
}

SaveJob::State SaveJob::WriteAll() {
    std::wstring text = L"\xFEFF"; // the byte order mark
    if (m_content.format == SaveFormat::Csv)
        AppendCsvRow(text, m_content.headings, m_content.separator);
    if (!Put(text))
        return State::WriteFailed;
    text.clear();
    size_t next = 0;
    bool written = true;
    const diagnose::Recheck check = ForEachRecordLine(
        m_store, m_source, m_records,
        [&](const std::wstring& line) {
            if (m_stop)
                return false;
            AppendRecord(text, m_records[next++], line);
            if (next % kBatch != 0 && next != m_records.size())
                return true;
            written = Put(text);
            text.clear();
            if (!written)
                return false;
            m_written = next;
            if (m_told)
                m_told();
            return true;
        },
        kBatch, &m_stop);
    if (m_stop)
        return State::Cancelled;
    if (check != diagnose::Recheck::Same)
        return check == diagnose::Recheck::Changed ? State::LogChanged : State::ReadFailed;
    return written ? State::Done : State::WriteFailed;
}

} // namespace viewer

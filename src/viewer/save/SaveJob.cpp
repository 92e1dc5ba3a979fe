// Writing records to a file on a thread of its own.
#include "viewer/save/SaveJob.h"

#include "viewer/RecordsText.h"

#include <algorithm>
#include <new>

namespace viewer {
namespace {
// Records a batch: read together, composed and written in one go, then counted as written.
constexpr size_t kBatch = 1024;
} // namespace

SaveJob::SaveJob(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                 std::vector<diagnose::RecordId> records, ByteSink& sink, SaveContent content,
                 std::function<void()> told)
    : m_store(store), m_source(source), m_records(std::move(records)), m_sink(sink),
      m_content(std::move(content)), m_told(std::move(told)), m_thread([this] { Run(); }) {}

SaveJob::~SaveJob() {
    Stop();
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
    const std::wstring& date = m_store.GetDate(id);
    const std::wstring time = m_store.GetTime(id);
    const auto type = m_content.typeNames.find(m_store.GetTraceClass(id));
    AppendCsvRow(out,
                 {date.empty() && time.empty() ? std::wstring() : date + L' ' + time, m_store.GetHost(id),
                  type != m_content.typeNames.end() ? type->second : m_content.otherType,
                  m_store.GetProcess(id), m_content.messageOf ? m_content.messageOf(line) : std::wstring()},
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
        kBatch);
    if (m_stop)
        return State::Cancelled;
    if (check != diagnose::Recheck::Same)
        return check == diagnose::Recheck::Changed ? State::LogChanged : State::ReadFailed;
    return written ? State::Done : State::WriteFailed;
}

} // namespace viewer

// Saved records as a spreadsheet or an editor gets them: CSV and text written by the save's
// thread from the index and the log, byte for byte; its stop; and the rules of the CSV form.
#include "viewer/save/SaveJob.h"
#include "viewer/save/SaveName.h"

#include "diagnose/RecordMessage.h"
#include "RecordStoreTestSupport.h"

#include <gtest/gtest.h>

using namespace viewer;
using record_store_test::Log;

namespace {

class MemorySink : public ByteSink {
public:
    bool Write(const char* data, size_t size, uint32_t& error) override {
        error = 0;
        if (onWrite)
            onWrite(++writes);
        bytes.append(data, size);
        return true;
    }
    std::string bytes;
    int writes = 0;
    std::function<void(int)> onWrite;
};

SaveContent Content(SaveFormat format) {
    SaveContent content;
    content.format = format;
    content.separator = L";";
    content.headings = {L"Datum und Uhrzeit", L"Rechner", L"Diagnosetyp", L"Prozess", L"Meldung"};
    content.typeNames = {{0, L"Information"}, {1, L"Warnung"}, {2, L"Fehler"}};
    content.otherType = L"Unbekannt";
    content.messageOf = [](const std::wstring& line) { return diagnose::MessageOf(line, nullptr); };
    return content;
}

std::string Saved(Log& log, const std::vector<diagnose::RecordId>& records, SaveFormat format) {
    MemorySink sink;
    SaveJob job(log.store, log.source, records, sink, Content(format), nullptr);
    job.Wait();
    EXPECT_EQ(job.GetState(), SaveJob::State::Done);
    return sink.bytes;
}

} // namespace

TEST(SaveRecords, CsvAndTextInTheOrderGivenWithQuotesSeparatorsUmlautsAndFreeText) {
    Log log("\xEF\xBB\xBF"
            "05.12.2026 08:00:01   Host=\"PC1\" Process=\"Dienst\" Traceclass=\"2\" Text=\"Größe; neu.\"\n"
            "05.12.2026 08:00:02   Ventil \"V1\" geöffnet\n"
            "Zeile ohne Kopf\n"
            "05.12.2026 08:00:03   Host=\"PC1\" Process=\"Dienst\" Traceclass=\"0\" Text=\" eingerückt\"\n"
            "05.12.2026 08:00:04.12345678901   Host=\"PC1\" Traceclass=\"1\"\n");
    // 999 is no record: the job reads nothing beyond the records the index held when it started.
    EXPECT_EQ(Saved(log, {1, 0, 2, 3, 999, 4}, SaveFormat::Csv),
              "\xEF\xBB\xBF"
              "Datum und Uhrzeit;Rechner;Diagnosetyp;Prozess;Meldung\r\n"
              "05.12.2026 08:00:02;Unbekannt;Unbekannt;Unbekannt;\"Ventil \"\"V1\"\" geöffnet\"\r\n"
              "05.12.2026 08:00:01;PC1;Fehler;Dienst;\"Größe; neu.\"\r\n"
              ";Unbekannt;Unbekannt;Unbekannt;Zeile ohne Kopf\r\n"
              "05.12.2026 08:00:03;PC1;Information;Dienst;\" eingerückt\"\r\n"
              "05.12.2026 08:00:04.12345678901;PC1;Warnung;Unbekannt;\r\n");
    EXPECT_EQ(
        Saved(log, {3, 1}, SaveFormat::Text),
        "\xEF\xBB\xBF"
        "05.12.2026 08:00:03   Host=\"PC1\" Process=\"Dienst\" Traceclass=\"0\" Text=\" eingerückt\"\r\n"
        "05.12.2026 08:00:02   Ventil \"V1\" geöffnet\r\n");

    // A log changed under the index gives no file of lines that are not the records'.
    log.source.bytes.replace(30, 3, "XYZ");
    MemorySink sink;
    SaveJob changed(log.store, log.source, {0, 1}, sink, Content(SaveFormat::Text), nullptr);
    changed.Wait();
    EXPECT_EQ(changed.GetState(), SaveJob::State::LogChanged);
}

TEST(SaveRecords, AStopAskedForDuringABatchEndsTheJobAfterIt) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "05.12.2026 08:00:00   Host=\"PC1\" Text=\"x\"\n";
    Log log(bytes);
    std::vector<diagnose::RecordId> records(3000);
    for (diagnose::RecordId id = 0; id < 3000; ++id)
        records[id] = id;
    std::atomic<SaveJob*> running{nullptr};
    MemorySink sink;
    sink.onWrite = [&](int write) {
        if (write < 2)
            return; // the mark; the first batch is the second write
        while (!running)
            std::this_thread::yield();
        running.load()->RequestStop();
    };
    SaveJob job(log.store, log.source, records, sink, Content(SaveFormat::Text), nullptr);
    running = &job;
    job.Wait();
    EXPECT_EQ(job.GetState(), SaveJob::State::Cancelled);
    EXPECT_EQ(job.Written(), 1024u) << "the batch written, nothing after it";
    EXPECT_EQ(sink.writes, 2);
}

TEST(SaveRecords, TheFormRulesTheSeparatorAndUtf8) {
    EXPECT_EQ(FormatFor(L"C:\\a\\Liste.CSV", kTextFilter), SaveFormat::Csv) << "the name says it";
    EXPECT_EQ(FormatFor(L"C:\\a\\Liste.log", kCsvFilter), SaveFormat::Csv) << "else the filter";

    const struct {
        const wchar_t *list, *decimal, *separator;
    } separators[] = {{L";", L",", L";"},
                      {L"|", L".", L"|"},
                      {L"", L",", L";"},
                      {L"\"", L",", L";"},
                      {L"\r\n", L".", L","}};
    for (const auto& s : separators)
        EXPECT_EQ(CsvSeparator(s.list, s.decimal), s.separator) << std::wstring(s.list).size();

    std::wstring row;
    AppendCsvRow(row, {L"a", L"", L"b|c", L"x\ny", L"end "}, L"|");
    EXPECT_EQ(row, L"a||\"b|c\"|\"x\ny\"|\"end \"\r\n");

    std::string utf8;
    AppendUtf8(utf8, std::wstring(L"Ä\u20AC") + static_cast<wchar_t>(0xD800) + L"z");
    EXPECT_EQ(utf8, "\xC3\x84\xE2\x82\xAC\xEF\xBF\xBDz") << "half a surrogate pair is no character";
}

TEST(SaveName, EntryNamesWithoutWhatAFileNameCannotHold) {
    EXPECT_EQ(viewer::SuggestedSaveName(L"PC1", L"Information"), L"PC1 - Information");
    EXPECT_EQ(viewer::SuggestedSaveName(L"\\\\srv/a:b*?\"<>|", L""), L"__srv_a_b______");
    EXPECT_EQ(viewer::SuggestedSaveName(L"Events. ", L""), L"Events");
    EXPECT_EQ(viewer::SuggestedSaveName(std::wstring(300, L'x'), L"Fehler").size(), 120u);
    EXPECT_EQ(viewer::FolderOf(L"C:\\Daten\\Liste.csv"), L"C:\\Daten");
    EXPECT_EQ(viewer::FolderOf(L"Liste.csv"), L"");
}

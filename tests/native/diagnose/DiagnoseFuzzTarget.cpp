// libFuzzer target: arbitrary bytes as a log file through the store, with the invariants every
// load must keep (each record filed once per grouping, fields as the line says, sorts total).
#include "diagnose/LineFields.h"
#include "diagnose/LineScanner.h"
#include "diagnose/RecordStore.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void Require(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring unknown = L"?";
    diagnose::MemorySource source(std::string(reinterpret_cast<const char*>(data), size));
    diagnose::RecordStore store;
    store.BeginDetected(source.bytes.data(), source.bytes.size(), {});
    // Read in two steps, as a log that grows under the viewer.
    store.Read(source, size / 2, false, unknown);
    Require(store.Read(source, size, true, unknown).ok());
    Require(store.End() == size || store.Decoder().form == diagnose::TextForm::Utf16);
    store.AddLine(std::u16string(reinterpret_cast<const char16_t*>(data), size / 2), unknown);

    size_t filed = 0;
    for (const auto& [cls, hosts] : store.GetByTraceClass())
        for (const auto& [host, records] : hosts)
            for (diagnose::RecordId id : *records) {
                Require(store.GetTraceClass(id) == cls && store.GetHost(id) == host);
                ++filed;
            }
    Require(filed == store.RecordCount());
    filed = 0;
    for (const auto& [host, classes] : store.GetByHost())
        for (const auto& [cls, records] : classes)
            filed += records->size();
    Require(filed == store.RecordCount());

    for (diagnose::RecordId id = 0; id < store.RecordCount(); ++id) {
        std::wstring line;
        Require(store.ReadLine(source, id, line) == diagnose::Recheck::Same);
        const diagnose::LineFields fields = diagnose::ParseLine(line);
        Require(fields.date == store.GetDate(id) && fields.time == store.GetTime(id));
        auto host = fields.attributes.find(L"Host");
        Require((host != fields.attributes.end() ? host->second : unknown) == store.GetHost(id));
        Require(store.RowText(id, 0) == fields.date + L" " + fields.time);
    }

    // Narrow and wide scans of the same units agree.
    const auto narrow = diagnose::ScanHeader<char>(reinterpret_cast<const char*>(data), size);
    const std::u16string wide(data, data + size);
    const auto widened = diagnose::ScanHeader<char16_t>(wide.data(), wide.size());
    Require(narrow.found == widened.found && narrow.end == widened.end && narrow.timeEnd == widened.timeEnd);

    std::vector<diagnose::RecordId> rows;
    for (diagnose::RecordId id = 0; id < store.RecordCount(); ++id)
        rows.push_back(id);
    SortRecordRows(store, rows, 0, false);
    for (size_t i = 1; i < rows.size(); ++i)
        Require(store.RowText(rows[i - 1], 0) >= store.RowText(rows[i], 0));
    return 0;
}

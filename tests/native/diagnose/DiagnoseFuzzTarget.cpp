// libFuzzer target: arbitrary bytes as a log file through the store, with the invariants every
// load must keep (each record filed once per grouping, fields as the line says, sorts total).
#include "diagnose/LineFields.h"
#include "diagnose/LineScanner.h"
#include "diagnose/RecordStore.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto Require = [](bool condition) { return condition ? void() : std::abort(); };
    const std::wstring unknown = L"?";
    diagnose::MemorySource source(std::string(reinterpret_cast<const char*>(data), size));
    diagnose::RecordStore store;
    store.BeginDetected(source.bytes.data(), source.bytes.size(), {});
    // Read in two steps, as a log that grows under the viewer.
    store.Read(source, size / 2, false, unknown);
    Require(store.Read(source, size, true, unknown).ok());
    Require(store.End() == size);
    store.AddLine(std::u16string(reinterpret_cast<const char16_t*>(data), size / 2), unknown);

    size_t byClass = 0, byHost = 0;
    for (const auto& [cls, hosts] : store.GetByTraceClass())
        for (const auto& [host, records] : hosts)
            for (diagnose::RecordId id : *records)
                byClass += store.GetTraceClass(id) == cls && store.GetHost(id) == host;
    for (const auto& [host, classes] : store.GetByHost())
        for (const auto& [cls, records] : classes)
            byHost += records->size();
    Require(byClass == store.RecordCount() && byHost == store.RecordCount());

    std::vector<diagnose::RecordId> rows;
    for (diagnose::RecordId id = 0; id < store.RecordCount(); rows.push_back(id++)) {
        std::wstring line;
        Require(store.ReadLine(source, id, line) == diagnose::Recheck::Same);
        const diagnose::LineFields fields = diagnose::ParseLine(line);
        const auto host = fields.attributes.find(L"Host");
        Require(fields.date == store.GetDate(id) && fields.time == store.GetTime(id) &&
                (host != fields.attributes.end() ? host->second : unknown) == store.GetHost(id) &&
                store.RowText(id, 0) == fields.date + L" " + fields.time);
    }
    SortRecordRows(store, rows, 0, false);
    for (size_t i = 1; i < rows.size(); ++i)
        Require(store.RowText(rows[i - 1], 0) >= store.RowText(rows[i], 0));

    // Narrow and wide scans of the same units agree.
    const auto narrow = diagnose::ScanHeader<char>(reinterpret_cast<const char*>(data), size);
    const auto widened = diagnose::ScanHeader<char16_t>(std::u16string(data, data + size).data(), size);
    Require(narrow.found == widened.found && narrow.end == widened.end && narrow.timeEnd == widened.timeEnd);
    return 0;
}

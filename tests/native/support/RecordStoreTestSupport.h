// The shared fixture of the index's tests: a log in memory and its index.
#pragma once

#include "diagnose/RecordStore.h"

#include <gtest/gtest.h>

#include <string>

namespace record_store_test {
using diagnose::MemorySource;
using diagnose::Recheck;
using diagnose::RecordId;
using diagnose::RecordList;
using diagnose::RecordStore;

inline const std::wstring kUnknown = L"Unbekannt";

// A log in memory and its index, read the way the viewer reads a file.
struct Log {
    explicit Log(std::string bytes, diagnose::TextDecoder eightBit = {},
                 size_t maxLineBytes = diagnose::kMaxLineBytes)
        : source(std::move(bytes)), store(maxLineBytes) {
        store.BeginDetected(source.bytes.data(), source.bytes.size(), eightBit);
        result = store.Read(source, source.bytes.size(), true, kUnknown);
    }
    diagnose::ReadResult ReadOn(bool fileTail = false) {
        return store.Read(source, source.bytes.size(), fileTail, kUnknown);
    }
    // Appends `text` and reads on as following does; answers the first record the read filed.
    RecordId Append(const std::string& text) {
        source.bytes += text;
        const diagnose::ReadResult read = ReadOn();
        EXPECT_TRUE(read.ok());
        return read.firstNew;
    }
    std::wstring Line(RecordId id) {
        std::wstring text;
        EXPECT_EQ(store.ReadLine(source, id, text), Recheck::Same) << id;
        return text;
    }
    MemorySource source;
    RecordStore store;
    diagnose::ReadResult result;
};

inline std::string Utf16Bytes(const std::u16string& text, bool bom) {
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (char16_t u : text)
        bytes += static_cast<char>(u & 0xFF), bytes += static_cast<char>(u >> 8);
    return bytes;
}

inline RecordList List(const diagnose::ByHost& byHost, const std::wstring& host, uint16_t cls) {
    return *byHost.at(host).at(cls);
}

} // namespace record_store_test

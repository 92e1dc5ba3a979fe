// The diagnose viewer's model: reads the log named by the caller and files every line as a
// record by computer and by trace class. It keeps an index of the file, not its text.
#pragma once

#include "diagnose/DiagnoseData.h"
#include "diagnose/RecordStore.h"
#include "win/UniqueHandle.h"

#include <memory>
#include <optional>
#include <string>

using diagnose::RecordId;
using diagnose::RecordList;

// Records are compact (see RecordStore); MakeRecord reads a line again for the details.
// Absent computers and processes file under the unknown text of the language resources that
// are current at the first read, for the index's life.
class CDiagnoseIndex : public diagnose::RecordStore {
public:
    CDiagnoseIndex();
    ~CDiagnoseIndex();

    // Stores the path and loads it.
    void SetFile(const std::wstring& path);
    const std::wstring& GetFile() const { return m_path; }

    // Reads the lines of the file not read yet: all of them the first time, the last one with
    // or without a line end. The file is held open with read, write and delete sharing, so
    // that writers go on writing and lines are read again from the same file. A byte-order
    // mark (UTF-8, UTF-16LE) decides the encoding, unmarked UTF-16LE is recognised, anything
    // else is ANSI text. A file that cannot be opened or read further ends the load with the
    // lines read so far; ReadError tells why.
    diagnose::ReadResult Load();
    // Reads the complete lines that were appended since the last read.
    diagnose::ReadResult ReadAppended();
    void AddLine(const std::wstring& line);
    // Empties the index and lets go of the file.
    void Clear();

    // The platform's code of why the file could not be read in full; 0 when it was read, or
    // does not exist, or no path is set.
    DWORD ReadError() const { return m_readError; }

    // What a look at the file found since the last read.
    enum class FileState { Unchanged, Grown, Replaced };
    // Replaced: it was cut to its newest part, rewritten, deleted, or replaced by another file;
    // the lines indexed no longer stand where they were.
    FileState Look();
    // Whether a line read again did not match what was indexed: the file is Replaced.
    bool IsStale() const { return m_stale; }

    // The record of `id` as the details dialog shows it, read again from the file; null for an
    // id that is not one, or when the file no longer holds the line (IsStale is then true).
    std::unique_ptr<CDiagnoseData> MakeRecord(RecordId id) const;
    // A record's line read again; false as MakeRecord.
    bool ReadLineText(RecordId id, std::wstring& text) const;
    diagnose::ByteSource& Source() const;

private:
    class FileSource;
    void Open();
    const std::wstring& Unknown();

    std::wstring m_path;
    std::unique_ptr<FileSource> m_file;
    std::optional<std::wstring> m_unknown;
    mutable diagnose::MemorySource m_noFile; // the source of an index of added lines only
    DWORD m_readError = 0;
    mutable bool m_stale = false;
};

// The diagnose viewer's model: reads the log named by the caller and files every line as a
// record by computer and by trace class.
#pragma once

#include "diagnose/DiagnoseData.h"
#include "diagnose/RecordStore.h"

#include <memory>
#include <string>

using diagnose::RecordId;
using diagnose::RecordList;

// Records are compact (see RecordStore); MakeRecord gives the full record for the details.
// Absent computers and processes file under the unknown text of the language resources that
// are current when the line is read.
class CDiagnoseIndex : public diagnose::RecordStore {
public:
    // Stores the path and loads it.
    void SetFile(const std::wstring& path);
    const std::wstring& GetFile() const { return m_path; }

    // Adds one record per line of the file, after those already held. The file is opened so
    // that writers may go on writing; a file that cannot be opened or read further ends the
    // load silently with the lines read so far. A byte-order mark (UTF-8, UTF-16LE) decides
    // the encoding, unmarked UTF-16LE is recognised, anything else is ANSI text.
    void Load();
    void AddLine(const std::wstring& line);

    // The record of `id` as the details dialog shows it; null for an id that is not one.
    std::unique_ptr<CDiagnoseData> MakeRecord(RecordId id) const;

private:
    std::wstring m_path;
};

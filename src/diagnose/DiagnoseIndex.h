// The diagnose viewer's model: reads the log named by the caller and files every line as a
// record by computer and by trace class. It keeps an index of the file, not its text.
#pragma once

#include "diagnose/DiagnoseData.h"
#include "diagnose/LogIndex.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

using diagnose::RecordId;
using diagnose::RecordList;

// The platform's file layer: a log held open with read, write and delete sharing, so that
// writers go on writing and lines are read again from the same file.
// An open or a look at the name that waits (a share that went away) is cancelled from another
// thread: the threads inside one stand registered meanwhile.
class PlatformFileLayer : public diagnose::FileLayer {
public:
    PlatformFileLayer();
    ~PlatformFileLayer() override;
    std::unique_ptr<diagnose::LogFile> Open(const std::wstring& path, uint32_t& error) override;
    bool Identify(const std::wstring& path, diagnose::FileId& id, uint32_t& error) override;
    void CancelOpens() override;
    void ResumeOpens() override;

private:
    class Waiting;
    std::mutex m_mutex;
    std::vector<HANDLE> m_waiting; // the threads inside Open or Identify
    bool m_cancelled = false;
};

// The index's own layer, made before the index that reads through it.
struct OwnFileLayer {
    PlatformFileLayer files;
};

// Records are compact (see RecordStore); MakeRecord reads a line again for the details. 8-bit
// text without a mark is read in the ANSI code page. Absent computers and processes file under
// the unknown text of the language resources that are current when the file is first set, for
// the index's life.
class CDiagnoseIndex : private OwnFileLayer, public diagnose::LogIndex {
public:
    // The platform's files, or `layer` (tests), which outlives the index.
    explicit CDiagnoseIndex(diagnose::FileLayer* layer = nullptr);
    ~CDiagnoseIndex();

    void AddLine(const std::wstring& line);
    // The record of `id` as the details dialog shows it, read again from the file; null for an
    // id that is not one, or when the file no longer holds the line (IsStale is then true).
    std::unique_ptr<CDiagnoseData> MakeRecord(RecordId id) const;

protected:
    std::wstring UnknownText() const override;
};

// How 8-bit text without a mark is read here: the ANSI code page.
diagnose::TextDecoder AnsiDecoder();

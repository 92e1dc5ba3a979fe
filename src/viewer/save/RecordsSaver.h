// One save of records in the background: its temporary file, its thread, its progress window,
// and what becomes of the file at the end.
#pragma once

#include "diagnose/DiagnoseIndex.h"
#include "viewer/save/SaveJob.h"
#include "viewer/save/SaveProgressDlg.h"
#include "win/ReplacingFile.h"

#include <windows.h>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

// Made and ended on the viewer's thread. The thread posts `progress` to `notify` (at most one
// such message on its way); the owner answers it with Update and, once that says the thread
// has ended, with Finish. Destroying the saver stops the thread (within one line's work),
// removes the unfinished file and the progress window.
class RecordsSaver {
public:
    RecordsSaver(HWND notify, UINT progress, UINT cancel);
    ~RecordsSaver();
    RecordsSaver(const RecordsSaver&) = delete;
    RecordsSaver& operator=(const RecordsSaver&) = delete;

    // Makes the temporary file beside `path` and starts writing; 0, or the platform's code of
    // why the file could not be made (nothing runs then). The index must not change until the
    // saver has ended. `asker` is the window the save was asked from (told of its end).
    DWORD Start(const CDiagnoseIndex& index, std::vector<diagnose::RecordId> records,
                const std::wstring& path, viewer::SaveContent content, HWND asker);
    HWND Asker() const { return m_asker; }
    // On the progress message: shows how far the save has come; true once its thread has ended.
    bool Update();
    enum class Outcome { Saved, Cancelled, LogChanged, Failed };
    // After Update said so: the file moved over the chosen name, or why not (`error`: the
    // platform's code for Failed). Only Saved leaves a file; the name's old file stays otherwise.
    Outcome Finish(DWORD& error);
    // The progress window, shown and brought forward (a second save was asked for).
    void BringToFront();
    HWND ProgressWindow() const { return m_progress ? m_progress->Handle() : nullptr; }

private:
    class FileSink : public viewer::ByteSink {
    public:
        explicit FileSink(win::ReplacingFile& file) : m_file(file) {}
        bool Write(const char* data, size_t size, uint32_t& error) override {
            error = m_file.Write(data, size);
            return error == 0;
        }

    private:
        win::ReplacingFile& m_file;
    };

    HWND m_notify;
    HWND m_asker = nullptr;
    UINT m_progressMessage;
    UINT m_cancelMessage;
    std::atomic<bool> m_posted{false};
    win::ReplacingFile m_file;
    FileSink m_sink{m_file};
    std::unique_ptr<SaveProgressDlg> m_progress;
    std::unique_ptr<diagnose::ByteSource> m_source; // the save's own handle to the log
    std::unique_ptr<viewer::SaveJob> m_job;         // last: stopped first, before the file and the window go
};

// Copying records' lines to the clipboard. A few megabytes of lines are read at once; more are
// read on the reading thread, straight into the clipboard's block, while the caption says so and
// Escape stops it; the clipboard takes the block on the viewer's thread once it is whole. One
// copy at a time; one asked while the reading thread has another job starts when it is free.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/session/LogSession.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CDiagnoseDlg;

class RecordsCopy {
public:
    explicit RecordsCopy(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    // Puts the lines of `records` on the clipboard, in the order given, each ended by CR LF, at
    // once or from the reading thread (Start starts it); says so over `owner` when they cannot
    // go there. A copy asked while one is asked or runs replaces the one asked, and waits for the
    // one that runs.
    void CopyRecords(HWND owner, const std::vector<diagnose::RecordId>& records);
    // Starts the copy asked, when the session is free; whether one runs now.
    bool Start();
    bool Asked() const { return m_asked != nullptr; }
    bool Running() const { return m_running != nullptr; }
    // Drops the copy asked and stops the one that runs.
    void Cancel();
    // The reading thread's copy has ended: its text goes to the clipboard.
    void End(const viewer::JobEnd& end);

private:
    struct Job;
    // How a copy ended: nothing to say, or what the operator is told (over `owner`), and whether
    // the log changed under it (it is read again).
    struct Ending {
        HWND owner = nullptr;
        std::wstring failure;
        bool logChanged = false;
    };
    static Ending Finish(Job& job, diagnose::Recheck check);
    void Tell(const Ending& ending);

    CDiagnoseDlg& m_viewer;
    std::shared_ptr<Job> m_asked;
    std::shared_ptr<Job> m_running; // shared with the reading thread's task
};

// The viewer following its log: lines that arrive join tree and list where they belong, and a
// log that was cut, replaced or made anew is read again.
#include "viewer/ViewerReading.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/ListColumns.h"

#include <algorithm>

void ViewerReading::OnFollowTimer() {
    // A job whose end was never told (its post failed: a full queue), or a take-in whose post of
    // its next part failed, goes on here; else the reader would stay busy, and no look start
    // again, for good.
    if (m_viewer.m_session.Ended() || m_viewer.m_session.TakingIn())
        m_viewer.Request(viewer::Work::TakeRead);
    if (m_viewer.m_session.ReadFailure() || m_viewer.m_session.Following())
        m_viewer.Request(viewer::Work::Refresh);
    m_viewer.m_life.RemindWork();
}

// While reading on has failed, only a log replaced since is read (again, from its start):
// reading the same bytes every second would fail the same way. A look waits for the job that
// runs, and a search or a sort asked for goes first; the next tick asks again.
void ViewerReading::Refresh() {
    if (!m_viewer.m_hwnd || m_viewer.m_life.Closing() || m_viewer.Reading() || m_viewer.StartAskedWork())
        return;
    StartReading(m_viewer.m_session.ReadFailure() ? viewer::JobPurpose::Look : viewer::JobPurpose::Refresh);
}

// A read that stopped part-way keeps what it filed; following stops and the caption says why,
// until F5 or a new file under the log's name.
void ViewerReading::StopOnReadFailure(const diagnose::ReadResult& result) {
    const DWORD failure = diagnose::ErrorOf(result);
    if (!m_viewer.m_session.SetReadFailure(failure))
        return;
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    m_viewer.Notify([&](ViewerObserver& observer) { observer.OnReadError(failure); });
}

// The reading thread is stopped first: the index is the viewer's thread's alone while it is
// emptied. The new load fills tree and list as it goes; the group selected before is selected
// again when it has ended (EndLoad).
void ViewerReading::Reload() {
    if (m_viewer.m_life.Closing())
        return;
    GroupKey key;
    bool entry = false;
    if (m_viewer.m_groups.KeyOf(m_viewer.m_groups.Tree().GetSelectedItem(), key, entry))
        m_reloadSelection = ReloadSelection{key, entry};
    if (!m_viewer.m_session.Reloading())
        m_viewer.Notify([](ViewerObserver& observer) { observer.OnReloading(); });
    StopReader();
    // Nothing selected before the lists go: the tree would hand the freed list of its selected
    // item to the selection change that emptying it makes.
    m_viewer.m_groups.Tree().SelectItem(nullptr);
    m_viewer.ShowRows(nullptr);
    m_viewer.m_columns.ForgetMessages();
    m_viewer.m_session.StartOver();
    m_viewer.m_search.Find().ForgetFrom(0);
    // The tree is filled from the index below whatever the read does: its items must never be
    // left on the lists that Clear freed.
    m_viewer.m_groups.Fill(m_viewer.Index(), m_viewer.m_groups.ByComputer());
    StartReading(viewer::JobPurpose::Load);
}

// Which records hold the search text, found on the reading thread when more than a few records
// are to be looked at: Find Next waits for the marks with the caption saying how far they have
// come, the match window takes them in as they come, and Escape stops them.
#include "viewer/find/ViewerSearch.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/matches/MatchWindow.h"
#include "resource.h"

#include <algorithm>

namespace {
// Records looked at in one go on the viewer's thread (a few milliseconds), by records and by the
// bytes their lines span, and in one look of the reading thread.
constexpr size_t kMarkedAtOnce = 20000;
constexpr uint64_t kMarkedBytesAtOnce = uint64_t(8) << 20;
constexpr size_t kMarkedPerStep = 32768;
} // namespace

diagnose::Recheck ViewerSearch::BringMarksUp() {
    if (m_find.MarksComplete(m_viewer.Index()) || m_marking != Marking::None)
        return diagnose::Recheck::Same;
    const diagnose::RecordId first = static_cast<diagnose::RecordId>(m_find.Marks().Size());
    if (m_viewer.Index().RecordCount() - first <= kMarkedAtOnce &&
        m_viewer.Index().CompleteEnd() -
                std::min(m_viewer.Index().CompleteEnd(), m_viewer.Index().LineStart(first)) <=
            kMarkedBytesAtOnce)
        return m_find.UpdateMarks(m_viewer.Index());
    m_marking = Marking::Asked;
    m_markFailure = 0;
    StartMarking();
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    return diagnose::Recheck::Same;
}

// Waits while the reading thread has another job (it starts when that has ended) and while a save
// reads the index.
bool ViewerSearch::StartMarking() {
    if (m_marking != Marking::Asked || m_viewer.m_life.Closing() || !m_viewer.m_session.Free())
        return m_marking == Marking::Running;
    viewer::IndexGate* gate = m_viewer.m_session.Gate().get();
    m_markCheck = diagnose::Recheck::Same;
    if (!m_viewer.m_session.StartTask(viewer::JobPurpose::Marks, [this, gate] {
            m_markCheck = m_find.MarkInSteps(m_viewer.Index(), gate, kMarkedPerStep);
        }))
        return false;
    m_marking = Marking::Running;
    ::SetTimer(m_viewer.m_hwnd, m_viewer.kReadTimer, m_viewer.kReadTakeMilliseconds,
               nullptr); // how far it has come
    return true;
}

void ViewerSearch::CancelMarking() {
    if (m_marking == Marking::None)
        return;
    if (m_marking == Marking::Running)
        m_viewer.m_reading.StopReader();
    m_marking = Marking::None;
    m_findDown.reset();
    if (!m_viewer.m_session.Loading())
        ::KillTimer(m_viewer.m_hwnd, m_viewer.kReadTimer);
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    if (m_viewer.m_owned.MatchesMade())
        m_viewer.m_owned.MatchesMade()->TakeMarks(); // says that its search stopped
}

void ViewerSearch::EndMarking(const viewer::LogReader::Outcome& outcome) {
    m_marking = Marking::None;
    if (!m_viewer.m_session.Loading())
        ::KillTimer(m_viewer.m_hwnd, m_viewer.kReadTimer);
    m_markFailure = diagnose::ErrorOf(outcome.result);
    if (!m_markFailure && m_markCheck == diagnose::Recheck::Failed)
        m_markFailure = m_find.Marks().Error() ? m_find.Marks().Error() : ERROR_READ_FAULT;
    m_viewer.ShowCaption(m_viewer.m_groups.Tree().GetSelectedItem());
    if (m_markCheck == diagnose::Recheck::Changed) {
        m_findDown.reset();
        m_viewer.Request(viewer::Work::Reload); // the match window fills again with the reload
        return;
    }
    if (m_viewer.m_owned.MatchesMade())
        m_viewer.m_owned.MatchesMade()->TakeMarks();
    const std::optional<bool> down = m_findDown;
    m_findDown.reset();
    if (!down)
        return;
    if (m_markFailure)
        m_viewer.m_life.ShowMessage(m_find.Dialog() ? m_find.Dialog() : m_viewer.m_hwnd,
                                    ViewerTextWith(IDS_READ_FAILED, SystemErrorText(m_markFailure)),
                                    MB_OK | MB_ICONWARNING);
    else
        FindNext(*down);
}

unsigned ViewerSearch::SearchedPercent() const {
    const uint64_t count = m_viewer.Index().RecordCount();
    return count
               ? static_cast<unsigned>(std::min<uint64_t>(100, uint64_t{m_find.Marks().Size()} * 100 / count))
               : 0;
}

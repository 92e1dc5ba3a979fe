// The operator's choices kept from one viewer to the next: read when the viewer opens, written
// when it closes, per user and under the viewer's own key only.
#include "viewer/ViewerKept.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/ListColumns.h"
#include "viewer/matches/MatchWindow.h"
#include "viewer/records/RecordsWindow.h"
#include "viewer/ViewerSettings.h"

#include <algorithm>

void ViewerKept::RestoreChoices() {
    m_choices = viewer::LoadChoices(3);
    // A place no monitor shows any more (one was taken away) is no place to open at.
    if (!m_choices.viewer || !viewer::PutPlace(m_viewer.m_hwnd, *m_choices.viewer))
        m_viewer.CenterOnScreen();
    if (!m_choices.searchText.empty())
        m_viewer.m_search.Find().SetText(m_choices.searchText);
}

void ViewerKept::KeepChoices() {
    m_choices.groupByComputer = m_viewer.m_groups.ByComputer();
    m_choices.viewer = viewer::PlaceOf(m_viewer.m_hwnd);
    std::vector<int> widths;
    for (int column = 0; column < m_viewer.m_list.GetColumnCount(); ++column)
        widths.push_back(m_viewer.m_list.GetColumnWidth(column));
    m_choices.columnWidths = viewer::WidthsToKeep(widths, DotsPerInch(m_viewer.m_list.Handle()));
    if (m_viewer.m_search.Find().HasText())
        m_choices.searchText = m_viewer.m_search.Find().Text();
    if (const auto place =
            m_viewer.m_owned.MatchesMade() ? m_viewer.m_owned.MatchesMade()->Place() : std::nullopt)
        m_choices.matches = place;
    if (const auto place =
            m_viewer.m_owned.TimelineMade() ? m_viewer.m_owned.TimelineMade()->Place() : std::nullopt)
        m_choices.timeline = place;
    if (const RecordsWindow* records = m_viewer.m_owned.RecordsMade()) {
        if (const auto place = records->Place())
            m_choices.records = place;
        m_choices.recordsFilter = viewer::EncodeFilter(records->Filter());
    }
    viewer::SaveChoices(m_choices);
}

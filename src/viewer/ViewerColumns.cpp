// The viewer's record list: its columns, the last of which fills the list, the mark of the sorted
// one, and the message column, whose texts are read from the log for the rows on screen only and
// whose sort reads the shown group's lines once.
#include "viewer/ViewerColumns.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/ListColumns.h"
#include "viewer/RecordsText.h"
#include "viewer/ViewerLayout.h"
#include "resource.h"

#include <algorithm>

namespace {
// Messages kept for the rows on screen; more are forgotten at once (a page holds a few dozen).
constexpr size_t kKeptMessages = 2048;
} // namespace

void ViewerColumns::SetupColumns() {
    const int dpi = DotsPerInch(m_viewer.m_list.Handle());
    std::vector<int> widths = viewer::KeptWidthsAt(m_viewer.m_kept.Choices().columnWidths, dpi);
    if (widths.size() != 3)
        widths = viewer::DefaultRecordColumns(DateColumnWidth(m_viewer.m_list),
                                              m_viewer.m_list.ClientRect().right, dpi);
    const UINT headings[] = {IDS_COLUMN_DATE, IDS_COLUMN_PROCESS, IDS_COLUMN_MESSAGE};
    for (int column = 0; column < 3; ++column)
        m_viewer.m_list.InsertColumn(column, ViewerText(headings[column]), LVCFMT_LEFT,
                                     widths[static_cast<size_t>(column)]);
    FillLastColumn(m_viewer.m_list);
}

// A column other than the last that the operator made wider or narrower (dragged, or fitted by a
// double-click on its divider): the last column fills the list again, from the queue, once the
// list has laid out the change. The header's notifications reach the viewer through the list.
bool ViewerColumns::OnHeaderChange(const NMHDR& header) {
    if (header.hwndFrom != m_viewer.m_list.GetHeader())
        return false;
    const auto& change = reinterpret_cast<const NMHEADERW&>(header);
    switch (header.code) {
    case HDN_ITEMCHANGEDW:
    case HDN_ITEMCHANGEDA:
        if (!change.pitem || !(change.pitem->mask & HDI_WIDTH))
            return false;
        [[fallthrough]];
    case HDN_ENDTRACKW:
    case HDN_ENDTRACKA:
        if (change.iItem != m_viewer.m_list.GetColumnCount() - 1 && !m_fillAsked)
            m_fillAsked = ::PostMessageW(m_viewer.m_hwnd, m_viewer.kFillLastColumn, 0, 0) != FALSE;
        return false; // the list lays the change out itself
    default:
        return false;
    }
}

// The header shows which column the rows are sorted by, and which way.
void ViewerColumns::MarkSortedColumn() {
    ::MarkSortedColumn(m_viewer.m_list, m_viewer.m_rows.SortColumn(), m_viewer.m_rows.Ascending());
}

std::wstring ViewerColumns::MessageText(diagnose::RecordId record) {
    auto found = m_messages.find(record);
    if (found == m_messages.end()) {
        ReadMessagesOnScreen(record);
        found = m_messages.find(record);
    }
    return found != m_messages.end() ? found->second : std::wstring();
}

// The lines of the rows the list shows now, and of `wanted`, read in one pass.
void ViewerColumns::ReadMessagesOnScreen(diagnose::RecordId wanted) {
    if (m_messages.size() > kKeptMessages)
        m_messages.clear();
    std::vector<diagnose::RecordId> records{wanted};
    const long top = static_cast<long>(m_viewer.m_list.Send(LVM_GETTOPINDEX));
    const long page = static_cast<long>(m_viewer.m_list.Send(LVM_GETCOUNTPERPAGE)) + 1;
    for (long row = std::max(top, 0L); row < top + page; ++row)
        if (const diagnose::RecordId id = m_viewer.m_rows.At(row);
            id != NeighbourQuery::kNoRecord && !m_messages.count(id))
            records.push_back(id);
    const viewer::MessageOfLine messageOf = MessageReader();
    const diagnose::Recheck check = viewer::VisitRecordLines(
        m_viewer.Index(), m_viewer.Index().Source(), records, [&](size_t at, const std::wstring& line) {
            m_messages[records[at]] = messageOf(line);
            return true;
        });
    if (check == diagnose::Recheck::Changed)
        m_viewer.Request(viewer::Work::Reload); // no line is shown as a record it no longer is
    if (check != diagnose::Recheck::Same)
        m_messages.emplace(wanted, std::wstring()); // not read again at every paint
}

void ViewerColumns::ForgetMessages() {
    m_messages.clear();
    m_messageKeys.Clear();
}

// The sort keys of the shown group's records from its place `from` on. False when they cannot
// be had: the log changed (it is read again), could not be read, or its messages are too many
// and unlike to be held.
bool ViewerColumns::ReadMessageKeys(size_t from) {
    const diagnose::RecordList* group = m_viewer.m_rows.Group();
    if (!group)
        return false;
    const viewer::MessageKeys::Result result =
        m_messageKeys.Read(m_viewer.Index(), m_viewer.Index().Source(), *group, from, MessageReader());
    if (result == viewer::MessageKeys::Result::Changed)
        m_viewer.Request(viewer::Work::Reload);
    return result == viewer::MessageKeys::Result::Done;
}

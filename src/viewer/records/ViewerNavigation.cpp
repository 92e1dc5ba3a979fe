// Going about the log from the viewer.
#include "viewer/records/ViewerNavigation.h"

#include "viewer/DiagnoseDlg.h"
#include "viewer/records/FilterMenu.h"
#include "viewer/records/RecordsTitle.h"
#include "viewer/records/RecordsWindow.h"
#include "viewer/records/TypedTime.h"
#include "viewer/timeline/LogTime.h"
#include "resource.h"

namespace {
// Records of a class taken in in one dispatch before its first step: some 30 ms.
constexpr size_t kCheckedAtOnce = 131072;
} // namespace

diagnose::RecordId ViewerNavigation::Focused() const {
    return m_viewer.m_rows.At(m_viewer.m_list.GetNextItem(-1, LVNI_FOCUSED));
}

void ViewerNavigation::GoToTime() {
    if (m_viewer.m_rows.Count() == 0) {
        ::MessageBeep(MB_OK);
        return;
    }
    m_goTo.Open(m_viewer.m_hwnd, [this](const std::wstring& typed) { return GoTo(typed); });
}

// The first row in the list's order whose time is at or after the one typed: in a list in time
// order (as the log writes it, and as the date column sorts it) the record at that time.
bool ViewerNavigation::GoTo(const std::wstring& typed) {
    const CDiagnoseIndex& index = m_viewer.Index();
    const viewer::RecordRows& rows = m_viewer.m_rows;
    viewer::RecordClock clock;
    int64_t seconds = 0, newest = -1, first = INT64_MAX, last = INT64_MIN;
    long firstRow = -1, lastRow = -1;
    for (long row = static_cast<long>(rows.Count()); row-- > 0 && newest < 0;)
        if (clock.SecondsOf(index, rows.At(row), seconds))
            newest = seconds;
    int64_t day = newest >= 0 ? newest / viewer::kSecondsPerDay : 0;
    if (clock.SecondsOf(index, Focused(), seconds))
        day = seconds / viewer::kSecondsPerDay; // a time of day alone: on the day looked at
    const HWND owner = m_goTo.Handle() ? m_goTo.Handle() : m_viewer.m_hwnd;
    const auto time = ReadTypedTime(typed, day, newest);
    if (!time) {
        m_viewer.ShowMessage(owner, ViewerTextWith(IDS_TIME_NOT_UNDERSTOOD, typed), MB_OK | MB_ICONWARNING);
        return false;
    }
    for (long row = 0; row < static_cast<long>(rows.Count()); ++row) {
        if (!clock.SecondsOf(index, rows.At(row), seconds))
            continue;
        if (seconds >= time->seconds) {
            m_viewer.ShowRecord(rows.At(row));
            return true;
        }
        if (seconds < first)
            first = seconds, firstRow = row;
        if (seconds > last)
            last = seconds, lastRow = row;
    }
    const std::wstring text =
        firstRow < 0 ? ViewerText(IDS_TIME_NO_TIMES)
                     : viewer::FillIn(ViewerText(IDS_TIME_NONE_AFTER),
                                      {typed, index.RowText(rows.At(firstRow), 0), index.RowText(rows.At(lastRow), 0)});
    m_viewer.ShowMessage(owner, text, MB_OK | MB_ICONINFORMATION);
    return false;
}

void ViewerNavigation::StepToClass(uint16_t traceClass, bool forward) {
    if (!m_observing) // what it knows of the lists goes when they do
        m_viewer.m_owned.AddObserver(this);
    m_observing = true;
    // The lists of a class first looked at in dispatches of their own: the step comes after.
    if (!m_steps.Prepare(m_viewer.Index(), traceClass, kCheckedAtOnce)) {
        const WORD command = traceClass == 2 ? (forward ? ID_NEXT_ERROR : ID_PREVIOUS_ERROR)
                                             : (forward ? ID_NEXT_WARNING : ID_PREVIOUS_WARNING);
        ::PostMessageW(m_viewer.m_hwnd, WM_COMMAND, MAKEWPARAM(command, 1), 0);
        return;
    }
    const auto next = m_steps.Next(m_viewer.Index(), Focused(), traceClass, forward);
    if (!next || !m_viewer.ShowRecord(*next))
        ::MessageBeep(MB_OK);
}

void ViewerNavigation::OnRecordsAdded(diagnose::RecordId firstNew) {
    if (firstNew < m_recordsSeen)
        m_steps.ForgetFrom(m_viewer.Index(), firstNew); // records taken back
    m_recordsSeen = m_viewer.Index().RecordCount();
}

void ViewerNavigation::OnReloaded() {
    m_steps.Forget();
    m_recordsSeen = m_viewer.Index().RecordCount();
}

void ViewerNavigation::FilterBy(WORD command, diagnose::RecordId record) {
    RecordsWindow& records = m_viewer.m_owned.Records();
    viewer::RecordFilter filter = records.Filter();
    if (AddFilterCondition(filter, command, m_viewer.Index(), record == NeighbourQuery::kNoRecord ? Focused() : record))
        records.Open(filter);
}

bool ViewerNavigation::IsHeading(HTREEITEM item) const {
    GroupKey key;
    bool entry = false;
    return item && m_viewer.m_groups.KeyOf(item, key, entry) && !entry;
}

// A heading of the grouping by type: its type on every computer; of the grouping by computer:
// that computer's every type.
void ViewerNavigation::HeadingRecords(HTREEITEM item) {
    GroupKey key;
    bool entry = false;
    if (!item || !m_viewer.m_groups.KeyOf(item, key, entry) || entry)
        return;
    viewer::RecordFilter filter;
    if (m_viewer.m_groups.ByComputer())
        filter.computers = {viewer::NameChoice::Mode::Only, {key.host}};
    else
        filter.types = viewer::TypeBitOf(key.traceClass);
    m_viewer.m_owned.Records().Open(filter);
}

// The records window.
#include "viewer/records/RecordsWindow.h"

#include "diagnose/DiagnoseFeed.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/ListColumns.h"
#include "viewer/RecordColumns.h"
#include "viewer/ViewerText.h"
#include "viewer/find/MarkingSteps.h"
#include "viewer/find/ViewerFind.h"
#include "viewer/records/FilterMenu.h"
#include "viewer/records/RecordsTitle.h"
#include "viewer/records/TypedTime.h"
#include "viewer/timeline/LogTime.h"
#include "resource.h"
#include "win/PopupMenu.h"

#include <algorithm>
#include <map>
#include <chrono>

namespace {

// Posted to itself: the next step of the rows; a row's record is selected in the viewer once the
// list's notification has returned; the viewer reads its log again (the text's lines changed).
constexpr UINT kStep = WM_APP + 1;
constexpr UINT kShowRecord = WM_APP + 2;
constexpr UINT kReloadViewer = WM_APP + 3;
// While the reading thread looks for the text: its marks are taken in as they come.
constexpr UINT_PTR kTextTimer = 1;
constexpr UINT kTextTakeMilliseconds = 250;


// Records looked at in one go, and the time a step goes on for: a step then takes about as
// long on any machine, well within a dispatch. The lines of a text
// condition read at once on the viewer's thread, by records and by the bytes they span, as the
// viewer's search reads them; more go to the reading thread, a look of so many at a time.
constexpr size_t kRecordsAtOnce = 65536;
constexpr auto kStepTime = std::chrono::milliseconds(40);
constexpr size_t kLinesAtOnce = 20000;
constexpr uint64_t kLineBytesAtOnce = uint64_t(8) << 20;
constexpr size_t kLinesPerLook = 32768;
// Selected rows carried across a change of the rows; more are let go.
constexpr size_t kKeptSelection = 10000;
// Rows sorted by a column's text in one dispatch, at most: from the index, and by the message,
// whose lines are read.
constexpr size_t kSortedMost = 100000;
constexpr size_t kMessagesSortedMost = 20000;

constexpr POINT kMinimumSize{480, 220};

const UINT kTypeBoxes[] = {IDC_FILTER_INFORMATION, IDC_FILTER_WARNING, IDC_FILTER_ERROR, IDC_FILTER_UNKNOWN};
const uint8_t kTypeBits[] = {viewer::kInformationBit, viewer::kWarningBit, viewer::kErrorBit, viewer::kUnknownBit};

void FillModes(HWND box, UINT first, UINT second, bool firstChosen) {
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ViewerText(first).c_str()));
    ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ViewerText(second).c_str()));
    ::SendMessageW(box, CB_SETCURSEL, firstChosen ? 0 : 1, 0);
}

bool FirstChosen(HWND box) {
    return ::SendMessageW(box, CB_GETCURSEL, 0, 0) != 1;
}

} // namespace

RecordsWindow::RecordsWindow(CDiagnoseDlg& viewer) : Dialog(IDD_RECORDS), m_viewer(viewer), m_goTo(viewer) {
    HandleMessagesUnder(viewer.Gate());
    CountDispatchWith(viewer);
    if (const auto& kept = viewer.Choices().records)
        m_place.Keep(*kept);
    if (const auto kept = viewer::DecodeFilter(viewer.Choices().recordsFilter))
        m_filter = *kept;
}

RecordsWindow::~RecordsWindow() {
    if (m_hwnd)
        m_viewer.RemoveObserver(this);
}

void RecordsWindow::Open(std::optional<viewer::RecordFilter> filter) {
    const bool made = m_hwnd != nullptr;
    if (!made) {
        if (!Create(m_viewer.Handle()))
            return;
        TranslateInHostLoop();
        m_viewer.AddObserver(this);
    }
    if (filter || !made) {
        ShowFilter(filter ? *filter : m_filter);
        if (!Apply(filter ? *filter : m_filter)) { // a kept time that means nothing today: all
            ShowFilter({});
            Apply({});
        }
    }
    ::ShowWindow(m_hwnd, ::IsIconic(m_hwnd) ? SW_RESTORE : SW_SHOW);
    ::SetActiveWindow(m_hwnd);
    ::SetFocus(m_list.Handle());
}

bool RecordsWindow::OnInitDialog() {
    m_list.Attach(Item(IDC_RECORDS_LIST));
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_note.Attach(m_list.Handle());
    InsertRecordColumns(m_list);
    FillModes(Item(IDC_FILTER_COMPUTERS_MODE), IDS_MODE_SHOW, IDS_MODE_HIDE, false);
    FillModes(Item(IDC_FILTER_PROCESSES_MODE), IDS_MODE_SHOW, IDS_MODE_HIDE, false);
    FillModes(Item(IDC_FILTER_TEXT_MODE), IDS_TEXT_HELD, IDS_TEXT_NOT_HELD, true);
    m_processSeen.clear();
    m_namesUpTo = 0;
    m_hostsListed = 0;
    AddNames();
    m_place.Place(m_hwnd, m_viewer.Handle(), m_viewer.RecordList());
    return true;
}

void RecordsWindow::ShowFilter(const viewer::RecordFilter& filter) {
    for (size_t i = 0; i < std::size(kTypeBoxes); ++i)
        ::CheckDlgButton(m_hwnd, kTypeBoxes[i], (filter.types & kTypeBits[i]) ? BST_CHECKED : BST_UNCHECKED);
    using Mode = viewer::NameChoice::Mode;
    ::SetDlgItemTextW(m_hwnd, IDC_FILTER_COMPUTERS, viewer::JoinNames(filter.computers.names).c_str());
    ::SendDlgItemMessageW(m_hwnd, IDC_FILTER_COMPUTERS_MODE, CB_SETCURSEL,
                          filter.computers.mode == Mode::Only ? 0 : 1, 0);
    ::SetDlgItemTextW(m_hwnd, IDC_FILTER_PROCESSES, viewer::JoinNames(filter.processes.names).c_str());
    ::SendDlgItemMessageW(m_hwnd, IDC_FILTER_PROCESSES_MODE, CB_SETCURSEL,
                          filter.processes.mode == Mode::Only ? 0 : 1, 0);
    ::SetDlgItemTextW(m_hwnd, IDC_FILTER_TEXT, filter.text.c_str());
    ::SendDlgItemMessageW(m_hwnd, IDC_FILTER_TEXT_MODE, CB_SETCURSEL, filter.textHeld ? 0 : 1, 0);
    ::SetDlgItemTextW(m_hwnd, IDC_FILTER_FROM, filter.from.c_str());
    ::SetDlgItemTextW(m_hwnd, IDC_FILTER_TO, filter.to.c_str());
}

viewer::RecordFilter RecordsWindow::ReadFilter() const {
    viewer::RecordFilter filter;
    filter.types = 0;
    for (size_t i = 0; i < std::size(kTypeBoxes); ++i)
        if (::IsDlgButtonChecked(m_hwnd, kTypeBoxes[i]) == BST_CHECKED)
            filter.types |= kTypeBits[i];
    using Mode = viewer::NameChoice::Mode;
    auto text = [this](UINT id) { return win::Window(Item(id)).GetText(); };
    filter.computers = {FirstChosen(Item(IDC_FILTER_COMPUTERS_MODE)) ? Mode::Only : Mode::Hide,
                        viewer::SplitNames(text(IDC_FILTER_COMPUTERS))};
    filter.processes = {FirstChosen(Item(IDC_FILTER_PROCESSES_MODE)) ? Mode::Only : Mode::Hide,
                        viewer::SplitNames(text(IDC_FILTER_PROCESSES))};
    filter.text = text(IDC_FILTER_TEXT);
    filter.textHeld = FirstChosen(Item(IDC_FILTER_TEXT_MODE));
    auto trimmed = [](std::wstring typed) {
        typed.erase(0, typed.find_first_not_of(L" \t"));
        typed.erase(typed.find_last_not_of(L" \t") + 1);
        return typed;
    };
    filter.from = trimmed(text(IDC_FILTER_FROM));
    filter.to = trimmed(text(IDC_FILTER_TO));
    return filter;
}

// The rows begin again for `filter`; false, with the operator told why, when one of its times
// means nothing.
bool RecordsWindow::Apply(const viewer::RecordFilter& filter) {
    const int64_t newest = NewestSeconds();
    const int64_t today = newest >= 0 ? newest / viewer::kSecondsPerDay : 0;
    std::optional<int64_t> from, to;
    for (const std::wstring* typed : {&filter.from, &filter.to}) {
        if (typed->empty())
            continue;
        const auto time = ReadTypedTime(*typed, today, newest);
        if (!time) {
            if (m_hwnd && ::IsWindowVisible(m_hwnd))
                m_viewer.ShowMessage(m_hwnd, ViewerTextWith(IDS_TIME_NOT_UNDERSTOOD, *typed),
                                     MB_OK | MB_ICONWARNING);
            return false;
        }
        if (typed == &filter.from)
            from = time->seconds;
        else
            to = time->seconds + time->span - 1; // "to 09:45" takes in that minute
    }
    CancelText(); // its look is of the text before
    m_filter = filter;
    ChangeRows([&] {
        m_rows.Start(viewer::RecordTest(filter, from, to));
        m_textMarks.Clear();
        m_matcher.reset();
        if (!filter.text.empty()) {
            if (!m_tables)
                m_tables = PlatformTables();
            m_matcher = std::make_unique<viewer::TextMatcher>(filter.text, false, false, *m_tables);
        }
    });
    m_readError = 0;
    m_stopped = false;
    PostStep();
    Step(); // the first screen at once
    return true;
}

void RecordsWindow::PostStep() {
    if (!m_stepping && m_hwnd)
        m_stepping = ::PostMessageW(m_hwnd, kStep, 0, 0) != FALSE;
}

// One step of the rows: the records that the lines looked at so far let by.
void RecordsWindow::Step() {
    const CDiagnoseIndex& index = m_viewer.Index();
    if (m_stopped || m_readError)
        return ShowTitle();
    BringTextUp();
    bool complete = false;
    ChangeRows([&] {
        const auto start = std::chrono::steady_clock::now();
        do
            complete = m_rows.Advance(index, kRecordsAtOnce, m_matcher ? &m_textMarks.Bits() : nullptr);
        while (!complete && (m_rows.Merging() || m_rows.Looked() < (m_matcher ? m_textMarks.Size() : index.RecordCount())) &&
               std::chrono::steady_clock::now() - start < kStepTime);
    });
    AddNames();
    // Rows the marks have let by come in steps; more marks come with the reading thread's look.
    const size_t ready = m_matcher ? m_textMarks.Size() : index.RecordCount();
    if (!complete && (m_rows.Merging() || m_rows.Looked() < ready) && !m_readError)
        PostStep();
    ShowTitle();
}

void RecordsWindow::BringTextUp() {
    const CDiagnoseIndex& index = m_viewer.Index();
    if (!m_matcher || m_textMarks.Size() >= index.RecordCount() || m_text != Text::None || m_readError)
        return;
    const auto first = static_cast<diagnose::RecordId>(m_textMarks.Size());
    if (index.RecordCount() - first > kLinesAtOnce ||
        index.CompleteEnd() - std::min(index.CompleteEnd(), index.LineStart(first)) > kLineBytesAtOnce) {
        m_text = Text::Asked;
        StartTextMarks();
        return;
    }
    const diagnose::Recheck check = m_textMarks.Update(index, index.Source(), *m_matcher);
    if (check == diagnose::Recheck::Changed)
        ::PostMessageW(m_hwnd, kReloadViewer, 0, 0);
    else if (check == diagnose::Recheck::Failed)
        m_readError = m_textMarks.Error() ? m_textMarks.Error() : ERROR_READ_FAULT;
}

// Waits while the reading thread has another job, and while a save reads the index.
bool RecordsWindow::StartTextMarks() {
    if (m_text != Text::Asked || !m_hwnd)
        return m_text == Text::Running;
    const CDiagnoseIndex* index = &m_viewer.Index();
    viewer::IndexGate* gate = m_viewer.Gate().get();
    m_textCheck = diagnose::Recheck::Same;
    // The text and the tables stay as they are while the look runs: a new filter stops it first.
    const std::wstring text = m_filter.text;
    const viewer::CharacterTables* tables = m_tables.get();
    if (!m_viewer.StartFilterJob([this, index, gate, text, tables] {
            m_textCheck = viewer::MarkInSteps(
                gate, *index, index->ReadingSource(), m_textMarks,
                [&] { return std::make_unique<viewer::TextMatcher>(text, false, false, *tables); }, kLinesPerLook);
        }))
        return false;
    m_text = Text::Running;
    ::SetTimer(m_hwnd, kTextTimer, kTextTakeMilliseconds, nullptr);
    return true;
}

void RecordsWindow::EndTextMarks(const viewer::LogReader::Outcome& outcome) {
    if (m_text != Text::Running)
        return;
    m_text = Text::None;
    ::KillTimer(m_hwnd, kTextTimer);
    m_readError = diagnose::ErrorOf(outcome.result);
    if (!m_readError && m_textCheck == diagnose::Recheck::Failed)
        m_readError = m_textMarks.Error() ? m_textMarks.Error() : ERROR_READ_FAULT;
    if (m_textCheck == diagnose::Recheck::Changed) {
        ::PostMessageW(m_hwnd, kReloadViewer, 0, 0); // the rows begin again with the reload
        return;
    }
    Step();
    ShowNote();
}

// The look on the reading thread ends (within a step); the marks made so far stay.
void RecordsWindow::CancelText() {
    const bool running = m_text == Text::Running;
    m_text = Text::None;
    if (m_hwnd)
        ::KillTimer(m_hwnd, kTextTimer);
    if (running)
        m_viewer.StopFilterJob();
}

// The computers and processes the boxes offer: the log's own, as they come.
void RecordsWindow::AddNames() {
    const CDiagnoseIndex& index = m_viewer.Index();
    HWND computers = Item(IDC_FILTER_COMPUTERS);
    if (index.GetByHost().size() != m_hostsListed) {
        const std::wstring typed = win::Window(computers).GetText();
        ::SendMessageW(computers, CB_RESETCONTENT, 0, 0);
        for (const auto& [host, lists] : index.GetByHost())
            ::SendMessageW(computers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(host).c_str()));
        ::SetWindowTextW(computers, typed.c_str());
        m_hostsListed = index.GetByHost().size();
    }
    HWND processes = Item(IDC_FILTER_PROCESSES);
    const diagnose::RecordId end = std::min(m_rows.Looked(), index.RecordCount());
    for (; m_namesUpTo < end; ++m_namesUpTo) {
        const uint32_t process = index.TextNumber(m_namesUpTo, 1);
        if (process >= m_processSeen.size())
            m_processSeen.resize(process + size_t(1), false);
        if (m_processSeen[process])
            continue;
        m_processSeen[process] = true;
        const std::wstring name(index.GetProcess(m_namesUpTo));
        if (::SendMessageW(processes, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(name.c_str())) == CB_ERR)
            ::SendMessageW(processes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

// Runs `change` on the rows and shows them again, the focused and the selected records (a few
// thousand) still focused and selected where they went.
template <typename Change> void RecordsWindow::ChangeRows(Change&& change) {
    // From what the list reported, not from asking it: the platform's list looks at every row
    // for the selected and the focused one.
    std::vector<diagnose::RecordId> selected;
    const bool keepSelection = m_selected.Count() <= kKeptSelection;
    if (keepSelection)
        selected = SelectedRecords();
    const diagnose::RecordId focused = RecordAt(m_focused);
    const long top = static_cast<long>(m_list.Send(LVM_GETTOPINDEX));
    const diagnose::RecordId topRecord = RecordAt(top);
    if (keepSelection) {
        const auto ranges = m_selected.Ranges();
        for (const auto& [first, last] : ranges)
            for (long row = first; row < last; ++row)
                m_list.SetItemState(static_cast<int>(row), 0, LVIS_SELECTED);
    }
    if (m_focused >= 0)
        m_list.SetItemState(static_cast<int>(m_focused), 0, LVIS_FOCUSED);
    change();
    Sort();
    m_list.Send(LVM_SETITEMCOUNT, m_rows.Count(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    FillLastColumn(m_list);
    for (diagnose::RecordId record : selected)
        if (const long row = RowOfRecord(record); row >= 0)
            m_list.SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    if (const long row = RowOfRecord(focused); row >= 0)
        m_list.SetItemState(static_cast<int>(row), LVIS_FOCUSED, LVIS_FOCUSED);
    // What was at the top stays there when rows went in above it.
    RECT item{};
    item.left = LVIR_BOUNDS;
    const long moved = RowOfRecord(topRecord);
    const long nowTop = static_cast<long>(m_list.Send(LVM_GETTOPINDEX));
    if (moved >= 0 && moved != nowTop && m_list.Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
        m_list.Send(LVM_SCROLL, 0, static_cast<LPARAM>(moved - nowTop) * (item.bottom - item.top));
    m_list.Invalidate(false);
    ShowNote();
}

diagnose::RecordId RecordsWindow::RecordAt(long row) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.Count())
        return NeighbourQuery::kNoRecord;
    if (m_sortColumn >= 0)
        return static_cast<size_t>(row) < m_sorted.size() ? m_sorted[static_cast<size_t>(row)] : NeighbourQuery::kNoRecord;
    return m_rows.At(m_ascending ? static_cast<size_t>(row) : m_rows.Count() - 1 - static_cast<size_t>(row));
}

long RecordsWindow::RowOfRecord(diagnose::RecordId record) {
    if (record == NeighbourQuery::kNoRecord)
        return -1;
    if (m_sortColumn >= 0) {
        const auto found = m_sortedRows.find(record);
        return found == m_sortedRows.end() ? -1 : found->second;
    }
    const size_t row = m_rows.RowOf(m_viewer.Index(), record);
    if (row == viewer::FilteredRecords::kNoRow)
        return -1;
    return static_cast<long>(m_ascending ? row : m_rows.Count() - 1 - row);
}

void RecordsWindow::SelectRow(long row) {
    if (m_selected.Count() <= kKeptSelection) {
        const auto ranges = m_selected.Ranges();
        for (const auto& [first, last] : ranges)
            for (long at = first; at < last; ++at)
                m_list.SetItemState(static_cast<int>(at), 0, LVIS_SELECTED);
    } else {
        m_list.SetItemState(-1, 0, LVIS_SELECTED);
    }
    m_list.SetItemState(static_cast<int>(row), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (!m_list.RowShown(static_cast<int>(row)))
        m_list.ScrollToMiddle(static_cast<int>(row));
    ::SetFocus(m_list.Handle());
}

void RecordsWindow::ShowTitle() {
    const CDiagnoseIndex& index = m_viewer.Index();
    // The count of all that passed: rows still to be merged in count, and "Sortiere …" says so.
    std::wstring title =
        viewer::RecordsTitle(ViewerText(IDS_RECORDS_TITLE), ViewerText(IDS_RECORDS_UNTIMED), m_rows.Passed(),
                             index.RecordCount(), m_rows.Untimed());
    const bool looked = m_rows.Looked() >= index.RecordCount();
    const unsigned percent =
        static_cast<unsigned>(uint64_t{m_rows.Looked()} * 100 / std::max<uint64_t>(1, index.RecordCount()));
    if (const uint32_t error = m_readError ? m_readError : m_viewer.ReadFailure())
        title += L" - " + SystemErrorText(error);
    else if (m_stopped && !m_rows.Complete(index))
        title += L" - " + ViewerText(IDS_SEARCH_STOPPED, std::to_wstring(percent));
    else if (!looked)
        title += L" - " + ViewerText(IDS_RECORDS_FILTERING, std::to_wstring(percent));
    else if (m_rows.Merging())
        title += L" - " + ViewerText(IDS_SORTING);
    SetText(title);
}

void RecordsWindow::ShowNote() {
    m_note.SetText(m_rows.Count() == 0 && !Filtering() ? ViewerText(IDS_RECORDS_NONE) : std::wstring());
}

void RecordsWindow::AnswerDisplayInfo(NMLVDISPINFOW& info) const {
    const diagnose::RecordId record = RecordAt(info.item.iItem);
    if (record != NeighbourQuery::kNoRecord)
        AnswerCellText(info, RecordCellText(m_viewer.Index(), record, info.item.iSubItem,
                                            [this](diagnose::RecordId id) { return m_viewer.MessageText(id); }));
}

std::vector<diagnose::RecordId> RecordsWindow::SelectedRecords() const {
    std::vector<diagnose::RecordId> records;
    for (const auto& [first, last] : m_selected.Ranges())
        for (long row = first; row < last; ++row)
            if (const diagnose::RecordId record = RecordAt(row); record != NeighbourQuery::kNoRecord)
                records.push_back(record);
    return records;
}

std::vector<diagnose::RecordId> RecordsWindow::AllRecords() const {
    std::vector<diagnose::RecordId> records;
    records.reserve(m_rows.Count());
    if (m_sortColumn >= 0)
        return m_sorted;
    m_rows.Visit(0, m_rows.Count(), [&](diagnose::RecordId id) { return records.push_back(id), true; });
    if (!m_ascending)
        std::reverse(records.begin(), records.end());
    return records;
}

void RecordsWindow::OnRecordsAdded(diagnose::RecordId firstNew) {
    if (firstNew < m_rows.Looked() || firstNew < m_textMarks.Size())
        ChangeRows([&] {
            m_rows.ForgetFrom(m_viewer.Index(), firstNew);
            m_textMarks.ForgetFrom(firstNew);
        });
    if (firstNew < m_namesUpTo) { // numbers may stand for other names now; the box keeps its names
        m_processSeen.clear();
        m_namesUpTo = firstNew;
    }
    PostStep();
    ShowTitle();
}

void RecordsWindow::OnReloaded() {
    m_processSeen.clear();
    m_namesUpTo = 0;
    m_hostsListed = static_cast<size_t>(-1);
    ::SendDlgItemMessageW(m_hwnd, IDC_FILTER_PROCESSES, CB_RESETCONTENT, 0, 0);
    if (!Apply(m_filter))
        Apply({});
}

void RecordsWindow::OnReadError(uint32_t) {
    ShowTitle();
}

// The newest time of the log: of the last record that has one, looked for from the end.
int64_t RecordsWindow::NewestSeconds() {
    const CDiagnoseIndex& index = m_viewer.Index();
    int64_t seconds = -1;
    for (diagnose::RecordId id = index.RecordCount(), looked = 0; id > 0 && looked < 4096; --id, ++looked)
        if (m_rows.Clock().SecondsOf(index, id - 1, seconds))
            return seconds;
    return -1;
}

bool RecordsWindow::GoTo(const std::wstring& typed) {
    const CDiagnoseIndex& index = m_viewer.Index();
    const int64_t newest = NewestSeconds();
    int64_t day = newest >= 0 ? newest / viewer::kSecondsPerDay : 0;
    int64_t focused = 0;
    if (m_rows.Clock().SecondsOf(index, RecordAt(m_focused), focused))
        day = focused / viewer::kSecondsPerDay; // a time of day alone: on the day looked at
    const auto time = ReadTypedTime(typed, day, newest);
    if (!time) {
        m_viewer.ShowMessage(m_goTo.Handle() ? m_goTo.Handle() : m_hwnd,
                             ViewerTextWith(IDS_TIME_NOT_UNDERSTOOD, typed), MB_OK | MB_ICONWARNING);
        return false;
    }
    const size_t row = m_rows.RowAtOrAfter(index, time->seconds);
    if (row == viewer::FilteredRecords::kNoRow) {
        const size_t timed = m_rows.Count() - m_rows.Untimed();
        const std::wstring text =
            timed == 0 ? ViewerText(IDS_TIME_NO_TIMES)
                       : viewer::FillIn(ViewerText(IDS_TIME_NONE_AFTER),
                                        {typed, index.RowText(m_rows.At(0), 0), index.RowText(m_rows.At(timed - 1), 0)});
        m_viewer.ShowMessage(m_goTo.Handle() ? m_goTo.Handle() : m_hwnd, text, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    SelectRow(RowOfRecord(m_rows.At(row)));
    return true;
}

// In time order from the focused record; down the list of the newest first goes back in time.
void RecordsWindow::StepToClass(uint16_t traceClass, bool forward) {
    const diagnose::RecordId focused = RecordAt(m_focused);
    const size_t from =
        focused == NeighbourQuery::kNoRecord ? viewer::FilteredRecords::kNoRow : m_rows.RowOf(m_viewer.Index(), focused);
    const bool later = m_sortColumn >= 0 || m_ascending ? forward : !forward;
    const size_t row = m_rows.NextOfClass(m_viewer.Index(), from, traceClass, later);
    if (row == viewer::FilteredRecords::kNoRow) {
        ::MessageBeep(MB_OK);
        return;
    }
    SelectRow(RowOfRecord(m_rows.At(row)));
}

// A header click: the date turns the time order round; another column sorts by its text, first
// ascending, then each click the other way, equal texts in time order. The rows of a large log
// are not sorted by a column (a beep): it would hold the host's thread.
void RecordsWindow::SortBy(int column) {
    if (column == kDateColumn) {
        ChangeRows([&] {
            m_ascending = m_sortColumn >= 0 || !m_ascending;
            m_sortColumn = -1;
            m_sorted = {};
            m_sortedRows = {};
        });
    } else if (m_rows.Count() > (column == kMessageColumn ? kMessagesSortedMost : kSortedMost)) {
        ::MessageBeep(MB_OK);
    } else {
        ChangeRows([&] {
            m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
            m_sortColumn = column;
        });
    }
    MarkSortedColumn(m_list, m_sortColumn >= 0 ? m_sortColumn : kDateColumn, m_sortColumn >= 0 ? m_sortAscending : m_ascending);
}

// The rows in the order of the column sorted by, again: after a change of the rows. Too many by
// then, and they go back to the time order.
void RecordsWindow::Sort() {
    m_sorted.clear();
    m_sortedRows.clear();
    if (m_sortColumn < 0)
        return;
    if (m_rows.Count() > (m_sortColumn == kMessageColumn ? kMessagesSortedMost : kSortedMost)) {
        m_sortColumn = -1;
        MarkSortedColumn(m_list, kDateColumn, m_ascending);
        return;
    }
    std::vector<std::pair<std::wstring, diagnose::RecordId>> keyed;
    keyed.reserve(m_rows.Count());
    std::map<uint16_t, std::wstring> typeNames; // loaded once per class, not once per row
    const CDiagnoseIndex& index = m_viewer.Index();
    m_rows.Visit(0, m_rows.Count(), [&](diagnose::RecordId id) {
        if (m_sortColumn == kTypeColumn) {
            auto name = typeNames.find(index.GetTraceClass(id));
            if (name == typeNames.end())
                name = typeNames.emplace(index.GetTraceClass(id), GetTraceClassName(index.GetTraceClass(id))).first;
            keyed.emplace_back(name->second, id);
        } else {
            keyed.emplace_back(RecordCellText(index, id, m_sortColumn,
                                              [this](diagnose::RecordId record) { return m_viewer.MessageText(record); }),
                               id);
        }
        return true;
    });
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        return m_sortAscending ? a.first < b.first : b.first < a.first;
    });
    m_sorted.reserve(keyed.size());
    for (const auto& [key, id] : keyed) {
        m_sortedRows.emplace(id, static_cast<long>(m_sorted.size()));
        m_sorted.push_back(id);
    }
}

void RecordsWindow::FilterBy(WORD command, diagnose::RecordId record) {
    viewer::RecordFilter filter = m_filter;
    if (!AddFilterCondition(filter, command, m_viewer.Index(), record))
        return;
    if (!m_hwnd) {
        Open(filter);
        return;
    }
    ShowFilter(filter);
    Apply(filter);
    Open();
}

void RecordsWindow::OnOK() {
    const diagnose::RecordId record = RecordAt(m_focused);
    if (::GetFocus() == m_list.Handle()) {
        if (record != NeighbourQuery::kNoRecord && ::IsWindowEnabled(m_viewer.Handle()))
            m_viewer.ShowRecord(record);
        return;
    }
    // Enter in the filter's fields applies it, as its default button does.
    Apply(ReadFilter());
}

bool RecordsWindow::OnCommand(WORD notifyCode, WORD id, HWND control) {
    switch (id) {
    case IDC_FILTER_APPLY:
        Apply(ReadFilter());
        return true;
    case IDC_FILTER_OFF:
    case ID_FILTER_OFF:
        ShowFilter({});
        Apply({});
        return true;
    case IDC_FILTER_LAST_MINUTES:
        ::SetDlgItemTextW(m_hwnd, IDC_FILTER_FROM, L"-15m");
        ::SetDlgItemTextW(m_hwnd, IDC_FILTER_TO, L"");
        Apply(ReadFilter());
        return true;
    case ID_VIEWER_COPY:
        m_viewer.CopyRecords(m_hwnd, SelectedRecords());
        return true;
    case ID_SELECT_ALL:
        m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        return true;
    case ID_SHOW_IN_VIEWER:
        if (const diagnose::RecordId record = RecordAt(m_focused);
            record != NeighbourQuery::kNoRecord && ::IsWindowEnabled(m_viewer.Handle()))
            m_viewer.ShowRecord(record);
        return true;
    case ID_VIEWER_SAVE_AS: // the selected rows, or all of them
        m_viewer.SaveRecordsAs(m_hwnd, m_selected.Count() && m_selected.Count() < m_rows.Count() ? SelectedRecords()
                                                                                                    : AllRecords());
        return true;
    case ID_GO_TO_TIME:
        m_goTo.Open(m_hwnd, [this](const std::wstring& typed) { return GoTo(typed); });
        return true;
    case ID_NEXT_ERROR:
    case ID_PREVIOUS_ERROR:
        StepToClass(2, id == ID_NEXT_ERROR);
        return true;
    case ID_NEXT_WARNING:
    case ID_PREVIOUS_WARNING:
        StepToClass(1, id == ID_NEXT_WARNING);
        return true;
    case ID_FILTER_ONLY_COMPUTER:
    case ID_FILTER_HIDE_COMPUTER:
    case ID_FILTER_ONLY_PROCESS:
    case ID_FILTER_HIDE_PROCESS:
    case ID_FILTER_ONLY_TYPE:
    case ID_FILTER_HIDE_TYPE:
    case ID_FILTER_HIDE_BEFORE:
    case ID_FILTER_HIDE_AFTER:
        FilterBy(id, RecordAt(m_focused));
        return true;
    default:
        return Dialog::OnCommand(notifyCode, id, control);
    }
}

void RecordsWindow::ShowContextMenu(LPARAM position) {
    const long focused = m_focused;
    const POINT at = RowMenuPoint(m_list, static_cast<int>(focused), position);
    const bool any = m_rows.Count() > 0;
    win::PopupMenu menu;
    menu.Item(ID_VIEWER_COPY, ViewerText(IDS_MENU_COPY), m_selected.Count() > 0)
        .Item(ID_SELECT_ALL, ViewerText(IDS_MENU_SELECT_ALL), any)
        .Item(ID_SHOW_IN_VIEWER, ViewerText(IDS_MENU_SHOW_IN_VIEWER), focused >= 0)
        .Separator();
    AddFilterItems(menu, focused >= 0, !m_filter.ShowsAll());
    menu.Separator()
        .Item(ID_GO_TO_TIME, ViewerText(IDS_MENU_GO_TO_TIME), any)
        .Item(ID_NEXT_ERROR, ViewerText(IDS_MENU_NEXT_ERROR), any)
        .Item(ID_PREVIOUS_ERROR, ViewerText(IDS_MENU_PREVIOUS_ERROR), any)
        .Item(ID_NEXT_WARNING, ViewerText(IDS_MENU_NEXT_WARNING), any)
        .Item(ID_PREVIOUS_WARNING, ViewerText(IDS_MENU_PREVIOUS_WARNING), any)
        .Separator()
        .Item(ID_VIEWER_SAVE_AS, ViewerText(IDS_MENU_SAVE_AS), any);
    const UINT command = m_viewer.RunMenu(menu, m_hwnd, at);
    if (command && m_hwnd)
        OnCommand(0, static_cast<WORD>(command), nullptr);
}

bool RecordsWindow::OnNotify(NMHDR* header, LRESULT& result) {
    result = 0;
    if (const int column = m_list.ClickedColumn(*header); column >= 0) {
        SortBy(column);
        return true;
    }
    if (header->hwndFrom != m_list.Handle())
        return false;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        AnswerDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
        return true;
    case NM_CUSTOMDRAW:
        result = m_note.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header)->nmcd);
        return true;
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW& change = *reinterpret_cast<NMLISTVIEW*>(header);
        if (!(change.uChanged & LVIF_STATE))
            return false;
        const UINT changed = change.uNewState ^ change.uOldState;
        if (changed & LVIS_SELECTED) {
            const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
            if (change.iItem < 0) // every row
                m_selected.Set(0, static_cast<long>(m_rows.Count()), selected);
            else
                m_selected.Set(change.iItem, change.iItem + 1, selected);
        }
        if ((changed & LVIS_FOCUSED) && change.iItem >= 0) {
            if (change.uNewState & LVIS_FOCUSED)
                m_focused = change.iItem;
            else if (m_focused == change.iItem)
                m_focused = -1;
        }
        return false;
    }
    case LVN_ODSTATECHANGED: {
        const NMLVODSTATECHANGE& change = *reinterpret_cast<NMLVODSTATECHANGE*>(header);
        if ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)
            m_selected.Set(change.iFrom, change.iTo + 1, (change.uNewState & LVIS_SELECTED) != 0);
        return false;
    }
    case NM_DBLCLK: {
        const diagnose::RecordId record = RecordAt(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
        if (record != NeighbourQuery::kNoRecord)
            ::PostMessageW(m_hwnd, kShowRecord, record, 0);
        return true;
    }
    default:
        return false;
    }
}

bool RecordsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    (void)result;
    switch (message) {
    case kStep:
        m_stepping = false;
        Step();
        if (!m_stepping)
            ShowNote();
        return true;
    case WM_TIMER:
        if (wParam != kTextTimer)
            return false;
        Step(); // what the reading thread has marked so far
        return true;
    case kShowRecord:
        if (::IsWindowEnabled(m_viewer.Handle()))
            m_viewer.ShowRecord(static_cast<diagnose::RecordId>(wParam));
        return true;
    case kReloadViewer:
        m_viewer.ReadLogAgain();
        return true;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
    case WM_CAPTURECHANGED:
        m_viewer.PlatformLoopEnded(); // a close may have waited for the loop
        return false;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != m_list.Handle())
            return false;
        ShowContextMenu(lParam);
        return true;
    case WM_DESTROY:
        m_place.Remember(m_hwnd);
        return false;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            RECT list{};
            ::GetWindowRect(m_list.Handle(), &list);
            ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&list), 2);
            ::MoveWindow(m_list.Handle(), 0, list.top, LOWORD(lParam), std::max<LONG>(0, HIWORD(lParam) - list.top), TRUE);
            FillLastColumn(m_list);
        }
        return false;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = kMinimumSize;
        return true;
    default:
        return false;
    }
}

// The window's keys; they only become commands posted to it, whatever loop takes them.
bool RecordsWindow::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN && (message.hwnd == m_hwnd || ::IsChild(m_hwnd, message.hwnd))) {
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        const bool list = message.hwnd == m_list.Handle();
        WORD command = 0;
        if (message.wParam == VK_F8)
            command = control ? (shift ? ID_PREVIOUS_WARNING : ID_NEXT_WARNING)
                              : (shift ? ID_PREVIOUS_ERROR : ID_NEXT_ERROR);
        else if (control && message.wParam == 'G')
            command = ID_GO_TO_TIME;
        else if (control && message.wParam == 'S')
            command = ID_VIEWER_SAVE_AS;
        else if (list && message.wParam == VK_RETURN)
            command = ID_SHOW_IN_VIEWER;
        else if (list && control && message.wParam == 'A')
            command = ID_SELECT_ALL;
        else if (list && control && message.wParam == 'C')
            command = ID_VIEWER_COPY;
        else if (message.wParam == VK_ESCAPE && Filtering()) {
            m_stopped = true; // the rows made so far stay
            CancelText();
            ShowTitle();
            ShowNote();
            return true;
        }
        if (command) {
            ::PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(command, 1), 0);
            return true;
        }
    }
    return Dialog::PreTranslateMessage(message);
}

void RecordsWindow::OnFinalMessage() {
    CancelText(); // the reading thread lets go of the marks before they go
    m_viewer.RemoveObserver(this);
    m_rows.Start(viewer::RecordTest(m_filter, std::nullopt, std::nullopt)); // its rows go with it
    m_textMarks.Clear();
    m_stepping = false;
    m_selected.Clear();
    m_focused = -1;
    m_list.Attach(nullptr);
    m_note.Attach(nullptr);
}

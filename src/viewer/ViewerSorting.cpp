// Sorting a large group on the reading thread: the list keeps its order meanwhile, the caption
// says that it is sorting, and the new order comes in one step; Escape, another group or a new
// read of the log drop it.
#include "viewer/DiagnoseDlg.h"

#include "resource.h"

namespace {
// Rows sorted at once on the viewer's thread (a few milliseconds).
constexpr size_t kSortedAtOnce = 50000;
} // namespace

// The sort reads the index without the gate: nothing changes it while the reading thread runs
// this job (it alone files, and the viewer's thread empties it only after stopping the job).
bool CDiagnoseDlg::StartSorting(int column) {
    if (m_sorting)
        return true; // one sort at a time: a click meanwhile is not taken
    if (column == viewer::kMessageColumn || m_rows.Count() <= kSortedAtOnce || !m_reader ||
        m_reader->Busy() || m_saver)
        return false;
    auto sorting = std::make_shared<viewer::RecordRows::Sorting>(m_rows.StartSort(column));
    viewer::IndexGate* gate = m_gate.get();
    const CDiagnoseIndex* index = &m_index;
    if (!m_reader->StartTask([sorting, gate, index] {
            { const diagnose::GatedStep start(gate); } // a stop asked before it began ends it here
            if (!SortRecordRows(*index, sorting->rows, sorting->column, sorting->ascending,
                                &gate->Stopping()))
                throw diagnose::WriteStopped{};
        }))
        return false;
    m_sorting = std::move(sorting);
    ShowCaption(m_groups.Tree().GetSelectedItem());
    return true;
}

void CDiagnoseDlg::CancelSorting() {
    if (m_sorting)
        StopReader(); // drops the sort
}

void CDiagnoseDlg::EndSorting(const viewer::LogReader::Outcome& outcome) {
    const std::shared_ptr<viewer::RecordRows::Sorting> sorting = std::move(m_sorting);
    ShowCaption(m_groups.Tree().GetSelectedItem());
    if (!sorting || !outcome.result.ok())
        return; // no room to sort in: the list keeps its order
    const viewer::ListPlaces before = CurrentPlaces();
    bool taken = false;
    const viewer::ListPlaces after = m_rows.TakeSorted(*sorting, before, taken);
    if (taken)
        ApplyPlaces(before, after);
}

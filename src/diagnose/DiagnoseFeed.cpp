// Feeding the index into tree and lists.
#include "diagnose/DiagnoseFeed.h"

#include "diagnose/DiagnoseTextResolver.h"
#include "resource.h"
#include "win/ResourceModule.h"

namespace {
std::wstring CountLabel(const std::wstring& name, size_t count) {
    return name + L" (" + std::to_wstring(count) + L")";
}
} // namespace

std::wstring GetTraceClassName(uint16_t traceClass) {
    switch (traceClass) {
    case 0:
        return win::LoadResString(IDS_TRACE_INFORMATION);
    case 1:
        return win::LoadResString(IDS_TRACE_WARNING);
    case 2:
        return win::LoadResString(IDS_TRACE_ERROR);
    default:
        return win::LoadResString(IDS_UNKNOWN);
    }
}

void FillTree(const CDiagnoseIndex& index, win::TreeView& tree, bool byComputer) {
    tree.DeleteAllItems();
    if (byComputer) {
        for (const auto& [host, classes] : index.GetByHost()) {
            HTREEITEM heading = tree.InsertItem(host);
            for (const auto& [traceClass, records] : classes)
                tree.InsertItem(CountLabel(GetTraceClassName(traceClass), records->size()), heading, TVI_LAST,
                                reinterpret_cast<LPARAM>(records));
        }
        return;
    }
    for (const auto& [traceClass, hosts] : index.GetByTraceClass()) {
        HTREEITEM heading = tree.InsertItem(GetTraceClassName(traceClass));
        for (const auto& [host, records] : hosts)
            tree.InsertItem(CountLabel(host, records->size()), heading, TVI_LAST,
                            reinterpret_cast<LPARAM>(records));
    }
}

void SetupRecordColumns(win::ListView& list) {
    list.InsertColumn(0, win::LoadResString(IDS_COLUMN_DATE), LVCFMT_LEFT, 120);
    list.InsertColumn(1, win::LoadResString(IDS_COLUMN_PROCESS), LVCFMT_LEFT, 120);
}

void FillRecordList(win::ListView& list, const CDiagnoseIndex& index, const RecordList* records) {
    list.DeleteAllItems();
    if (!records)
        return;
    for (RecordId id : *records) {
        const int row = list.InsertItem(list.GetItemCount(), index.RowText(id, 0), static_cast<LPARAM>(id));
        if (row >= 0)
            list.SetItemText(row, 1, index.RowText(id, 1));
    }
}

void SetupAttributeColumns(win::ListView& list) {
    list.InsertColumn(0, win::LoadResString(IDS_COLUMN_NAME), LVCFMT_LEFT, 80);
    list.InsertColumn(1, win::LoadResString(IDS_COLUMN_VALUE), LVCFMT_LEFT, 160);
}

void ShowRecordAttributes(win::ListView& list, const CDiagnoseData* record) {
    list.DeleteAllItems();
    if (record)
        record->FillAttributeList(list, &TheTextResolver());
}

int CALLBACK CompareRecordItems(LPARAM first, LPARAM second, LPARAM sortInfo) {
    // Runs inside the list view's sort: nothing may escape into its window procedure.
    try {
        const auto* info = reinterpret_cast<const DiagnoseSortInfo*>(sortInfo);
        if (!info || !info->index)
            return 0;
        const auto a = static_cast<RecordId>(first), b = static_cast<RecordId>(second);
        if (static_cast<LPARAM>(a) != first || static_cast<LPARAM>(b) != second ||
            !info->index->IsRecord(a) || !info->index->IsRecord(b))
            return 0;
        const int result =
            info->index->RowText(a, info->column).compare(info->index->RowText(b, info->column));
        const int sign = (result > 0) - (result < 0);
        return info->ascending ? sign : -sign;
    } catch (...) {
        return 0;
    }
}

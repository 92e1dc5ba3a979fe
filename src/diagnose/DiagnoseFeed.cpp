// Feeding the index into tree and lists.
#include "diagnose/DiagnoseFeed.h"

#include "diagnose/DiagnoseTextResolver.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include <map>
#include <vector>

std::wstring CountLabel(const std::wstring& name, size_t count) {
    return name + L" (" + std::to_wstring(count) + L")";
}

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

namespace {
// All headings go in before any entry: the platform's tree may find an item by searching the
// items in the order they were made (Wine's does, for every message that names one), so
// headings made first are found at once when their entries go in.
template <typename Groups, typename HeadingText, typename EntryText, typename MakeKey>
void FillGroups(win::TreeView& tree, const Groups& groups, HeadingText&& headingText, EntryText&& entryText,
                MakeKey&& makeKey, TreeFillSink* sink) {
    tree.DeleteAllItems();
    std::vector<HTREEITEM> headings;
    headings.reserve(groups.size());
    for (const auto& group : groups) {
        headings.push_back(tree.InsertItem(headingText(group.first)));
        if (sink)
            sink->OnHeading(makeKey(group.first, nullptr), headings.back());
    }
    auto heading = headings.begin();
    for (const auto& group : groups) {
        for (const auto& [key, records] : group.second) {
            HTREEITEM entry = tree.InsertItem(CountLabel(entryText(key), records->size()), *heading, TVI_LAST,
                                              reinterpret_cast<LPARAM>(records));
            if (sink)
                sink->OnEntry(makeKey(group.first, &key), records, entry);
        }
        ++heading;
    }
}
} // namespace

void FillTree(const CDiagnoseIndex& index, win::TreeView& tree, bool byComputer, TreeFillSink* sink) {
    // The four names of the trace classes, loaded once rather than once per entry.
    std::map<uint16_t, std::wstring> names;
    auto className = [&](uint16_t traceClass) -> const std::wstring& {
        const uint16_t named = traceClass <= 2 ? traceClass : diagnose::kNoTraceClass;
        auto found = names.find(named);
        return found != names.end() ? found->second
                                    : names.emplace(named, GetTraceClassName(named)).first->second;
    };
    auto host = [](std::wstring_view name) { return std::wstring(name); };
    if (byComputer) {
        FillGroups(
            tree, index.GetByHost(), host, className,
            [](std::wstring_view name, const uint16_t* cls) {
                return GroupKey{std::wstring(name), cls ? *cls : uint16_t(0)};
            },
            sink);
    } else {
        FillGroups(
            tree, index.GetByTraceClass(), className, host,
            [](uint16_t cls, const std::wstring_view* name) {
                return GroupKey{name ? std::wstring(*name) : std::wstring(), cls};
            },
            sink);
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

// The operations that put the diagnose index into the viewer's controls: the tree in both
// groupings, the record list, the attribute list, their columns and the record sort.
#pragma once

#include "diagnose/DiagnoseIndex.h"
#include "diagnose/GroupKey.h"
#include "win/ListView.h"
#include "win/TreeView.h"

#include <cstdint>
#include <string>


// Told of every item FillTree makes.
class TreeFillSink {
public:
    virtual void OnHeading(const GroupKey& key, HTREEITEM item) = 0;
    virtual void OnEntry(const GroupKey& key, const RecordList* records, HTREEITEM item) = 0;

protected:
    ~TreeFillSink() = default;
};

// Empties the tree and fills it by trace class then computer, or by computer then trace
// class. Headings carry item data 0; each entry, labelled "%s (%d)", carries its
// `const RecordList*` (borrowed from the index).
void FillTree(const CDiagnoseIndex& index, win::TreeView& tree, bool byComputer,
              TreeFillSink* sink = nullptr);

// An entry's label: "%s (%d)" with its name and count.
std::wstring CountLabel(const std::wstring& name, size_t count);

// "Information", "Warnung", "Fehler", or "Unbekannt" for any other class (current language).
std::wstring GetTraceClassName(uint16_t traceClass);

// "Datum" and "Prozess", 120 pixels each.
void SetupRecordColumns(win::ListView& list);

// Empties the list and, for a record list, appends one row per record (date and time,
// process) with its RecordId as item data.
void FillRecordList(win::ListView& list, const CDiagnoseIndex& index, const RecordList* records);

// "Name" (80 pixels) and "Wert" (160 pixels).
void SetupAttributeColumns(win::ListView& list);

// Empties the list and, for a record, lists its attributes through the module's resolver.
void ShowRecordAttributes(win::ListView& list, const CDiagnoseData* record);

struct DiagnoseSortInfo {
    int column;
    bool ascending;
    HWND list;
    const CDiagnoseIndex* index;
};

// LVM_SORTITEMS comparison of two rows' item data (RecordIds): the texts of the sort column by
// UTF-16 code unit, negated for descending; 0 for an id that is not a record or without an
// index. Never throws.
int CALLBACK CompareRecordItems(LPARAM first, LPARAM second, LPARAM sortInfo);

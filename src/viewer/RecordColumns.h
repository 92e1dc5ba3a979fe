// The list of a window that shows records from across the groups (the match window, the records
// window): its columns, its cells' texts, and where its context menu opens.
#pragma once

#include "diagnose/DiagnoseIndex.h"
#include "win/ListView.h"

#include <commctrl.h>

#include <functional>
#include <string>

enum RecordColumn { kDateColumn, kComputerColumn, kTypeColumn, kProcessColumn, kMessageColumn, kRecordColumns };

// Date and time, computer, diagnose type, process and message; the widths at the list's DPI.
void InsertRecordColumns(win::ListView& list);
// The text of a cell; the message's from `message`, which reads the line.
std::wstring RecordCellText(const CDiagnoseIndex& index, diagnose::RecordId record, int column,
                            const std::function<std::wstring(diagnose::RecordId)>& message);
// Answers the list's request for a cell's text.
void AnswerCellText(NMLVDISPINFOW& info, const std::wstring& text);
// Where the context menu of `list` opens for `position` (WM_CONTEXTMENU's): at the pointer, or
// from the keyboard under the focused row (-1: none).
POINT RowMenuPoint(const win::ListView& list, int focused, LPARAM position);

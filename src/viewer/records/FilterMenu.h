// The filter's items of the context menus (the viewer's list, the records window): show only or
// hide a record's computer, process or diagnose type, hide what came before or after it, the
// filter off.
#pragma once

#include "viewer/records/RecordFilter.h"
#include "win/PopupMenu.h"

#include <windows.h>

// `onRecord`: a record is focused, whose items are then enabled; `filtered`: a filter is on.
void AddFilterItems(win::PopupMenu& menu, bool onRecord, bool filtered);
// Whether `command` is one of those items.
bool IsFilterCommand(WORD command);
// The filter with the condition of `command` on `record` added (ID_FILTER_OFF: none left);
// false when it adds nothing (no such record, or no time to hide before or after).
bool AddFilterCondition(viewer::RecordFilter& filter, WORD command, const diagnose::RecordStore& store,
                        diagnose::RecordId record);

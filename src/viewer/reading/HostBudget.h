// The viewer's memory budget in the host that runs it: measured when a viewer opens, or set by
// the host (HKEY_LOCAL_MACHINE, kBudgetKey, value "MemoryBudgetMB", a REG_DWORD of megabytes).
#pragma once

#include "diagnose/MemoryBudget.h"
#include "viewer/ViewerSettings.h"

namespace viewer {

// The viewer's own key, under HKEY_LOCAL_MACHINE: the host's setting, not the operator's.
constexpr const wchar_t* kBudgetKey = kChoicesKey;
constexpr wchar_t kBudgetValue[] = L"MemoryBudgetMB";

// What the host has now.
diagnose::HostMemory MeasureHostMemory();
// The megabytes the host set; 0 when it set none (or a value that is not a DWORD).
uint32_t ConfiguredBudgetMegabytes();
// The viewer's budget now (diagnose::ViewerBudget).
uint64_t ViewerBudgetNow();

} // namespace viewer

// The host waits for the viewer's read: the log is read on the viewer's reading thread, and tree
// and list are whole once it has ended and its records have joined them.
#pragma once

#include "BenchHost.h"
#include "frame/ModuleState.h"
#include "viewer/DiagnoseDlg.h"

namespace bench {

inline void PumpUntilRead() {
    for (;;) {
        Pump();
        const auto* viewer = static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot.Get());
        if (!viewer || !viewer->Reading())
            return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

} // namespace bench

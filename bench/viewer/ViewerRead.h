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
        // As a host's loop waits: the read's end comes as a message. A wake every few
        // milliseconds would take a processor from the read on a machine of two.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
    }
}

} // namespace bench

// The index's gate held while a control of the viewer paints: each label and cell it asks for
// is a message of its own, and each took the gate again, so that the reading thread could file a
// batch between two of them (a paint of the tree of a loading log took up to 100 ms). The
// control's custom-draw notifications bracket its paint; the gate is held from the first to the
// last. (A subclass around the control's paint would do the same, but under Wine every message
// of a subclassed control costs a round trip to the server: a Find Next that made a page of
// 1,000 headings took three times as long.)
#pragma once

#include "viewer/reading/IndexGate.h"

#include <windows.h>
#include <commctrl.h>

namespace viewer {

class PaintHold {
public:
    explicit PaintHold(IndexGate& gate) : m_gate(gate) {}
    ~PaintHold() { Release(); }
    PaintHold(const PaintHold&) = delete;
    PaintHold& operator=(const PaintHold&) = delete;

    // The answer to the control's NM_CUSTOMDRAW at `stage`.
    LRESULT OnCustomDraw(DWORD stage) {
        if (stage == CDDS_PREPAINT) {
            m_gate.Keep();
            return CDRF_NOTIFYPOSTPAINT;
        }
        if (stage == CDDS_POSTPAINT)
            m_gate.LetGoOneKept();
        return CDRF_DODEFAULT;
    }

    // Lets go of a hold whose paint sent no end (none does; but a hold kept would keep the reading
    // thread out): from a message that no paint can be under, such as a timer's.
    void Release() { m_gate.LetGoKept(); }

private:
    IndexGate& m_gate;
};

} // namespace viewer

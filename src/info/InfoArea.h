// The painted upper part of the information dialog: an owner-drawn button without a face.
#pragma once

#include "win/SubclassedWindow.h"

class CVistralInfoDlg;

// Paints an orange-to-brown band with the warning symbol and the dialog's caption text in
// white, and below it a white band with the document symbol and the message text in black.
// It reads both texts from its dialog on every paint; without a dialog it paints nothing.
class CInfoArea : public win::SubclassedWindow {
public:
    void SetDialog(const CVistralInfoDlg* dialog) { m_dialog = dialog; }
    // Paints the whole control; the item's action and state do not matter.
    void DrawItem(const DRAWITEMSTRUCT& item);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const CVistralInfoDlg* m_dialog = nullptr;
};

// The operator's choices kept from one viewer to the next: read when the viewer opens, written
// when it closes, per user and under the viewer's own key only.
#pragma once

#include "viewer/ViewerChoices.h"

class CDiagnoseDlg;

class ViewerKept {
public:
    explicit ViewerKept(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    // Reads them and puts the viewer where it stood, with the search it had.
    void RestoreChoices();
    // Takes them from the windows as they stand and writes them.
    void KeepChoices();
    viewer::ViewerChoices& Choices() { return m_choices; }
    const viewer::ViewerChoices& Choices() const { return m_choices; }

private:
    CDiagnoseDlg& m_viewer;
    viewer::ViewerChoices m_choices;
};

// "Vistral Diagnose-Details": one record's date and time, computer, diagnose type and process,
// its attributes, its whole message and line, with stepping to the records above and below it
// in the viewer's list and copying rows to the clipboard.
#pragma once

#include "diagnose/DiagnoseFeed.h"
#include "win/Dialog.h"
#include "viewer/ViewerLayout.h"
#include "win/ListView.h"

#include <memory>

class CDiagnoseDlg;

// Runs modally over the viewer, centred on it, which is disabled meanwhile, so the viewer's list
// (and with it the neighbours) cannot change while it runs. Ctrl+A selects all rows and Ctrl+C
// copies the selected ones, whichever control has the focus, but in a text field, where they
// select and copy its text.
class CDiagnoseDetailsDlg : public win::Dialog {
public:
    CDiagnoseDetailsDlg(CDiagnoseDlg* parent, diagnose::RecordId record);

    INT_PTR DoModal(HWND owner) { return Dialog::DoModal(owner); }
    diagnose::RecordId Record() const { return m_record; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD notifyCode, WORD id, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    void Step(bool previous);
    void ShowRecord();
    void EnableStepping(bool hasPrevious, bool hasNext);
    void MeasureParts();
    void Layout(int cx, int cy);
    void CentreOverViewer();
    HWND FocusedTextField() const;
    void SelectAll();
    void CopySelection();

    CDiagnoseDlg* m_parent;
    diagnose::RecordId m_record;
    std::unique_ptr<CDiagnoseData> m_shown; // the record as the attribute list shows it
    win::ListView m_list;
    viewer::DetailsParts m_parts; // the sizes the template and the labels' texts give
    HACCEL m_accelerators = nullptr;
};

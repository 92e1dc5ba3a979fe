// "Vistral Diagnose-Details": the attributes of one record, with stepping to the records above
// and below it in the viewer's list and copying rows to the clipboard.
#pragma once

#include "diagnose/DiagnoseFeed.h"
#include "win/Dialog.h"
#include "win/ListView.h"

#include <memory>

class CDiagnoseDlg;

// Runs modally over the viewer, which is disabled meanwhile, so the viewer's list (and with it
// the neighbours) cannot change while it runs. Ctrl+A selects all rows and Ctrl+C copies the
// selected ones, whichever control has the focus.
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
    void Layout(int cx, int cy);
    void SelectAll();
    void CopySelection();

    CDiagnoseDlg* m_parent;
    diagnose::RecordId m_record;
    std::unique_ptr<CDiagnoseData> m_shown; // the record as the attribute list shows it
    win::ListView m_list;
    HACCEL m_accelerators = nullptr;
};

// The viewer's record list: its columns, the last of which fills the list, the mark of the sorted
// one, and the message column, whose texts are read from the log for the rows on screen only and
// whose sort keys are read for the shown group once.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/MessageKeys.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>

class CDiagnoseDlg;

class ViewerColumns {
public:
    explicit ViewerColumns(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    void SetupColumns();
    // A column other than the last was made wider or narrower: the last fills the list again
    // from the viewer's kFillLastColumn, which ends the change (FillDone).
    bool OnHeaderChange(const NMHDR& header);
    void FillDone() { m_fillAsked = false; }
    // The header shows which column the rows are sorted by, and which way.
    void MarkSortedColumn();
    // The message column's text of `record`: its line read again (for the rows on screen only).
    std::wstring MessageText(diagnose::RecordId record);
    // The texts read are forgotten (the last line was filed again), or texts and keys both.
    void ForgetTexts() { m_messages.clear(); }
    void ForgetMessages();
    // The sort keys of the shown group's records from its place `from` on. False when they
    // cannot be had: the log changed (it is read again), could not be read, or its messages are
    // too many and unlike to be held.
    bool ReadMessageKeys(size_t from);
    viewer::MessageKeys& Keys() { return m_messageKeys; }
    const viewer::MessageKeys& Keys() const { return m_messageKeys; }

private:
    void ReadMessagesOnScreen(diagnose::RecordId wanted);

    CDiagnoseDlg& m_viewer;
    bool m_fillAsked = false; // kFillLastColumn is posted and not handled yet
    // The texts of the rows on screen, and the sort keys when sorted by the message column.
    std::unordered_map<diagnose::RecordId, std::wstring> m_messages;
    viewer::MessageKeys m_messageKeys;
};

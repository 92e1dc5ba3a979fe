// The viewer's side of saving records: the platform's save dialog, one save in the background at
// a time, and what the operator is told at its end.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/DeferredWork.h"
#include "viewer/save/RecordsFile.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDiagnoseDlg;
class RecordsSaver;

class ViewerSave {
public:
    explicit ViewerSave(CDiagnoseDlg& viewer);
    ~ViewerSave();
    ViewerSave(const ViewerSave&) = delete;
    ViewerSave& operator=(const ViewerSave&) = delete;

    // Asks for a file in the platform's save dialog, owned by `owner` (the viewer or a window it
    // owns), and writes `records` there in the order given, in the background. While a save
    // runs, its progress comes to the front instead.
    void SaveRecordsAs(HWND owner, std::vector<diagnose::RecordId> records);
    // The second half of SaveRecordsAs, once a name is chosen; false, having said why, when the
    // file cannot be made.
    bool StartSave(HWND owner, const std::wstring& path, viewer::SaveFormat format,
                   std::vector<diagnose::RecordId> records);
    bool Saving() const { return m_saver != nullptr; }
    // Stops a save that runs; no file is left under its name, and none was replaced.
    void CancelSave();
    // The save's thread told how far it has come, or has ended.
    void OnSaveProgress();
    // Reading on or again waits while a save's thread reads the index: true when `work` is
    // kept for the save's end.
    bool Defer(viewer::Work work);
    // The window goes: the save's thread ends, and its file with it.
    void End();

private:
    std::wstring SuggestedName(HWND owner) const;
    void OnSaveEnded();

    CDiagnoseDlg& m_viewer;
    std::unique_ptr<RecordsSaver> m_saver;
    uint8_t m_workAfterSave = 0;
};

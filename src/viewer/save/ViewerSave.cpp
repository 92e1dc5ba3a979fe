// The viewer's side of saving records: the platform's save dialog, the save in the background,
// and what the operator is told at its end.
#include "viewer/save/ViewerSave.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/save/RecordsSaver.h"
#include "viewer/save/SaveName.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include <commdlg.h>
#include <shlobj.h>
#include <cwchar>

namespace {

// The platform's list separator and decimal separator of the user's locale.
std::wstring LocaleText(LCTYPE type) {
    wchar_t text[16] = {};
    return ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, 16) > 0 ? text : L"";
}

viewer::SaveContent ContentFor(viewer::SaveFormat format) {
    viewer::SaveContent content;
    content.format = format;
    content.separator = viewer::CsvSeparator(LocaleText(LOCALE_SLIST), LocaleText(LOCALE_SDECIMAL));
    for (UINT heading :
         {IDS_COLUMN_DATE_TIME, IDS_COLUMN_COMPUTER, IDS_COLUMN_TYPE, IDS_COLUMN_PROCESS, IDS_COLUMN_MESSAGE})
        content.headings.push_back(ViewerText(heading));
    for (uint16_t traceClass : {0, 1, 2})
        content.typeNames[traceClass] = GetTraceClassName(traceClass);
    content.otherType = GetTraceClassName(diagnose::kNoTraceClass);
    content.messageOf = MessageReader();
    return content;
}

std::wstring DocumentsFolder() {
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)))
        folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

} // namespace

ViewerSave::ViewerSave(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

ViewerSave::~ViewerSave() = default;

void ViewerSave::End() {
    m_saver.reset();
}

bool ViewerSave::Defer(viewer::Work work) {
    if (!m_saver)
        return false;
    m_workAfterSave |= static_cast<uint8_t>(work);
    return true;
}

// The selected entry's computer and type when the viewer's own rows are saved; else the log's
// name, as the other windows show records of many entries.
std::wstring ViewerSave::SuggestedName(HWND owner) const {
    GroupKey key;
    bool entry = false;
    if (owner == m_viewer.m_hwnd &&
        m_viewer.m_groups.KeyOf(m_viewer.m_groups.Tree().GetSelectedItem(), key, entry) && entry)
        return viewer::SuggestedSaveName(key.host, GetTraceClassName(key.traceClass));
    const std::wstring& log = m_viewer.Index().GetFile();
    std::wstring name = log.substr(log.find_last_of(L"\\/") + 1);
    return viewer::SuggestedSaveName(name.substr(0, name.rfind(L'.')), L"");
}

void ViewerSave::SaveRecordsAs(HWND owner, std::vector<diagnose::RecordId> records) {
    if (m_viewer.m_life.Closing() || m_viewer.m_life.Busy())
        return;
    if (m_viewer.m_session.Loading()) { // the records to save are still being filed
        ::MessageBeep(MB_OK);
        return;
    }
    if (m_saver) {
        m_saver->BringToFront();
        return;
    }
    if (records.empty())
        return;
    std::wstring filter = ViewerText(IDS_SAVE_FILTER);
    for (wchar_t& unit : filter)
        if (unit == L'|')
            unit = L'\0';
    std::wstring file = SuggestedName(owner);
    file.resize(4096, L'\0');
    const std::wstring folder = m_viewer.m_kept.Choices().saveFolder.empty()
                                    ? DocumentsFolder()
                                    : m_viewer.m_kept.Choices().saveFolder;
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = viewer::kTextFilter;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrDefExt = L"txt";
    // The host's current directory is the host's: the dialog must not move it.
    request.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                    OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    BOOL chosen = FALSE;
    {
        // The dialog's loop dispatches our messages: the work they ask for waits until it ends,
        // and a close ends the dialog as it ends a message box (EndLoopsOfOurs).
        CDiagnoseDlg::BusyScope busy(m_viewer);
        m_viewer.m_life.SetMessageOwner(owner);
        chosen = ::GetSaveFileNameW(&request);
        m_viewer.m_life.SetMessageOwner(nullptr);
    }
    if (!chosen || m_viewer.m_life.Closing() || !::IsWindow(owner))
        return;
    file.resize(std::wcslen(file.c_str()));
    m_viewer.m_kept.Choices().saveFolder = viewer::FolderOf(file);
    StartSave(owner, file, viewer::FormatFor(file, static_cast<int>(request.nFilterIndex)),
              std::move(records));
}

bool ViewerSave::StartSave(HWND owner, const std::wstring& path, viewer::SaveFormat format,
                           std::vector<diagnose::RecordId> records) {
    if (m_saver || m_viewer.m_life.Closing() || m_viewer.m_session.Loading())
        return false;
    // The save's thread reads the index as it stands: a look that reads on stops here, and
    // the next one after the save reads on from where it stopped.
    m_viewer.m_reading.StopReader();
    m_saver = std::make_unique<RecordsSaver>(m_viewer.m_hwnd, m_viewer.kSaveProgress, m_viewer.kSaveCancel);
    if (const DWORD error =
            m_saver->Start(m_viewer.Index(), std::move(records), path, ContentFor(format), owner)) {
        m_saver.reset();
        m_viewer.m_life.ShowMessage(owner, ViewerTextWith(IDS_SAVE_FAILED, SystemErrorText(error)),
                                    MB_OK | MB_ICONWARNING);
        return false;
    }
    m_viewer.m_session.HoldForSave(true);
    return true;
}

void ViewerSave::CancelSave() {
    if (!m_saver)
        return;
    m_saver.reset(); // stops the thread and removes its file
    OnSaveEnded();
}

void ViewerSave::OnSaveProgress() {
    if (!m_saver || !m_saver->Update())
        return;
    // The end is told from the viewer's own queue, not inside the details, a menu or a message
    // box: its message would stand over theirs. It is looked at again shortly.
    if (m_viewer.m_life.Busy() || m_viewer.m_life.PlatformLoopRuns()) {
        ::SetTimer(m_viewer.m_hwnd, m_viewer.kSaveEndTimer, 100, nullptr);
        return;
    }
    ::KillTimer(m_viewer.m_hwnd, m_viewer.kSaveEndTimer);
    DWORD error = 0;
    const RecordsSaver::Outcome outcome = m_saver->Finish(error);
    HWND owner = m_saver->Asker();
    m_saver.reset();
    OnSaveEnded();
    if (m_viewer.m_life.Closing())
        return;
    std::wstring text;
    if (outcome == RecordsSaver::Outcome::LogChanged) {
        text = ViewerText(IDS_SAVE_LOG_CHANGED);
        m_viewer.Request(viewer::Work::Reload);
    } else if (outcome == RecordsSaver::Outcome::Failed) {
        text = ViewerTextWith(IDS_SAVE_FAILED, SystemErrorText(error));
    }
    if (!text.empty())
        m_viewer.m_life.ShowMessage(owner && ::IsWindow(owner) ? owner : m_viewer.m_hwnd, text,
                                    MB_OK | MB_ICONWARNING);
}

// What waited for the save's thread to let go of the index runs now.
void ViewerSave::OnSaveEnded() {
    m_viewer.m_session.HoldForSave(false);
    const uint8_t waiting = m_workAfterSave;
    m_workAfterSave = 0;
    for (viewer::Work work : {viewer::Work::Reload, viewer::Work::Refresh})
        if (waiting & static_cast<uint8_t>(work))
            m_viewer.Request(work);
    m_viewer.StartAskedWork(); // a search the save stopped goes on, or a sort asked for meanwhile
}

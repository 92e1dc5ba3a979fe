// The work of CreateInfoDlg: compose the texts and run the information dialog modally.
#include "frame/ExportWork.h"

#include "frame/ModuleState.h"
#include "info/VistralInfoDlg.h"
#include "win/ResourceModule.h"
#include "win/TextConversion.h"

#include <memory>

void RunInfoDialog(ModuleState& state, UINT captionId, UINT textId, const char* tag, const char* details) {
    const std::wstring caption = win::LoadResString(captionId) + L" [" + win::CallerText(tag) + L"]";
    std::wstring message = win::LoadResString(textId);
    const std::wstring detailsText = win::CallerText(details);
    if (!detailsText.empty())
        message += L"\n" + detailsText;

    auto dialog = std::make_unique<CVistralInfoDlg>(&state.infoDialogSlot, nullptr);
    dialog->SetCaptionText(caption);
    dialog->SetMessageText(message);
    dialog->SetDetailsAvailable(false);
    dialog->DoModal();
}

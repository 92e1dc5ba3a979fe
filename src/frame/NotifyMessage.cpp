// The message-box notification: a message box on a desktop, an error entry in service mode.
#include "frame/ExportWork.h"

#include "frame/ServiceMode.h"
#include "logging/ServiceNotification.h"
#include "win/ResourceModule.h"

#include <string>

void NotifyMessage(UINT textId, UINT captionId, UINT style) {
    const std::wstring text = win::LoadResString(textId);
    const std::wstring caption = win::LoadResString(captionId);
    if (IsServiceMode()) {
        ReportServiceError(caption + L" - " + text);
        return;
    }
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), style | MB_SETFOREGROUND);
}

// The service-mode path of the message-box notification.
#include "logging/ServiceNotification.h"

#include "logging/VistralLog.h"

void ReportServiceError(const std::wstring& message) {
    CVistralLog log(kServiceEventSource);
    // The message is an argument, never the format: its percent signs are text.
    log.Error(L"%ls", message.c_str());
}

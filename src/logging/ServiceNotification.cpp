// The service-mode path of the message-box notification.
#include "logging/ServiceNotification.h"

void ReportServiceError(const std::wstring& message) {
    // The event log writer arrives with the logging subsystem; until then the entry is dropped,
    // as the logging classes drop what they cannot write.
    (void)message;
}

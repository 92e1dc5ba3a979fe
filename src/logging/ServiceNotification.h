// The service-mode path of the message-box notification: one error entry for the operator.
#pragma once

#include <string>

// Writes `message` literally as an error entry under the event source
// "Ostrana Vistral Service": to the event log and to Events.log.
void ReportServiceError(const std::wstring& message);

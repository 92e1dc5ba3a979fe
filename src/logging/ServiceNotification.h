// The service-mode path of the message-box notification: one error entry for the operator.
#pragma once

#include <string>

// The event source of the notifications, and the name at the head of their Events.log lines.
constexpr wchar_t kServiceEventSource[] = L"Ostrana Vistral Service";

// Writes `message` literally as an error entry under kServiceEventSource: to the event log and
// to Events.log.
void ReportServiceError(const std::wstring& message);

// The work behind the exports, each specified with its subsystem.
#pragma once

#include <windows.h>

class ModuleState;

// The message box, or in service mode the error entry (frame/NotifyMessage.cpp).
void NotifyMessage(UINT textId, UINT captionId, UINT style);

// Composes the texts and runs the information dialog modally (info/).
void RunInfoDialog(ModuleState& state, UINT captionId, UINT textId, const char* tag, const char* details);

// Brings the open viewer to the front or opens a new one on the log file (diagnose/).
void OpenDiagnoseDialog(ModuleState& state, const char* logPath);

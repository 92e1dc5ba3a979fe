// Saves what a window shows on the screen as a PNG file.
#pragma once

#include <windows.h>
#include <string>

bool SaveWindowPng(HWND window, const std::wstring& path);

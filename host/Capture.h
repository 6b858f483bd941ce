// Saves pictures of windows as PNG files, for scripted runs and tests.
#pragma once

#include <windows.h>

#include <string>

// Writes what the window shows (with its frame) to a PNG file; false on failure.
bool CaptureWindowToPng(HWND window, const std::wstring& path);

#pragma once
// DPI queries that use the newer user32 functions where the system has them.
#include <windows.h>

namespace qz::win {

// DPI of the window's monitor (or of the system before Windows 10).
int DpiForWindow(HWND hwnd);
// DPI the system uses for new windows.
int SystemDpi();
// AdjustWindowRectEx at the given DPI.
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace qz::win

// The settings dialog of configure mode (dialog 2003), exported by name from the saver program.
#pragma once
#include <windows.h>

extern "C" INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam,
                                                       LPARAM lParam);

// The information dialogs that the settings dialog opens: ordering information (104), the warranty
// text (105) and the OpenGL troubleshooting page (2004). Each ends with OK (1) or Escape (2).
#pragma once
#include <windows.h>

INT_PTR CALLBACK OrderInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WarrantyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TroubleshootingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens a web or FTP address with the shell; when that fails, says "Could not connect to this
// site." in a message box owned by `owner`, with the address as its caption.
void OpenWebAddress(HWND owner, const char* address);

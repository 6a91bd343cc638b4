#include <windows.h>
#include <shellapi.h>

#include <string>

#include "info_dialogs.h"
#include "settings_resources.h"

#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "the 32-bit shell structure is 60 bytes");
#endif

namespace {

HINSTANCE InstanceOf(HWND window)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

// OK and Escape (or the close box) end a dialog with their identifiers.
bool EndsDialog(HWND dialog, WPARAM wParam)
{
    const WORD id = LOWORD(wParam);
    if (id != IDOK && id != IDCANCEL)
        return false;
    EndDialog(dialog, id);
    return true;
}

// The warranty text is the resource's bytes up to its stored size: it has no terminator.
void FillWarrantyText(HWND dialog)
{
    const HINSTANCE instance = InstanceOf(dialog);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_WARRANTY_TEXT), "TEXT");
    if (!found)
        return;
    HGLOBAL loaded = LoadResource(instance, found);
    if (!loaded)
        return;
    if (const void* data = LockResource(loaded)) {
        const std::string text(static_cast<const char*>(data), SizeofResource(instance, found));
        SetDlgItemTextA(dialog, IDC_WARRANTY_TEXT, text.c_str());
    }
    FreeResource(loaded);
}

}  // namespace

void OpenWebAddress(HWND owner, const char* address)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "open";
    info.lpFile = address;
    info.nShow = SW_SHOWMAXIMIZED;
    if (!ShellExecuteExA(&info))
        MessageBoxA(owner, "Could not connect to this site.", address, MB_ICONHAND);
}

INT_PTR CALLBACK OrderInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && EndsDialog(dialog, wParam))
        return TRUE;
    return FALSE;
}

INT_PTR CALLBACK WarrantyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillWarrantyText(dialog);
        return TRUE;
    case WM_COMMAND:
        return EndsDialog(dialog, wParam) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK TroubleshootingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return FALSE;
    if (EndsDialog(dialog, wParam))
        return TRUE;
    if (LOWORD(wParam) == IDC_DOWNLOAD_NOW) {
        // The dialog stays open; each press starts the download again.
        OpenWebAddress(dialog, KV_OPENGL_DOWNLOAD_URL);
        return TRUE;
    }
    return FALSE;
}

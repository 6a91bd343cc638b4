// Stands in for the settings dialog procedure until the settings subsystem is part of the build.
// The program holds no dialog template 2003 either, so DialogBoxParamA fails with -1 before this
// procedure could run; should a template appear, the dialog ends at once with the same result.
#include <windows.h>

#include "../settings/settings_dialog.h"

extern "C" INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        EndDialog(dialog, -1);
    return FALSE;
}

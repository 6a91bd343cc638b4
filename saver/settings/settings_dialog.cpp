// The settings dialog of configure mode: the saver's title and description from its show file,
// whether its songs play, and the buttons to the information dialogs and the maker's web site.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "info_dialogs.h"
#include "settings_dialog.h"
#include "settings_key.h"
#include "settings_resources.h"
#include "show_file.h"
#include "showdata_win.h"
#include "song_search.h"
#include "stored_caption.h"

namespace {

// The dialog runs once per process.
struct SettingsDialogState {
    char ShowTitle[kShowTitleSize] = {};  // empty until the show file is read
    char WebSiteUrl[MAX_PATH] = {};       // set once the show file has been opened
    char SaverDataDir[MAX_PATH] = {};     // the data folder, then the show file, then the caption
};

SettingsDialogState Settings;

HINSTANCE InstanceOf(HWND window)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

// Hides "&Enable Sound" when no song lies beside the show file. A path without a folder is not
// searched and leaves the box as it is.
void ShowSoundBoxIfSongs(HWND dialog, const char* showFilePath)
{
    char pattern[kSongPathSize];
    if (!SongSearchPattern(showFilePath, pattern))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        ShowWindow(GetDlgItem(dialog, IDC_ENABLE_SOUND), SW_HIDE);
    else
        FindClose(search);
}

// "%s Screen Saver" with the title.
void SetCaption(HWND dialog)
{
    char format[MAX_PATH] = {};
    if (LoadStringA(InstanceOf(dialog), IDS_SETTINGS_CAPTION, format, sizeof format) <= 0)
        return;
    std::snprintf(Settings.SaverDataDir, sizeof Settings.SaverDataDir, format, Settings.ShowTitle);
    SetWindowTextA(dialog, Settings.SaverDataDir);
}

// The stored sound choice; checked when there is none.
void ShowSoundChoice(HWND dialog)
{
    UINT check = BST_CHECKED;
    HKEY key;
    const std::string path = SettingsKeyPath(Settings.ShowTitle);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        DWORD sound = 0;
        DWORD size = sizeof sound;
        if (RegQueryValueExA(key, kSoundValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&sound),
                             &size) == ERROR_SUCCESS)
            check = sound;
        RegCloseKey(key);
    }
    CheckDlgButton(dialog, IDC_ENABLE_SOUND, check);
}

void OnInitDialog(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_WEB_SITE, KV_WEB_HOST);
    // What the dialog shows when no show file is found: the box visible and checked.
    CheckDlgButton(dialog, IDC_ENABLE_SOUND, BST_CHECKED);

    Win32DataFolderPlatform platform;
    std::string saverName;
    if (!FindSaverName(platform, saverName))
        return;
    if (FindSaverDataDir(Settings.SaverDataDir)[0] == '\0')
        return;
    const std::string showFilePath = std::string(Settings.SaverDataDir) + saverName + ".dat";
    if (showFilePath.size() >= sizeof Settings.SaverDataDir)
        return;
    std::memcpy(Settings.SaverDataDir, showFilePath.c_str(), showFilePath.size() + 1);
    FileSource file(Settings.SaverDataDir);
    if (!file.IsOpen())
        return;
    std::snprintf(Settings.WebSiteUrl, sizeof Settings.WebSiteUrl, "%s", KV_WEB_SITE_URL);

    const ShowTexts texts = ReadShowTexts(file);
    const std::string title = ShowTitleOf(texts.Title);
    std::memcpy(Settings.ShowTitle, title.c_str(), title.size() + 1);
    SetDlgItemTextA(dialog, IDC_SHOW_TITLE, Settings.ShowTitle);

    ShowSoundBoxIfSongs(dialog, Settings.SaverDataDir);
    SetCaption(dialog);
    ShowSoundChoice(dialog);
    SetDlgItemTextA(dialog, IDC_SHOW_DESCRIPTION, texts.Description.c_str());
}

void StoreSoundChoice(HWND dialog)
{
    HKEY key;
    const std::string path = SettingsKeyPath(Settings.ShowTitle);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    // Written even when the box is hidden.
    const DWORD sound = IsDlgButtonChecked(dialog, IDC_ENABLE_SOUND) == BST_CHECKED ? 1 : 0;
    RegSetValueExA(key, kSoundValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&sound),
                   sizeof sound);
    RegCloseKey(key);
}

void OnOk(HWND dialog)
{
    StoreSoundChoice(dialog);
    EndDialog(dialog, IDOK);
    // Started from the display settings, the dialog has them as its owner; started on its own, it
    // opens them on their screen-saver page.
    if (!GetParent(dialog))
        WinExec("control.exe desk.cpl,@0,1", SW_SHOWNORMAL);
}

void OpenInfoDialog(HWND dialog, int templateId, DLGPROC procedure)
{
    DialogBoxParamA(InstanceOf(dialog), MAKEINTRESOURCEA(templateId), dialog, procedure, 0);
}

INT_PTR OnCommand(HWND dialog, WORD id)
{
    switch (id) {
    case IDOK:
        OnOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_WARRANTY:
        OpenInfoDialog(dialog, IDD_WARRANTY, WarrantyDialogProc);
        return FALSE;
    case IDC_HOW_TO_MAKE:
        OpenInfoDialog(dialog, IDD_ORDER_INFO, OrderInfoDialogProc);
        return FALSE;
    case IDC_TROUBLESHOOTING:
        OpenInfoDialog(dialog, IDD_TROUBLESHOOTING, TroubleshootingDialogProc);
        return FALSE;
    case IDC_WEB_SITE:
        OpenWebAddress(dialog, Settings.WebSiteUrl);
        return FALSE;
    default:
        return FALSE;
    }
}

// The caption across the top of the dialog, centred and wrapped to its width.
void OnPaint(HWND dialog)
{
    char caption[kCaptionBufferSize];
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    ReadStoredCaption(caption);
    RECT area;
    GetClientRect(dialog, &area);
    const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    const int oldMode = SetBkMode(dc, OPAQUE);
    DrawTextA(dc, caption, -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    EndPaint(dialog, &paint);
}

}  // namespace

extern "C" INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam,
                                                       LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_PAINT:
        OnPaint(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

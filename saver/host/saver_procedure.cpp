// ScreenSaverProc: the saver's own work on the host window. It creates the scene window over the
// saver's area, scrolls the banner along the bottom of the screen, drops the scene while the host
// window has no focus and brings it back a second after the focus returns.
#include <windows.h>

#include <cstring>
#include <string>

#include "../scene/scene_window.h"
#include "close_rules.h"
#include "host_state.h"
#include "show_file.h"
#include "showdata_win.h"

namespace {

const char kSceneClass[] = "3DOpenGLWnd";
const UINT_PTR kBannerTimer = 55;
const UINT kBannerPeriodMs = 200;
const UINT_PTR kSceneRetryTimer = 7;
const UINT kSceneRetryMs = 1000;

struct SaverProcState {
    RECT SaverRect = {0, 0, 0, 0};
    char BannerText[kBannerTextSize + 1] = {};
    int BannerHeight = 0;
    int BannerSpan = 0;
    int BannerOffset = kBannerStartOffset;
    HWND SceneWindow = nullptr;
    UINT_PTR SceneRetryTimer = 0;
    // The host window had a parent at its creation. Kept, because a preview whose parent is being
    // destroyed may no longer see it at its own WM_DESTROY, and must still restore the activation.
    bool ParentAtCreation = false;
    char SaverDataDir[MAX_PATH] = {};   // from the show file's creation on: the show file's path
};
SaverProcState Saver;

bool HasBanner()
{
    return Saver.BannerText[0] != '\0';
}

bool IsPreview(HWND window)
{
    return GetParent(window) != nullptr;
}

void SetScreenSaverActive(BOOL active)
{
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active, nullptr, SPIF_SENDCHANGE);
}

void RegisterSceneClass(HINSTANCE instance)
{
    WNDCLASSA sceneClass;
    ZeroMemory(&sceneClass, sizeof(sceneClass));
    sceneClass.lpfnWndProc = SceneWindowProc;
    sceneClass.hInstance = instance;
    sceneClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));   // IDI_APPLICATION
    sceneClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));   // IDC_ARROW
    sceneClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    sceneClass.lpszClassName = kSceneClass;
    RegisterClassA(&sceneClass);   // a repeat registration fails harmlessly
}

HWND CreateSceneWindow(HWND host)
{
    return CreateWindowExA(0, kSceneClass, "",
                           WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           0, 0, Saver.SaverRect.right, Saver.SaverRect.bottom, host, nullptr,
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(host, GWLP_HINSTANCE)),
                           nullptr);
}

// Reads the banner of <SaverName>.dat in SaverDataDir; leaves the show file's path in the buffer.
bool ReadShowBanner()
{
    Win32DataFolderPlatform platform;
    std::string saverName;
    if (!FindSaverName(platform, saverName))
        return false;
    FindSaverDataDir(Saver.SaverDataDir);
    if (Saver.SaverDataDir[0] == '\0')
        return false;
    const std::string path = std::string(Saver.SaverDataDir) + saverName + ".dat";
    if (path.size() >= sizeof(Saver.SaverDataDir))
        return false;   // the path would not fit the buffer: no show file to be found
    std::memcpy(Saver.SaverDataDir, path.c_str(), path.size() + 1);
    FileSource show(Saver.SaverDataDir);
    if (!show.IsOpen())
        return false;
    ReadBannerText(show, Saver.BannerText);
    return true;
}

void MeasureBanner()
{
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    RECT measured = {0, 0, 0, 0};
    Saver.BannerHeight = DrawTextA(dc, Saver.BannerText, -1, &measured,
                                   DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP |
                                       DT_EXTERNALLEADING);
    Saver.BannerSpan = Saver.SaverRect.right + measured.right;
    Saver.SaverRect.bottom -= Saver.BannerHeight;
    ReleaseDC(desktop, dc);
}

void DrawBannerStep()
{
    HDC screen = GetDC(nullptr);
    const BannerStep step = NextBannerStep(Saver.BannerOffset, Saver.BannerSpan);
    Saver.BannerOffset = step.Offset;
    if (step.WipeStrip)
        PatBlt(screen, 0, Saver.SaverRect.bottom, Saver.SaverRect.right, Saver.BannerHeight, BLACKNESS);
    const COLORREF oldText = SetTextColor(screen, RGB(255, 255, 255));
    const COLORREF oldBack = SetBkColor(screen, RGB(0, 0, 0));
    const int oldMode = SetBkMode(screen, OPAQUE);
    RECT line = {Saver.SaverRect.right + Saver.BannerOffset, Saver.SaverRect.bottom,
                 Saver.SaverRect.right + Saver.BannerOffset, Saver.SaverRect.bottom};
    DrawTextA(screen, Saver.BannerText, -1, &line,
              DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP | DT_EXTERNALLEADING);
    SetBkMode(screen, oldMode);
    SetBkColor(screen, oldBack);
    SetTextColor(screen, oldText);
    ReleaseDC(nullptr, screen);
}

// ---- handlers ---------------------------------------------------------------------------------

LRESULT OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Saver.ParentAtCreation = IsPreview(window);
    if (Saver.ParentAtCreation) {
        GetClientRect(GetParent(window), &Saver.SaverRect);
        SetScreenSaverActive(FALSE);
    } else {
        SetRect(&Saver.SaverRect, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    RegisterSceneClass(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)));
    if (!ReadShowBanner())
        return -1;
    if (HasBanner() && !Saver.ParentAtCreation)
        MeasureBanner();
    Saver.SceneWindow = CreateSceneWindow(window);
    if (HasBanner())
        SetTimer(window, kBannerTimer, kBannerPeriodMs, nullptr);
    return SaverDefaultProc(window, message, wParam, lParam);
}

LRESULT OnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Saver.ParentAtCreation)
        SetScreenSaverActive(TRUE);
    if (HasBanner())
        KillTimer(window, kBannerTimer);
    return SaverDefaultProc(window, message, wParam, lParam);
}

LRESULT OnSetFocus(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Saver.SceneRetryTimer = SetTimer(window, kSceneRetryTimer, kSceneRetryMs, nullptr);
    return SaverDefaultProc(window, message, wParam, lParam);
}

LRESULT OnKillFocus(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Saver.SceneRetryTimer != 0) {
        KillTimer(window, kSceneRetryTimer);
        Saver.SceneRetryTimer = 0;
    }
    if (Saver.SceneWindow) {
        DestroyWindow(Saver.SceneWindow);
        Saver.SceneWindow = nullptr;
    }
    return SaverDefaultProc(window, message, wParam, lParam);
}

LRESULT OnTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (wParam == kBannerTimer && HasBanner()) {
        if (Saver.BannerSpan != 0)
            DrawBannerStep();
    } else {
        KillTimer(window, kSceneRetryTimer);
        Saver.SceneRetryTimer = 0;
        if (!Saver.SceneWindow)
            Saver.SceneWindow = CreateSceneWindow(window);
    }
    return SaverDefaultProc(window, message, wParam, lParam);
}

}  // namespace

extern "C" LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, message, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(window, message, wParam, lParam);
    case WM_SETFOCUS:
        return OnSetFocus(window, message, wParam, lParam);
    case WM_KILLFOCUS:
        return OnKillFocus(window, message, wParam, lParam);
    case WM_TIMER:
        return OnTimer(window, message, wParam, lParam);
    default:
        return SaverDefaultProc(window, message, wParam, lParam);
    }
}

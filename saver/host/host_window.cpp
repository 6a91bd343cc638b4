// The host window "WindowsScreenSaverClass": full screen or preview, the message loop, the filter
// in front of ScreenSaverProc and the close rules behind it.
#include <windows.h>

#include "close_rules.h"
#include "host_state.h"

namespace {

const char kHostClass[] = "WindowsScreenSaverClass";
const char kFullScreenTitle[] = "Screen Saver";
const char kPreviewTitle[] = "Preview";
const UINT kPromptRequest = WM_APP;

void PostClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

CursorPoint ToCursorPoint(POINT p)
{
    return {p.x, p.y};
}

// ---- HostWindowProc handlers ----------------------------------------------------------------

LRESULT OnHostCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The input method is detached only when the process has it loaded already.
    Host.ImeModule = GetModuleHandleA("IMM32.DLL");
    if (Host.ImeModule) {
        Host.ImeFunction = reinterpret_cast<ImeAssociateFunction>(
            reinterpret_cast<void*>(GetProcAddress(Host.ImeModule, "ImmAssociateContext")));
        if (Host.ImeFunction)
            Host.SavedImeContext = Host.ImeFunction(window, nullptr);
    }
    GetCursorPos(&Host.CursorAnchor);
    if (!Host.InPreview)
        SetCursor(nullptr);
    return ScreenSaverProc(window, message, wParam, lParam);
}

LRESULT OnHostDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Host.ImeModule && Host.ImeFunction && Host.SavedImeContext)
        Host.ImeFunction(window, Host.SavedImeContext);
    PostQuitMessage(0);
    return ScreenSaverProc(window, message, wParam, lParam);
}

LRESULT OnHostPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Host.CloseGranted)
        return DefWindowProcA(window, message, wParam, lParam);
    if (!Host.InPreview)
        SetCursor(nullptr);
    return ScreenSaverProc(window, message, wParam, lParam);
}

// Help requests in a preview belong to the display control panel that owns the parent.
LRESULT OnHostHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Host.InPreview)
        return ScreenSaverProc(window, message, wParam, lParam);
    HWND parent = GetParent(window);
    if (parent && IsWindow(parent)) {
        const WPARAM forParent = reinterpret_cast<WPARAM>(parent);
        // WM_HELP carries a pointer, and such messages cannot be posted: it is sent instead, with
        // a time limit so that a hung parent cannot stop the preview.
        if (!PostMessageA(parent, message, forParent, lParam)) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(parent, message, forParent, lParam, SMTO_ABORTIFHUNG, 1000, &ignored);
        }
    }
    return 1;
}

LRESULT OnHostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Host.CloseGranted)
        return DefWindowProcA(window, message, wParam, lParam);
    return ScreenSaverProc(window, message, wParam, lParam);
}

LRESULT OnHostSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Host.InPreview && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
        return 0;
    return ScreenSaverProc(window, message, wParam, lParam);
}

LRESULT OnHostTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Host.CloseGranted)
        return 0;
    Sleep(0);
    return ScreenSaverProc(window, message, wParam, lParam);
}

// ---- SaverDefaultProc: the close rules ------------------------------------------------------

void OnMouseTravel(HWND window)
{
    POINT now;
    if (!GetCursorPos(&now))
        return;
    if (MouseTravelCloses(ToCursorPoint(Host.CursorAnchor), ToCursorPoint(now))) {
        PostClose(window);
        Host.CursorAnchor = now;
    }
}

// Applies the rule of one message. Returns true with `result` set when the message is answered
// here; false when it goes on to the default handling.
bool ApplyCloseRule(HWND window, UINT message, WPARAM wParam, LRESULT* result)
{
    switch (message) {
    case WM_ACTIVATEAPP:
        if (wParam == 0)
            PostClose(window);
        return false;
    case WM_SHOWWINDOW:
        if (wParam != 0)
            SetCursor(nullptr);
        return false;
    case WM_POWER:
        if (wParam == PWR_CRITICALRESUME)
            PostClose(window);
        return false;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        *result = 1;
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_POWERBROADCAST:
        PostClose(window);
        return false;
    case WM_MOUSEMOVE:
        OnMouseTravel(window);
        return false;
    default:
        return false;
    }
}

LRESULT DefaultHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Host.AutoPlayQueryMsg != 0 && message == Host.AutoPlayQueryMsg) {
        PostClose(window);
        return Password.PasswordVerifier ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnHostCreate(window, message, wParam, lParam);
    case WM_DESTROY:
        return OnHostDestroy(window, message, wParam, lParam);
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        return OnHostPaint(window, message, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU:
        return OnHostHelp(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnHostInput(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        return OnHostSysCommand(window, message, wParam, lParam);
    case WM_TIMER:
        return OnHostTimer(window, message, wParam, lParam);
    default:
        return ScreenSaverProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Host.InPreview && !Host.CloseGranted) {
        if (message == WM_CLOSE) {
            if (Host.OnWin9xPlatform && !ConfirmClose(window)) {
                GetCursorPos(&Host.CursorAnchor);
                return 0;
            }
        } else if (message == kPromptRequest && Host.OnWin9xPlatform) {
            if (!Password.PasswordVerifier)
                return 1;
            return Password.PasswordVerifier(window);
        } else if (!Host.PasswordPromptOpen) {
            LRESULT result = 0;
            if (ApplyCloseRule(window, message, wParam, &result))
                return result;
        }
    }
    return DefaultHandling(window, message, wParam, lParam);
}

bool ConfirmClose(HWND window)
{
    if (Host.PasswordPromptOpen || Host.CloseGranted)
        return false;
    if (!Password.PasswordVerifier) {
        Host.CloseGranted = 1;
        return true;
    }
    if (CloseRequestTooSoon(GetTickCount(), Host.LastPromptTick))
        return false;
    Host.PasswordPromptOpen = true;
    MSG pending;
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    Host.CloseGranted = SendMessageA(window, kPromptRequest, 0, 0) != 0 ? 1 : 0;
    Host.PasswordPromptOpen = false;
    if (!Host.CloseGranted)
        SetCursor(nullptr);
    Host.LastPromptTick = GetTickCount();
    return Host.CloseGranted != 0;
}

int RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = Host.SaverInstance;
    windowClass.hIcon = LoadIconA(Host.SaverInstance, MAKEINTRESOURCEA(100));
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kHostClass;

    RECT area = {0, 0, 0, 0};
    if (parent) {
        GetClientRect(parent, &area);
        Host.InPreview = true;
    } else {
        HDC screen = GetDC(nullptr);
        GetClipBox(screen, &area);
        ReleaseDC(nullptr, screen);
        HWND running = FindWindowA(kHostClass, kFullScreenTitle);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordVerifier();
    }

    Host.AutoPlayQueryMsg = Host.OnWin9xPlatform ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    if (RegisterClassA(&windowClass)) {
        if (parent)
            Host.SaverWindow = CreateWindowExA(0, kHostClass, kPreviewTitle,
                                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                               area.right - area.left, area.bottom - area.top,
                                               parent, nullptr, Host.SaverInstance, nullptr);
        else
            Host.SaverWindow = CreateWindowExA(WS_EX_TOPMOST, kHostClass, kFullScreenTitle,
                                               WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                               area.left, area.top, area.right - area.left,
                                               area.bottom - area.top, nullptr, nullptr,
                                               Host.SaverInstance, nullptr);
    }

    // No window means no run: the exit code says so (-1) instead of the loop's 0.
    int result = -1;
    if (Host.SaverWindow) {
        if (!parent)
            SetForegroundWindow(Host.SaverWindow);
        MSG message;
        ZeroMemory(&message, sizeof(message));
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        result = static_cast<int>(message.wParam);
    }
    UnloadPasswordVerifier();
    return result;
}

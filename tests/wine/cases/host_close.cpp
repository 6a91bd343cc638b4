// The close rules of the host window, through the real kelvane.scr and real input: full screen
// ends on a key, a lone modifier, a system key, each mouse button, mouse travel over 4 pixels and
// the loss of activation, but not on travel of 4; a preview ignores keys and mouse, hands help
// requests to its parent, fills the parent and ends with it.
#include "host_support.h"

using namespace kvtest;
using namespace hosttest;

namespace {

const DWORD kCloseWithinMs = 3000;

struct FullScreenRun {
    Process Saver;
    HWND Host = nullptr;
};

// Starts the saver with the pointer resting at (400, 300) and waits until it runs in front.
void StartFullScreen(const InstalledSaver& saver, FullScreenRun& run)
{
    SetCursorPos(400, 300);
    PumpMessages(100);
    // Past the first mouse message after creation, and the scene's start.
    run.Host = StartInFront(run.Saver, saver, 500);
    REQUIRE(run.Saver.Running());
}

bool EndsWithZero(FullScreenRun& run, DWORD timeoutMs = kCloseWithinMs)
{
    int code = -2;
    if (!Ended(run.Saver, timeoutMs, &code))
        return false;
    CHECK_EQ(code, 0);
    return true;
}

}  // namespace

KV_CASE(full_screen_ends_on_keys_buttons_and_travel)
{
    InstalledSaver saver("KV Close Saver");
    struct InputCase {
        const char* Name;
        void (*Send)();
    };
    const InputCase cases[] = {
        {"a letter key", [] { SendKey('Q'); }},
        {"a lone shift", [] { SendKey(VK_SHIFT); }},
        {"a lone control", [] { SendKey(VK_CONTROL); }},
        {"a system key (alt)", [] { SendKey(VK_MENU); }},
        {"the left button", [] { SendButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }},
        {"the right button", [] { SendButton(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }},
        {"the middle button", [] { SendButton(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); }},
        {"travel of 5 in one move", [] { SendMoveTo(403, 302); }},
        {"small moves adding up to 5", [] {
             SendMoveTo(401, 300);
             Sleep(100);
             SendMoveTo(402, 301);
             Sleep(100);
             SendMoveTo(402, 303);
         }},
    };
    for (const InputCase& c : cases) {
        KV_INFO(c.Name);
        FullScreenRun run;
        StartFullScreen(saver, run);
        c.Send();
        CHECK(EndsWithZero(run));
    }
}

KV_CASE(full_screen_keeps_running_on_travel_of_four_and_on_key_releases)
{
    InstalledSaver saver("KV Still Saver");
    FullScreenRun run;
    StartFullScreen(saver, run);
    SendMoveTo(402, 302);
    PumpMessages(300);
    SendMoveTo(400, 304);
    PumpMessages(300);
    SendMoveTo(396, 300);
    PumpMessages(300);
    INPUT release = {};
    release.type = INPUT_KEYBOARD;
    release.ki.wVk = 'Q';
    release.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &release, sizeof(INPUT));
    PumpMessages(800);
    CHECK(run.Saver.Running());
    // One pixel further than 4 from where it started: it ends.
    SendMoveTo(395, 300);
    CHECK(EndsWithZero(run));
}

KV_CASE(full_screen_ends_when_another_window_takes_the_activation)
{
    InstalledSaver saver("KV Active Saver");
    FullScreenRun run;
    StartFullScreen(saver, run);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvHostCloseOther";
    RegisterClassA(&wc);
    HWND other = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "other", WS_POPUP | WS_VISIBLE, 0, 0,
                                 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    REQUIRE(other);
    SetForegroundWindow(other);
    PumpMessages(100);
    CHECK(EndsWithZero(run));
    DestroyWindow(other);
}

KV_CASE(power_messages_close_by_their_rules)
{
    InstalledSaver saver("KV Power Saver");
    {
        FullScreenRun run;
        StartFullScreen(saver, run);
        PostMessageA(run.Host, WM_POWER, 1, 0);                 // suspend request: no rule
        PostMessageA(run.Host, WM_ACTIVATEAPP, 1, 0);           // gaining activation: no rule
        PumpMessages(700);
        CHECK(run.Saver.Running());
        PostMessageA(run.Host, WM_POWER, PWR_CRITICALRESUME, 0);
        CHECK(EndsWithZero(run));
    }
    {
        FullScreenRun run;
        StartFullScreen(saver, run);
        PostMessageA(run.Host, WM_POWERBROADCAST, 0x1234, 0);   // any power broadcast
        CHECK(EndsWithZero(run));
    }
}

// ---- preview ----------------------------------------------------------------------------------

namespace {

struct ParentLog {
    int Help = 0;
    int ContextMenu = 0;
    bool WParamWasParent = true;
};
ParentLog g_parentLog;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        (message == WM_HELP ? g_parentLog.Help : g_parentLog.ContextMenu)++;
        if (reinterpret_cast<HWND>(wParam) != window)
            g_parentLog.WParamWasParent = false;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The display control panel's preview pane: a window of the driver with a 152 x 112 client area.
HWND CreatePreviewParent()
{
    return CreatePreviewPane("KvHostPreviewParent", ParentProc, 152, 112);
}

HWND WaitForPreview(HWND parent)
{
    HWND preview = nullptr;
    WaitUntil([&] { return (preview = FindWindowExA(parent, nullptr, kHostClass, "Preview")) != nullptr; }, 10000);
    return preview;
}

}  // namespace

KV_CASE(preview_fills_its_parent_ignores_input_forwards_help_and_ends_with_the_parent)
{
    InstalledSaver saver("KV Preview Saver", {"a banner that a preview never shows"});
    g_parentLog = ParentLog{};
    HWND parent = CreatePreviewParent();
    REQUIRE(parent);
    Process run;
    REQUIRE(run.Start(saver.Command("/p " + HandleText(parent)), saver.Folder()));
    HWND preview = WaitForPreview(parent);
    REQUIRE(preview);
    HWND scene = nullptr;
    REQUIRE(WaitUntil([&] { return (scene = SceneOf(preview)) != nullptr; }, 5000));

    // The preview and its scene cover the parent's client area, banner or not.
    RECT client, hostArea, sceneArea;
    GetClientRect(parent, &client);
    GetClientRect(preview, &hostArea);
    GetClientRect(scene, &sceneArea);
    CHECK_EQ(hostArea.right, client.right);
    CHECK_EQ(hostArea.bottom, client.bottom);
    CHECK_EQ(sceneArea.right, client.right);
    CHECK_EQ(sceneArea.bottom, client.bottom);
    CHECK(!IsWindowEnabled(scene));
    CHECK_EQ(WindowText(preview), std::string("Preview"));

    // Keys, buttons and travel do nothing in a preview.
    PostMessageA(preview, WM_KEYDOWN, 'Q', 0);
    PostMessageA(preview, WM_SYSKEYDOWN, VK_MENU, 0);
    PostMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(preview, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(preview, WM_ACTIVATEAPP, 0, 0);
    SetCursorPos(600, 600);
    PostMessageA(preview, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
    PumpMessages(700);
    CHECK(run.Running());

    // Help requests reach the parent, with the parent's own handle as WPARAM.
    PostMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(60, 60));
    // F1 in the preview: WM_HELP carries a pointer and is sent, not posted.
    HELPINFO help = {};
    help.cbSize = sizeof(help);
    help.iContextType = HELPINFO_WINDOW;
    help.hItemHandle = preview;
    DWORD_PTR answer = 0;
    CHECK(SendMessageTimeoutA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help), SMTO_NORMAL, 3000, &answer));
    CHECK_EQ(answer, DWORD_PTR(1));
    CHECK(WaitUntil([] { return g_parentLog.ContextMenu == 1 && g_parentLog.Help == 1; }, 3000));
    CHECK(g_parentLog.WParamWasParent);
    CHECK(run.Running());

    // The control panel closes the pane: the preview ends with 0.
    DestroyWindow(parent);
    int code = -2;
    CHECK(Ended(run, kCloseWithinMs, &code));
    CHECK_EQ(code, 0);
}

// The activation as another program sees it (a fresh process: no setting held from before).
int ScreenSaverActive()
{
    const RunResult probe = Run(Quote(ProgramPath("host_fixtures\\host_active_probe.exe")));
    if (probe.Output.find("ScreenSaveActive=1") != std::string::npos)
        return 1;
    if (probe.Output.find("ScreenSaveActive=0") != std::string::npos)
        return 0;
    return -1;
}

KV_CASE(preview_turns_screen_saver_activation_off_and_back_on)
{
    InstalledSaver saver("KV Activation Saver");
    const int before = ScreenSaverActive();
    REQUIRE(before >= 0);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    REQUIRE(ScreenSaverActive() == 1);
    HWND parent = CreatePreviewParent();
    REQUIRE(parent);
    Process run;
    REQUIRE(run.Start(saver.Command("/l " + HandleText(parent)), saver.Folder()));
    REQUIRE(WaitForPreview(parent));
    PumpMessages(300);
    CHECK_EQ(ScreenSaverActive(), 0);
    DestroyWindow(parent);
    CHECK(WaitUntil([&] { return !run.Running(); }, kCloseWithinMs));
    CHECK_EQ(ScreenSaverActive(), 1);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, before, nullptr, 0);
}

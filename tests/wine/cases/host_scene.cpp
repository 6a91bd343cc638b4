// The saver procedure seen from outside: the scene window over the saver's area, the banner strip
// along the bottom of the screen, the scene dropped on focus loss and re-created a second after the
// focus returns, and a run without its show file.
#include "host_support.h"

using namespace kvtest;
using namespace hosttest;

namespace {

RECT ClientInScreen(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool IsWhite(uint32_t pixel) { return Near(pixel, {255, 255, 255}, 60); }
bool IsBlack(uint32_t pixel) { return Near(pixel, {0, 0, 0}, 30); }

// The leftmost column of the rows [top, bottom) that holds a white pixel; -1 when none does.
int LeftmostWhite(const Screenshot& shot, int top, int bottom)
{
    for (int x = 0; x < shot.Width; ++x)
        for (int y = top; y < bottom; ++y)
            if (IsWhite(shot.At(x, y)))
                return x;
    return -1;
}

int CountWhite(const Screenshot& shot, int top, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < shot.Width; ++x)
            n += IsWhite(shot.At(x, y)) ? 1 : 0;
    return n;
}

}  // namespace

KV_CASE(banner_scrolls_white_on_black_along_the_bottom)
{
    InstalledSaver saver("KV Banner Saver", {"Kelvane banner text moving along"});
    Process run;
    HWND host = StartInFront(run, saver);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HWND scene = nullptr;
    REQUIRE(WaitUntil([&] { return (scene = SceneOf(host)) != nullptr; }, 5000));

    // The scene leaves a strip at the bottom: the banner's line height.
    const RECT area = ClientInScreen(scene);
    CHECK_EQ(area.left, 0);
    CHECK_EQ(area.top, 0);
    CHECK_EQ(area.right, width);
    const int strip = height - area.bottom;
    KV_INFO("strip height " + std::to_string(strip));
    CHECK(strip >= 8 && strip <= 40);
    CHECK(!IsWindowEnabled(scene));
    CHECK(IsWindowVisible(scene));

    // A few seconds in, the text has entered from the right edge and moves left by about 20
    // pixels a second.
    PumpMessages(3000);
    const Screenshot first = CaptureScreen();
    PumpMessages(1000);
    const Screenshot second = CaptureScreen();
    const int x1 = LeftmostWhite(first, area.bottom, height);
    const int x2 = LeftmostWhite(second, area.bottom, height);
    KV_INFO("banner left edge " + std::to_string(x1) + " then " + std::to_string(x2));
    CHECK(x1 > width - 120 && x1 < width);
    CHECK(x2 >= 0 && x2 < x1 - 8 && x2 > x1 - 40);
    CHECK(CountWhite(second, area.bottom, height) > 20);
    // The strip left of the text is black; nothing white lands above the strip.
    CHECK(IsBlack(second.At(10, height - strip / 2)));
    CHECK(IsBlack(second.At(x2 - 2, height - 2)));
    if (CaseFailed())
        second.SavePpm(CaseDir() + "banner.ppm");
    run.Kill();
}

KV_CASE(no_banner_no_strip_the_scene_fills_the_screen)
{
    InstalledSaver saver("KV Plain Banner Saver", {""});
    Process run;
    HWND host = StartInFront(run, saver);
    HWND scene = nullptr;
    REQUIRE(WaitUntil([&] { return (scene = SceneOf(host)) != nullptr; }, 5000));
    const RECT area = ClientInScreen(scene);
    CHECK_EQ(area.right, GetSystemMetrics(SM_CXSCREEN));
    CHECK_EQ(area.bottom, GetSystemMetrics(SM_CYSCREEN));
    RECT hostArea = ClientInScreen(host);
    CHECK_EQ(hostArea.right, GetSystemMetrics(SM_CXSCREEN));
    CHECK_EQ(hostArea.bottom, GetSystemMetrics(SM_CYSCREEN));
    CHECK(GetWindowLongA(host, GWL_EXSTYLE) & WS_EX_TOPMOST);
    run.Kill();
}

KV_CASE(missing_show_file_ends_the_run_at_once_without_a_window)
{
    SaverShow none;
    none.WriteShow = false;
    InstalledSaver saver("KV Showless Saver", none);
    Process run;
    REQUIRE(run.Start(saver.Command("/s"), saver.Folder()));
    int code = 0;
    REQUIRE(Ended(run, 5000, &code));
    CHECK_EQ(code, -1);
    CHECK(!FindWindowA(kHostClass, nullptr));
}

KV_CASE(focus_loss_drops_the_scene_and_its_return_brings_a_new_one_after_a_second)
{
    InstalledSaver saver("KV Focus Saver");
    Process run;
    HWND host = StartInFront(run, saver);
    HWND first = nullptr;
    REQUIRE(WaitUntil([&] { return (first = SceneOf(host)) != nullptr; }, 5000));
    PumpMessages(1500);   // the start's own retry timer has run

    SendMessageA(host, WM_KILLFOCUS, 0, 0);
    CHECK(!SceneOf(host));
    CHECK(!IsWindow(first));

    SendMessageA(host, WM_SETFOCUS, 0, 0);
    const DWORD back = GetTickCount();
    PumpMessages(700);
    CHECK(!SceneOf(host));
    HWND second = nullptr;
    CHECK(WaitUntil([&] { return (second = SceneOf(host)) != nullptr; }, 1500));
    const DWORD took = GetTickCount() - back;
    KV_INFO("re-created after " + std::to_string(took) + " ms");
    CHECK(took >= 900);
    CHECK(second && !IsWindowEnabled(second));

    // Losing the focus again within the second cancels the re-creation.
    SendMessageA(host, WM_KILLFOCUS, 0, 0);
    SendMessageA(host, WM_SETFOCUS, 0, 0);
    PumpMessages(400);
    SendMessageA(host, WM_KILLFOCUS, 0, 0);
    PumpMessages(1600);
    CHECK(!SceneOf(host));
    CHECK(run.Running());
    run.Kill();
}

KV_CASE(started_under_its_short_path_the_saver_finds_the_show_of_its_long_name)
{
    InstalledSaver saver("KV Long Named Banner Saver", {"short path banner"});
    const std::string shortProgram = ShortPath(saver.Program());
    REQUIRE(shortProgram.find("Long Named") == std::string::npos);
    Process run;
    REQUIRE(run.Start(Quote(shortProgram) + " /s", saver.Folder()));
    HWND host = WaitForHost(run);
    REQUIRE(host);
    CHECK(WaitUntil([&] { return SceneOf(host) != nullptr; }, 5000));
    run.Kill();
}

// The scene's test host: a window of its own with the scene window as its child, as the saver
// procedure makes it. It runs under the saver's name ("<SaverName>.exe" beside "<SaverName>.dat"),
// because the scene finds its show file through the program's module name.
//
//   <Name>.exe [--size WxH] [--tick N:FILE]... [--pause N:FILE]... [--timeout MS]
//   <Name>.exe [--size WxH] --cycles N
//   <Name>.exe [--size WxH] --bench SECONDS
//
// --tick N:FILE   draws the scene as it stands before the N-th animation tick (1 = as created) and
//                 writes the frame to FILE (binary PPM, top row first)
// --pause N:FILE  the same before the N-th end of a pause (the spread shown during that pause)
// --cycles N      creates and destroys the scene N times after two warm-up cycles and reports what
//                 the process holds before and after
// --bench S       runs the scene for S seconds and reports CPU time and ticks
//
// Frames are read back from the scene window's back buffer through a context of the host's own:
// under Wine an OpenGL child window is not composited onto the screen, so a screen copy shows
// nothing of it. Reports are "name=value" lines on standard output. The exit code is 0 when the
// scene window was created and every frame asked for was written, 1 otherwise.
#include <windows.h>

#include <GL/gl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scene_window.h"

namespace {

const char kHostClass[] = "KvSceneHost";
const char kSceneClass[] = "3DOpenGLWnd";

struct Capture {
    unsigned Timer;   // kAnimationTimer or kPauseTimer
    unsigned Number;  // before the Number-th message of that timer
    std::string File;
    bool Done = false;
};

struct HostState {
    int Width = 640;
    int Height = 480;
    std::vector<Capture> Captures;
    DWORD TimeoutMs = 20000;
    unsigned AnimationTicks = 0;   // animation timer messages seen
    unsigned PauseEnds = 0;        // pause timer messages seen
    bool Paused = false;
    DWORD PausedSince = 0;
    DWORD PausedMs = 0;            // time spent in pauses (bench)
    bool CaptureFailed = false;
    HWND Host = nullptr;
    HWND Scene = nullptr;
};
HostState Host;

bool AllCapturesDone()
{
    for (const Capture& capture : Host.Captures) {
        if (!capture.Done)
            return false;
    }
    return true;
}

// The frame the scene drew last, read from its back buffer (the swap copies it, llvmpipe keeps it).
bool WriteFrame(HWND scene, const std::string& file)
{
    RECT client = {};
    GetClientRect(scene, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return false;
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
    HDC dc = GetDC(scene);
    HGLRC reader = wglCreateContext(dc);
    bool ok = reader != nullptr && wglMakeCurrent(dc, reader);
    if (ok) {
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        ok = glGetError() == GL_NO_ERROR;
        wglMakeCurrent(nullptr, nullptr);
    }
    if (reader != nullptr)
        wglDeleteContext(reader);
    ReleaseDC(scene, dc);
    if (!ok)
        return false;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    for (int row = height - 1; row >= 0; --row)
        std::fwrite(pixels.data() + size_t(row) * size_t(width) * 3, 1, size_t(width) * 3, out);
    return std::fclose(out) == 0;
}

void TakeCaptures(HWND scene, unsigned timer, unsigned number)
{
    for (Capture& capture : Host.Captures) {
        if (capture.Done || capture.Timer != timer || capture.Number != number)
            continue;
        RedrawWindow(scene, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        if (!WriteFrame(scene, capture.File))
            Host.CaptureFailed = true;
        capture.Done = true;
        std::printf("captured=%s\n", capture.File.c_str());
    }
}

// Watches the scene's timers on their way in: captures before a tick changes the scene, and keeps
// the time the book spends in pauses.
LRESULT CALLBACK WatchSceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        const unsigned timer = unsigned(wParam);
        const unsigned number = timer == kAnimationTimer ? ++Host.AnimationTicks : ++Host.PauseEnds;
        TakeCaptures(window, timer, number);
        const LRESULT result = SceneWindowProc(window, message, wParam, lParam);
        const SceneWindowState* state = SceneWindowStateOf(window);
        const bool paused = state != nullptr && state->Scene.AnimationTimerId == 0;
        if (paused && !Host.Paused)
            Host.PausedSince = GetTickCount();
        if (!paused && Host.Paused)
            Host.PausedMs += GetTickCount() - Host.PausedSince;
        Host.Paused = paused;
        if (!Host.Captures.empty() && AllCapturesDone())
            PostMessageA(Host.Host, WM_CLOSE, 0, 0);
        return result;
    }
    return SceneWindowProc(window, message, wParam, lParam);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClasses(HINSTANCE instance)
{
    WNDCLASSA host = {};
    host.lpfnWndProc = HostProc;
    host.hInstance = instance;
    host.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    host.lpszClassName = kHostClass;
    RegisterClassA(&host);

    // As the saver procedure registers it.
    WNDCLASSA scene = {};
    scene.lpfnWndProc = WatchSceneProc;
    scene.hInstance = instance;
    scene.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    scene.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    scene.lpszClassName = kSceneClass;
    RegisterClassA(&scene);
}

HWND CreateScene(HINSTANCE instance)
{
    return CreateWindowExA(0, kSceneClass, "",
                           WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           0, 0, Host.Width, Host.Height, Host.Host, nullptr, instance, nullptr);
}

std::string TempBitmapName(const char* prefix)
{
    char dir[MAX_PATH] = {}, name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 1234, name);
    return name;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ReportTempFiles(const char* moment)
{
    std::printf("temp_sss_%s=%d\ntemp_ssp_%s=%d\n", moment, Exists(TempBitmapName("SSS")) ? 1 : 0,
                moment, Exists(TempBitmapName("SSP")) ? 1 : 0);
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    MSG message;
    for (DWORD passed = 0; passed < milliseconds; passed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
}

double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return double((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

size_t CommittedBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

// What a scene window holds that its destruction must release.
struct HeldObjects {
    std::vector<HGDIOBJ> Bitmaps;
    HGDIOBJ Palette = nullptr;
};

HeldObjects HeldBy(HWND scene)
{
    HeldObjects held;
    if (const SceneWindowState* state = SceneWindowStateOf(scene)) {
        for (const PictureSlot& slot : state->Scene.Slots) {
            if (slot.TextureBitmap != nullptr)
                held.Bitmaps.push_back(static_cast<HGDIOBJ>(slot.TextureBitmap));
        }
        held.Palette = static_cast<HGDIOBJ>(state->Scene.Palette);
    }
    return held;
}

int RunCycles(HINSTANCE instance, int cycles)
{
    const int warmUp = 2;
    size_t committedBefore = 0;
    DWORD gdiBefore = 0, userBefore = 0;
    int created = 0, bitmapsHeld = 0, stillAlive = 0;
    for (int cycle = 0; cycle < warmUp + cycles; ++cycle) {
        if (cycle == warmUp) {
            committedBefore = CommittedBytes();
            gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
            userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        }
        HWND scene = CreateScene(instance);
        if (scene == nullptr)
            continue;
        ++created;
        PumpFor(150);
        const HeldObjects held = HeldBy(scene);
        bitmapsHeld += int(held.Bitmaps.size());
        DestroyWindow(scene);
        // Checked before anything new is made, so no handle can have been handed out again.
        for (HGDIOBJ bitmap : held.Bitmaps)
            stillAlive += GetObjectType(bitmap) != 0 ? 1 : 0;
        if (held.Palette != nullptr)
            stillAlive += GetObjectType(held.Palette) != 0 ? 1 : 0;
    }
    std::printf("cycles_created=%d\ntexture_bitmaps_held=%d\nobjects_left_alive=%d\n", created,
                bitmapsHeld, stillAlive);
    std::printf("gdi_objects_before=%lu\ngdi_objects_after=%lu\n", gdiBefore,
                GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    std::printf("user_objects_before=%lu\nuser_objects_after=%lu\n", userBefore,
                GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    std::printf("committed_before=%zu\ncommitted_after=%zu\n", committedBefore, CommittedBytes());
    return created == warmUp + cycles ? 0 : 1;
}

int RunBench(double seconds)
{
    const double cpuStart = ProcessCpuSeconds();
    const DWORD start = GetTickCount();
    const unsigned ticksStart = Host.AnimationTicks;
    PumpFor(DWORD(seconds * 1000));
    const DWORD elapsed = GetTickCount() - start;
    const double cpu = ProcessCpuSeconds() - cpuStart;
    DWORD paused = Host.PausedMs;
    if (Host.Paused)
        paused += GetTickCount() - Host.PausedSince;
    const SceneWindowState* state = SceneWindowStateOf(Host.Scene);
    const double period = state != nullptr && state->Scene.Header.SlowTicks != 0 ? 1200 : 25;
    const double animatedMs = double(elapsed > paused ? elapsed - paused : 0);
    const unsigned ticks = Host.AnimationTicks - ticksStart;
    const double due = animatedMs / period;
    std::printf("elapsed_ms=%lu\npaused_ms=%lu\nticks_delivered=%u\nticks_due=%.0f\n", elapsed,
                paused, ticks, due);
    std::printf("cpu_seconds=%.2f\ncpu_per_animated_second=%.3f\nticks_delivered_per_due=%.3f\n",
                cpu, animatedMs > 0 ? cpu / (animatedMs / 1000) : 0.0, due > 0 ? ticks / due : 0.0);
    return 0;
}

bool ParseCapture(const char* text, unsigned timer)
{
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr)
        return false;
    Capture capture;
    capture.Timer = timer;
    capture.Number = unsigned(std::strtoul(text, nullptr, 10));
    capture.File = colon + 1;
    if (capture.Number == 0 || capture.File.empty())
        return false;
    Host.Captures.push_back(capture);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    int cycles = 0;
    double benchSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        bool ok = true;
        if (option == "--size")
            ok = std::sscanf(value, "%dx%d", &Host.Width, &Host.Height) == 2;
        else if (option == "--tick")
            ok = ParseCapture(value, kAnimationTimer);
        else if (option == "--pause")
            ok = ParseCapture(value, kPauseTimer);
        else if (option == "--timeout")
            Host.TimeoutMs = DWORD(std::strtoul(value, nullptr, 10));
        else if (option == "--cycles")
            cycles = std::atoi(value);
        else if (option == "--bench")
            benchSeconds = std::atof(value);
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "scene host: bad option %s %s\n", option.c_str(), value);
            return 2;
        }
        ++i;
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterClasses(instance);
    RECT frame = {0, 0, Host.Width, Host.Height};
    AdjustWindowRect(&frame, WS_POPUP, FALSE);
    Host.Host = CreateWindowExA(0, kHostClass, "scene host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                0, 0, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
    if (Host.Host == nullptr)
        return 1;
    if (cycles > 0) {
        const int result = RunCycles(instance, cycles);
        DestroyWindow(Host.Host);
        return result;
    }

    Host.Scene = CreateScene(instance);
    std::printf("created=%d\n", Host.Scene != nullptr ? 1 : 0);
    ReportTempFiles("after_create");
    if (Host.Scene == nullptr) {
        DestroyWindow(Host.Host);
        return 1;
    }
    if (const SceneWindowState* state = SceneWindowStateOf(Host.Scene))
        std::printf("orbit_tilt=%u\n", state->Scene.OrbitTilt);
    // The jukebox's hidden song list, a child of the scene window.
    std::printf("song_list=%d\n", FindWindowExA(Host.Scene, nullptr, "LISTBOX", "For Songs") ? 1 : 0);
    std::fflush(stdout);

    int result = 0;
    if (benchSeconds > 0) {
        result = RunBench(benchSeconds);
    } else {
        const DWORD start = GetTickCount();
        while (!AllCapturesDone() && GetTickCount() - start < Host.TimeoutMs)
            PumpFor(50);
        if (!AllCapturesDone() || Host.CaptureFailed)
            result = 1;
    }
    std::printf("animation_ticks=%u\npause_ends=%u\n", Host.AnimationTicks, Host.PauseEnds);
    DestroyWindow(Host.Host);
    ReportTempFiles("at_exit");
    return result;
}

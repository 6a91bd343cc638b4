// Shared by the host_* groups: a saver installed the way the authoring product installs one (the
// program copied under the saver's name beside its show file), started and looked at.
#pragma once
#include <string>
#include <vector>

#include "harness.h"
#include "show_writer.h"
#include "test_picture.h"

namespace hosttest {

using namespace kvtest;

const char kHostClass[] = "WindowsScreenSaverClass";
const char kSceneClass[] = "3DOpenGLWnd";

struct SaverShow {
    std::string Banner;
    int Faces = 2;          // a card: the quickest scene to set up
    int Pictures = 2;
    bool WriteShow = true;  // false: the program without its show file
};

// A saver "<name>.scr" in its own folder of the case, with "<name>.dat" beside it. The data folder
// lookup records an uninstall key for the name: the guard removes it at the end of the case.
class InstalledSaver {
public:
    InstalledSaver(const std::string& name, const SaverShow& show = {})
        : name_(name), key_(HKEY_LOCAL_MACHINE, UninstallKey(name))
    {
        folder_ = CaseDir() + "saver\\";
        REQUIRE(MakeDirs(folder_));
        REQUIRE(CopyFileTo(ProgramPath("kelvane.scr"), Program()));
        if (show.WriteShow) {
            ShowSpec spec;
            spec.Header.FaceCount = static_cast<int8_t>(show.Faces);
            spec.Header.SpinStepY = 2;
            spec.Header.PauseSeconds = 3;
            spec.Header.TurnStep = -3;
            spec.Banner = show.Banner;
            spec.Title = "Host Test " + name;
            for (int i = 0; i < show.Pictures; ++i) {
                TestPictureSpec picture;
                picture.Width = 128;
                picture.Height = 96;
                picture.Index = i;
                std::string error;
                spec.Streams.push_back(MakeTestJpeg(picture, &error));
                REQUIRE(!spec.Streams.back().empty());
                ShowPictureEntry entry;
                entry.Stream = i;
                spec.Entries.push_back(entry);
            }
            std::string error;
            const std::vector<uint8_t> bytes = BuildShowFile(spec, &error);
            REQUIRE(!bytes.empty());
            REQUIRE(WriteFileBytes(folder_ + name + ".dat", bytes));
        }
    }
    const std::string& Name() const { return name_; }
    const std::string& Folder() const { return folder_; }
    std::string Program() const { return folder_ + name_ + ".scr"; }
    std::string Command(const std::string& arguments) const { return Quote(Program()) + " " + arguments; }

private:
    std::string name_;
    std::string folder_;
    RegistryKeyGuard key_;
};

// Per-program settings of the platform for programs of one file name, while the scope lasts.
class AppDefaults {
public:
    explicit AppDefaults(const std::string& fileName)
        : key_("Software\\Wine\\AppDefaults\\" + fileName), guard_(HKEY_CURRENT_USER, key_)
    {
    }
    // GetVersionExA then reports Windows 98 (platform 1, version 4.10).
    void Windows98() { REQUIRE(RegSetString(HKEY_CURRENT_USER, key_, "Version", "win98")); }
    // A module of this name in the program's folder is loaded instead of the platform's own.
    void PreferOwnModule(const std::string& module)
    {
        REQUIRE(RegSetString(HKEY_CURRENT_USER, key_ + "\\DllOverrides", module, "native,builtin"));
    }

private:
    std::string key_;
    RegistryKeyGuard guard_;
};

// Polls until the condition holds; false on timeout.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        PumpMessages(20);
    }
}

// The host window of a running full-screen saver.
inline HWND WaitForHost(const Process& saver, DWORD timeoutMs = 10000)
{
    return WaitForWindow(kHostClass, "Screen Saver", saver.Id(), timeoutMs);
}

// Starts "<name>.scr /s" and waits until its host window runs in front; then lets it settle.
inline HWND StartInFront(Process& run, const InstalledSaver& saver, DWORD settleMs = 300)
{
    REQUIRE(run.Start(saver.Command("/s"), saver.Folder()));
    HWND host = WaitForHost(run);
    REQUIRE(host);
    REQUIRE(WaitUntil([&] { return GetForegroundWindow() == host; }, 3000));
    PumpMessages(settleMs);
    return host;
}

inline HWND SceneOf(HWND host)
{
    return FindWindowExA(host, nullptr, kSceneClass, nullptr);
}

// Waits for the process to end, handling the driver's own messages meanwhile (a saver may be
// talking to a window of the driver as it ends), and returns its exit code as a signed number.
inline bool Ended(Process& saver, DWORD timeoutMs, int* exitCode)
{
    if (!WaitUntil([&] { return !saver.Running(); }, timeoutMs))
        return false;
    DWORD code = 0;
    if (!saver.Wait(0, &code))
        return false;
    *exitCode = static_cast<int>(code);
    return true;
}

// ---- input, as devices deliver it ------------------------------------------------------------

inline void SendKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

inline void SendButton(DWORD down, DWORD up)
{
    INPUT input[2] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = down;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = up;
    SendInput(2, input, sizeof(INPUT));
}

// Moves the pointer to a screen position as a mouse device would (absolute coordinates).
inline void SendMoveTo(int x, int y)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    // The smallest normalised value at or above the pixel's left (top) edge: truncating and
    // rounding conversions back to pixels both land on the pixel.
    input.mi.dx = LONG((x * 65536LL + width - 1) / width);
    input.mi.dy = LONG((y * 65536LL + height - 1) / height);
    SendInput(1, &input, sizeof(INPUT));
}

// A window of the driver standing for the display control panel's preview pane, with a client
// area of the given size.
inline HWND CreatePreviewPane(const char* className, WNDPROC procedure, int width, int height)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND pane = CreateWindowA(className, "preview pane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              wc.hInstance, nullptr);
    PumpMessages(100);
    return pane;
}

inline std::string HandleText(HWND window)
{
    return std::to_string(reinterpret_cast<uintptr_t>(window));
}

}  // namespace hosttest

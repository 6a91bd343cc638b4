// The program entry: the command-line tail, the mode and its exit code, inside one fault frame.
#include <windows.h>

#include "../settings/settings_dialog.h"
#include "host_state.h"
#include "mode_selection.h"

HostState Host;

namespace {

const char* StepCharacter(const char* text)
{
    return CharNextA(text);
}

bool IsWin9xPlatform()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// A valid window, or the foreground window in its place.
HWND OwnerOrForeground(uint32_t value)
{
    HWND owner = WindowFromValue(value);
    if (!owner || !IsWindow(owner))
        owner = GetForegroundWindow();
    return owner;
}

int RunMode(const char* tail)
{
    const ModeChoice choice = SelectSaverMode(tail, Host.OnWin9xPlatform);
    switch (choice.Mode) {
    case SaverMode::ConfigureNoOwner:
        return ShowSettingsDialog(nullptr);
    case SaverMode::Configure:
        return ShowSettingsDialog(OwnerOrForeground(choice.Window));
    case SaverMode::Run:
        return RunSaverWindow(nullptr);
    case SaverMode::Preview: {
        HWND parent = WindowFromValue(choice.Window);
        if (!parent || !IsWindow(parent))
            return -1;
        return RunSaverWindow(parent);
    }
    case SaverMode::ChangePassword:
        ChangeSaverPassword(OwnerOrForeground(choice.Window));
        return 0;
    case SaverMode::Invalid:
        break;
    }
    return -1;
}

// The fault frame. A fault anywhere in the mode reaches the process's unhandled-exception filter;
// ours gives the platform's screen-saver-running state back (Windows 9x) and then lets the
// platform's own filter report the fault the usual way, which ends the process.
LPTOP_LEVEL_EXCEPTION_FILTER PreviousFaultFilter = nullptr;

LONG WINAPI SaverFaultFilter(EXCEPTION_POINTERS* fault)
{
    SetSystemSaverRunning(false);
    if (PreviousFaultFilter)
        return PreviousFaultFilter(fault);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int ShowSettingsDialog(HWND owner)
{
    return static_cast<int>(DialogBoxParamA(Host.SaverInstance, MAKEINTRESOURCEA(2003), owner,
                                            ScreenSaverConfigureDialog, 0));
}

int SaverMain(HINSTANCE instance, const char* tail)
{
    Host.SaverInstance = instance;
    Host.OnWin9xPlatform = IsWin9xPlatform();
    PreviousFaultFilter = SetUnhandledExceptionFilter(SaverFaultFilter);
    const int result = RunMode(tail);
    SetUnhandledExceptionFilter(PreviousFaultFilter);
    return result;
}

void SaverEntry()
{
    const char* tail = SkipProgramName(GetCommandLineA(), StepCharacter);
    ExitProcess(static_cast<UINT>(SaverMain(GetModuleHandleA(nullptr), tail)));
}

// The start-up code's arguments are not used: SaverEntry reads the command line itself.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SaverEntry();
}

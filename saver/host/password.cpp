// The screen-saver password on Windows 9x: the verifier from "PASSWORD.CPL", the platform's
// screen-saver-running state, and the password change through "MPR.DLL".
#include <windows.h>

#include "host_state.h"

PasswordState Password;

namespace {

typedef DWORD(WINAPI* PasswordChangeFunction)(LPCSTR provider, HWND owner, DWORD reserved1,
                                              DWORD reserved2);

template <typename Function>
Function LookUp(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// "ScreenSaveUsePassword": its first four bytes, little-endian, whatever its type; a value that
// does not fit in four bytes, or none, means no password.
bool PasswordRequired(HKEY desktop)
{
    BYTE value[4] = {0, 0, 0, 0};
    DWORD size = sizeof(value);
    if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, value, &size) != ERROR_SUCCESS)
        return false;
    const DWORD number = DWORD(value[0]) | DWORD(value[1]) << 8 | DWORD(value[2]) << 16 |
                         DWORD(value[3]) << 24;
    return number != 0;
}

}  // namespace

void SetSystemSaverRunning(bool on)
{
    if (!Host.OnWin9xPlatform)
        return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on ? 1 : 0, &previous, 0);
}

void LoadPasswordVerifier()
{
    if (!Host.OnWin9xPlatform)
        return;
    if (Password.PasswordModule)
        UnloadPasswordVerifier();
    HKEY desktop = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS)
        return;
    if (PasswordRequired(desktop)) {
        Password.PasswordModule = LoadLibraryA("PASSWORD.CPL");
        if (Password.PasswordModule) {
            Password.PasswordVerifier =
                LookUp<PasswordVerifierFunction>(Password.PasswordModule, "VerifyScreenSavePwd");
            if (Password.PasswordVerifier)
                SetSystemSaverRunning(true);
            else
                UnloadPasswordVerifier();
        }
    }
    RegCloseKey(desktop);
}

void UnloadPasswordVerifier()
{
    if (!Host.OnWin9xPlatform || !Password.PasswordModule)
        return;
    FreeLibrary(Password.PasswordModule);
    Password.PasswordModule = nullptr;
    if (Password.PasswordVerifier) {
        Password.PasswordVerifier = nullptr;
        SetSystemSaverRunning(false);
    }
}

void ChangeSaverPassword(HWND owner)
{
    HMODULE module = LoadLibraryA("MPR.DLL");
    if (!module)
        return;
    PasswordChangeFunction change = LookUp<PasswordChangeFunction>(module, "PwdChangePasswordA");
    if (change)
        change("SCRSAVE", owner, 0, 0);
    FreeLibrary(module);
}

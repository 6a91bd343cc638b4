// The host's process-wide state: one host window per process, one record per piece of the host.
#pragma once
#include <windows.h>

#include <cstdint>

#include "close_rules.h"

typedef HIMC(WINAPI* ImeAssociateFunction)(HWND, HIMC);
typedef BOOL(WINAPI* PasswordVerifierFunction)(HWND);

// Entry and host window.
struct HostState {
    HINSTANCE SaverInstance = nullptr;
    bool OnWin9xPlatform = false;
    HWND SaverWindow = nullptr;
    bool InPreview = false;
    int CloseGranted = 0;
    bool PasswordPromptOpen = false;
    uint32_t LastPromptTick = kNoPromptYet;
    POINT CursorAnchor = {0, 0};
    UINT AutoPlayQueryMsg = 0;
    HMODULE ImeModule = nullptr;
    ImeAssociateFunction ImeFunction = nullptr;
    HIMC SavedImeContext = nullptr;
};
extern HostState Host;

// The password verifier (Windows 9x).
struct PasswordState {
    HMODULE PasswordModule = nullptr;
    PasswordVerifierFunction PasswordVerifier = nullptr;
};
extern PasswordState Password;

// Entry (saver_entry.cpp).
int SaverMain(HINSTANCE instance, const char* tail);
[[noreturn]] void SaverEntry();
int ShowSettingsDialog(HWND owner);

// Host window and close rules (host_window.cpp).
int RunSaverWindow(HWND parent);
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool ConfirmClose(HWND window);

// Password (password.cpp).
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSystemSaverRunning(bool on);
void ChangeSaverPassword(HWND owner);

// The saver procedure (saver_procedure.cpp), exported by name.
extern "C" LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A 32-bit handle value from the command line as a window handle (sign-extended, as the platform
// widens handles on 64-bit Windows).
inline HWND WindowFromValue(uint32_t value)
{
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

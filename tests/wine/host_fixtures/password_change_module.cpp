// A stand-in for the platform's network-provider module with the password change, for the host's
// Windows 9x cases (never shipped). Each call is logged beside the module in "mpr.log" as
// "change <provider> <owner handle> <reserved> <reserved>".
#include <windows.h>

#include <string>

namespace {

HMODULE ThisModule = nullptr;

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner,
                                                                 DWORD reserved1, DWORD reserved2)
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(ThisModule, path, MAX_PATH);
    std::string log(path, n);
    log = log.substr(0, log.find_last_of('\\') + 1) + "mpr.log";
    const std::string line = std::string("change ") + (provider ? provider : "(null)") + " " +
                             std::to_string(reinterpret_cast<uintptr_t>(owner)) + " " +
                             std::to_string(reserved1) + " " + std::to_string(reserved2) + "\r\n";
    HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        ThisModule = instance;
    return TRUE;
}

// A stand-in for the platform's password control-panel module, for the host's Windows 9x cases
// (never shipped). It keeps a log beside itself ("password.log": load, each verification, unload)
// and answers each verification from "answers.txt" beside itself, one character per call:
//   1  the password was right
//   0  wrong or cancelled (also when there is no answer left)
//   k  wrong, and a key press is already waiting for the saver as the prompt ends
//   m  a modal prompt (a message box "Password" owned by the saver) that the case answers:
//      OK means right, Cancel wrong
#include <windows.h>

#include <string>

namespace {

HMODULE ThisModule = nullptr;
int Calls = 0;

std::string Beside(const char* name)
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(ThisModule, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

void Log(const std::string& line)
{
    HANDLE file = CreateFileA(Beside("password.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

char Answer(int index)
{
    char answers[64] = {};
    HANDLE file = CreateFileA(Beside("answers.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return '0';
    DWORD read = 0;
    ReadFile(file, answers, sizeof(answers) - 1, &read, nullptr);
    CloseHandle(file);
    return index < int(read) ? answers[index] : '0';
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    const int call = Calls++;
    const char answer = Answer(call);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    Log("verify " + std::to_string(call) + " " + className + " " + answer);
    if (answer == 'k')
        PostMessageA(window, WM_KEYDOWN, 'K', 0);
    if (answer == 'm')
        return MessageBoxA(window, "Enter the screen-saver password", "Password", MB_OKCANCEL) == IDOK;
    return answer == '1';
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ThisModule = instance;
        Log("load");
    } else if (reason == DLL_PROCESS_DETACH) {
        Log("unload");
    }
    return TRUE;
}

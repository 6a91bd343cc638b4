// Stands in for the system's control.exe in the settings cases: records its command line in
// "control_ran.txt" in its own folder and ends.
#include <windows.h>

#include <cstring>

int main()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    char* slash = std::strrchr(path, '\\');
    const char name[] = "control_ran.txt";
    if (!slash || static_cast<size_t>(slash + 1 - path) + sizeof name > sizeof path)
        return 1;
    std::memcpy(slash + 1, name, sizeof name);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    CloseHandle(file);
    return 0;
}

#include "self_delete.h"

#include <windows.h>

#include "install_log.h"
#include "self_delete_batch.h"

#if !defined(_WIN64)
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA of the 32-bit platform");
#endif

namespace {

bool IsOemLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_OEMCP, byte) != FALSE; }

}  // namespace

void LaunchSelfDelete()
{
    const HANDLE batch = CreateFileA(SelfDeleteBatchPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (batch == INVALID_HANDLE_VALUE)
        return;

    // The command processor reads batch files in the OEM code page.
    char exePath[LogLineSize];
    const DWORD exeLength = GetModuleFileNameA(nullptr, exePath, sizeof(exePath));
    char text[SelfDeleteBatchSize];
    int length = -1;
    if (exeLength != 0 && exeLength < sizeof(exePath)) {
        exePath[exeLength] = '\0';
        CharToOemA(exePath, exePath);
        length = FormatSelfDeleteBatch(exePath, IsOemLeadByte, text, sizeof(text));
    }
    if (length < 0) {  // an empty batch must not be left behind
        CloseHandle(batch);
        DeleteFileA(SelfDeleteBatchPath);
        return;
    }
    DWORD written = 0;
    WriteFile(batch, text, DWORD(length), &written, nullptr);
    CloseHandle(batch);

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    char commandLine[] = "\\DelUS.bat";
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS,
                        nullptr, "\\", &startup, &process))
        return;

    // The batch's thread first runs after this process has been raised above it.
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
}

// The uninstaller's entry: reads the install log beside the executable, asks, deletes the listed
// files, the uninstall entry and the settings key, warns about leftovers and hands over to the
// self-deleting batch file. It opens no window of its own; everything it says is a message box.
#include <windows.h>

#include "command_line.h"
#include "install_log.h"
#include "self_delete.h"

namespace {

constexpr size_t TextSize = 1024;  // message texts and key paths

const char UninstallListKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const UninstallEntryValues[] = {
    "DisplayName", "UninstallString", "InstallLocation", "DisplayIcon",
    "Publisher",   "VersionMajor",    "VersionMinor",
};
const char SettingsParentKey[] = "Software\\Tavrenic\\Made with Brisolde";
const char* const SettingsValues[] = {"Sound", "Duration", "Resize"};

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

// The install log through a file handle, one byte per ReadFile.
struct HandleLogReader : LogReader {
    explicit HandleLogReader(HANDLE file) : file_(file) {}
    bool ReadByte(unsigned char& byte) override
    {
        DWORD got = 0;
        return ReadFile(file_, &byte, 1, &got, nullptr) && got == 1;
    }
    HANDLE file_;
};

HANDLE OpenLog(const char* logPath)
{
    return CreateFileA(logPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

LONG CreateKey(HKEY root, const char* path, HKEY* key)
{
    char emptyClass[] = "";
    return RegCreateKeyExA(root, path, 0, emptyClass, 0, KEY_ALL_ACCESS, nullptr, key, nullptr);
}

// Deletes the key's values in the given order, then the key itself; parents stay.
template <size_t Count>
void RemoveKey(HKEY root, const char* path, const char* const (&values)[Count])
{
    HKEY key = nullptr;
    if (CreateKey(root, path, &key) != ERROR_SUCCESS)
        return;
    for (const char* value : values)
        RegDeleteValueA(key, value);
    RegDeleteKeyA(root, path);
    RegCloseKey(key);
}

void ShowError(const char* text)
{
    MessageBoxA(nullptr, text, "Error!!!", MB_OK);
}

int RefuseRemoval()  // Error A: nothing has been removed
{
    ShowError("Program not removed");
    return 0;
}

// Deletes every path the log lists, then the log. A line too long for the buffer would come back
// cut, naming some other file: it is skipped, never deleted.
void DeleteLoggedFiles(const char* logPath)
{
    const HANDLE log = OpenLog(logPath);
    if (log == INVALID_HANDLE_VALUE)
        return;
    HandleLogReader reader(log);
    char line[LogLineSize];
    int result;
    while ((result = ReadLogLine(reader, line, sizeof(line))) != 0) {
        if (result > 0)
            DeleteFileA(line);
    }
    CloseHandle(log);
    DeleteFileA(logPath);
}

// True when the folder holds anything besides the running executable (names starting with '.'
// do not count).
bool FolderHasLeftovers(const char* folder)
{
    char pattern[MAX_PATH + 8];
    wsprintfA(pattern, "%s\\*.*", folder);
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    int count = 0;
    do {
        if (found.cFileName[0] != '.')
            ++count;
    } while (count < 2 && FindNextFileA(search, &found));
    FindClose(search);
    return count >= 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    const bool silent = ReadUninstallMode(arguments) == UninstallMode::Silent;

    char exePath[LogLineSize];
    const DWORD exeLength = GetModuleFileNameA(nullptr, exePath, sizeof(exePath));
    if (exeLength == 0 || exeLength >= sizeof(exePath))
        return RefuseRemoval();
    exePath[exeLength] = '\0';
    char logPath[LogLineSize];
    if (!MakeLogPath(exePath, IsAnsiLeadByte, logPath, sizeof(logPath)))
        return RefuseRemoval();

    const HANDLE log = OpenLog(logPath);
    if (log == INVALID_HANDLE_VALUE)
        return RefuseRemoval();
    char firstLine[LogLineSize];
    HandleLogReader reader(log);
    const int firstResult = ReadLogLine(reader, firstLine, sizeof(firstLine));
    CloseHandle(log);
    // A cut first line or one without a usable name is refused: an empty name would make both key
    // paths name their parent keys.
    char programName[LogLineSize];
    if (firstResult <= 0 || !DeriveProgramName(firstLine, IsAnsiLeadByte, programName, sizeof(programName)))
        return RefuseRemoval();

    char text[TextSize];
    wsprintfA(text, "Are you sure you want to completely remove %s and all of its components?", programName);
    // Only a Yes goes on: a box that could not be shown is no consent.
    if (!silent && MessageBoxA(nullptr, text, "Confirm File Deletion", MB_YESNO) != IDYES)
        return 0;

    char entryPath[TextSize];
    wsprintfA(entryPath, "%s\\%s", UninstallListKey, programName);
    HKEY entry = nullptr;
    const LONG rights = CreateKey(HKEY_LOCAL_MACHINE, entryPath, &entry);
    if (rights == ERROR_ACCESS_DENIED) {
        ShowError("This software was installed under an account with administrator rights. You should "
                  "log onto an account with administrator rights to uninstall this software.");
        return 0;
    }
    if (rights == ERROR_SUCCESS)
        RegCloseKey(entry);

    DeleteLoggedFiles(logPath);
    RemoveKey(HKEY_LOCAL_MACHINE, entryPath, UninstallEntryValues);
    char settingsPath[TextSize];
    wsprintfA(settingsPath, "%s\\%s", SettingsParentKey, programName);
    RemoveKey(HKEY_CURRENT_USER, settingsPath, SettingsValues);

    char folder[LogLineSize];
    if (CopyFolderOfPath(exePath, IsAnsiLeadByte, folder, sizeof(folder)) && FolderHasLeftovers(folder)) {
        wsprintfA(text,
                  "Not all files associated with this program were deleted.  For a list of files that "
                  "were added after installation, look in the directory '%s'.",
                  folder);
        MessageBoxA(nullptr, text, "Not all files deleted", MB_OK);
    }

    if (!silent)
        MessageBoxA(nullptr, "The program has been removed.", "Program Removed", MB_OK);

    LaunchSelfDelete();
    return 0;
}

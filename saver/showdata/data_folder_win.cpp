#include <cstring>

#include "showdata_win.h"

bool Win32DataFolderPlatform::ModulePath(std::string& path)
{
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    path.assign(buffer, n);
    return true;
}

bool Win32DataFolderPlatform::CommonAppDataFolder(std::string& folder)
{
    typedef HRESULT(WINAPI * GetFolderPath)(HWND, int, HANDLE, DWORD, LPSTR);
    HMODULE library = LoadLibraryA("SHFOLDER.DLL");
    if (!library)
        return false;
    char buffer[MAX_PATH] = {};
    bool found = false;
    auto call = reinterpret_cast<GetFolderPath>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "SHGetFolderPathA")));
    if (call && call(nullptr, 0x0023 /* CSIDL_COMMON_APPDATA */, nullptr, 0, buffer) == S_OK) {
        buffer[MAX_PATH - 1] = '\0';
        folder = buffer;
        found = !folder.empty();
    }
    FreeLibrary(library);
    return found;
}

bool Win32DataFolderPlatform::WindowsFolder(std::string& folder)
{
    char buffer[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    folder.assign(buffer, n);
    return true;
}

bool Win32DataFolderPlatform::LongFileName(const std::string& path, std::string& name)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    found.cFileName[MAX_PATH - 1] = '\0';
    name = found.cFileName;
    return true;
}

bool Win32DataFolderPlatform::PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32DataFolderPlatform::ReadInstallLocation(const std::string& keyPath, std::string& value)
{
    HKEY key;
    DWORD disposition = 0;
    char className[] = "";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, className, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return false;
    char buffer[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    const LONG rc = RegQueryValueExA(key, "InstallLocation", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return false;
    // The value may be of any type and need not end in a zero byte.
    value.assign(buffer, strnlen(buffer, size));
    return true;
}

bool Win32DataFolderPlatform::ShortPathName(const std::string& path, std::string& shortPath)
{
    char buffer[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    shortPath.assign(buffer, n);
    return true;
}

char* FindSaverDataDir(char* out)
{
    Win32DataFolderPlatform platform;
    const std::string folder = FindSaverDataDir(platform);
    const size_t n = folder.size() < MAX_PATH ? folder.size() : 0;
    std::memcpy(out, folder.data(), n);
    out[n] = '\0';
    return out;
}

// Finding the saver's data folder (SaverDataDir): the saver's folder in the common application
// data, the install location its installer recorded, or the running program's own folder.
#pragma once
#include <string>

constexpr size_t kPathLimit = 260;   // MAX_PATH: paths hold at most 259 characters

// What the lookup needs from the platform (a Win32 implementation and test doubles).
class DataFolderPlatform {
public:
    virtual ~DataFolderPlatform() = default;
    // Full path of the running program; false when it cannot be read.
    virtual bool ModulePath(std::string& path) = 0;
    // The common application-data folder through SHFOLDER.DLL's SHGetFolderPathA; false when the
    // library, its export or the call fails.
    virtual bool CommonAppDataFolder(std::string& folder) = 0;
    virtual bool WindowsFolder(std::string& folder) = 0;
    // The long file name (no folder) of an existing file, from a directory search.
    virtual bool LongFileName(const std::string& path, std::string& name) = 0;
    // Any existing object counts, whatever its attributes.
    virtual bool PathExists(const std::string& path) = 0;
    // Opens, or creates empty when missing and allowed, the key under HKEY_LOCAL_MACHINE and reads
    // its "InstallLocation" (any type, at most 260 bytes). False when the key cannot be opened or
    // created, or the value is missing or too long.
    virtual bool ReadInstallLocation(const std::string& keyPath, std::string& value) = 0;
    // Short (8.3) form of an existing path; false when there is none or it would not fit.
    virtual bool ShortPathName(const std::string& path, std::string& shortPath) = 0;
};

// The long name cut at its last dot; false (and no name) when it has no dot.
bool SaverNameFromLongName(const std::string& longName, std::string& saverName);

// SaverName of the running program, from the long name of its module (so a program started under
// its 8.3 path still has its long name). False when the module cannot be found or has no dot.
bool FindSaverName(DataFolderPlatform& platform, std::string& saverName);

// SaverDataDir ending in a backslash, in short form where there is one; empty only when the
// module's own path cannot be read.
std::string FindSaverDataDir(DataFolderPlatform& platform);

extern const char* const kUninstallKey;   // "Software\Microsoft\Windows\CurrentVersion\Uninstall"

#include "data_folder.h"

const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

namespace {

// A candidate that would not fit a MAX_PATH buffer counts as a place that does not exist.
bool Fits(const std::string& path) { return path.size() < kPathLimit; }

std::string WithBackslash(std::string folder)
{
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

// The saver's folder in the common application data: <base>\Quorlane\Vistrelle\<SaverName>\.
std::string CommonDataPlace(DataFolderPlatform& platform)
{
    std::string base;
    if (!platform.CommonAppDataFolder(base) || base.empty()) {
        if (!platform.WindowsFolder(base) || base.empty())
            return "";
        base = WithBackslash(base) + "All Users\\Application Data";
    }
    std::string saverName;
    if (!FindSaverName(platform, saverName))
        return "";
    const std::string candidate = base + "\\Quorlane\\Vistrelle\\" + saverName;
    if (!Fits(candidate + "\\") || !platform.PathExists(candidate))
        return "";
    return candidate + "\\";
}

// The install location recorded under the Uninstall key for the saver.
std::string InstallLocationPlace(DataFolderPlatform& platform)
{
    std::string saverName;
    if (!FindSaverName(platform, saverName))
        return "";
    std::string location;
    if (!platform.ReadInstallLocation(std::string(kUninstallKey) + "\\" + saverName, location))
        return "";
    // The backslash is added even when the value already ends in one.
    if (location.empty() || !Fits(location + "\\") || !platform.PathExists(location))
        return "";
    return location + "\\";
}

std::string ProgramFolderPlace(DataFolderPlatform& platform)
{
    std::string module;
    if (!platform.ModulePath(module))
        return "";
    const size_t slash = module.find_last_of('\\');
    return slash == std::string::npos ? std::string() : module.substr(0, slash + 1);
}

}  // namespace

bool SaverNameFromLongName(const std::string& longName, std::string& saverName)
{
    const size_t dot = longName.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    saverName = longName.substr(0, dot);
    return true;
}

bool FindSaverName(DataFolderPlatform& platform, std::string& saverName)
{
    std::string module, longName;
    return platform.ModulePath(module) && platform.LongFileName(module, longName) &&
           SaverNameFromLongName(longName, saverName);
}

std::string FindSaverDataDir(DataFolderPlatform& platform)
{
    std::string module;
    if (!platform.ModulePath(module))
        return "";

    std::string candidate = CommonDataPlace(platform);
    if (candidate.empty())
        candidate = InstallLocationPlace(platform);
    if (candidate.empty())
        candidate = ProgramFolderPlace(platform);

    std::string shortForm;
    if (!candidate.empty() && platform.ShortPathName(candidate, shortForm) && !shortForm.empty() &&
        Fits(shortForm))
        return shortForm;
    return candidate;
}

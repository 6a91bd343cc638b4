// The data folder search order, against a platform double whose folders, names and registry values
// each case sets up.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "data_folder.h"

namespace {

struct FakePlatform : DataFolderPlatform {
    bool HasModule = true;
    std::string Module = "C:\\Program Files\\Savers\\MYSAVE~1.SCR";
    std::map<std::string, std::string> LongNames = {{Module, "My Saver.scr"}};
    bool HasCommonData = true;
    std::string CommonData = "C:\\ProgramData";
    bool HasWindows = true;
    std::string Windows = "C:\\WINDOWS";
    std::set<std::string> Existing;
    bool KeyOpens = true;
    std::map<std::string, std::string> InstallLocations;   // key path -> value
    std::map<std::string, std::string> ShortForms;         // long -> short
    std::vector<std::string> KeysOpened;

    bool ModulePath(std::string& path) override
    {
        path = Module;
        return HasModule;
    }
    bool CommonAppDataFolder(std::string& folder) override
    {
        folder = CommonData;
        return HasCommonData;
    }
    bool WindowsFolder(std::string& folder) override
    {
        folder = Windows;
        return HasWindows;
    }
    bool LongFileName(const std::string& path, std::string& name) override
    {
        auto found = LongNames.find(path);
        if (found == LongNames.end())
            return false;
        name = found->second;
        return true;
    }
    bool PathExists(const std::string& path) override { return Existing.count(path) > 0; }
    bool ReadInstallLocation(const std::string& keyPath, std::string& value) override
    {
        KeysOpened.push_back(keyPath);
        auto found = InstallLocations.find(keyPath);
        if (!KeyOpens || found == InstallLocations.end())
            return false;
        value = found->second;
        return true;
    }
    bool ShortPathName(const std::string& path, std::string& shortPath) override
    {
        auto found = ShortForms.find(path);
        if (found == ShortForms.end())
            return false;
        shortPath = found->second;
        return true;
    }
};

const std::string kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My Saver";
const std::string kProgramFolder = "C:\\Program Files\\Savers\\";

TEST(DataFolder, CommonApplicationDataWinsInShortFormWithoutTouchingTheRegistry)
{
    FakePlatform p;
    p.Existing.insert("C:\\ProgramData\\Quorlane\\Vistrelle\\My Saver");
    p.ShortForms["C:\\ProgramData\\Quorlane\\Vistrelle\\My Saver\\"] = "C:\\PROGRA~1\\QUORLA~1\\VISTRE~1\\MYSAVE~1\\";
    p.InstallLocations[kKey] = "D:\\Elsewhere";
    p.Existing.insert("D:\\Elsewhere");
    EXPECT_EQ(FindSaverDataDir(p), "C:\\PROGRA~1\\QUORLA~1\\VISTRE~1\\MYSAVE~1\\");
    EXPECT_TRUE(p.KeysOpened.empty());
}

TEST(DataFolder, WindowsFolderStandsInForTheCommonDataFolder)
{
    struct Case {
        std::string Windows;
        std::string Expected;
    };
    const Case cases[] = {
        {"C:\\", "C:\\All Users\\Application Data\\Quorlane\\Vistrelle\\My Saver\\"},
        {"C:\\WINDOWS", "C:\\WINDOWS\\All Users\\Application Data\\Quorlane\\Vistrelle\\My Saver\\"},
    };
    for (const Case& c : cases) {
        FakePlatform p;
        p.HasCommonData = false;
        p.Windows = c.Windows;
        p.Existing.insert(c.Expected.substr(0, c.Expected.size() - 1));
        EXPECT_EQ(FindSaverDataDir(p), c.Expected) << c.Windows;
    }
}

TEST(DataFolder, InstallLocationIsUsedWhenTheSaverFolderIsMissing)
{
    struct Case {
        std::string Value;
        bool FolderExists;
        std::string Expected;
    };
    const Case cases[] = {
        {"D:\\Savers\\Mine", true, "D:\\Savers\\Mine\\"},
        {"D:\\Savers\\Mine\\", true, "D:\\Savers\\Mine\\\\"},   // appended even after a backslash
        {"D:\\Savers\\Gone", false, kProgramFolder},
        {"", false, kProgramFolder},
    };
    for (const Case& c : cases) {
        FakePlatform p;
        p.InstallLocations[kKey] = c.Value;
        if (c.FolderExists)
            p.Existing.insert(c.Value);
        EXPECT_EQ(FindSaverDataDir(p), c.Expected) << c.Value;
        ASSERT_EQ(p.KeysOpened.size(), 1u);
        EXPECT_EQ(p.KeysOpened[0], kKey);
    }
}

TEST(DataFolder, ProgramFolderIsTheLastPlace)
{
    FakePlatform p;   // no saver folder, no value
    EXPECT_EQ(FindSaverDataDir(p), kProgramFolder);
    p.KeyOpens = false;   // no rights on the key
    EXPECT_EQ(FindSaverDataDir(p), kProgramFolder);
    p.HasCommonData = false;
    p.HasWindows = false;
    EXPECT_EQ(FindSaverDataDir(p), kProgramFolder);
}

TEST(DataFolder, WithoutASaverNameThePlacesThatNeedItAreSkipped)
{
    for (const char* longName : {"", "NoDotHere"}) {
        FakePlatform p;
        p.LongNames.clear();
        if (*longName)
            p.LongNames[p.Module] = longName;
        p.Existing.insert("C:\\ProgramData\\Quorlane\\Vistrelle\\");
        p.Existing.insert("C:\\ProgramData\\Quorlane\\Vistrelle");
        EXPECT_EQ(FindSaverDataDir(p), kProgramFolder) << longName;
        EXPECT_TRUE(p.KeysOpened.empty());
    }
}

TEST(DataFolder, NoModulePathGivesTheEmptyString)
{
    FakePlatform p;
    p.HasModule = false;
    EXPECT_EQ(FindSaverDataDir(p), "");
}

TEST(DataFolder, ACandidateTooLongForAPathBufferCountsAsMissing)
{
    FakePlatform p;
    p.CommonData = "C:\\" + std::string(240, 'x');
    p.Existing.insert(p.CommonData + "\\Quorlane\\Vistrelle\\My Saver");
    const std::string location = "D:\\" + std::string(257, 'y');   // 260 with the backslash
    p.InstallLocations[kKey] = location;
    p.Existing.insert(location);
    EXPECT_EQ(FindSaverDataDir(p), kProgramFolder);
}

TEST(DataFolder, ShortFormOnlyWhenThereIsOne)
{
    FakePlatform p;
    EXPECT_EQ(FindSaverDataDir(p), kProgramFolder);   // no short form: the long one
    p.ShortForms[kProgramFolder] = "C:\\PROGRA~1\\Savers\\";
    EXPECT_EQ(FindSaverDataDir(p), "C:\\PROGRA~1\\Savers\\");
}

TEST(SaverName, CutAtTheLastDot)
{
    struct Case {
        const char* LongName;
        bool Found;
        const char* Name;
    };
    const Case cases[] = {
        {"My Saver.scr", true, "My Saver"},
        {"My.Best.Saver.scr", true, "My.Best.Saver"},
        {".scr", true, ""},
        {"NoDot", false, ""},
    };
    for (const Case& c : cases) {
        std::string name;
        EXPECT_EQ(SaverNameFromLongName(c.LongName, name), c.Found) << c.LongName;
        EXPECT_EQ(name, c.Name) << c.LongName;
    }
}

}  // namespace

// Where a saver finds its show file: the common application data, the recorded install location,
// or its own folder; seen from a copy of the probe program installed under a saver's name.
#include "harness.h"

using namespace kvtest;

namespace {

const std::string kCommonData = "C:\\ProgramData\\Quorlane\\Vistrelle\\";

struct ProbeAnswer {
    std::string DataDir;
    std::string SaverName;
};

// Installs the probe as `fileName` in `folder` and runs it, by `runAs` when given (a short path).
ProbeAnswer RunProbe(const std::string& folder, const std::string& fileName, const std::string& runAs = "")
{
    REQUIRE(MakeDirs(folder));
    const std::string program = folder + fileName;
    REQUIRE(CopyFileTo(ProgramPath("showdata_probe.exe"), program));
    RunOptions options;
    options.Directory = CaseDir();
    const RunResult run = Run(Quote(runAs.empty() ? program : runAs), options);
    REQUIRE(run.Started);
    CHECK_EQ(run.ExitCode, 0u);
    KV_INFO("probe said: " + run.Output);
    return {OutputField(run.Output, "DataDir", "<missing>"), OutputField(run.Output, "SaverName", "<missing>")};
}

}  // namespace

KV_CASE(common_app_data_wins_and_registry_is_untouched)
{
    const std::string name = "KV Common Saver";
    RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
    const std::string dataDir = kCommonData + name + "\\";
    REQUIRE(MakeDirs(dataDir));
    // An install location is recorded too: the common data folder still wins.
    const std::string other = CaseDir() + "elsewhere\\";
    REQUIRE(MakeDirs(other));
    REQUIRE(RegSetString(HKEY_LOCAL_MACHINE, UninstallKey(name), "InstallLocation", other));

    const ProbeAnswer answer = RunProbe(CaseDir() + "prog\\", name + ".scr");
    CHECK_EQ(answer.DataDir, ShortPath(dataDir));
    CHECK(answer.DataDir.back() == '\\');
    CHECK_EQ(answer.SaverName, name);
    RemoveTree(kCommonData + name);
}

KV_CASE(install_location_of_an_existing_folder)
{
    const std::string name = "KV Located Saver";
    RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
    const std::string installed = CaseDir() + "Installed Here";
    REQUIRE(MakeDirs(installed));
    REQUIRE(RegSetString(HKEY_LOCAL_MACHINE, UninstallKey(name), "InstallLocation", installed));

    const ProbeAnswer answer = RunProbe(CaseDir() + "prog\\", name + ".scr");
    CHECK_EQ(answer.DataDir, ShortPath(installed + "\\"));
}

KV_CASE(install_location_of_a_missing_folder_falls_back_to_the_program_folder)
{
    const std::string name = "KV Moved Saver";
    RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
    REQUIRE(RegSetString(HKEY_LOCAL_MACHINE, UninstallKey(name), "InstallLocation", CaseDir() + "gone"));

    const std::string programFolder = CaseDir() + "prog\\";
    const ProbeAnswer answer = RunProbe(programFolder, name + ".scr");
    CHECK_EQ(answer.DataDir, ShortPath(programFolder));
}

KV_CASE(no_saver_folder_and_no_key_creates_the_key_and_uses_the_program_folder)
{
    const std::string name = "KV Plain Saver";
    RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
    CHECK(!RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKey(name)));

    const std::string programFolder = CaseDir() + "Program Folder With Spaces\\";
    const ProbeAnswer answer = RunProbe(programFolder, name + ".scr");
    CHECK_EQ(answer.DataDir, ShortPath(programFolder));
    CHECK(answer.DataDir.find(' ') == std::string::npos);   // the short form
    CHECK(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKey(name)));
    CHECK(!RegValueExists(HKEY_LOCAL_MACHINE, UninstallKey(name), "InstallLocation"));
}

KV_CASE(started_under_its_short_path_the_saver_keeps_its_long_name)
{
    const std::string name = "KV Long Named Saver";
    RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
    const std::string dataDir = kCommonData + name + "\\";
    REQUIRE(MakeDirs(dataDir));
    const std::string folder = CaseDir() + "prog\\";
    REQUIRE(MakeDirs(folder));
    REQUIRE(CopyFileTo(ProgramPath("showdata_probe.exe"), folder + name + ".scr"));
    const std::string shortProgram = ShortPath(folder + name + ".scr");
    CHECK(shortProgram.find(name) == std::string::npos);

    const ProbeAnswer answer = RunProbe(folder, name + ".scr", shortProgram);
    CHECK_EQ(answer.SaverName, name);
    CHECK_EQ(answer.DataDir, ShortPath(dataDir));
    RemoveTree(kCommonData + name);
}

KV_CASE(a_name_with_several_dots_is_cut_at_the_last_one)
{
    const std::string name = "KV.Best.Saver";
    RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
    const std::string dataDir = kCommonData + name + "\\";
    REQUIRE(MakeDirs(dataDir));

    const ProbeAnswer answer = RunProbe(CaseDir() + "prog\\", name + ".scr");
    CHECK_EQ(answer.SaverName, name);
    CHECK_EQ(answer.DataDir, ShortPath(dataDir));
    RemoveTree(kCommonData + name);
}

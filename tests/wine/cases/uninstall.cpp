// The uninstaller end to end: an installed saver laid out the way an installer leaves it (a folder
// with the program, its show file, songs, the uninstaller and "INSTALL.LOG", the uninstall entry and
// the settings key), then uninstall.exe run from a folder on C:, so that its "\DelUS.bat" lands on C:.
// Message boxes are found by caption, read and answered like any dialog.

#include "harness.h"

#include <sddl.h>  // after <windows.h>

using namespace kvtest;

namespace {

const char kUninstallList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kSettingsParent[] = "Software\\Tavrenic\\Made with Brisolde";
const char kSettingsRoot[] = "Software\\Tavrenic";
const char kSaverSoundParent[] = "Software\\Quorlane\\Made with Vistrelle";
const char kBatchPath[] = "C:\\DelUS.bat";
const DWORD kTimeoutMs = 20000;

const char* const kEntryValues[] = {"DisplayName", "UninstallString", "InstallLocation", "DisplayIcon",
                                    "Publisher",   "VersionMajor",    "VersionMinor"};
const char* const kSettingsValues[] = {"Sound", "Duration", "Resize"};

std::string EntryKey(const std::string& name) { return std::string(kUninstallList) + "\\" + name; }
std::string SettingsKey(const std::string& name) { return std::string(kSettingsParent) + "\\" + name; }
std::string SaverSoundKey(const std::string& name) { return std::string(kSaverSoundParent) + "\\" + name; }

// One installed saver. The registry keys are removed again when it goes out of scope.
struct Installation {
    Installation(const std::string& name, const std::string& folder)
        : Name(name), Folder(folder), Uninstaller(folder + "uninstall.exe"), Log(folder + "INSTALL.LOG"),
          entryGuard(HKEY_LOCAL_MACHINE, EntryKey(name)), settingsGuard(HKEY_CURRENT_USER, SettingsKey(name)),
          soundGuard(HKEY_CURRENT_USER, SaverSoundKey(name))
    {
        Listed = {folder + name + ".scr", folder + name + ".dat", folder + "juk00001.wav", folder + "juk00002.mp3"};
    }

    void WriteFiles(bool listUninstaller = false)
    {
        REQUIRE(MakeDirs(Folder));
        for (const std::string& path : Listed)
            REQUIRE(WriteFileText(path, "installed file " + path));
        REQUIRE(CopyFileTo(ProgramPath("uninstall.exe"), Uninstaller));
        std::string log;
        for (const std::string& path : Listed)
            log += path + "\r\n";
        if (listUninstaller)
            log += Uninstaller + "\r\n";
        REQUIRE(WriteFileText(Log, log));
    }

    void WriteRegistry()
    {
        const HKEY lm = HKEY_LOCAL_MACHINE, cu = HKEY_CURRENT_USER;
        REQUIRE(RegSetString(lm, EntryKey(Name), "DisplayName", Name + " (remove only)"));
        REQUIRE(RegSetString(lm, EntryKey(Name), "UninstallString", Uninstaller));
        REQUIRE(RegSetString(lm, EntryKey(Name), "InstallLocation", Folder));
        REQUIRE(RegSetString(lm, EntryKey(Name), "DisplayIcon", Listed[0]));
        REQUIRE(RegSetString(lm, EntryKey(Name), "Publisher", "KV Test Publisher"));
        REQUIRE(RegSetDword(lm, EntryKey(Name), "VersionMajor", 7));
        REQUIRE(RegSetDword(lm, EntryKey(Name), "VersionMinor", 1));
        REQUIRE(RegSetDword(cu, SettingsKey(Name), "Sound", 1));
        REQUIRE(RegSetDword(cu, SettingsKey(Name), "Duration", 30));
        REQUIRE(RegSetDword(cu, SettingsKey(Name), "Resize", 0));
        REQUIRE(RegSetDword(cu, SaverSoundKey(Name), "Sound", 0));
    }

    void Install()
    {
        WriteFiles();
        WriteRegistry();
    }

    // Everything as installed: files, log, uninstaller, both keys with all their values.
    void CheckIntact() const
    {
        for (const std::string& path : Listed)
            CHECK(FileExists(path));
        CHECK(FileExists(Log));
        CHECK(FileExists(Uninstaller));
        for (const char* value : kEntryValues)
            CHECK(RegValueExists(HKEY_LOCAL_MACHINE, EntryKey(Name), value));
        for (const char* value : kSettingsValues)
            CHECK(RegValueExists(HKEY_CURRENT_USER, SettingsKey(Name), value));
        CHECK(!FileExists(kBatchPath));
    }

    // The listed files, the log and both keys are gone; the parents and the saver's own key stay.
    void CheckRemoved() const
    {
        for (const std::string& path : Listed)
            CHECK(!FileExists(path));
        CHECK(!FileExists(Log));
        CHECK(!RegKeyExists(HKEY_LOCAL_MACHINE, EntryKey(Name)));
        CHECK(!RegKeyExists(HKEY_CURRENT_USER, SettingsKey(Name)));
        CHECK(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallList));
        CHECK(RegKeyExists(HKEY_CURRENT_USER, kSettingsParent));
        CHECK(RegValueExists(HKEY_CURRENT_USER, SaverSoundKey(Name), "Sound"));
    }

    // After the uninstaller has exited, the batch deletes it, its folder and itself.
    void CheckSelfDeleted() const
    {
        CHECK(WaitUntilGone(Uninstaller, kTimeoutMs));
        CHECK(WaitUntilGone(Folder, kTimeoutMs));
        CHECK(WaitUntilGone(kBatchPath, kTimeoutMs));
    }

    std::string Name;
    std::string Folder;  // ends in a backslash
    std::string Uninstaller;
    std::string Log;
    std::vector<std::string> Listed;  // the program first

private:
    RegistryKeyGuard entryGuard;
    RegistryKeyGuard settingsGuard;
    RegistryKeyGuard soundGuard;
};

// A "\DelUS.bat" of an earlier case must be gone before a case looks for a new one.
void ExpectNoBatchFile()
{
    if (!WaitUntilGone(kBatchPath, kTimeoutMs))
        DeleteFileA(kBatchPath);
}

void StartUninstaller(Process& process, const Installation& installed, const std::string& arguments)
{
    ExpectNoBatchFile();
    std::string command = Quote(installed.Uninstaller);
    if (!arguments.empty())
        command += " " + arguments;
    REQUIRE(process.Start(command, CaseDir()));
}

// A message box of the uninstaller, by caption.
HWND WaitForBox(const Process& process, const char* caption)
{
    return WaitForWindow("#32770", caption, process.Id(), kTimeoutMs);
}

std::string BoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));  // a message box's text control
}

void Answer(HWND box, int button)
{
    const HWND control = GetDlgItem(box, button);
    REQUIRE(control != nullptr);
    SendMessageA(control, BM_CLICK, 0, 0);
}

// Ends once the process exits with 0; a message box left open would keep it running.
void ExpectExitZero(Process& process)
{
    DWORD code = 0xFFFF;
    const bool ended = process.Wait(kTimeoutMs, &code);
    CHECK(ended);
    if (ended)
        CHECK_EQ(code, 0u);
}

void ExpectErrorBox(Process& process, const std::string& text)
{
    const HWND box = WaitForBox(process, "Error!!!");
    REQUIRE(box != nullptr);
    CHECK_EQ(BoxText(box), text);
    Answer(box, IDOK);
    ExpectExitZero(process);
}

std::string SaverFolder(const std::string& name) { return CaseDir() + name + "\\"; }

}  // namespace

KV_CASE(silent_removes_everything_then_itself_without_a_message)
{
    Installation installed("KV Sunset Beach", SaverFolder("Sunset Beach"));
    installed.Install();
    // Siblings of both keys stay.
    RegistryKeyGuard otherEntry(HKEY_LOCAL_MACHINE, EntryKey("KV Other Saver"));
    RegistryKeyGuard otherSettings(HKEY_CURRENT_USER, SettingsKey("KV Other Saver"));
    REQUIRE(RegSetString(HKEY_LOCAL_MACHINE, EntryKey("KV Other Saver"), "DisplayName", "other"));
    REQUIRE(RegSetDword(HKEY_CURRENT_USER, SettingsKey("KV Other Saver"), "Sound", 1));

    ExpectNoBatchFile();
    RunOptions options;
    options.Directory = CaseDir();
    options.TimeoutMs = kTimeoutMs;
    const RunResult run = Run(Quote(installed.Uninstaller) + " /s", options);
    REQUIRE(run.Started);
    CHECK(!run.TimedOut);  // any message box would have kept it waiting
    CHECK_EQ(run.ExitCode, 0u);

    installed.CheckRemoved();
    installed.CheckSelfDeleted();
    CHECK(RegValueExists(HKEY_LOCAL_MACHINE, EntryKey("KV Other Saver"), "DisplayName"));
    CHECK(RegValueExists(HKEY_CURRENT_USER, SettingsKey("KV Other Saver"), "Sound"));
}

KV_CASE(every_spelling_of_the_silent_switch)
{
    const char* const switches[] = {"/S", "-s", "-S", "--x /silent"};
    int index = 0;
    for (const char* arguments : switches) {
        KV_INFO(std::string("arguments: ") + arguments);
        const std::string name = "KV Switch " + std::to_string(++index);
        Installation installed(name, SaverFolder(name));
        installed.Install();
        Process process;
        StartUninstaller(process, installed, arguments);
        ExpectExitZero(process);
        installed.CheckRemoved();
        installed.CheckSelfDeleted();
    }
}

KV_CASE(interactive_no_removes_nothing)
{
    Installation installed("KV Sunset Beach", SaverFolder("Saver Files"));
    installed.Install();
    Process process;
    StartUninstaller(process, installed, "/x -s");  // only the first slash counts: interactive
    const HWND question = WaitForBox(process, "Confirm File Deletion");
    REQUIRE(question != nullptr);
    CHECK_EQ(BoxText(question), std::string("Are you sure you want to completely remove KV Sunset Beach and all "
                                            "of its components?"));
    CHECK(GetDlgItem(question, IDYES) != nullptr);
    Answer(question, IDNO);
    ExpectExitZero(process);
    installed.CheckIntact();
    CHECK(RegValueExists(HKEY_CURRENT_USER, SaverSoundKey(installed.Name), "Sound"));
}

KV_CASE(interactive_yes_removes_and_says_so)
{
    Installation installed("KV Harbour", SaverFolder("Harbour"));
    installed.Install();
    Process process;
    StartUninstaller(process, installed, "");
    const HWND question = WaitForBox(process, "Confirm File Deletion");
    REQUIRE(question != nullptr);
    CHECK_EQ(BoxText(question),
             std::string("Are you sure you want to completely remove KV Harbour and all of its components?"));
    Answer(question, IDYES);

    const HWND done = WaitForBox(process, "Program Removed");
    REQUIRE(done != nullptr);
    CHECK_EQ(BoxText(done), std::string("The program has been removed."));
    installed.CheckRemoved();  // all removal happens before the notice
    CHECK(FileExists(installed.Uninstaller));
    Answer(done, IDOK);
    ExpectExitZero(process);
    installed.CheckSelfDeleted();
}

// Error A: the log is missing, unreadable or names no program. Nothing is touched.
KV_CASE(unusable_log_is_refused_and_nothing_removed)
{
    enum class Log { Missing, HeldOpen, Whole, FirstLine };
    struct Refusal {
        const char* what;
        Log log;
        std::string text;  // the whole log, or the line put before the listed files
    };
    const std::string longName = std::string(260, 'n') + ".scr";
    const Refusal refusals[] = {
        {"missing log", Log::Missing, ""},
        {"log held open by another program", Log::HeldOpen, ""},
        {"empty log", Log::Whole, ""},
        {"only control characters", Log::Whole, std::string("\r\n\t\x01\x7F\0\r\n", 8)},
        {"first line without a dot", Log::FirstLine, "C:\\Savers\\KV Refused"},
        {"first line without a backslash before its dot", Log::FirstLine, "KV Refused.scr"},
        {"first line with an empty name", Log::FirstLine, "C:\\Savers\\.scr"},
        {"first line too long for its buffer", Log::FirstLine, "C:\\Savers\\" + longName},
    };
    int index = 0;
    for (const Refusal& refusal : refusals) {
        KV_INFO(refusal.what);
        const std::string name = "KV Refused";
        Installation installed(name, SaverFolder("refused" + std::to_string(++index)));
        installed.Install();
        if (refusal.log == Log::Missing) {
            REQUIRE(DeleteFileA(installed.Log.c_str()));
        } else if (refusal.log == Log::Whole) {
            REQUIRE(WriteFileText(installed.Log, refusal.text));
        } else if (refusal.log == Log::FirstLine) {
            std::string log = refusal.text + "\r\n";
            for (const std::string& path : installed.Listed)
                log += path + "\r\n";
            REQUIRE(WriteFileText(installed.Log, log));
        }
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (refusal.log == Log::HeldOpen) {
            holder = CreateFileA(installed.Log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            REQUIRE(holder != INVALID_HANDLE_VALUE);
        }
        Process process;
        StartUninstaller(process, installed, "/s");
        ExpectErrorBox(process, "Program not removed");
        if (holder != INVALID_HANDLE_VALUE)
            CloseHandle(holder);

        for (const std::string& path : installed.Listed)
            CHECK(FileExists(path));
        CHECK(FileExists(installed.Uninstaller));
        CHECK_EQ(FileExists(installed.Log), refusal.log != Log::Missing);
        for (const char* value : kEntryValues)
            CHECK(RegValueExists(HKEY_LOCAL_MACHINE, EntryKey(name), value));
        for (const char* value : kSettingsValues)
            CHECK(RegValueExists(HKEY_CURRENT_USER, SettingsKey(name), value));
        CHECK(RegKeyExists(HKEY_CURRENT_USER, kSettingsParent));
        Sleep(300);  // a batch would have been started by now
        CHECK(!FileExists(kBatchPath));
    }
}

// A key whose access list denies writing to everyone, as the machine-wide uninstall entry is to a
// user without administrator rights (no setting of values, no subkeys, no deletion; reading stays
// allowed); the list is opened up again at the end of the scope.
class WriteDeniedKey {
public:
    WriteDeniedKey(HKEY root, std::string path) : root_(root), path_(std::move(path))
    {
        REQUIRE(SetAccess("D:(D;;0x10006;;;WD)(A;;KA;;;WD)"));  // KEY_SET_VALUE, KEY_CREATE_SUB_KEY, DELETE
    }
    ~WriteDeniedKey() { SetAccess("D:(A;;KA;;;WD)"); }

private:
    bool SetAccess(const char* sddl)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
            return false;
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExA(root_, path_.c_str(), 0, WRITE_DAC, &key);
        if (rc == ERROR_SUCCESS) {
            rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
            RegCloseKey(key);
        }
        LocalFree(descriptor);
        return rc == ERROR_SUCCESS;
    }
    HKEY root_;
    std::string path_;
};

KV_CASE(user_without_rights_is_told_and_nothing_removed)
{
    Installation installed("KV Admin Only", SaverFolder("Admin Only"));
    installed.Install();
    WriteDeniedKey denied(HKEY_LOCAL_MACHINE, EntryKey(installed.Name));
    HKEY probe = nullptr;
    REQUIRE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, EntryKey(installed.Name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &probe, nullptr) == ERROR_ACCESS_DENIED);

    Process process;
    StartUninstaller(process, installed, "/s");
    ExpectErrorBox(process, "This software was installed under an account with administrator rights. You should "
                            "log onto an account with administrator rights to uninstall this software.");
    installed.CheckIntact();
}

// A line longer than a path can be comes back cut; the cut text names a real file here, which must
// survive. What is left in the folder is then reported.
KV_CASE(cut_line_is_skipped_not_deleted)
{
    Installation installed("KV Long Lines", SaverFolder("Long Lines"));
    installed.WriteFiles();
    installed.WriteRegistry();
    std::string victim = installed.Folder;
    victim += std::string(259 - victim.size() - 4, 'v') + ".dat";
    REQUIRE(victim.size() == 259);
    REQUIRE(WriteFileText(victim, "must survive"));
    std::string log;
    for (const std::string& path : installed.Listed)
        log += path + "\r\n";
    log += victim + "-and-more.dat\r\n";
    REQUIRE(WriteFileText(installed.Log, log));

    Process process;
    StartUninstaller(process, installed, "/s");
    const HWND warning = WaitForBox(process, "Not all files deleted");
    REQUIRE(warning != nullptr);
    Answer(warning, IDOK);
    ExpectExitZero(process);
    CHECK(FileExists(victim));
    installed.CheckRemoved();
    CHECK(WaitUntilGone(installed.Uninstaller, kTimeoutMs));
    CHECK(WaitUntilGone(kBatchPath, kTimeoutMs));
}

KV_CASE(file_added_after_installation_is_reported_and_its_folder_kept)
{
    Installation installed("KV Leftover", SaverFolder("Leftover"));
    installed.Install();
    const std::string extra = installed.Folder + "my notes.txt";
    REQUIRE(WriteFileText(extra, "added later"));

    Process process;
    StartUninstaller(process, installed, "/s");  // the warning shows in silent mode too
    const HWND warning = WaitForBox(process, "Not all files deleted");
    REQUIRE(warning != nullptr);
    std::string folder = installed.Folder;
    folder.pop_back();
    CHECK_EQ(BoxText(warning), "Not all files associated with this program were deleted.  For a list of files that "
                               "were added after installation, look in the directory '" + folder + "'.");
    installed.CheckRemoved();
    Answer(warning, IDOK);
    ExpectExitZero(process);

    // The batch still runs: the uninstaller and the batch go, the folder and the extra file stay.
    CHECK(WaitUntilGone(installed.Uninstaller, kTimeoutMs));
    CHECK(WaitUntilGone(kBatchPath, kTimeoutMs));
    CHECK(FileExists(extra));
}

// Spaces and characters outside ASCII (in the ANSI code page) in the folder and the program's
// name; a stale "\DelUS.bat" from an earlier run is overwritten.
KV_CASE(odd_folder_name_and_stale_batch_file)
{
    Installation installed("KV Caf\xE9 \xC5sa", SaverFolder("Fl\xFC ge \xE9t\xE9 (x86)"));
    installed.Install();
    ExpectNoBatchFile();
    REQUIRE(WriteFileText(kBatchPath, "@echo stale batch of an earlier run\r\n"));
    Process process;
    const std::string command = Quote(installed.Uninstaller) + " -s";
    REQUIRE(process.Start(command, CaseDir()));
    ExpectExitZero(process);
    installed.CheckRemoved();
    installed.CheckSelfDeleted();
}

// Keys that did not exist: the uninstall entry is created by the rights check and removed again;
// the settings key's parents are created with it and stay behind, empty.
KV_CASE(missing_keys_are_created_and_removed_again)
{
    RegistryKeyGuard root(HKEY_CURRENT_USER, kSettingsRoot);
    Installation installed("KV No Keys", SaverFolder("No Keys"));
    installed.WriteFiles();
    REQUIRE(!RegKeyExists(HKEY_CURRENT_USER, kSettingsRoot));

    Process process;
    StartUninstaller(process, installed, "/s");
    ExpectExitZero(process);
    CHECK(!RegKeyExists(HKEY_LOCAL_MACHINE, EntryKey(installed.Name)));
    CHECK(!RegKeyExists(HKEY_CURRENT_USER, SettingsKey(installed.Name)));
    HKEY parent = nullptr;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsParent, 0, KEY_READ, &parent) == ERROR_SUCCESS);
    DWORD subkeys = 99, values = 99;
    RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(parent);
    CHECK_EQ(subkeys, 0u);
    CHECK_EQ(values, 0u);
    installed.CheckSelfDeleted();
}

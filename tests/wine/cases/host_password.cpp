// The screen-saver password on Windows 9x, with a test stand-in for the password module beside the
// saver: a wrong or cancelled prompt keeps the saver running and drops close requests for 200 ms,
// a right one ends the run; without the registry value, on the NT family, and in a preview, no
// module is loaded at all.
#include "host_support.h"

using namespace kvtest;
using namespace hosttest;

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kUsePassword[] = "ScreenSaveUsePassword";

// Sets "ScreenSaveUsePassword" to the given bytes (none: removes it) and restores what was there.
class PasswordSetting {
public:
    PasswordSetting()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            BYTE data[256];
            DWORD size = sizeof(data);
            had_ = RegQueryValueExA(key, kUsePassword, nullptr, &type_, data, &size) == ERROR_SUCCESS;
            if (had_)
                saved_.assign(data, data + size);
            RegCloseKey(key);
        }
    }
    ~PasswordSetting()
    {
        if (had_)
            Set(type_, saved_);
        else
            Remove();
    }
    void Set(DWORD type, const std::vector<BYTE>& bytes)
    {
        HKEY key = nullptr;
        REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr) == ERROR_SUCCESS);
        RegSetValueExA(key, kUsePassword, 0, type, bytes.data(), DWORD(bytes.size()));
        RegCloseKey(key);
    }
    void SetNumber(DWORD value) { Set(REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)}); }
    void Remove()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, kUsePassword);
            RegCloseKey(key);
        }
    }

private:
    bool had_ = false;
    DWORD type_ = REG_DWORD;
    std::vector<BYTE> saved_;
};

// A saver with the test password module beside it, and the module's answers.
struct ProtectedSaver {
    InstalledSaver Saver;
    AppDefaults Defaults;
    ProtectedSaver(const std::string& name, bool windows98, const std::string& answers)
        : Saver(name), Defaults(name + ".scr")
    {
        if (windows98)
            Defaults.Windows98();
        REQUIRE(CopyFileTo(ProgramPath("host_fixtures\\PASSWORD.CPL"), Saver.Folder() + "PASSWORD.CPL"));
        REQUIRE(WriteFileText(Saver.Folder() + "answers.txt", answers));
    }
    std::string Log() const
    {
        const std::vector<uint8_t> bytes = ReadFileBytes(Saver.Folder() + "password.log");
        return std::string(bytes.begin(), bytes.end());
    }
};

}  // namespace

KV_CASE(wrong_password_keeps_the_saver_and_a_right_one_ends_it)
{
    PasswordSetting setting;
    setting.SetNumber(1);
    ProtectedSaver saver("KV Nine Password Saver", true, "01");
    Process run;
    HWND host = StartInFront(run, saver.Saver);
    CHECK_EQ(saver.Log(), std::string("load\r\n"));

    SendKey('Q');
    PumpMessages(800);
    CHECK(run.Running());
    CHECK_EQ(saver.Log(), std::string("load\r\nverify 0 WindowsScreenSaverClass 0\r\n"));
    CHECK(IsWindow(host));

    SendKey('Q');
    int code = -2;
    CHECK(Ended(run, 3000, &code));
    CHECK_EQ(code, 0);
    CHECK_EQ(saver.Log(), std::string("load\r\nverify 0 WindowsScreenSaverClass 0\r\n"
                                      "verify 1 WindowsScreenSaverClass 1\r\nunload\r\n"));
}

KV_CASE(input_right_after_a_failed_prompt_does_not_reopen_it)
{
    PasswordSetting setting;
    setting.SetNumber(1);
    // The first prompt fails with a key press already waiting; were it taken, the second answer
    // would end the run at once.
    ProtectedSaver saver("KV Nine Quiet Saver", true, "k1");
    Process run;
    StartInFront(run, saver.Saver);
    SendKey('Q');
    PumpMessages(800);
    CHECK(run.Running());
    CHECK_EQ(saver.Log(), std::string("load\r\nverify 0 WindowsScreenSaverClass k\r\n"));

    // Later input opens the prompt again.
    SendKey('Q');
    int code = -2;
    CHECK(Ended(run, 3000, &code));
    CHECK_EQ(code, 0);
}

KV_CASE(the_prompt_takes_the_focus_and_a_new_scene_follows_a_second_after_it)
{
    PasswordSetting setting;
    setting.SetNumber(1);
    // 'm': the module's prompt is a modal window of its own, answered by the driver.
    ProtectedSaver saver("KV Nine Prompt Saver", true, "m1");
    Process run;
    HWND host = StartInFront(run, saver.Saver);
    PumpMessages(1200);   // past the start's own retry timer
    REQUIRE(SceneOf(host));
    SendButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    HWND prompt = WaitForWindow("#32770", "Password", run.Id(), 5000);
    REQUIRE(prompt);
    // While the prompt has the focus the scene is gone, and input closes nothing.
    CHECK(WaitUntil([&] { return SceneOf(host) == nullptr; }, 2000));
    PostMessageA(host, WM_KEYDOWN, 'Q', 0);
    PostMessageA(host, WM_CLOSE, 0, 0);
    PumpMessages(500);
    CHECK(run.Running());
    PostMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitUntil([&] { return !IsWindow(prompt); }, 3000));
    const DWORD cancelled = GetTickCount();
    CHECK(WaitUntil([&] { return SceneOf(host) != nullptr; }, 3000));
    const DWORD took = GetTickCount() - cancelled;
    KV_INFO("scene back after " + std::to_string(took) + " ms");
    CHECK(took >= 700);
    CHECK(run.Running());
    CHECK_EQ(saver.Log(), std::string("load\r\nverify 0 WindowsScreenSaverClass m\r\n"));

    // The rules go on: a key press opens the prompt again, and the right answer ends the run.
    PumpMessages(300);
    PostMessageA(host, WM_KEYDOWN, 'Q', 0);
    int code = -2;
    CHECK(Ended(run, 3000, &code));
    CHECK_EQ(code, 0);
}

KV_CASE(no_module_without_the_value_or_on_the_nt_family)
{
    struct SettingCase {
        const char* Name;
        bool Windows98;
        int Value;          // -1: no value; -2: eight bytes
    };
    const SettingCase cases[] = {
        {"no value", true, -1},
        {"value 0", true, 0},
        {"a value of eight bytes", true, -2},
        {"NT family with a password", false, 1},
    };
    for (const SettingCase& c : cases) {
        KV_INFO(c.Name);
        PasswordSetting setting;
        if (c.Value == -1)
            setting.Remove();
        else if (c.Value == -2)
            setting.Set(REG_BINARY, {1, 0, 0, 0, 1, 0, 0, 0});
        else
            setting.SetNumber(DWORD(c.Value));
        ProtectedSaver saver(std::string("KV Free ") + (c.Windows98 ? "Nine " : "NT ") +
                                 std::to_string(c.Value + 2) + " Saver",
                             c.Windows98, "0");
        Process run;
        StartInFront(run, saver.Saver);
        SendKey('Q');
        int code = -2;
        CHECK(Ended(run, 3000, &code));
        CHECK_EQ(code, 0);
        CHECK(!FileExists(saver.Saver.Folder() + "password.log"));
    }
}

KV_CASE(a_preview_never_loads_the_verifier)
{
    PasswordSetting setting;
    setting.SetNumber(1);
    ProtectedSaver saver("KV Nine Preview Saver", true, "0");
    HWND parent = CreatePreviewPane("KvHostPasswordPane", DefWindowProcA, 200, 160);
    REQUIRE(parent);
    Process run;
    REQUIRE(run.Start(saver.Saver.Command("/p " + HandleText(parent)),
                      saver.Saver.Folder()));
    HWND preview = nullptr;
    REQUIRE(WaitUntil([&] { return (preview = FindWindowExA(parent, nullptr, kHostClass, "Preview")) != nullptr; },
                      10000));
    PostMessageA(preview, WM_CLOSE, 0, 0);   // a close from elsewhere ends a preview at once
    CHECK(WaitUntil([&] { return !run.Running(); }, 3000));   // pumping: the pane hears of it
    DWORD code = 1;
    CHECK(run.Wait(0, &code));
    CHECK_EQ(code, 0u);
    CHECK(!FileExists(saver.Saver.Folder() + "password.log"));
    DestroyWindow(parent);
}

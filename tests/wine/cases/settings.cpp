// The settings dialog through the saver program's configure mode: what it shows from the show
// file, what OK and Cancel store and return, the display settings it opens when it has no owner,
// the caption it paints, and the three information dialogs behind its buttons.
#include "harness.h"
#include "show_writer.h"

using namespace kvtest;

namespace {

const char kSettingsKey[] = "Software\\Quorlane\\Made with Vistrelle\\";
const char kDialogClass[] = "#32770";

// Controls of dialog 2003.
const int kTitleText = 1000;
const int kDescription = 1001;
const int kHowToMake = 1002;
const int kEnableSound = 1003;
const int kTroubleshooting = 1004;
const int kWarranty = 5;
const int kWebSite = 1021;

// Answers this thread's messages (an owned dialog talks to its owner) until the condition holds;
// false on timeout.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        PumpMessages(20);
    }
    return true;
}

// A dialog of the process with this caption, once it has set itself up and shows (a dialog has its
// caption, and may be found, before its set-up has ended).
HWND WaitForDialog(const char* caption, DWORD processId)
{
    HWND dialog = WaitForWindow(kDialogClass, caption, processId, 10000);
    if (!dialog || !PumpUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000))
        return nullptr;
    return dialog;
}

struct SaverSetup {
    bool WriteShow = true;
    std::string Title = "KV Settings Show";
    std::string Description = "Sunsets over the sea.\r\nTwelve pictures.";
    bool Songs = false;
};

// The program copied as "<name>.scr" into a folder of the case with "<name>.dat" (and maybe a
// song) beside it, the way the authoring product installs a saver. The keys it touches go at the end.
class SettingsSaver {
public:
    SettingsSaver(const std::string& name, const SaverSetup& setup)
        : name_(name), setup_(setup), uninstallKey_(HKEY_LOCAL_MACHINE, UninstallKey(name)),
          settingsKey_(HKEY_CURRENT_USER, kSettingsKey + setup.Title)
    {
        folder_ = CaseDir() + name + "\\";
        REQUIRE(MakeDirs(folder_));
        REQUIRE(CopyFileTo(ProgramPath("kelvane.scr"), folder_ + name + ".scr"));
        // WinExec finds a control.exe beside the program before the system's.
        REQUIRE(CopyFileTo(ProgramPath("control_probe.exe"), folder_ + "control.exe"));
        if (setup.WriteShow) {
            ShowSpec spec;
            spec.Header.FaceCount = 2;
            spec.Title = setup.Title;
            spec.Description = setup.Description;
            std::string error;
            const std::vector<uint8_t> bytes = BuildShowFile(spec, &error);
            REQUIRE(!bytes.empty());
            REQUIRE(WriteFileBytes(folder_ + name + ".dat", bytes));
        }
        if (setup.Songs)
            REQUIRE(WriteFileText(folder_ + "juk_0001.mp3", "a song"));
    }

    std::string Key() const { return kSettingsKey + setup_.Title; }
    void SetSound(DWORD value) const { REQUIRE(RegSetDword(HKEY_CURRENT_USER, Key(), "Sound", value)); }
    bool Sound(DWORD* value) const { return RegGetDword(HKEY_CURRENT_USER, Key(), "Sound", value); }
    std::string ControlPanelLog() const { return folder_ + "control_ran.txt"; }

    // Starts configure mode with these arguments and waits for the dialog.
    HWND Open(Process& process, const std::string& arguments, const std::string& caption) const
    {
        REQUIRE(process.Start(Quote(folder_ + name_ + ".scr") + arguments, folder_));
        HWND dialog = WaitForDialog(caption.c_str(), process.Id());
        REQUIRE(dialog);
        return dialog;
    }

private:
    std::string name_;
    SaverSetup setup_;
    std::string folder_;
    RegistryKeyGuard uninstallKey_;
    RegistryKeyGuard settingsKey_;
};

// Waits for the process to end; its exit code as a signed number, or a value below -1000 on
// timeout.
int EndCode(Process& process, DWORD timeoutMs = 10000)
{
    if (!PumpUntil([&] { return !process.Running(); }, timeoutMs))
        return -1001;
    DWORD code = 0;
    process.Wait(0, &code);
    return static_cast<int>(code);
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

void Click(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    REQUIRE(button);
    PostMessageA(button, BM_CLICK, 0, 0);
}

// Escape, as the key reaches the dialog's focused control.
void PressEscape(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// The texts of a dialog's child windows, in their order.
std::vector<std::string> ChildTexts(HWND dialog)
{
    std::vector<std::string> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(WindowText(child));
    return texts;
}

bool HasText(const std::vector<std::string>& texts, const std::string& text)
{
    for (const std::string& t : texts)
        if (t == text)
            return true;
    return false;
}

bool Checked(HWND dialog) { return IsDlgButtonChecked(dialog, kEnableSound) == BST_CHECKED; }
bool SoundBoxVisible(HWND dialog)
{
    return (GetWindowLongA(GetDlgItem(dialog, kEnableSound), GWL_STYLE) & WS_VISIBLE) != 0;
}

// A plain window of the driver that stands for the display settings as the dialog's owner.
class OwnerWindow {
public:
    OwnerWindow()
    {
        window_ = CreateWindowExA(0, "STATIC", "KV display settings", WS_POPUP, 0, 0, 50, 50, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        REQUIRE(window_);
    }
    ~OwnerWindow() { DestroyWindow(window_); }
    std::string Switch() const
    {
        return " /c:" + std::to_string(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window_)));
    }

private:
    HWND window_;
};

}  // namespace

KV_CASE(the_dialog_shows_the_shows_title_and_description)
{
    SaverSetup setup;
    setup.Songs = true;
    SettingsSaver saver("KV Settings Texts", setup);
    Process run;
    HWND dialog = saver.Open(run, "", "KV Settings Show Screen Saver");
    CHECK_EQ(ItemText(dialog, kTitleText), setup.Title);
    CHECK_EQ(ItemText(dialog, kDescription), setup.Description);
    CHECK_EQ(ItemText(dialog, kWebSite), std::string("www.example.com"));
    CHECK_EQ(ItemText(dialog, kEnableSound), std::string("&Enable Sound"));
    // Songs beside the show file: the box shows; no stored choice: it is checked.
    CHECK(SoundBoxVisible(dialog));
    CHECK(Checked(dialog));
    // The template: no system menu, the icon twice, the version.
    CHECK((GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU) == 0);
    int icons = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowClass(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0)
            ++icons;
    CHECK_EQ(icons, 2);
    CHECK(HasText(ChildTexts(dialog), "7.00"));

    // The caption painted across the top: dark text on the button face, above the title line.
    PumpMessages(300);
    RECT client;
    GetClientRect(dialog, &client);
    POINT origin = {0, 0};
    ClientToScreen(dialog, &origin);
    const Screenshot shot = CaptureScreen();
    int dark = 0;
    for (int y = origin.y; y < origin.y + 12; ++y)
        for (int x = origin.x + client.right / 4; x < origin.x + client.right * 3 / 4; ++x)
            dark += Near(shot.At(x, y), {0, 0, 0}, 90) ? 1 : 0;
    KV_INFO("dark pixels in the caption band: " + std::to_string(dark));
    CHECK(dark > 40);
    if (CaseFailed())
        shot.SavePpm(CaseDir() + "settings.ppm");

    Click(dialog, IDCANCEL);
    CHECK_EQ(EndCode(run), 2);
}

KV_CASE(ok_stores_the_sound_choice_and_ends_with_1)
{
    struct Case {
        const char* What;
        bool Songs;
        int Stored;       // -1: nothing stored
        bool ClickBox;
        DWORD Expected;
    };
    const Case cases[] = {
        {"songs, nothing stored, OK", true, -1, false, 1},
        {"songs, stored 1, box cleared", true, 1, true, 0},
        {"songs, stored 0, box checked", true, 0, true, 1},
        {"no songs: hidden box, nothing stored", false, -1, false, 1},
        {"no songs: hidden box, stored 0", false, 0, false, 0},
    };
    OwnerWindow owner;
    for (const Case& c : cases) {
        KV_INFO(c.What);
        SaverSetup setup;
        setup.Songs = c.Songs;
        SettingsSaver saver("KV Settings Ok " + std::to_string(&c - cases), setup);
        if (c.Stored >= 0)
            saver.SetSound(static_cast<DWORD>(c.Stored));
        Process run;
        HWND dialog = saver.Open(run, owner.Switch(), "KV Settings Show Screen Saver");
        CHECK_EQ(SoundBoxVisible(dialog), c.Songs);
        CHECK_EQ(Checked(dialog), c.Stored != 0);
        if (c.ClickBox)
            Click(dialog, kEnableSound);
        PumpMessages(100);
        Click(dialog, IDOK);
        CHECK_EQ(EndCode(run), 1);
        DWORD sound = 99;
        CHECK(saver.Sound(&sound));
        CHECK_EQ(sound, c.Expected);
        // Started with an owner: the display settings are not opened again.
        PumpMessages(500);
        CHECK(!FileExists(saver.ControlPanelLog()));
    }
}

KV_CASE(ok_without_an_owner_opens_the_display_settings_on_their_saver_page)
{
    SettingsSaver saver("KV Settings Panel", {});
    Process run;
    HWND dialog = saver.Open(run, "", "KV Settings Show Screen Saver");
    Click(dialog, IDOK);
    CHECK_EQ(EndCode(run), 1);
    PumpUntil([&] { return FileExists(saver.ControlPanelLog()); }, 5000);
    PumpMessages(200);
    bool read = false;
    const std::vector<uint8_t> line = ReadFileBytes(saver.ControlPanelLog(), &read);
    REQUIRE(read);
    CHECK_EQ(std::string(line.begin(), line.end()), std::string("control.exe desk.cpl,@0,1"));
}

KV_CASE(cancel_stores_nothing_and_ends_with_2)
{
    OwnerWindow owner;
    for (int stored : {-1, 0}) {
        KV_INFO("stored " + std::to_string(stored));
        SaverSetup setup;
        setup.Songs = true;
        SettingsSaver saver("KV Settings Cancel " + std::to_string(stored), setup);
        if (stored >= 0)
            saver.SetSound(static_cast<DWORD>(stored));
        Process run;
        HWND dialog = saver.Open(run, owner.Switch(), "KV Settings Show Screen Saver");
        Click(dialog, kEnableSound);
        PumpMessages(100);
        Click(dialog, IDCANCEL);
        CHECK_EQ(EndCode(run), 2);
        DWORD sound = 99;
        if (stored < 0) {
            CHECK(!RegKeyExists(HKEY_CURRENT_USER, saver.Key()));
        } else {
            CHECK(saver.Sound(&sound));
            CHECK_EQ(sound, 0u);
        }
    }
    // Started without an owner, Cancel opens nothing either.
    SettingsSaver saver("KV Settings Cancel", {});
    Process run;
    HWND dialog = saver.Open(run, "", "KV Settings Show Screen Saver");
    Click(dialog, IDCANCEL);
    CHECK_EQ(EndCode(run), 2);
    PumpMessages(500);
    CHECK(!FileExists(saver.ControlPanelLog()));
}

KV_CASE(a_title_of_length_0_gives_the_caption_screen_saver_alone)
{
    SaverSetup setup;
    setup.Title = "";
    SettingsSaver saver("KV Settings Untitled", setup);
    Process run;
    HWND dialog = saver.Open(run, "", " Screen Saver");
    CHECK_EQ(ItemText(dialog, kTitleText), std::string(""));
    CHECK_EQ(ItemText(dialog, kDescription), setup.Description);
    Click(dialog, IDCANCEL);
    CHECK_EQ(EndCode(run), 2);
}

KV_CASE(without_a_show_file_the_dialog_keeps_its_template_texts)
{
    SaverSetup setup;
    setup.WriteShow = false;
    SettingsSaver saver("KV Settings Showless", setup);
    Process run;
    HWND dialog = saver.Open(run, "", "NAME Screen Saver");
    CHECK_EQ(ItemText(dialog, kTitleText), std::string("NAME"));
    CHECK_EQ(ItemText(dialog, kDescription), std::string(""));
    CHECK(SoundBoxVisible(dialog));
    CHECK(Checked(dialog));
    CHECK_EQ(ItemText(dialog, kWebSite), std::string("www.example.com"));
    Click(dialog, IDCANCEL);
    CHECK_EQ(EndCode(run), 2);
}

KV_CASE(each_information_dialog_opens_from_its_button_and_closes_with_ok_and_escape)
{
    // The warranty box holds exactly the bytes of the program's "TEXT" 100 resource.
    std::string warranty;
    {
        HMODULE program = LoadLibraryExA(ProgramPath("kelvane.scr").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        REQUIRE(program);
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(100), "TEXT");
        if (CHECK(found)) {
            const void* data = LockResource(LoadResource(program, found));
            warranty.assign(static_cast<const char*>(data), SizeofResource(program, found));
        }
        FreeLibrary(program);
    }
    CHECK(warranty.size() > 500);
    CHECK(warranty.find("\r\n") != std::string::npos);
    CHECK(warranty.find('\0') == std::string::npos);

    struct Case {
        int Button;
        const char* Caption;
        std::vector<std::string> Texts;  // some of its children's texts
    };
    const Case cases[] = {
        {kHowToMake, "Vistrelle Ordering Info",
         {"This custom screen saver was created with", "VISTRELLE", "Or visit our website at",
          "www.example.com", "OK"}},
        {kWarranty, "Warranty", {warranty, "OK"}},
        {kTroubleshooting, "Troubleshooting",
         {"This screen saver requires you to have OPENGL32 on your system. The button below labeled "
          "\"Download Now\" will download:",
          "ftp://ftp.example.net/softlib/mslfiles/opengl95.exe",
          "This file contains OPENGL32 and instructions on how to install it.", "&Download Now", "OK"}},
    };

    SettingsSaver saver("KV Settings Info", {});
    Process run;
    HWND dialog = saver.Open(run, "", "KV Settings Show Screen Saver");
    for (const Case& c : cases) {
        KV_INFO(c.Caption);
        for (int close = 0; close < 2; ++close) {
            KV_INFO(close == 0 ? "closed with OK" : "closed with Escape");
            Click(dialog, c.Button);
            HWND info = WaitForDialog(c.Caption, run.Id());
            REQUIRE(info);
            CHECK(GetWindow(info, GW_OWNER) == dialog);
            const std::vector<std::string> texts = ChildTexts(info);
            for (const std::string& text : c.Texts)
                CHECK(HasText(texts, text));
            if (c.Button == kHowToMake)
                CHECK_EQ(ItemText(info, 1090), std::string("www.example.com"));
            if (close == 0)
                Click(info, IDOK);
            else
                PressEscape(info);
            CHECK(PumpUntil([&] { return !IsWindow(info); }, 5000));
            // The settings dialog stays.
            CHECK(IsWindow(dialog));
        }
    }
    Click(dialog, IDCANCEL);
    CHECK_EQ(EndCode(run), 2);
}

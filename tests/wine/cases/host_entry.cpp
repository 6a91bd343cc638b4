// The saver program's command line and exit codes, through the real kelvane.scr: invalid
// switches, configure and preview without a usable window, the password change on Windows 9x and
// its refusal on the NT family, a second full-screen start, and the version resource.
#include "host_support.h"

using namespace kvtest;
using namespace hosttest;

namespace {

const DWORD kQuick = 5000;

int RunSaver(const InstalledSaver& saver, const std::string& arguments)
{
    RunOptions options;
    options.Directory = saver.Folder();
    options.TimeoutMs = kQuick;
    const RunResult run = Run(saver.Command(arguments), options);
    REQUIRE(run.Started);
    REQUIRE(!run.TimedOut);
    return static_cast<int>(run.ExitCode);
}

// A visible top-level window of the driver's own, for handles on command lines.
class DriverWindow {
public:
    DriverWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvHostEntryOwner";
        RegisterClassA(&wc);
        window_ = CreateWindowA(wc.lpszClassName, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                200, 150, nullptr, nullptr, wc.hInstance, nullptr);
        PumpMessages(100);
    }
    ~DriverWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }
    std::string Number() const { return std::to_string(reinterpret_cast<uintptr_t>(window_)); }

private:
    HWND window_ = nullptr;
};

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

KV_CASE(invalid_command_lines_exit_with_minus_one_and_show_nothing)
{
    SaverShow none;
    none.WriteShow = false;
    InstalledSaver saver("KV Entry Saver", none);
    const DriverWindow window;   // a real window, so that "not a window" is the only fault
    const char* const arguments[] = {
        "/x", "/3", "/\ts", "-q", "/p", "/p 0", "/p:5", "/p 12345678", "/l", "/a", "/a " , ":s",
    };
    for (const char* argument : arguments) {
        KV_INFO(std::string("arguments \"") + argument + "\"");
        CHECK_EQ(RunSaver(saver, argument), -1);
    }
    // A handle given with a colon is not read, even for a real window.
    CHECK_EQ(RunSaver(saver, "/p:" + window.Number()), -1);
    CHECK(!FindWindowA(kHostClass, nullptr));
}

KV_CASE(configure_opens_the_settings_dialog_for_every_configure_form)
{
    SaverShow none;
    none.WriteShow = false;
    InstalledSaver saver("KV Configure Saver", none);
    const DriverWindow owner;
    struct ConfigureCase {
        std::string Arguments;
        bool OwnedByDriver;   // the owner named after the colon; otherwise none is checked
    };
    const ConfigureCase cases[] = {
        {"", false}, {"   ", false}, {"/-/", false}, {"/c", false}, {"/c:0", false},
        {"/c:" + owner.Number(), true}, {"/c " + owner.Number(), false}, {"/C:99999999", false},
    };
    for (const ConfigureCase& c : cases) {
        KV_INFO("arguments \"" + c.Arguments + "\"");
        Process run;
        REQUIRE(run.Start(saver.Command(c.Arguments), saver.Folder()));
        int code = 0;
        // Cancelling the dialog ends the mode with 2; a program without the dialog ends with -1,
        // as a dialog that cannot be created does.
        HWND dialog = WaitForWindow("#32770", nullptr, run.Id(), 3000);
        if (dialog) {
            if (c.OwnedByDriver)
                CHECK(GetWindow(dialog, GW_OWNER) == owner.Handle());
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            REQUIRE(Ended(run, kQuick, &code));
            CHECK_EQ(code, 2);
        } else {
            REQUIRE(Ended(run, kQuick, &code));
            CHECK_EQ(code, -1);
        }
    }
}

KV_CASE(password_change_is_refused_on_the_nt_family)
{
    SaverShow none;
    none.WriteShow = false;
    InstalledSaver saver("KV NT Change Saver", none);
    AppDefaults defaults(saver.Name() + ".scr");
    defaults.PreferOwnModule("mpr");
    REQUIRE(CopyFileTo(ProgramPath("host_fixtures\\MPR.DLL"), saver.Folder() + "MPR.DLL"));
    CHECK_EQ(RunSaver(saver, "/a"), -1);
    CHECK_EQ(RunSaver(saver, "-A 1234"), -1);
    CHECK(!FileExists(saver.Folder() + "mpr.log"));
}

KV_CASE(password_change_on_windows_9x_goes_through_the_provider_module)
{
    SaverShow none;
    none.WriteShow = false;
    InstalledSaver saver("KV Nine Change Saver", none);
    AppDefaults defaults(saver.Name() + ".scr");
    defaults.Windows98();
    const DriverWindow owner;

    // Without the provider's function (the platform's own module here): still 0.
    CHECK_EQ(RunSaver(saver, "/a"), 0);

    defaults.PreferOwnModule("mpr");
    REQUIRE(CopyFileTo(ProgramPath("host_fixtures\\MPR.DLL"), saver.Folder() + "MPR.DLL"));
    CHECK_EQ(RunSaver(saver, "/a " + owner.Number()), 0);
    CHECK_EQ(ReadText(saver.Folder() + "mpr.log"), "change SCRSAVE " + owner.Number() + " 0 0\r\n");

    // No valid owner given: the foreground window owns the change.
    DeleteFileA((saver.Folder() + "mpr.log").c_str());
    SetForegroundWindow(owner.Handle());
    PumpMessages(100);
    const std::string foreground = std::to_string(reinterpret_cast<uintptr_t>(GetForegroundWindow()));
    CHECK_EQ(RunSaver(saver, "/a 77777777"), 0);
    CHECK_EQ(ReadText(saver.Folder() + "mpr.log"), "change SCRSAVE " + foreground + " 0 0\r\n");
}

KV_CASE(a_second_full_screen_start_brings_the_first_forward_and_exits_with_zero)
{
    InstalledSaver saver("KV Twice Saver");
    Process first;
    HWND host = StartInFront(first, saver);
    CHECK_EQ(RunSaver(saver, "/S"), 0);
    CHECK(first.Running());
    CHECK(GetForegroundWindow() == host);
    // Only one saver window.
    CHECK(FindWindowExA(nullptr, host, kHostClass, "Screen Saver") == nullptr);
    // The title cannot be changed.
    SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed"));
    CHECK_EQ(WindowText(host), std::string("Screen Saver"));
    first.Kill();
}

KV_CASE(the_program_carries_version_7_0_0_1)
{
    const std::string program = ProgramPath("kelvane.scr");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    REQUIRE(size > 0);
    std::vector<char> data(size);
    REQUIRE(GetFileVersionInfoA(program.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    CHECK_EQ(fixed->dwFileVersionMS, DWORD(0x00070000));
    CHECK_EQ(fixed->dwFileVersionLS, DWORD(0x00000001));
    CHECK_EQ(fixed->dwProductVersionMS, DWORD(0x00070000));
    CHECK_EQ(fixed->dwProductVersionLS, DWORD(0x00000001));
}

// The jukebox with real sound (the session's PulseAudio null sink plays in real time): hosted by
// jukebox_host.exe the way the scene window hosts it, with short songs written beside a show file;
// and the saver program's own scene window, which keeps its songs in a hidden list of its own.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "harness.h"
#include "host_support.h"

using namespace kvtest;

namespace {

const char kSettingsKey[] = "Software\\Quorlane\\Made with Vistrelle\\";
const char kMciExtensions[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions";

// A mono 16-bit PCM wave file holding a sine tone.
std::vector<uint8_t> WaveTone(int milliseconds, int frequency)
{
    const uint32_t rate = 22050;
    const uint32_t samples = rate * static_cast<uint32_t>(milliseconds) / 1000;
    std::vector<uint8_t> bytes(44 + samples * 2);
    size_t at = 0;
    auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at++] = static_cast<uint8_t>(value >> (8 * i));
    };
    auto tag = [&](const char* text) {
        for (int i = 0; i < 4; ++i)
            bytes[at++] = static_cast<uint8_t>(text[i]);
    };
    tag("RIFF");
    put(36 + samples * 2, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i)
        put(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(6.2831853 * frequency * i / rate))), 2);
    return bytes;
}

struct Song {
    std::string Name;
    std::string Type;
    unsigned long Ms = 0;
};

// What jukebox_host reported.
struct JukeboxReport {
    bool Ran = false;
    int ListCount = -2;
    std::vector<std::string> List;
    std::vector<Song> Songs;
    std::vector<unsigned long> Notices;    // times
    std::vector<int> NoticeCodes;
    bool Silent = false;                   // a "silent" line came
    std::string End;                       // "LIST DEVICE CLOSED"
    std::string Output;

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Song& s : Songs)
            names.push_back(s.Name);
        return names;
    }
};

// A show's folder of this case with its songs; the settings key of its title is removed at the end.
class SongFolder {
public:
    explicit SongFolder(const std::string& title)
        : title_(title), key_(HKEY_CURRENT_USER, kSettingsKey + title)
    {
        REQUIRE(WriteFileText(CaseDir() + "show.dat", "a show file"));
    }
    void AddWave(const std::string& name, int milliseconds = 400, int frequency = 440)
    {
        REQUIRE(WriteFileBytes(CaseDir() + name, WaveTone(milliseconds, frequency)));
    }
    void SetSound(DWORD value) { REQUIRE(RegSetDword(HKEY_CURRENT_USER, kSettingsKey + title_, "Sound", value)); }

    JukeboxReport Run(DWORD milliseconds, const std::string& options = "") const
    {
        RunOptions run;
        run.TimeoutMs = milliseconds + 15000;
        const RunResult result = kvtest::Run(Quote(ProgramPath("jukebox_host.exe")) + " " +
                                                 Quote(CaseDir() + "show.dat") + " " + Quote(title_) +
                                                 " " + std::to_string(milliseconds) + " " + options,
                                             run);
        JukeboxReport report;
        report.Output = result.Output;
        report.Ran = result.Started && !result.TimedOut && result.ExitCode == 0;
        std::istringstream lines(result.Output);
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::istringstream words(line);
            std::string word;
            words >> word;
            if (word == "list") {
                words >> report.ListCount;
                for (std::string name; words >> name;)
                    report.List.push_back(name);
            } else if (word == "song") {
                Song song;
                words >> song.Ms >> song.Type >> song.Name;
                report.Songs.push_back(song);
            } else if (word == "notice") {
                unsigned long ms = 0;
                int code = 0;
                words >> ms >> code;
                report.Notices.push_back(ms);
                report.NoticeCodes.push_back(code);
            } else if (word == "silent") {
                report.Silent = true;
            } else if (word == "end") {
                std::getline(words, report.End);
                if (!report.End.empty() && report.End[0] == ' ')
                    report.End.erase(0, 1);
            }
        }
        return report;
    }

private:
    std::string title_;
    RegistryKeyGuard key_;
};

// Leaves the system's MCI extension table without ".mp3" while the scope lasts, as on systems
// whose table does not know it.
class NoMp3Extension {
public:
    NoMp3Extension()
    {
        had_ = RegGetString(HKEY_LOCAL_MACHINE, kMciExtensions, "mp3", &value_);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMciExtensions, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "mp3");
            RegCloseKey(key);
        }
    }
    ~NoMp3Extension()
    {
        if (had_)
            RegSetString(HKEY_LOCAL_MACHINE, kMciExtensions, "mp3", value_);
    }

private:
    bool had_ = false;
    std::string value_;
};

}  // namespace

KV_CASE(order_mode_plays_the_sorted_songs_one_after_another_and_wraps)
{
    SongFolder folder("KV Jukebox Order");
    folder.AddWave("jukB0002.wav", 400, 660);  // written first: the list sorts them
    folder.AddWave("jukA0001.wav", 400, 440);
    const JukeboxReport report = folder.Run(3200);
    KV_INFO(report.Output);
    REQUIRE(report.Ran);
    CHECK_EQ(report.ListCount, 2);
    CHECK(report.List == (std::vector<std::string>{"jukA0001.wav", "jukB0002.wav"}));
    REQUIRE(report.Songs.size() >= 3u);
    const std::vector<std::string> names = report.Names();
    CHECK(std::vector<std::string>(names.begin(), names.begin() + 3) ==
          (std::vector<std::string>{"jukA0001.wav", "jukB0002.wav", "jukA0001.wav"}));
    for (const Song& song : report.Songs)
        CHECK_EQ(song.Type, std::string("wave"));
    // Each song started on the successful end of the one before, which took its playing time.
    for (int code : report.NoticeCodes)
        CHECK_EQ(code, 1);
    REQUIRE(!report.Notices.empty());
    CHECK(report.Notices[0] >= report.Songs[0].Ms + 300);
    // The scene's end destroys the list and closes the song.
    CHECK_EQ(report.End, std::string("0 0 1"));
}

// With the shared generator seeded with 1, two songs shuffle to 2 1 on the first pass; the next
// shuffle gives 1 2, which would play song 1 twice in a row, so its first and last swap: 2 1 again.
KV_CASE(shuffle_mode_follows_the_shared_generator_and_never_repeats_across_a_wrap)
{
    SongFolder folder("KV Jukebox Shuffle");
    folder.AddWave("juk_0001.wav", 400, 440);
    folder.AddWave("juk_0002.wav", 400, 660);
    const JukeboxReport report = folder.Run(4200, "seed=1");
    KV_INFO(report.Output);
    REQUIRE(report.Ran);
    REQUIRE(report.Songs.size() >= 4u);
    const std::vector<std::string> names = report.Names();
    CHECK(std::vector<std::string>(names.begin(), names.begin() + 4) ==
          (std::vector<std::string>{"juk_0002.wav", "juk_0001.wav", "juk_0002.wav", "juk_0001.wav"}));

    // Three songs, seed 1: the first pass is 3 2 1 (every place swapped with one drawn from the
    // whole list), as the list shows right after the start.
    folder.AddWave("juk_0003.wav", 400, 880);
    const JukeboxReport three = folder.Run(300, "seed=1");
    KV_INFO(three.Output);
    CHECK(three.List == (std::vector<std::string>{"juk_0003.wav", "juk_0002.wav", "juk_0001.wav"}));
    REQUIRE(!three.Songs.empty());
    CHECK_EQ(three.Songs[0].Name, std::string("juk_0003.wav"));
}

KV_CASE(the_sound_setting_decides_whether_songs_play)
{
    struct Case {
        const char* What;
        int Sound;       // -1: no value; -2: no key
        bool Plays;
    };
    const Case cases[] = {
        {"no settings key", -2, true},
        {"key without \"Sound\"", -1, true},
        {"Sound = 1", 1, true},
        {"Sound = 0", 0, false},
    };
    for (const Case& c : cases) {
        KV_INFO(c.What);
        SongFolder folder("KV Jukebox Sound");
        folder.AddWave("jukA0001.wav");
        if (c.Sound == -1)
            REQUIRE(RegSetString(HKEY_CURRENT_USER, std::string(kSettingsKey) + "KV Jukebox Sound", "Other", "x"));
        else if (c.Sound >= 0)
            folder.SetSound(static_cast<DWORD>(c.Sound));
        const JukeboxReport report = folder.Run(300);
        KV_INFO(report.Output);
        REQUIRE(report.Ran);
        CHECK_EQ(report.Songs.size(), c.Plays ? 1u : 0u);
        CHECK_EQ(report.ListCount, c.Plays ? 1 : -1);
        CHECK_EQ(report.Silent, !c.Plays);
    }
}

KV_CASE(preview_and_a_folder_without_songs_play_nothing)
{
    SongFolder folder("KV Jukebox Preview");
    const JukeboxReport none = folder.Run(300);
    KV_INFO(none.Output);
    REQUIRE(none.Ran);
    CHECK_EQ(none.ListCount, -1);
    CHECK(none.Songs.empty());

    folder.AddWave("jukA0001.wav");
    const JukeboxReport preview = folder.Run(600, "preview");
    KV_INFO(preview.Output);
    REQUIRE(preview.Ran);
    CHECK_EQ(preview.ListCount, -1);
    CHECK(preview.Songs.empty());
    CHECK(preview.Notices.empty());
}

// Where the system's table does not know .mp3, the first open fails and the song opens on the
// "MPEGVideo" device. A single song plays again each time it ends.
KV_CASE(an_mp3_song_plays_through_the_forced_mpegvideo_device_and_repeats)
{
    const std::string fixture = BuildDir() + "jukebox_song.mp3";
    REQUIRE(FileExists(fixture));
    SongFolder folder("KV Jukebox Mp3");
    REQUIRE(CopyFileTo(fixture, CaseDir() + "juk_0001.mp3"));
    NoMp3Extension noMp3;
    const JukeboxReport report = folder.Run(4500);
    KV_INFO(report.Output);
    REQUIRE(report.Ran);
    CHECK_EQ(report.ListCount, 1);
    REQUIRE(report.Songs.size() >= 2u);
    for (const Song& song : report.Songs)
        CHECK_EQ(song.Type, std::string("video"));
    for (int code : report.NoticeCodes)
        CHECK_EQ(code, 1);
    CHECK_EQ(report.End, std::string("0 0 1"));
}

KV_CASE(a_song_that_cannot_be_opened_ends_the_music_there)
{
    SongFolder folder("KV Jukebox Broken");
    folder.AddWave("jukA0001.wav", 400);
    REQUIRE(WriteFileText(CaseDir() + "jukB0002.wav", "not a song"));
    folder.AddWave("jukC0003.wav", 400);
    const JukeboxReport report = folder.Run(2500);
    KV_INFO(report.Output);
    REQUIRE(report.Ran);
    CHECK_EQ(report.ListCount, 3);
    // A played and ended; B failed; C was never tried and no notice came after.
    CHECK_EQ(report.Songs.size(), 1u);
    CHECK_EQ(report.Notices.size(), 1u);
    CHECK(report.Silent);
    CHECK_EQ(report.End, std::string("0 0 1"));
}

namespace {

// The hidden song list of the saver's scene window; null when there is none.
HWND SongListOf(HWND scene)
{
    return FindWindowExA(scene, nullptr, "ListBox", "For Songs");
}

// The item's file name. Read as a wide string: Wine hands another process's list-box text over
// in that form.
std::string ListItemName(HWND list, int index)
{
    wchar_t item[MAX_PATH] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0) >= MAX_PATH)
        return "";
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
    std::string name;
    for (const wchar_t* c = item; *c; ++c)
        name = *c == L'\\' ? std::string() : name + static_cast<char>(*c);
    return name;
}

// Starts the saver full screen; its scene window, once there.
HWND StartFullScreen(const hosttest::InstalledSaver& saver, Process& run, HWND* host)
{
    REQUIRE(run.Start(saver.Command("/s"), saver.Folder()));
    *host = hosttest::WaitForHost(run);
    REQUIRE(*host);
    HWND scene = nullptr;
    REQUIRE(hosttest::WaitUntil([&] { return (scene = hosttest::SceneOf(*host)) != nullptr; }, 5000));
    return scene;
}

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

KV_CASE(the_saver_keeps_its_songs_in_a_hidden_list_of_its_scene_in_a_full_screen_run_only)
{
    using namespace hosttest;
    InstalledSaver saver("KV Jukebox Saver");
    const std::string key = std::string(kSettingsKey) + "Host Test " + saver.Name();
    RegistryKeyGuard settings(HKEY_CURRENT_USER, key);
    REQUIRE(WriteFileBytes(saver.Folder() + "jukB0002.wav", WaveTone(400, 660)));
    REQUIRE(WriteFileBytes(saver.Folder() + "jukA0001.wav", WaveTone(400, 440)));

    {
        KV_INFO("full screen");
        Process run;
        HWND host = nullptr;
        HWND scene = StartFullScreen(saver, run, &host);
        HWND list = SongListOf(scene);
        REQUIRE(list);
        CHECK_EQ(GetDlgCtrlID(list), 729);
        CHECK((GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE) == 0);
        CHECK_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
        CHECK_EQ(ListItemName(list, 0), std::string("jukA0001.wav"));
        CHECK_EQ(ListItemName(list, 1), std::string("jukB0002.wav"));
        // Songs come and go while the saver runs on; closing it ends them with the scene.
        PumpMessages(1500);
        CHECK(IsWindow(scene));
        PostMessageA(host, WM_CLOSE, 0, 0);
        int code = -99;
        CHECK(Ended(run, 5000, &code));
        CHECK_EQ(code, 0);
    }
    {
        KV_INFO("full screen with Sound = 0");
        REQUIRE(RegSetDword(HKEY_CURRENT_USER, key, "Sound", 0));
        Process run;
        HWND host = nullptr;
        HWND scene = StartFullScreen(saver, run, &host);
        PumpMessages(300);
        CHECK(!SongListOf(scene));
        run.Kill();
        RegDeleteKeyTree(HKEY_CURRENT_USER, key);
    }
    {
        KV_INFO("preview");
        HWND pane = CreatePreviewPane("KvJukeboxPane", PaneProc, 152, 112);
        REQUIRE(pane);
        Process run;
        REQUIRE(run.Start(saver.Command("/p " + HandleText(pane)), saver.Folder()));
        HWND preview = nullptr;
        REQUIRE(WaitUntil([&] { return (preview = FindWindowExA(pane, nullptr, kHostClass, nullptr)) != nullptr; }, 10000));
        HWND scene = nullptr;
        REQUIRE(WaitUntil([&] { return (scene = SceneOf(preview)) != nullptr; }, 5000));
        PumpMessages(300);
        CHECK(!SongListOf(scene));
        run.Kill();
        DestroyWindow(pane);
    }
}

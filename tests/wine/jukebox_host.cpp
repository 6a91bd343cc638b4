// Hosts the jukebox the way the scene window does, for the jukebox cases: a host window with a
// "scene" child that calls StartSceneMusic at its creation, OnSceneSongNotice on MM_MCINOTIFY and
// EndSceneMusic when it is destroyed. It reports on standard output what it sees:
//
//   list N NAME...          after the start: the songs in the list, in list order (N = -1: no list)
//   song MS TYPE NAME       a song has started MS milliseconds after the start (TYPE: "wave",
//                           "video" for the MPEGVideo device, or the device type number)
//   notice MS CODE          a completion notice arrived
//   silent MS               no song is playing after a notice
//   end LIST DEVICE CLOSED  after the scene window's destruction: whether a list is left, the
//                           device number left, and whether the last device was closed (1/0)
//
//   jukebox_host.exe SHOWFILE TITLE MILLISECONDS [preview] [seed=N]
//
// "preview" puts the host window inside a parent window, as the display settings' preview does.
// "seed=N" seeds the shared random generator with N before the start, where the scene would seed
// it with the tick count, so that a shuffled order can be foretold.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "jukebox.h"
#include "shared_random.h"

namespace {

const char* ShowFile = "";
const char* Title = "";
uint32_t SongDevice = 0;
uint32_t LastDevice = 0;
DWORD StartTick = 0;

DWORD Elapsed() { return GetTickCount() - StartTick; }

std::string BaseName(const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

// After a start or a notice: the song now playing. (A new device may get the number of the one
// just closed.)
void ReportSong()
{
    if (SongDevice == 0) {
        std::printf("silent %lu\n", Elapsed());
        return;
    }
    LastDevice = SongDevice;
    char file[MAX_PATH] = "?";
    MCI_INFO_PARMSA info = {};
    info.lpstrReturn = file;
    info.dwRetSize = sizeof file;
    if (mciSendCommandA(SongDevice, MCI_INFO, MCI_INFO_FILE, reinterpret_cast<DWORD_PTR>(&info)) != 0)
        std::strcpy(file, "?");
    MCI_GETDEVCAPS_PARMS caps = {};
    caps.dwItem = MCI_GETDEVCAPS_DEVICE_TYPE;
    std::string type = "?";
    if (mciSendCommandA(SongDevice, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, reinterpret_cast<DWORD_PTR>(&caps)) == 0)
        type = caps.dwReturn == MCI_DEVTYPE_WAVEFORM_AUDIO ? "wave"
             : caps.dwReturn == MCI_DEVTYPE_DIGITAL_VIDEO ? "video"
             : std::to_string(caps.dwReturn);
    std::printf("song %lu %s %s\n", Elapsed(), type.c_str(), BaseName(file).c_str());
}

void ReportList()
{
    HWND list = GetSongList();
    if (!list) {
        std::printf("list -1\n");
        return;
    }
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    std::printf("list %ld", static_cast<long>(count));
    for (LRESULT i = 0; i < count; ++i) {
        char item[MAX_PATH] = {};
        if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < MAX_PATH)
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
        std::printf(" %s", BaseName(item).c_str());
    }
    std::printf("\n");
}

LRESULT CALLBACK SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        StartSceneMusic(window, ShowFile, Title, &SongDevice);
        ReportList();
        ReportSong();
        return 0;
    case MM_MCINOTIFY:
        std::printf("notice %lu %u\n", Elapsed(), static_cast<unsigned>(wParam));
        OnSceneSongNotice(wParam, &SongDevice);
        ReportSong();
        return 0;
    case WM_DESTROY: {
        EndSceneMusic(&SongDevice);
        MCI_STATUS_PARMS status = {};
        status.dwItem = MCI_STATUS_MODE;
        const bool closed = LastDevice == 0 ||
            mciSendCommandA(LastDevice, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) ==
                MCIERR_INVALID_DEVICE_ID;
        std::printf("end %d %u %d\n", GetSongList() ? 1 : 0, SongDevice, closed ? 1 : 0);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: jukebox_host SHOWFILE TITLE MILLISECONDS [preview] [seed=N]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ShowFile = argv[1];
    Title = argv[2];
    const UINT runFor = static_cast<UINT>(std::strtoul(argv[3], nullptr, 10));
    bool preview = false;
    SharedRandom().Seed(GetTickCount());
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "preview") == 0)
            preview = true;
        else if (std::strncmp(argv[i], "seed=", 5) == 0)
            SharedRandom().Seed(static_cast<uint32_t>(std::strtoul(argv[i] + 5, nullptr, 10)));
    }

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA host = {};
    host.lpfnWndProc = HostProc;
    host.hInstance = instance;
    host.lpszClassName = "KvJukeboxHost";
    WNDCLASSA scene = host;
    scene.lpfnWndProc = SceneProc;
    scene.lpszClassName = "KvJukeboxScene";
    if (!RegisterClassA(&host) || !RegisterClassA(&scene))
        return 3;

    HWND panel = nullptr;
    if (preview) {
        panel = CreateWindowExA(0, "KvJukeboxHost", "Display settings", WS_POPUP, 0, 0, 200, 150,
                                nullptr, nullptr, instance, nullptr);
        if (!panel)
            return 3;
    }
    HWND hostWindow = CreateWindowExA(0, "KvJukeboxHost", "Screen Saver", panel ? WS_CHILD : WS_POPUP,
                                      0, 0, 160, 120, panel, nullptr, instance, nullptr);
    if (!hostWindow)
        return 3;
    StartTick = GetTickCount();
    if (!CreateWindowExA(0, "KvJukeboxScene", "", WS_CHILD, 0, 0, 160, 120, hostWindow, nullptr,
                         instance, nullptr))
        return 3;
    SetTimer(hostWindow, 1, runFor, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (panel)
        DestroyWindow(panel);
    return 0;
}

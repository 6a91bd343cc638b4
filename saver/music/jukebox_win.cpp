// The jukebox over a hidden list-box and the media control interface.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "jukebox.h"
#include "jukebox_list.h"
#include "settings_key.h"
#include "shared_random.h"
#include "song_search.h"

static_assert(sizeof(MCIDEVICEID) == sizeof(uint32_t), "SongDevice holds an MCI device identifier");

namespace {

struct JukeboxState {
    HWND SongListWindow = nullptr;  // the hidden list-box; null when there is no jukebox
    HWND NotifyWindow = nullptr;    // its parent, which gets the completion notices
    JukeboxCursor Cursor;
};

JukeboxState Jukebox;

// The list-box as the jukebox's string list.
class ListBoxSongs : public SongListStore {
public:
    explicit ListBoxSongs(HWND list) : list_(list) {}

    int32_t Count() override { return static_cast<int32_t>(SendMessageA(list_, LB_GETCOUNT, 0, 0)); }

    bool Read(int32_t index, char (&text)[kSongPathSize]) override
    {
        const LRESULT length = SendMessageA(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == LB_ERR || length < 0 || length >= static_cast<LRESULT>(kSongPathSize))
            return false;
        char item[kSongPathSize] = {};
        if (SendMessageA(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)) == LB_ERR)
            return false;
        std::memcpy(text, item, sizeof item);
        return true;
    }

    void Delete(int32_t index) override
    {
        SendMessageA(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    }

    void Insert(int32_t index, const char* text) override
    {
        SendMessageA(list_, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    }

private:
    HWND list_;
};

// Stop and close get an empty parameter block: some devices refuse a missing one.
void SendPlain(MCIDEVICEID device, UINT command, DWORD flags)
{
    MCI_GENERIC_PARMS none = {};
    mciSendCommandA(device, command, flags, reinterpret_cast<DWORD_PTR>(&none));
}

class MciSongPlayer : public SongPlayer {
public:
    explicit MciSongPlayer(HWND notifyWindow) : notifyWindow_(notifyWindow) {}

    void StopAndClose(uint32_t device) override
    {
        SendPlain(device, MCI_STOP, MCI_WAIT);
        SendPlain(device, MCI_CLOSE, MCI_WAIT);
    }

    uint32_t Open(const char* path) override
    {
        char deviceType[] = "MPEGVideo";
        MCI_OPEN_PARMSA open = {};
        open.lpstrElementName = path;
        open.lpstrDeviceType = deviceType;
        // The device that the system's table gives for the file's extension; failing that, the
        // "MPEGVideo" device, which plays what the table does not know (.mp3 on older systems).
        if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) == 0)
            return open.wDeviceID;
        open.wDeviceID = 0;
        if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_OPEN_TYPE,
                            reinterpret_cast<DWORD_PTR>(&open)) == 0)
            return open.wDeviceID;
        return 0;
    }

    bool Play(uint32_t device) override
    {
        // The whole song, with a notice to the scene window when it ends.
        MCI_PLAY_PARMS play = {};
        play.dwCallback = reinterpret_cast<DWORD_PTR>(notifyWindow_);
        return mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) == 0;
    }

    void Close(uint32_t device) override { SendPlain(device, MCI_CLOSE, 0); }

private:
    HWND notifyWindow_;
};

// "Sound" under the show's SettingsKey: a missing key or value means sound on.
bool SongsWanted(const char* showTitle)
{
    HKEY key;
    const std::string path = SettingsKeyPath(showTitle);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return true;
    DWORD sound = 0;
    DWORD size = sizeof sound;
    const bool read = RegQueryValueExA(key, kSoundValueName, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&sound), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return SoundWanted(true, read, sound);
}

}  // namespace

HWND CreateSongList(int shuffle, HWND parent, int childId, int sorted)
{
    ResetJukeboxCursor(Jukebox.Cursor, shuffle);
    Jukebox.NotifyWindow = parent;
    const DWORD style = WS_CHILD | LBS_HASSTRINGS | (sorted ? LBS_SORT : 0);
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    Jukebox.SongListWindow = CreateWindowExA(0, "LISTBOX", "For Songs", style, 0, 0, 0, 0, parent,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)),
                                             instance, nullptr);
    return Jukebox.SongListWindow;
}

bool AddSong(const char* path)
{
    if (!Jukebox.SongListWindow || std::strlen(path) >= kSongPathSize)
        return false;
    return SendMessageA(Jukebox.SongListWindow, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path)) >= 0;
}

int PlayNextSong(uint32_t* songDevice)
{
    if (!Jukebox.SongListWindow)
        return 0;
    ListBoxSongs list(Jukebox.SongListWindow);
    MciSongPlayer player(Jukebox.NotifyWindow);
    return PlayNextListedSong(Jukebox.Cursor, list, player, SharedRandom(), songDevice);
}

int DestroySongList()
{
    if (!Jukebox.SongListWindow)
        return 0;
    DestroyWindow(Jukebox.SongListWindow);
    Jukebox.SongListWindow = nullptr;
    return 1;
}

HWND GetSongList()
{
    return Jukebox.SongListWindow;
}

void StartSceneMusic(HWND sceneWindow, const char* showFilePath, const char* showTitle,
                     uint32_t* songDevice)
{
    // In the preview pane the saver window is a child of the display settings: no music there.
    if (GetParent(GetParent(sceneWindow)) != nullptr)
        return;
    if (!SongsWanted(showTitle))
        return;

    char path[kSongPathSize];
    if (!SongSearchPattern(showFilePath, path))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    found.cFileName[MAX_PATH - 1] = '\0';
    // The first name found decides the mode for all of them.
    if (!CreateSongList(ShuffleFromFirstName(found.cFileName), sceneWindow, kSongListChildId, 1)) {
        FindClose(search);
        return;
    }
    do {
        found.cFileName[MAX_PATH - 1] = '\0';
        // A path too long for the list is left out.
        if (ReplaceFileName(path, found.cFileName))
            AddSong(path);
    } while (FindNextFileA(search, &found));
    PlayNextSong(songDevice);
    FindClose(search);
}

void OnSceneSongNotice(WPARAM notification, uint32_t* songDevice)
{
    if (notification == MCI_NOTIFY_SUCCESSFUL && GetSongList())
        PlayNextSong(songDevice);
}

void EndSceneMusic(uint32_t* songDevice)
{
    if (!GetSongList())
        return;
    DestroySongList();
    if (*songDevice != 0) {
        SendPlain(*songDevice, MCI_STOP, MCI_WAIT);
        SendPlain(*songDevice, MCI_CLOSE, MCI_WAIT);
    }
    *songDevice = 0;
}

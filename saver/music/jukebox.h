// The jukebox: the show's songs, played one after another through the media control interface
// while the saver runs full screen. The songs are the files "juk?????.*" beside the show file;
// their full paths are kept in a hidden list-box (a child of the scene window, used as a sorted
// string list) and each finished song (MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL, sent to the scene
// window) starts the next. At the end of the list it starts again from the top, shuffled anew when
// the first song name found has '_' as its fourth character (juk_0001.mp3); a reshuffle never
// starts with the song that has just ended. A song that cannot be opened or played ends the music
// for the rest of the run.
//
// The scene window takes part at three points; it owns SongDevice (the MCI device of the song now
// playing, 0 when none) and hands its address in:
//
//   WM_CREATE, after the picture order is drawn:
//       StartSceneMusic(window, showFilePath, showTitle, &state.SongDevice);
//   MM_MCINOTIFY:
//       OnSceneSongNotice(wParam, &state.SongDevice); return 0;
//   WM_DESTROY, before the timers and the rendering context are released:
//       EndSceneMusic(&state.SongDevice);
//
// Everything runs on the scene window's thread.
#pragma once
#include <windows.h>

#include <cstdint>

// The child identifier of the hidden song list under the scene window.
constexpr int kSongListChildId = 729;

// ---- the scene window's part ------------------------------------------------------------------

// Starts the songs, but only in a full-screen run (the scene window's parent has no parent of its
// own; in the preview pane it has one) and only when "Sound" under the show's SettingsKey is not 0
// (a missing key or value means sound on). Finds the songs beside the show file, fills the list
// and starts the first song. Silent when any of this finds nothing or fails.
void StartSceneMusic(HWND sceneWindow, const char* showFilePath, const char* showTitle,
                     uint32_t* songDevice);

// A completion notice: MCI_NOTIFY_SUCCESSFUL starts the next song; any other code (superseded,
// aborted, failure) starts nothing.
void OnSceneSongNotice(WPARAM notification, uint32_t* songDevice);

// Ends the music: destroys the list, stops and closes the song now playing, and sets
// *songDevice to 0. Does nothing when there is no list.
void EndSceneMusic(uint32_t* songDevice);

// ---- the jukebox's operations -----------------------------------------------------------------

// Sets up the jukebox state (shuffle mode, first pass, the next song past the end) and creates the
// hidden list as a child of `parent` with the given identifier, sorted (case-insensitive, ascending)
// when `sorted` is nonzero. Returns the list window, or null when it could not be created (the
// state is set all the same).
HWND CreateSongList(int shuffle, HWND parent, int childId, int sorted);

// Adds one song's full path. False when there is no list, the path does not fit in 259
// characters, or the list refuses it.
bool AddSong(const char* path);

// Stops and closes the song in *songDevice, then opens and plays the next one, shuffling again at
// the end of the list when asked to. 1 when a song has started, 0 otherwise.
int PlayNextSong(uint32_t* songDevice);

// Destroys the list: 1 when there was one, 0 when not.
int DestroySongList();

// The list window; non-null while a jukebox exists.
HWND GetSongList();

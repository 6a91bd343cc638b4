// The jukebox's decisions, apart from the list-box and the media player that carry them out: which
// song plays next, when the list is shuffled again, and how a shuffle avoids playing the song that
// has just ended twice in a row. The songs are full paths of at most 259 characters.
#pragma once
#include <cstddef>
#include <cstdint>

#include "shared_random.h"

constexpr size_t kSongPathSize = 260;  // buffers hold at most 259 characters and the terminator
constexpr int32_t kNextSongAtStart = 2147483647;  // reads as past the end of any list

// The ordered string list that holds the songs (a hidden list-box in the saver; a plain vector in
// the unit tests). Insert never sorts: a shuffled order stays as it is.
class SongListStore {
public:
    virtual ~SongListStore() = default;
    // The number of items, or -1 when the list cannot tell.
    virtual int32_t Count() = 0;
    // Copies item `index` into `text`; false (and `text` unchanged) for a bad index or an item
    // that does not fit.
    virtual bool Read(int32_t index, char (&text)[kSongPathSize]) = 0;
    virtual void Delete(int32_t index) = 0;
    virtual void Insert(int32_t index, const char* text) = 0;
};

// What the jukebox asks of the media player. Device 0 means none.
class SongPlayer {
public:
    virtual ~SongPlayer() = default;
    // Stops the device and closes it, waiting for both; results are not looked at.
    virtual void StopAndClose(uint32_t device) = 0;
    // Opens the song by its file's kind, or failing that as "MPEGVideo"; 0 when both fail.
    virtual uint32_t Open(const char* path) = 0;
    // Starts the whole song with a completion notice to the jukebox's window; false on failure.
    virtual bool Play(uint32_t device) = 0;
    // Closes a device that did not start.
    virtual void Close(uint32_t device) = 0;
};

// Where the jukebox stands in its list.
struct JukeboxCursor {
    int32_t Shuffle = 0;    // nonzero: shuffle before each pass through the list
    int32_t NextSong = kNextSongAtStart;
    int32_t FirstPass = 1;  // cleared by the first shuffle; the repeat check skips that one
    char Playing[kSongPathSize] = {};  // the song on the open device, empty when none
};

// The state a new song list starts with.
void ResetJukeboxCursor(JukeboxCursor& cursor, int32_t shuffle);

// Plays the next song: at the end of the list (and on the first call) shuffles it again when the
// cursor asks for shuffled play and starts from the top; opens the next song, then stops and
// closes the song in `*device` (first, when the next song is that same file), then plays the next
// one. Returns 1 when a song has started (its
// device in `*device`), 0 when none has (nothing is open then): the music stays silent until the
// list is made anew.
int PlayNextListedSong(JukeboxCursor& cursor, SongListStore& list, SongPlayer& player,
                       RandomGenerator& random, uint32_t* device);

// Shuffles the whole list: every position is swapped with one drawn from the whole list. Unless
// this is the first pass, a new order that would start with `lastPlayed` swaps its first and last
// songs. Exposed for the tests; PlayNextListedSong calls it.
void ShuffleSongList(JukeboxCursor& cursor, SongListStore& list, RandomGenerator& random);

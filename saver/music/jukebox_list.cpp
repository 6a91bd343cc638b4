#include "jukebox_list.h"

#include <cstring>

void ResetJukeboxCursor(JukeboxCursor& cursor, int32_t shuffle)
{
    cursor.Shuffle = shuffle;
    cursor.NextSong = kNextSongAtStart;
    cursor.FirstPass = 1;
    cursor.Playing[0] = '\0';
}

void ShuffleSongList(JukeboxCursor& cursor, SongListStore& list, RandomGenerator& random)
{
    const int32_t count = list.Count();
    if (count <= 1)
        return;
    const int32_t lastIndex = count - 1;
    // Before the shuffle the last item is the song that has just ended (except on the first pass).
    char lastPlayed[kSongPathSize] = {};
    list.Read(lastIndex, lastPlayed);

    char a[kSongPathSize] = {};
    char b[kSongPathSize] = {};
    for (int32_t i = 0; i < count; ++i) {
        if (!list.Read(i, a))
            continue;
        const int32_t j = random.Draw() % count;
        if (!list.Read(j, b))
            continue;
        list.Delete(i);
        list.Insert(i, b);
        list.Delete(j);
        list.Insert(j, a);
    }
    // b now holds what stands at lastIndex.

    if (cursor.FirstPass) {
        cursor.FirstPass = 0;
        return;
    }
    if (list.Read(0, a) && std::strcmp(a, lastPlayed) == 0) {
        list.Delete(0);
        list.Insert(0, b);
        list.Delete(lastIndex);
        list.Insert(lastIndex, lastPlayed);
    }
}

int PlayNextListedSong(JukeboxCursor& cursor, SongListStore& list, SongPlayer& player,
                       RandomGenerator& random, uint32_t* device)
{
    const int32_t count = list.Count();
    if (count != -1 && cursor.NextSong >= count) {
        if (cursor.Shuffle && count > 1)
            ShuffleSongList(cursor, list, random);
        cursor.NextSong = 0;
    }

    const int32_t index = cursor.NextSong;
    // Wraps like the 32-bit counter it is; an index that far out is never a song.
    cursor.NextSong = static_cast<int32_t>(static_cast<uint32_t>(index) + 1u);
    char path[kSongPathSize] = {};
    const bool listed = list.Read(index, path);

    // The next song is opened before the one that ended is closed: a device driver whose last
    // device closes is unloaded, and the ended song's driver may still be returning from the
    // notice that brought us here. With the next song open (as a rule on the same driver) the
    // driver stays loaded. A file opens on one device at a time, though: the same song again (a
    // list of one) is closed first.
    if (*device != 0 && listed && std::strcmp(path, cursor.Playing) == 0) {
        player.StopAndClose(*device);
        *device = 0;
    }
    const uint32_t opened = listed ? player.Open(path) : 0;
    if (*device != 0) {
        player.StopAndClose(*device);
        *device = 0;
    }
    cursor.Playing[0] = '\0';
    if (opened == 0)
        return 0;
    *device = opened;
    if (player.Play(opened)) {
        std::memcpy(cursor.Playing, path, sizeof path);
        return 1;
    }
    player.Close(opened);
    *device = 0;
    return 0;
}

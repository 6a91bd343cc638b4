// Where the songs are: files "juk?????.*" in the folder of the show file. These build the search
// pattern and the song paths, and tell the play mode from the first name found.
#pragma once
#include <cstddef>

#include "jukebox_list.h"

// The show file's path cut at its last backslash, followed by "\juk?????.*". False (and `pattern`
// empty) when the path has no backslash or the pattern would not fit in 259 characters.
bool SongSearchPattern(const char* showFilePath, char (&pattern)[kSongPathSize]);

// Replaces everything from the last backslash of `path` with a backslash and `name`. False (and
// `path` unchanged) when `path` has no backslash or the result would not fit in 259 characters.
bool ReplaceFileName(char (&path)[kSongPathSize], const char* name);

// Shuffled play when the fourth character of the first song name found is '_' (juk_0001.mp3),
// play in order otherwise.
int ShuffleFromFirstName(const char* firstName);

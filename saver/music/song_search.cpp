#include "song_search.h"

#include <cstring>

namespace {

const char kSongPattern[] = "\\juk?????.*";

}  // namespace

bool SongSearchPattern(const char* showFilePath, char (&pattern)[kSongPathSize])
{
    pattern[0] = '\0';
    const char* slash = std::strrchr(showFilePath, '\\');
    if (!slash)
        return false;
    const size_t folder = static_cast<size_t>(slash - showFilePath);
    if (folder + std::strlen(kSongPattern) >= kSongPathSize)
        return false;
    std::memcpy(pattern, showFilePath, folder);
    std::memcpy(pattern + folder, kSongPattern, sizeof kSongPattern);
    return true;
}

bool ReplaceFileName(char (&path)[kSongPathSize], const char* name)
{
    char* slash = std::strrchr(path, '\\');
    if (!slash)
        return false;
    const size_t folder = static_cast<size_t>(slash - path);
    const size_t length = std::strlen(name);
    if (folder + 1 + length >= kSongPathSize)
        return false;
    std::memcpy(slash + 1, name, length + 1);
    return true;
}

int ShuffleFromFirstName(const char* firstName)
{
    return std::strlen(firstName) >= 4 && firstName[3] == '_' ? 1 : 0;
}

// Builds show files, well-formed or deliberately odd, for fixtures, demos and users.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "show_file.h"

struct ShowPictureEntry {
    // Index into ShowSpec::Streams, or -1 for an entry whose JpegOffset is written as RawOffset
    // (0 = no picture; any other value makes a deliberately odd entry).
    int Stream = -1;
    int32_t RawOffset = 0;
    uint32_t Extra = 0;            // the entry's second four bytes, not read by the saver
};

struct ShowSpec {
    ShowHeader Header;             // PictureCount is taken from Entries unless ForcePictureCount
    bool ForcePictureCount = false;
    std::string Banner;            // at most 2048 bytes; exactly 2048 leaves no terminating zero
    std::string Title;             // at most 65535 bytes
    std::string Description;       // at most 65535 bytes
    std::vector<std::vector<uint8_t>> Streams;  // JPEG streams, each stored once
    std::vector<ShowPictureEntry> Entries;
    // Cut the file after this many bytes (0 = no cut): a table or stream running past the end.
    uint64_t TruncateAt = 0;
};

// The file's bytes, or an empty vector with `error` set (one line, no trailing newline).
std::vector<uint8_t> BuildShowFile(const ShowSpec& spec, std::string* error);

// Writes `bytes` to `path`; refuses to replace an existing file unless `overwrite`. Never leaves a
// half-written file under `path` (writes a sibling temporary file, then renames).
bool WriteFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, bool overwrite,
                     std::string* error);

// Creates and opens (binary, for writing) a new file named `stem`, a number and `suffix`, never one
// that exists already. Returns the open file and its name, or nullptr with `error` set.
std::FILE* CreateUniqueFile(const std::string& stem, const std::string& suffix,
                            std::string* createdPath, std::string* error);

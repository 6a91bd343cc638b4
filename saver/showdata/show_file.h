// The show file <SaverName>.dat: banner, presentation settings, title, description, picture table.
// Only read, never written, by the saver. Every reader tolerates a file shorter than any field: a
// number that cannot be read whole keeps the value it had (zero); a text holds the bytes the file
// has of it, up to its first zero byte.
#pragma once
#include <cstdint>
#include <string>

#include "byte_source.h"

constexpr uint64_t kBannerTextOffset = 3584;
constexpr size_t kBannerTextSize = 2048;
constexpr uint64_t kShowHeaderOffset = 5632;
constexpr uint64_t kShowTitleOffset = 5650;
constexpr size_t kPictureEntrySize = 8;

struct ShowHeader {
    int8_t FaceCount = 0;
    int32_t PictureCount = 0;
    int8_t OrbitCopies = 0;
    int8_t DistanceIndex = 0;
    int8_t OrbitMain = 0;
    int8_t OrbitStep = 0;
    int8_t SpinStepX = 0;
    int8_t SpinStepY = 0;
    int8_t SpinStepZ = 0;
    int8_t SlowTicks = 0;
    int8_t KeepOrder = 0;
    int8_t BookTilt = 0;
    int8_t PauseSeconds = 0;
    int8_t TurnStep = 0;
    int8_t CoverFirst = 0;
};

// Banner: the text up to the first zero byte within the 2048 bytes at 3584; all 2048 bytes when
// none is zero. `out` gets kBannerTextSize + 1 bytes, always zero-terminated.
void ReadBannerText(ByteSource& file, char (&out)[kBannerTextSize + 1]);

// What the scene window reads on its creation: the header, the title, and where the picture table
// starts (just behind the skipped description).
struct ShowContents {
    ShowHeader Header;
    std::string Title;
    uint64_t PictureTableOffset = 0;
};
ShowContents ReadShowContents(ByteSource& file);

// Entry `index` of the picture table; 0 (no picture) when the entry lies beyond the file's end.
int32_t ReadJpegOffset(ByteSource& file, uint64_t pictureTableOffset, uint32_t index);

// What the settings dialog reads: title and description.
struct ShowTexts {
    std::string Title;
    std::string Description;
};
ShowTexts ReadShowTexts(ByteSource& file);

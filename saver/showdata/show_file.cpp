#include "show_file.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "little_endian.h"

namespace {

// Layout of the 18 header bytes at kShowHeaderOffset.
constexpr size_t kShowHeaderSize = 18;
constexpr size_t kPictureCountAt = 1;
constexpr size_t kFirstFlagAt = 5;     // OrbitCopies; the thirteen one-byte fields follow in order

// A 16-bit length prefix, or 0 when the file ends before both of its bytes.
uint16_t ReadTextLength(ByteSource& file)
{
    uint8_t bytes[2];
    return file.Read(bytes, sizeof bytes) == sizeof bytes ? GetU16(bytes) : 0;
}

// The `length` bytes of text at the file position, read into a zero-filled buffer one byte longer
// than the length and then taken as a C string. So a file that ends inside the text gives the bytes
// that are there, and a zero byte inside the text ends it, just as in the buffer that the text is
// used from. Lengths are 16 bits, so the buffer is at most 64 KiB.
std::string ReadText(ByteSource& file, uint16_t length)
{
    std::vector<char> text(size_t(length) + 1, '\0');
    file.Read(text.data(), length);
    return std::string(text.data());
}

}  // namespace

void ReadBannerText(ByteSource& file, char (&out)[kBannerTextSize + 1])
{
    // A file that ends inside the banner gives the bytes that are there, like any text field.
    std::memset(out, 0, sizeof out);
    if (file.SeekTo(kBannerTextOffset))
        file.Read(out, kBannerTextSize);
}

ShowContents ReadShowContents(ByteSource& file)
{
    ShowContents contents;
    if (!file.SeekTo(kShowHeaderOffset))
        return contents;

    // The fields lie one after the other; each one that the file holds whole is taken, and the
    // first one it does not hold whole ends the header (the file ends there).
    uint8_t bytes[kShowHeaderSize];
    const size_t got = file.Read(bytes, sizeof bytes);
    ShowHeader& header = contents.Header;
    if (got >= 1)
        header.FaceCount = int8_t(bytes[0]);
    if (got >= kPictureCountAt + 4)
        header.PictureCount = GetI32(bytes + kPictureCountAt);
    int8_t* const flags[] = {
        &header.OrbitCopies, &header.DistanceIndex, &header.OrbitMain, &header.OrbitStep,
        &header.SpinStepX,   &header.SpinStepY,     &header.SpinStepZ, &header.SlowTicks,
        &header.KeepOrder,   &header.BookTilt,      &header.PauseSeconds, &header.TurnStep,
        &header.CoverFirst,
    };
    static_assert(kFirstFlagAt + std::size(flags) == kShowHeaderSize,
                  "the one-byte fields fill the header");
    for (size_t i = 0; i < std::size(flags); ++i) {
        if (got > kFirstFlagAt + i)
            *flags[i] = int8_t(bytes[kFirstFlagAt + i]);
    }

    // The title, then the description's length; the picture table starts right behind the
    // description. Lengths the file does not hold count as 0, so the table of a file that ends
    // that early lies past its end and holds no pictures.
    file.SeekTo(kShowTitleOffset);
    const uint16_t titleLength = ReadTextLength(file);
    contents.Title = ReadText(file, titleLength);
    file.SeekTo(kShowTitleOffset + 2 + titleLength);
    const uint16_t descriptionLength = ReadTextLength(file);
    contents.PictureTableOffset = kShowTitleOffset + 2 + titleLength + 2 + descriptionLength;
    return contents;
}

int32_t ReadJpegOffset(ByteSource& file, uint64_t pictureTableOffset, uint32_t index)
{
    uint8_t bytes[4];
    if (!file.SeekTo(pictureTableOffset + uint64_t(index) * kPictureEntrySize) ||
        file.Read(bytes, sizeof bytes) != sizeof bytes)
        return 0;
    return GetI32(bytes);
}

ShowTexts ReadShowTexts(ByteSource& file)
{
    ShowTexts texts;
    if (!file.SeekTo(kShowTitleOffset))
        return texts;
    texts.Title = ReadText(file, ReadTextLength(file));
    texts.Description = ReadText(file, ReadTextLength(file));
    return texts;
}

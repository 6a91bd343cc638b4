#include "stored_caption.h"

#include <algorithm>
#include <cstring>

// "Your own pictures, turning and spinning on the screen", scrambled.
const unsigned char StoredCaption[kStoredCaptionSize] = {
    0x2F, 0x26, 0x26, 0x33, 0x24, 0x34, 0x01, 0x26, 0x29, 0x35, 0x01, 0x2F, 0x30, 0x01, 0x28,
    0x2F, 0x2A, 0x2F, 0x2F, 0x2A, 0x31, 0x34, 0x01, 0x25, 0x2F, 0x22, 0x01, 0x28, 0x2F, 0x2A,
    0x2F, 0x33, 0x36, 0x35, 0x01, 0x0D, 0x34, 0x26, 0x33, 0x36, 0x35, 0x24, 0x2A, 0x31, 0x01,
    0x2F, 0x38, 0x30, 0x01, 0x33, 0x36, 0x30, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00,
};

namespace {

size_t StringLength(const char* buffer, size_t size)
{
    const void* end = std::memchr(buffer, 0, size);
    return end ? static_cast<size_t>(static_cast<const char*>(end) - buffer) : size;
}

char SwapCase(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    return static_cast<char>(c);
}

}  // namespace

void UnscrambleCaption(char* buffer, size_t size)
{
    // A byte that turns into 0 ends the string there: the length is measured again each time.
    for (size_t i = 0; i < StringLength(buffer, size); ++i)
        buffer[i] = SwapCase(static_cast<unsigned char>(static_cast<unsigned char>(buffer[i]) + 31u));
    const size_t length = StringLength(buffer, size);
    std::reverse(buffer, buffer + length);
}

void ReadStoredCaption(char (&buffer)[kCaptionBufferSize])
{
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, StoredCaption, sizeof StoredCaption);
    UnscrambleCaption(buffer, sizeof buffer);
}

// Decodes one JPEG stream of the show file into an uncompressed 24-bit bottom-up bitmap file.
#pragma once
#include <cstdint>

// Returns 1 when the stream at `jpegOffset` of `showPath` was decoded to its end and written to
// `bitmapPath`, 0 on any failure (files that cannot be opened, fatal decoder errors).
int ConvertShowPicture(const char* showPath, const char* bitmapPath, int32_t jpegOffset);

// The caption painted across the top of the settings dialog. The program holds it scrambled
// (StoredCaption); UnscrambleCaption turns it back into its text each time the dialog paints.
#pragma once
#include <cstddef>

constexpr size_t kStoredCaptionSize = 58;
constexpr size_t kCaptionBufferSize = 256;

extern const unsigned char StoredCaption[kStoredCaptionSize];

// In place, over the zero-terminated string in `buffer` (`size` bytes, at least one of them
// zero): adds 31 to each byte (modulo 256) and swaps the case of ASCII letters, measuring the
// string again before each byte; then reverses the string.
void UnscrambleCaption(char* buffer, size_t size);

// StoredCaption copied into a zero-filled buffer and unscrambled: the text the dialog paints.
void ReadStoredCaption(char (&buffer)[kCaptionBufferSize]);

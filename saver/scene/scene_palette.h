// The logical palette for a paletted pixel format: 256 entries computed from the format's colour
// bits and shifts, with twelve system colours in the 3-3-2 layout.
#pragma once
#include <cstdint>

constexpr int kPaletteSize = 256;

// The colour layout of a pixel format, as the platform describes it.
struct PixelColorLayout {
    bool NeedsPalette = false;  // PFD_NEED_PALETTE
    int ColorBits = 0;
    int RedBits = 0, RedShift = 0;
    int GreenBits = 0, GreenShift = 0;
    int BlueBits = 0, BlueShift = 0;
};

struct PaletteColor {
    uint8_t Red, Green, Blue, Flags;
};

// The component of palette index i for a field of `bits` bits at `shift`: 1, 2 or 3 bits give
// evenly spread levels from 0 to 255; any other bit count gives 0.
uint8_t ComponentFromIndex(int index, int bits, int shift);

// Fills `entries` and returns true when the format gets a palette: it needs one and has 8 colour
// bits. Otherwise returns false and leaves `entries` alone.
bool ComputeScenePalette(const PixelColorLayout& layout, PaletteColor (&entries)[kPaletteSize]);

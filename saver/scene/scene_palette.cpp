#include "scene_palette.h"

namespace {

const uint8_t kOneBitLevels[2] = {0, 255};
const uint8_t kTwoBitLevels[4] = {0, 85, 170, 255};
const uint8_t kThreeBitLevels[8] = {0, 36, 73, 109, 146, 182, 219, 255};

struct SystemColor {
    int Index;
    uint8_t Red, Green, Blue;
};

// The system's fixed colours, where they fall in the 3-3-2 layout.
const SystemColor kSystemColors[12] = {
    {3, 128, 0, 0},       {24, 0, 128, 0},      {27, 128, 128, 0},    {64, 0, 0, 128},
    {67, 128, 0, 128},    {88, 0, 128, 128},    {173, 192, 192, 192}, {181, 192, 220, 192},
    {236, 166, 202, 240}, {247, 255, 251, 240}, {164, 160, 160, 164}, {91, 128, 128, 128},
};

bool IsThreeThreeTwo(const PixelColorLayout& layout)
{
    return layout.ColorBits == 8 && layout.RedBits == 3 && layout.RedShift == 0 &&
           layout.GreenBits == 3 && layout.GreenShift == 3 && layout.BlueBits == 2 &&
           layout.BlueShift == 6;
}

}  // namespace

uint8_t ComponentFromIndex(int index, int bits, int shift)
{
    // A shift beyond the index's bits leaves nothing (and is never shifted by).
    const unsigned v = (shift >= 0 && shift < 16) ? unsigned(index) >> shift : 0;
    switch (bits) {
    case 1: return kOneBitLevels[v & 1];
    case 2: return kTwoBitLevels[v & 3];
    case 3: return kThreeBitLevels[v & 7];
    default: return 0;
    }
}

bool ComputeScenePalette(const PixelColorLayout& layout, PaletteColor (&entries)[kPaletteSize])
{
    if (!layout.NeedsPalette || layout.ColorBits != 8)
        return false;
    for (int i = 0; i < kPaletteSize; ++i) {
        entries[i].Red = ComponentFromIndex(i, layout.RedBits, layout.RedShift);
        entries[i].Green = ComponentFromIndex(i, layout.GreenBits, layout.GreenShift);
        entries[i].Blue = ComponentFromIndex(i, layout.BlueBits, layout.BlueShift);
        entries[i].Flags = 0;
    }
    if (IsThreeThreeTwo(layout)) {
        for (const SystemColor& color : kSystemColors)
            entries[color.Index] = {color.Red, color.Green, color.Blue, 0};
    }
    return true;
}

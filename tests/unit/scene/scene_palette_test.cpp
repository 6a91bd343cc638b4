#include <gtest/gtest.h>

#include "scene_palette.h"

namespace {

PixelColorLayout ThreeThreeTwo()
{
    PixelColorLayout layout;
    layout.NeedsPalette = true;
    layout.ColorBits = 8;
    layout.RedBits = 3;
    layout.RedShift = 0;
    layout.GreenBits = 3;
    layout.GreenShift = 3;
    layout.BlueBits = 2;
    layout.BlueShift = 6;
    return layout;
}

struct Rgb {
    int Index, Red, Green, Blue;
};

const Rgb kSystemColors[] = {
    {3, 128, 0, 0},       {24, 0, 128, 0},      {27, 128, 128, 0},    {64, 0, 0, 128},
    {67, 128, 0, 128},    {88, 0, 128, 128},    {173, 192, 192, 192}, {181, 192, 220, 192},
    {236, 166, 202, 240}, {247, 255, 251, 240}, {164, 160, 160, 164}, {91, 128, 128, 128},
};

TEST(ScenePalette, ComponentLevels)
{
    const uint8_t three[] = {0, 36, 73, 109, 146, 182, 219, 255};
    for (int v = 0; v < 8; ++v) {
        EXPECT_EQ(ComponentFromIndex(v, 3, 0), three[v]);
        EXPECT_EQ(ComponentFromIndex(v << 3 | 5, 3, 3), three[v]);  // other bits ignored
    }
    const uint8_t two[] = {0, 85, 170, 255};
    for (int v = 0; v < 4; ++v)
        EXPECT_EQ(ComponentFromIndex(v << 6, 2, 6), two[v]);
    EXPECT_EQ(ComponentFromIndex(0x10, 1, 4), 255);
    EXPECT_EQ(ComponentFromIndex(0xEF, 1, 4), 0);
    for (int bits : {0, 4, 8, -1})
        EXPECT_EQ(ComponentFromIndex(255, bits, 0), 0) << bits << " bits";
    // A shift beyond the index leaves nothing.
    EXPECT_EQ(ComponentFromIndex(255, 3, 200), 0);
    EXPECT_EQ(ComponentFromIndex(255, 3, -3), 0);
}

TEST(ScenePalette, ThreeThreeTwoLayoutWithTheTwelveSystemColours)
{
    PaletteColor entries[kPaletteSize];
    ASSERT_TRUE(ComputeScenePalette(ThreeThreeTwo(), entries));
    bool overridden[kPaletteSize] = {};
    for (const Rgb& color : kSystemColors) {
        SCOPED_TRACE(color.Index);
        overridden[color.Index] = true;
        EXPECT_EQ(entries[color.Index].Red, color.Red);
        EXPECT_EQ(entries[color.Index].Green, color.Green);
        EXPECT_EQ(entries[color.Index].Blue, color.Blue);
        EXPECT_EQ(entries[color.Index].Flags, 0);
    }
    const uint8_t three[] = {0, 36, 73, 109, 146, 182, 219, 255};
    const uint8_t two[] = {0, 85, 170, 255};
    for (int i = 0; i < kPaletteSize; ++i) {
        if (overridden[i])
            continue;
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].Red, three[i & 7]);
        EXPECT_EQ(entries[i].Green, three[(i >> 3) & 7]);
        EXPECT_EQ(entries[i].Blue, two[(i >> 6) & 3]);
        EXPECT_EQ(entries[i].Flags, 0);
    }
    EXPECT_EQ(entries[255].Red, 255);
    EXPECT_EQ(entries[0].Blue, 0);
}

TEST(ScenePalette, OtherEightBitLayoutGetsTheComputedPaletteOnly)
{
    PixelColorLayout layout = ThreeThreeTwo();
    layout.RedShift = 5;
    layout.GreenShift = 2;
    layout.BlueShift = 0;
    PaletteColor entries[kPaletteSize];
    ASSERT_TRUE(ComputeScenePalette(layout, entries));
    for (const Rgb& color : kSystemColors) {
        const int i = color.Index;
        EXPECT_EQ(entries[i].Red, ComponentFromIndex(i, 3, 5)) << i;
        EXPECT_EQ(entries[i].Green, ComponentFromIndex(i, 3, 2)) << i;
        EXPECT_EQ(entries[i].Blue, ComponentFromIndex(i, 2, 0)) << i;
    }
}

TEST(ScenePalette, NoPaletteUnlessNeededWithEightColourBits)
{
    PaletteColor entries[kPaletteSize] = {};
    entries[7] = {1, 2, 3, 4};
    PixelColorLayout notNeeded = ThreeThreeTwo();
    notNeeded.NeedsPalette = false;
    EXPECT_FALSE(ComputeScenePalette(notNeeded, entries));
    PixelColorLayout sixteenBits = ThreeThreeTwo();
    sixteenBits.ColorBits = 16;
    EXPECT_FALSE(ComputeScenePalette(sixteenBits, entries));
    PixelColorLayout fourBits = ThreeThreeTwo();
    fourBits.ColorBits = 4;
    EXPECT_FALSE(ComputeScenePalette(fourBits, entries));
    EXPECT_EQ(entries[7].Red, 1);  // left alone
}

}  // namespace

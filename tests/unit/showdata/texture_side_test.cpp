#include "texture_side.h"

#include <gtest/gtest.h>

namespace {

TEST(TextureSide, LargestPowerOfTwoNotAboveTheMeanWithinTheLimit)
{
    const struct {
        int32_t Width, Height, Limit, Side;
    } cases[] = {
        {640, 480, 1024, 512},
        {480, 640, 1024, 512},       // portrait: the same side
        {800, 600, 1024, 512},
        {1024, 768, 1024, 512},
        {1280, 1024, 1024, 1024},    // equal to the limit
        {1280, 1024, 16384, 1024},
        {300, 200, 1024, 128},
        {256, 256, 1024, 256},
        {1, 1, 1024, 1},
        {3, 2, 1024, 2},             // mean 2.5 rounds toward zero
        {1, 2, 1024, 1},             // mean 1.5
        {1, 0, 1024, 0},             // mean 0.5: no texture
        {1600, 1200, 256, 256},      // 1024, limited
        {1600, 1200, 16384, 1024},
        {40000, 40000, 65536, 32768},
        {65535, 65535, 65536, 32768},  // at most 16 halvings
        {INT32_MAX, INT32_MAX, 65536, 32768},  // no overflow in the sum
        {0, 0, 1024, 0},
        {-640, -480, 1024, 0},       // a negative mean has no texture
        {INT32_MIN, INT32_MIN, 1024, 0},
        {1600, 1200, 1000, 512},     // a limit that is not a power of two is taken down to one
        {1600, 1200, 0, 64},         // no usable limit: the smallest every implementation has
        {1600, 1200, -1, 64},
        {40, 40, 0, 32},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextureSide(c.Width, c.Height, c.Limit), c.Side)
            << c.Width << " x " << c.Height << ", limit " << c.Limit;
    }
}

}  // namespace

#include "texture_side.h"

namespace {

// Every OpenGL implementation supports textures of this side.
constexpr int32_t kSmallestTextureLimit = 64;
constexpr int kMostHalvings = 16;

// The largest power of two not above `value` (value > 0).
int32_t PowerOfTwoNotAbove(int32_t value)
{
    int32_t side = 1;
    while (side <= value / 2)
        side *= 2;
    return side;
}

}  // namespace

int32_t TextureSide(int32_t width, int32_t height, int32_t maxTextureSize)
{
    // The mean rounds toward zero; the sum is taken in 64 bits so that no size can overflow it.
    int32_t mean = int32_t((int64_t(width) + height) / 2);
    // A picture with no positive mean has no texture (an arithmetic shift of a negative mean would
    // never reach 0 and would give the largest side).
    if (mean <= 0)
        return 0;

    int halvings = 0;
    while (mean != 0 && halvings < kMostHalvings) {
        mean >>= 1;
        ++halvings;
    }
    int32_t side = int32_t(1) << (halvings - 1);

    // The limit is the context's GL_MAX_TEXTURE_SIZE. A query that gave nothing usable (no
    // context) falls back to the smallest limit any implementation has, and a limit that is not a
    // power of two is taken down to one, so that the side always is a power of two.
    const int32_t limit =
        PowerOfTwoNotAbove(maxTextureSize > 0 ? maxTextureSize : kSmallestTextureLimit);
    if (side >= limit)
        side = limit;
    return side;
}

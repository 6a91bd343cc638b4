#include "close_rules.h"

namespace {

int64_t Distance(long a, long b)
{
    const int64_t d = int64_t(a) - int64_t(b);
    return d < 0 ? -d : d;
}

}  // namespace

bool MouseTravelCloses(CursorPoint anchor, CursorPoint now, int slop)
{
    return Distance(now.X, anchor.X) + Distance(now.Y, anchor.Y) > int64_t(slop);
}

bool CloseRequestTooSoon(uint32_t now, uint32_t lastPromptTick)
{
    return lastPromptTick != kNoPromptYet && uint32_t(now - lastPromptTick) < kPromptQuietMs;
}

BannerStep NextBannerStep(int offset, int span)
{
    // Widen before subtracting: an offset near INT_MIN never occurs, but must not overflow.
    const int64_t next = int64_t(offset) - kBannerStepPixels;
    if (next < -int64_t(span))
        return {0, true};
    return {int(next), false};
}

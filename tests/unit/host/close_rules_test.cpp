// Mouse travel, the quiet time after a password prompt, and the banner's steps.
#include <gtest/gtest.h>

#include "close_rules.h"

namespace {

TEST(MouseTravelCloses, MoreThanFourPixelsSummed)
{
    struct TravelCase {
        CursorPoint Anchor;
        CursorPoint Now;
        bool Closes;
    };
    const TravelCase cases[] = {
        {{100, 100}, {100, 100}, false},
        {{100, 100}, {102, 102}, false},   // 4 in total
        {{100, 100}, {104, 100}, false},
        {{100, 100}, {100, 96}, false},
        {{100, 100}, {105, 100}, true},
        {{100, 100}, {97, 98}, true},      // 3 + 2
        {{100, 100}, {101, 104}, true},
        {{0, 0}, {-3, 2}, true},
        {{-2147483647L - 1, 0}, {2147483647L, 0}, true},   // no overflow at the extremes
    };
    for (const TravelCase& c : cases)
        EXPECT_EQ(MouseTravelCloses(c.Anchor, c.Now), c.Closes)
            << "(" << c.Anchor.X << "," << c.Anchor.Y << ") -> (" << c.Now.X << "," << c.Now.Y << ")";
}

TEST(MouseTravelCloses, SmallMovesAddUpAgainstAFixedAnchor)
{
    const CursorPoint anchor{50, 50};
    const CursorPoint path[] = {{51, 50}, {52, 50}, {52, 51}, {53, 51}};   // 1, 2, 3, 4 away
    for (const CursorPoint& p : path)
        EXPECT_FALSE(MouseTravelCloses(anchor, p)) << p.X << "," << p.Y;
    EXPECT_TRUE(MouseTravelCloses(anchor, {53, 52}));   // 5 away, though each move was 1
}

TEST(CloseRequestTooSoon, TwoHundredMillisecondsOfUnsignedTicks)
{
    struct TickCase {
        uint32_t Last;
        uint32_t Now;
        bool TooSoon;
    };
    const TickCase cases[] = {
        {kNoPromptYet, 0, false},
        {kNoPromptYet, 100, false},
        {1000, 1000, true},
        {1000, 1199, true},
        {1000, 1200, false},
        {1000, 5000, false},
        {0xFFFFFF80u, 0x00000040u, true},    // 0xC0 = 192 ms across the wrap
        {0xFFFFFF80u, 0x00000048u, false},   // 200 ms across the wrap
        {0xFFFFFF00u, 0x00000040u, false},
        {1000, 999, false},                  // "earlier" is a difference of almost 2^32
    };
    for (const TickCase& c : cases)
        EXPECT_EQ(CloseRequestTooSoon(c.Now, c.Last), c.TooSoon) << c.Last << " -> " << c.Now;
}

TEST(NextBannerStep, FourPixelsLeftUntilTheLineHasPassed)
{
    // The first step of a process starts the line at the right edge.
    BannerStep step = NextBannerStep(kBannerStartOffset, 1100);
    EXPECT_TRUE(step.WipeStrip);
    EXPECT_EQ(step.Offset, 0);

    step = NextBannerStep(0, 1100);
    EXPECT_FALSE(step.WipeStrip);
    EXPECT_EQ(step.Offset, -4);

    // The line travels the whole span (offset down to -span) before the strip is wiped.
    step = NextBannerStep(-1096, 1100);
    EXPECT_FALSE(step.WipeStrip);
    EXPECT_EQ(step.Offset, -1100);
    step = NextBannerStep(-1100, 1100);
    EXPECT_TRUE(step.WipeStrip);
    EXPECT_EQ(step.Offset, 0);

    // A span beyond 30000 pixels keeps travelling from the start offset.
    step = NextBannerStep(kBannerStartOffset, 40000);
    EXPECT_FALSE(step.WipeStrip);
    EXPECT_EQ(step.Offset, kBannerStartOffset - 4);
}

TEST(NextBannerStep, CountsStepsOfAWholePass)
{
    int offset = 0;
    int steps = 0;
    for (;;) {
        const BannerStep step = NextBannerStep(offset, 1024 + 200);
        ++steps;
        if (step.WipeStrip)
            break;
        offset = step.Offset;
    }
    EXPECT_EQ(steps, 1224 / 4 + 1);
}

}  // namespace

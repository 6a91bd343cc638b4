// Shows whose settings fall outside what the scene's tables and positions cover.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "animation.h"
#include "fake_scene_platform.h"
#include "picture_order.h"

namespace {

TEST(OpenCases, HeaderIsMadeSafeForTheTables)
{
    struct Case {
        int8_t FaceCount;
        int32_t PictureCount;
        int8_t DistanceIndex;
        int8_t PauseSeconds;
        int8_t SafeFaceCount;
        int32_t SafePictureCount;
        int8_t SafeDistanceIndex;
        int8_t SafePauseSeconds;
    };
    const Case cases[] = {
        {0, 5, 2, 3, 0, 5, 2, 3},                            // as read
        {7, 1025, 4, -1, 6, 1024, 3, 0},                     // just outside
        {127, INT32_MAX, 127, -128, 6, 1024, 3, 0},          // far outside
        {-1, -1, -1, 0, -1, 0, 0, 0},                        // negative
        {3, 1024, 0, 127, 3, 1024, 0, 127},                  // at the edges
    };
    for (const Case& c : cases) {
        ShowHeader read;
        read.FaceCount = c.FaceCount;
        read.PictureCount = c.PictureCount;
        read.DistanceIndex = c.DistanceIndex;
        read.PauseSeconds = c.PauseSeconds;
        const ShowHeader safe = SceneHeaderFrom(read);
        EXPECT_EQ(safe.FaceCount, c.SafeFaceCount);
        EXPECT_EQ(safe.PictureCount, c.SafePictureCount);
        EXPECT_EQ(safe.DistanceIndex, c.SafeDistanceIndex);
        EXPECT_EQ(safe.PauseSeconds, c.SafePauseSeconds);
    }
}

TEST(OpenCases, BookWithoutPicturesTurnsBlankPagesOnceAndStays)
{
    FakeScenePlatform platform;
    SceneState state;
    CreateScene(state, platform, BookHeader(0));
    EXPECT_TRUE(platform.Decoded.empty());
    EXPECT_EQ(platform.TempFileDeletes, 1);
    // Slots 0, 1, 2 without a remainder by zero, all empty: lit, untextured pages.
    EXPECT_EQ(platform.ListShows[kTurningList],
              (std::vector<int32_t>{kShowsUntextured, kShowsUntextured}));
    EXPECT_EQ(platform.ListShows[kUnderneathList], (std::vector<int32_t>{kShowsUntextured}));

    TurnUntilPause(state, platform);
    ASSERT_EQ(state.SpinAngleY, 180u);
    OnSceneTimer(state, platform, kPauseTimer);
    EXPECT_EQ(state.SpinAngleY, 180u);
    EXPECT_TRUE(platform.RunningTimers.empty());
    EXPECT_EQ(platform.Compiles[kTurningList], 1);
    EXPECT_TRUE(platform.Decoded.empty());
    StopSceneTimers(state, platform);  // destruction stops the (stopped) pause timer
    EXPECT_TRUE(platform.Faults.empty()) << platform.Faults.front();
}

TEST(OpenCases, CoverAsTheOnlyPictureStaysOnItsLastSpread)
{
    FakeScenePlatform platform;
    platform.Table = {900};
    ShowHeader header = BookHeader(1);
    header.CoverFirst = 1;
    SceneState state;
    CreateScene(state, platform, header);
    TurnUntilPause(state, platform);
    const std::vector<int32_t> turning = platform.ListShows[kTurningList];
    const std::vector<int32_t> underneath = platform.ListShows[kUnderneathList];

    // The cover leaves the order empty: no new spread, no timer, the pictures stay on screen.
    OnSceneTimer(state, platform, kPauseTimer);
    EXPECT_EQ(state.PictureCount, 0);
    EXPECT_EQ(state.SpinAngleY, 180u);
    EXPECT_TRUE(platform.RunningTimers.empty());
    EXPECT_EQ(platform.ListShows[kTurningList], turning);
    EXPECT_EQ(platform.ListShows[kUnderneathList], underneath);
    EXPECT_EQ(turning, (std::vector<int32_t>{900, 900}));
    EXPECT_EQ(platform.LiveBitmaps, 3);

    // A stray timer message changes nothing either.
    OnSceneTimer(state, platform, kPauseTimer);
    EXPECT_EQ(state.SpinAngleY, 180u);
    EmptySlots(state, platform);
    EXPECT_EQ(platform.LiveBitmaps, 0);
}

TEST(OpenCases, NegativePauseEndsAtTheNextTimerOpportunity)
{
    ShowHeader header = BookHeader(3);
    header.PauseSeconds = -20;
    EXPECT_EQ(PausePeriod(SceneHeaderFrom(header)), 0u);
    EXPECT_EQ(PausePeriod(header), 0u);  // even before the header is made safe
    header.PauseSeconds = 127;
    EXPECT_EQ(PausePeriod(header), 127000u);
}

TEST(OpenCases, FaceCountAboveSixIsTheCube)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(10);
    ShowHeader header;
    header.FaceCount = 100;
    SceneState state;
    CreateScene(state, platform, header);
    EXPECT_EQ(state.Header.FaceCount, 6);
    EXPECT_EQ(platform.Decoded, (std::vector<int32_t>{100, 200, 300, 400, 500, 600}));
    EXPECT_EQ(platform.ListShows[kTurningList],
              (std::vector<int32_t>{100, 200, 300, 400, 500, 600}));
    EmptySlots(state, platform);
}

TEST(OpenCases, OtherFaceCountsSpinTheBookPage)
{
    struct Case {
        int8_t FaceCount;
        size_t Decoded;
    };
    for (const Case& c : {Case{1, 1}, Case{3, 3}, Case{4, 4}, Case{-5, 0}}) {
        SCOPED_TRACE(int(c.FaceCount));
        FakeScenePlatform platform;
        platform.Table = PictureTableOf(8);
        ShowHeader header;
        header.FaceCount = c.FaceCount;
        header.PictureCount = 0;  // no remainder by zero in the page's slots
        header.SpinStepY = 10;
        SceneState state;
        CreateScene(state, platform, header);
        EXPECT_EQ(platform.Decoded.size(), c.Decoded);
        EXPECT_EQ(platform.Compiles[kTurningList], 1);
        EXPECT_EQ(platform.Compiles[kUnderneathList], 1);
        OnSceneTimer(state, platform, kAnimationTimer);
        EXPECT_EQ(state.SpinAngleY, 10u);  // a solid tick, not a page turn
        EmptySlots(state, platform);
    }
}

TEST(OpenCases, TextureImageWithoutTexelsCountsAsEmpty)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(2);
    platform.TextureBitmapFails = true;
    ShowHeader header;
    header.FaceCount = 2;
    SceneState state;
    CreateScene(state, platform, header);
    EXPECT_EQ(state.Slots[0].TextureSide, 0);
    EXPECT_EQ(state.Slots[0].Picture, nullptr);
    EXPECT_EQ(platform.LivePictures, 0);
    EXPECT_EQ(platform.ListShows[kTurningList],
              (std::vector<int32_t>{kShowsUntextured, kShowsUntextured}));
    EXPECT_TRUE(platform.Faults.empty()) << platform.Faults.front();
}

TEST(OpenCases, BookEntriesWithoutAPictureAreNotDecoded)
{
    FakeScenePlatform platform;
    platform.Table = {0, -7, 300};
    ShowHeader header = BookHeader(3);
    header.KeepOrder = 1;
    SceneState state;
    CreateScene(state, platform, header);
    EXPECT_EQ(platform.Decoded, (std::vector<int32_t>{300}));
    EXPECT_EQ(platform.ListShows[kTurningList],
              (std::vector<int32_t>{kShowsUntextured, kShowsUntextured}));
    EXPECT_EQ(platform.ListShows[kUnderneathList], (std::vector<int32_t>{300}));
    EmptySlots(state, platform);
}

TEST(OpenCases, OrderIndexStaysInRangeOnAVeryLongShow)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(5);
    ShowHeader header = BookHeader(5);
    header.KeepOrder = 1;
    SceneState state;
    CreateScene(state, platform, header);
    TurnUntilPause(state, platform);

    // Fold point: the next index 2^30 is brought back to 2^30 mod 5 + 5 = 9, the same positions.
    const int32_t base = (1 << 30) - 2;
    state.OrderIndex = base;
    platform.Decoded.clear();
    OnSceneTimer(state, platform, kPauseTimer);
    EXPECT_EQ(platform.Decoded, (std::vector<int32_t>{PictureAt(state, int64_t(base) + 1),
                                                      PictureAt(state, int64_t(base) + 2),
                                                      PictureAt(state, int64_t(base) + 3),
                                                      PictureAt(state, int64_t(base) + 4)}));
    EXPECT_EQ(state.OrderIndex, 9);
    EXPECT_EQ(PictureAt(state, state.OrderIndex), PictureAt(state, int64_t(base) + 2));

    // The fold never makes the index 0, which would read as the first spread again.
    TurnUntilPause(state, platform);
    EXPECT_EQ(platform.Compiles[kUnderneathList], 3);  // rebuilt after this turn
    EmptySlots(state, platform);
}

}  // namespace

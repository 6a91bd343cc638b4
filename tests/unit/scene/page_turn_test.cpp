#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "animation.h"
#include "fake_scene_platform.h"

namespace {

// The angles a turn draws from `start` until it ends, or `maxTicks` angles when it does not.
struct Turn {
    std::vector<uint32_t> Angles;
    bool Ends = false;
};

Turn RunTurn(uint32_t start, int step, int maxTicks = 2000)
{
    Turn turn;
    uint32_t angle = start;
    for (int tick = 0; tick < maxTicks && !turn.Ends; ++tick) {
        const PageStep next = NextPageAngle(angle, step);
        angle = next.Angle;
        turn.Ends = next.TurnEnds;
        turn.Angles.push_back(angle);
    }
    return turn;
}

std::vector<uint32_t> Descending(uint32_t from, uint32_t to, uint32_t by)
{
    std::vector<uint32_t> angles;
    for (uint32_t a = from; a >= to && a <= from; a -= by)
        angles.push_back(a);
    return angles;
}

bool Contains(const std::vector<uint32_t>& angles, uint32_t angle)
{
    return std::find(angles.begin(), angles.end(), angle) != angles.end();
}

TEST(PageTurn, StepMinusOneSkips270)
{
    // After a pause the page starts at 359: 358 .. 271, 269 .. 180, 178 ticks.
    std::vector<uint32_t> expected = Descending(358, 271, 1);
    const std::vector<uint32_t> tail = Descending(269, 180, 1);
    expected.insert(expected.end(), tail.begin(), tail.end());
    const Turn afterPause = RunTurn(359, -1);
    EXPECT_TRUE(afterPause.Ends);
    EXPECT_EQ(afterPause.Angles, expected);
    EXPECT_EQ(afterPause.Angles.size(), 178u);

    // The first turn starts from 0 and goes to 359 at once.
    const Turn first = RunTurn(0, -1);
    EXPECT_TRUE(first.Ends);
    EXPECT_EQ(first.Angles.front(), 359u);
    EXPECT_FALSE(Contains(first.Angles, 270));
    EXPECT_EQ(first.Angles.size(), 179u);
}

TEST(PageTurn, StepMinusThreeDrawsItsPageAt271)
{
    const Turn turn = RunTurn(0, -3);
    std::vector<uint32_t> expected = Descending(357, 273, 3);
    expected.push_back(271);
    const std::vector<uint32_t> tail = Descending(267, 180, 3);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_TRUE(turn.Ends);
    EXPECT_EQ(turn.Angles, expected);
}

TEST(PageTurn, StepMinusNinety)
{
    // After a pause: drawn at 270 (the start value), then 180 ends the turn.
    const Turn afterPause = RunTurn(360 - 90, -90);
    EXPECT_TRUE(afterPause.Ends);
    EXPECT_EQ(afterPause.Angles, (std::vector<uint32_t>{180}));

    // From 0: 271, then 180 by the 271 rule without ending, and round again for ever.
    const Turn first = RunTurn(0, -90, 12);
    EXPECT_FALSE(first.Ends);
    EXPECT_EQ(first.Angles,
              (std::vector<uint32_t>{271, 180, 90, 0, 271, 180, 90, 0, 271, 180, 90, 0}));
}

TEST(PageTurn, StepsThatMissExactly180NeverEnd)
{
    struct Case {
        uint32_t Start;
        int Step;
    };
    const Case cases[] = {{0, -7}, {353, -7}, {0, 0}, {360 + 5, 5}, {360 + 127, 127}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.Start << " step " << c.Step);
        const Turn turn = RunTurn(c.Start, c.Step, 5000);
        EXPECT_FALSE(turn.Ends);
        EXPECT_FALSE(Contains(turn.Angles, 270));
    }
}

TEST(PageTurn, PositiveStepCanEndOnlyTheFirstTurn)
{
    const Turn first = RunTurn(0, 5);
    EXPECT_TRUE(first.Ends);
    EXPECT_EQ(first.Angles.size(), 36u);
    EXPECT_EQ(first.Angles.front(), 5u);
}

TEST(PageTurn, TurnThroughTheTimerPausesAndResumes)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(6);
    ShowHeader header = BookHeader(6, -1);
    header.KeepOrder = 1;
    header.PauseSeconds = 4;
    SceneState state;
    CreateScene(state, platform, header);
    ASSERT_EQ(state.AnimationTimerId, kAnimationTimer);
    EXPECT_EQ(platform.TimerPeriods[kAnimationTimer], 25u);

    const std::vector<uint32_t> first = TurnUntilPause(state, platform);
    EXPECT_EQ(first.size(), 179u);
    EXPECT_EQ(state.SpinAngleY, 180u);
    EXPECT_EQ(state.AnimationTimerId, 0u);
    EXPECT_EQ(platform.RunningTimers, (std::set<unsigned>{kPauseTimer}));
    EXPECT_EQ(platform.TimerPeriods[kPauseTimer], 4000u);
    EXPECT_EQ(platform.Repaints, 179);

    OnSceneTimer(state, platform, kPauseTimer);
    EXPECT_EQ(state.SpinAngleY, 359u);  // one step short of lying flat
    EXPECT_EQ(platform.RunningTimers, (std::set<unsigned>{kAnimationTimer}));
    EXPECT_EQ(state.AnimationTimerId, kAnimationTimer);
    EXPECT_EQ(TurnUntilPause(state, platform).size(), 178u);
    EXPECT_TRUE(platform.Faults.empty()) << platform.Faults.front();
    EmptySlots(state, platform);
}

TEST(PageTurn, SlowTicksAndTheTimerIdTheSystemGives)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(2);
    platform.TimerIdResult = 77;
    ShowHeader header = BookHeader(2);
    header.SlowTicks = 1;
    SceneState state;
    CreateScene(state, platform, header);
    EXPECT_EQ(platform.TimerPeriods[kAnimationTimer], 1200u);
    EXPECT_EQ(state.AnimationTimerId, 77u);

    // Destroying the window stops the timer that runs, chosen by the recorded id.
    StopSceneTimers(state, platform);
    EXPECT_TRUE(platform.RunningTimers.empty());
    TurnUntilPause(state, platform);  // the id is now 0: the pause timer runs
    ASSERT_EQ(platform.RunningTimers, (std::set<unsigned>{kPauseTimer}));
    StopSceneTimers(state, platform);
    EXPECT_TRUE(platform.RunningTimers.empty());
    EmptySlots(state, platform);
}

TEST(SolidTick, AnglesWrapBothWays)
{
    struct Case {
        uint32_t Angle;
        int Step;
        uint32_t Next;
    };
    const Case cases[] = {
        {0, -5, 355}, {355, -5, 350}, {3, -5, 358}, {5, -5, 0},     {358, 5, 3},
        {359, 1, 0},  {0, 0, 0},      {0, -128, 232}, {300, 127, 67}, {100, -128, 332},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AdvanceAngle(c.Angle, c.Step), c.Next) << c.Angle << " by " << c.Step;
}

TEST(SolidTick, EveryTimerMovesAllFourAnglesAndNothingElse)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(6);
    ShowHeader header;
    header.FaceCount = 6;
    header.PictureCount = 6;
    header.SpinStepX = -5;
    header.SpinStepY = 7;
    header.SpinStepZ = 0;
    header.OrbitStep = -120;
    SceneState state;
    CreateScene(state, platform, header);
    const size_t decoded = platform.Decoded.size();

    const uint32_t expectedX[] = {355, 350, 345};
    const uint32_t expectedY[] = {7, 14, 21};
    const uint32_t expectedOrbit[] = {240, 120, 0};
    const unsigned timers[] = {kAnimationTimer, kPauseTimer, 99};
    for (int tick = 0; tick < 3; ++tick) {
        OnSceneTimer(state, platform, timers[tick]);
        EXPECT_EQ(state.SpinAngleX, expectedX[tick]);
        EXPECT_EQ(state.SpinAngleY, expectedY[tick]);
        EXPECT_EQ(state.SpinAngleZ, 0u);
        EXPECT_EQ(state.OrbitAngle, expectedOrbit[tick]);
    }
    EXPECT_EQ(platform.Decoded.size(), decoded);
    EXPECT_EQ(platform.RunningTimers, (std::set<unsigned>{kAnimationTimer}));
    EXPECT_EQ(platform.Repaints, 3);
    EmptySlots(state, platform);
}

}  // namespace

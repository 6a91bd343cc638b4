#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fake_scene_platform.h"
#include "picture_order.h"
#include "shared_random.h"

namespace {

// Draws after a seed of 1: 41 (the orbit tilt at creation), then 18467, 6334, 26500, 19169,
// 15724, 11478, ...
constexpr uint32_t kTick = 1;

std::vector<int32_t> OrderOf(const SceneState& state)
{
    return std::vector<int32_t>(state.PictureOrder, state.PictureOrder + state.PictureCount);
}

// The scene's creation up to the picture order: seed, orbit tilt, settings, order.
SceneState& OrderFor(SceneState& state, FakeScenePlatform& platform, const ShowHeader& header)
{
    ResetAnimation(state, kTick);
    ApplyShowHeader(state, header);
    BuildPictureOrder(state, platform);
    return state;
}

void SetOrder(SceneState& state, const std::vector<int32_t>& order)
{
    state.PictureCount = int32_t(order.size());
    std::copy(order.begin(), order.end(), state.PictureOrder);
}

struct ShuffleCase {
    const char* Name;
    int8_t KeepOrder;
    int8_t CoverFirst;
    std::vector<int32_t> Order;
    int32_t NextDraw;  // what the jukebox draws next from the shared sequence
};

class PictureOrderShuffle : public testing::TestWithParam<ShuffleCase> {};

TEST_P(PictureOrderShuffle, FixedSeedGivesTheExactOrder)
{
    const ShuffleCase& c = GetParam();
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(5);
    ShowHeader header = BookHeader(5);
    header.KeepOrder = c.KeepOrder;
    header.CoverFirst = c.CoverFirst;
    SceneState state;
    OrderFor(state, platform, header);
    EXPECT_EQ(state.OrbitTilt, 41u);
    EXPECT_EQ(OrderOf(state), c.Order);
    EXPECT_EQ(state.OrderIndex, 0);
    EXPECT_EQ(SharedRandom().Draw(), c.NextDraw);
}

// Worked by hand from the draws: each position i exchanged with s + draw % (n - s).
INSTANTIATE_TEST_SUITE_P(
    Cases, PictureOrderShuffle,
    testing::Values(
        // 18467%5=2, 6334%5=4, 26500%5=0, 19169%5=4, 15724%5=4
        ShuffleCase{"Shuffled", 0, 0, {100, 500, 300, 200, 400}, 11478},
        // positions 1..4 only: 18467%4=3, 6334%4=2, 26500%4=0, 19169%4=1 (plus 1)
        ShuffleCase{"CoverKeepsItsPlace", 0, 1, {100, 300, 200, 500, 400}, 15724},
        ShuffleCase{"KeepOrder", 1, 0, {100, 200, 300, 400, 500}, 18467},
        ShuffleCase{"KeepOrderWithCover", 1, 1, {100, 200, 300, 400, 500}, 18467}),
    [](const testing::TestParamInfo<ShuffleCase>& tested) { return tested.param.Name; });

TEST(PictureOrder, DrawsFromTheWholeRangeNotTheRemainder)
{
    // Draws 41, 18467, 6334 over three entries: j = 41%3 = 2 -> {3,2,1}; j = 18467%3 = 2 ->
    // {3,1,2}; j = 6334%3 = 1 -> {3,2,1}. Drawing from i..n-1 instead would end in {3,1,2}.
    RandomGenerator generator;
    int32_t order[3] = {1, 2, 3};
    ShufflePictureOrder(order, 3, false, generator);
    EXPECT_EQ(std::vector<int32_t>(order, order + 3), (std::vector<int32_t>{3, 2, 1}));
}

TEST(PictureOrder, NothingToShuffleDrawsNothing)
{
    RandomGenerator generator;
    int32_t one[1] = {7};
    ShufflePictureOrder(one, 1, true, generator);   // only the cover
    ShufflePictureOrder(one, 0, false, generator);  // no pictures
    EXPECT_EQ(one[0], 7);
    EXPECT_EQ(generator.Draw(), 41);  // still the first draw
}

TEST(PictureOrder, SolidsReadNoOrderAndDrawNothing)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(5);
    ShowHeader header = BookHeader(5);
    header.FaceCount = 6;
    SceneState state;
    OrderFor(state, platform, header);
    EXPECT_EQ(state.PictureOrder[0], 0);
    EXPECT_EQ(SharedRandom().Draw(), 18467);
}

TEST(PictureOrder, PositionsWrapAroundTheOrder)
{
    SceneState state;
    SetOrder(state, {10, 20, 30});
    EXPECT_EQ(PictureAt(state, 0), 10);
    EXPECT_EQ(PictureAt(state, 4), 20);
    EXPECT_EQ(PictureAt(state, -1), 30);
    state.PictureCount = 0;
    EXPECT_EQ(PictureAt(state, 5), 0);  // no picture, and no remainder by zero
}

TEST(PictureOrder, DroppingTheCoverShiftsTheOrder)
{
    SceneState state;
    SetOrder(state, {10, 20, 30});
    DropCover(state);
    EXPECT_EQ(OrderOf(state), (std::vector<int32_t>{20, 30}));
    EXPECT_EQ(state.OrderIndex, -1);
}

TEST(PictureOrder, TableLongerThanTheOrderIsCutTo1024)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(1100);
    ShowHeader header = BookHeader(1100);
    header.KeepOrder = 1;
    SceneState state;
    OrderFor(state, platform, header);
    ASSERT_EQ(state.PictureCount, 1024);
    EXPECT_EQ(state.PictureOrder[1023], 102400);

    // Even when the count was set past the order directly, and with the shuffle.
    state.PictureCount = 5000;
    state.Header.KeepOrder = 0;
    BuildPictureOrder(state, platform);
    EXPECT_EQ(state.PictureCount, 1024);
}

TEST(PictureOrder, NegativeCountIsAnEmptyOrder)
{
    FakeScenePlatform platform;
    SceneState state;
    OrderFor(state, platform, BookHeader(-5));
    EXPECT_EQ(state.PictureCount, 0);
}

}  // namespace

// Which picture lies where: the slots and the display lists after creation, after each end of a
// turn and after each end of a pause, checked against the book's table of spreads.
#include <gtest/gtest.h>

#include <vector>

#include "animation.h"
#include "fake_scene_platform.h"

namespace {

// P(x) of an order.
int32_t At(const std::vector<int32_t>& order, int64_t x)
{
    const int64_t n = int64_t(order.size());
    return order[size_t(((x % n) + n) % n)];
}

struct BookCase {
    const char* Name;
    int Pictures;
    bool Cover;
};

class BookSpreads : public testing::TestWithParam<BookCase> {};

TEST_P(BookSpreads, EachMomentShowsThePicturesOfTheTable)
{
    const BookCase& c = GetParam();
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(c.Pictures);
    ShowHeader header = BookHeader(c.Pictures);
    header.KeepOrder = 1;
    header.CoverFirst = c.Cover ? 1 : 0;
    SceneState state;
    CreateScene(state, platform, header);

    // After creation: the turning page P(0) / P(1) lies flat on the right over P(2).
    std::vector<int32_t> order = platform.Table;
    EXPECT_EQ(platform.Decoded, (std::vector<int32_t>{At(order, 0), At(order, 1), At(order, 2)}));
    EXPECT_EQ(platform.TempFileDeletes, 1);
    EXPECT_EQ(platform.ListShows[kTurningList],
              (std::vector<int32_t>{At(order, 0), At(order, 1)}));
    EXPECT_EQ(platform.ListShows[kUnderneathList], (std::vector<int32_t>{At(order, 2)}));

    // The first turn leaves list 2 as it is: the turned page shows P(1) on the left over nothing.
    TurnUntilPause(state, platform);
    EXPECT_EQ(platform.Compiles[kUnderneathList], 1);
    int32_t pauseLeft = platform.ListShows[kTurningList][1];
    int32_t pauseRight = platform.ListShows[kUnderneathList][0];

    int64_t base = 0;
    if (c.Cover) {
        order.erase(order.begin());
        base = -1;
    }
    for (int pause = 0; pause < 4; ++pause) {
        SCOPED_TRACE(testing::Message() << "end of pause " << pause + 1 << ", base " << base);
        platform.Decoded.clear();
        OnSceneTimer(state, platform, kPauseTimer);
        EXPECT_EQ(state.OrderIndex, base + 2);
        EXPECT_EQ(platform.Decoded, (std::vector<int32_t>{At(order, base + 1), At(order, base + 2),
                                                          At(order, base + 3),
                                                          At(order, base + 4)}));
        // Left P(b+1); right the turning page P(b+2) / P(b+3), nearly flat, over P(b+4).
        const std::vector<int32_t>& turning = platform.ListShows[kTurningList];
        const std::vector<int32_t>& underneath = platform.ListShows[kUnderneathList];
        EXPECT_EQ(turning, (std::vector<int32_t>{At(order, base + 2), At(order, base + 3)}));
        EXPECT_EQ(underneath, (std::vector<int32_t>{At(order, base + 4), At(order, base + 1)}));
        // Nothing changes on screen at the end of a pause, unless the cover has just left an
        // order that wraps at once.
        if (!(c.Cover && c.Pictures == 2 && pause == 0)) {
            EXPECT_EQ(underneath[1], pauseLeft);
            EXPECT_EQ(turning[0], pauseRight);
        }

        // During the following pause the turned page shows P(b+3) on the left, and list 2 holds
        // the right-hand page alone.
        TurnUntilPause(state, platform);
        EXPECT_EQ(platform.ListShows[kUnderneathList], (std::vector<int32_t>{At(order, base + 4)}));
        pauseLeft = platform.ListShows[kTurningList][1];
        pauseRight = platform.ListShows[kUnderneathList][0];
        EXPECT_EQ(pauseLeft, At(order, base + 3));
        base += 2;
    }
    EXPECT_EQ(platform.TempFileDeletes, 1);  // later reloads leave the file in place
    EXPECT_TRUE(platform.Faults.empty()) << platform.Faults.front();

    EmptySlots(state, platform);
    EXPECT_EQ(platform.LivePictures, 0);
    EXPECT_EQ(platform.LiveBitmaps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BookSpreads,
    testing::Values(BookCase{"OnePicture", 1, false}, BookCase{"TwoPictures", 2, false},
                    BookCase{"FivePictures", 5, false}, BookCase{"TwoWithCover", 2, true},
                    BookCase{"ThreeWithCover", 3, true}, BookCase{"SevenWithCover", 7, true}),
    [](const testing::TestParamInfo<BookCase>& tested) { return tested.param.Name; });

TEST(BookSpreads, OnePictureFillsEveryPageAndTwoAlternate)
{
    FakeScenePlatform platform;
    platform.Table = {500};
    SceneState state;
    CreateScene(state, platform, BookHeader(1));
    for (const PictureSlot& slot : state.Slots) {
        if (SlotFilled(slot)) {
            EXPECT_EQ(static_cast<FakeBitmap*>(slot.TextureBitmap)->Offset, 500);
        }
    }
    EXPECT_EQ(platform.Decoded, (std::vector<int32_t>{500, 500, 500}));
    EmptySlots(state, platform);

    FakeScenePlatform two;
    two.Table = {500, 600};
    SceneState alternating;
    ShowHeader header = BookHeader(2);
    header.KeepOrder = 1;
    CreateScene(alternating, two, header);
    EXPECT_EQ(two.Decoded, (std::vector<int32_t>{500, 600, 500}));  // slot 2 repeats slot 0
    EmptySlots(alternating, two);
}

TEST(BookSpreads, ShuffledOrderIsWalkedFromTheFront)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(9);
    SceneState state;
    CreateScene(state, platform, BookHeader(9), 4242);
    const std::vector<int32_t> order(state.PictureOrder, state.PictureOrder + 9);
    EXPECT_NE(order, platform.Table);  // this seed moves the pictures
    EXPECT_EQ(platform.Decoded, (std::vector<int32_t>{order[0], order[1], order[2]}));
    TurnUntilPause(state, platform);
    OnSceneTimer(state, platform, kPauseTimer);
    EXPECT_EQ(platform.ListShows[kTurningList], (std::vector<int32_t>{order[2], order[3]}));
    EXPECT_EQ(platform.ListShows[kUnderneathList], (std::vector<int32_t>{order[4], order[1]}));
    EmptySlots(state, platform);
}

TEST(BookSpreads, FailedPicturesFallBackAsTheListsSay)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(6);
    // After the first pause slot 3 gets P(3) = 400 and slot 4 gets P(4) = 500.
    platform.Undecodable = {400, 500};
    ShowHeader header = BookHeader(6);
    header.KeepOrder = 1;
    SceneState state;
    CreateScene(state, platform, header);
    TurnUntilPause(state, platform);
    OnSceneTimer(state, platform, kPauseTimer);
    // The back of the turning page keeps the front's image; the page underneath is lit but
    // untextured, since its upload happens even for an empty slot.
    EXPECT_EQ(platform.ListShows[kTurningList], (std::vector<int32_t>{300, 300}));
    EXPECT_EQ(platform.ListShows[kUnderneathList], (std::vector<int32_t>{kShowsUntextured, 200}));
    EXPECT_TRUE(platform.Faults.empty()) << platform.Faults.front();
    EmptySlots(state, platform);
}

TEST(SolidPictures, FacesTakeTheFirstTableEntriesInTableOrder)
{
    struct Case {
        const char* Name;
        int8_t FaceCount;
        std::vector<int32_t> Table;
        std::vector<int32_t> Decoded;
        std::vector<int32_t> Shows;
    };
    const Case cases[] = {
        // Entries 0 and 3 only: back and left show the front's picture, top and bottom slot 3's.
        {"CubeWithTwoPictures", 6, {100, 0, 0, 400, 0, 0, 700}, {100, 400},
         {100, 100, 100, 400, 400, 400}},
        {"FullCube", 6, {100, 200, 300, 400, 500, 600, 700}, {100, 200, 300, 400, 500, 600},
         {100, 200, 300, 400, 500, 600}},
        {"Pyramid", 5, {100, 200, 300, 400, 500, 600}, {100, 200, 300, 400, 500},
         {100, 200, 300, 400, 500}},
        // The back failed to load: it shows the front's picture.
        {"CardWithoutBack", 2, {100}, {100}, {100, 100}},
        // No front picture: the front is untextured and so is the back that has none either.
        {"CubeWithoutFront", 6, {0, 0, 300}, {300},
         {kShowsUntextured, kShowsUntextured, 300, 300, 300, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeScenePlatform platform;
        platform.Table = c.Table;
        ShowHeader header;
        header.FaceCount = c.FaceCount;
        header.PictureCount = 1;  // solids take FaceCount entries whatever this says
        header.KeepOrder = 0;
        SceneState state;
        CreateScene(state, platform, header);
        EXPECT_EQ(platform.Decoded, c.Decoded);
        EXPECT_EQ(platform.ListShows[kTurningList], c.Shows);
        EXPECT_EQ(platform.ListShows.count(kUnderneathList), 0u);
        EXPECT_EQ(platform.TempFileDeletes, 1);
        EXPECT_TRUE(platform.Faults.empty()) << platform.Faults.front();
        EmptySlots(state, platform);
        EXPECT_EQ(platform.LiveBitmaps, 0);
    }
}

TEST(SlotTextures, EveryFilledSlotIsOpaqueAndPicturesAreFreed)
{
    FakeScenePlatform platform;
    platform.Table = PictureTableOf(6);
    ShowHeader header;
    header.FaceCount = 6;
    SceneState state;
    CreateScene(state, platform, header);
    EXPECT_EQ(platform.AlphaTestDisables, 1);
    EXPECT_EQ(platform.LivePictures, 0);  // each picture freed once its texture image exists
    for (const PictureSlot& slot : state.Slots) {
        ASSERT_TRUE(SlotFilled(slot));
        EXPECT_EQ(slot.Picture, nullptr);
        const auto* texels = static_cast<const uint8_t*>(slot.Texels);
        for (int p = 0; p < slot.TextureSide * slot.TextureSide; ++p)
            ASSERT_EQ(texels[p * 4 + 3], 255);
    }
    EmptySlots(state, platform);
}

}  // namespace

#include <gtest/gtest.h>

#include <vector>

#include "scene_lists.h"

namespace {

// A slot that counts as filled, without a real image behind it.
uint8_t gTexels[4];

void Fill(SceneState& state, int slot)
{
    state.Slots[slot].TextureSide = 1;
    state.Slots[slot].Texels = gTexels;
}

std::vector<int> Uploads(const DisplayListPlan& list)
{
    std::vector<int> slots;
    for (int i = 0; i < list.FaceCount; ++i)
        slots.push_back(list.Faces[i].UploadSlot);
    return slots;
}

TEST(SceneLists, BookAtCreationTakesSlotsModuloThePictureCount)
{
    struct Case {
        int32_t PictureCount;
        bool SlotOneFilled;
        std::vector<int> Turning;
        std::vector<int> Underneath;
    };
    const Case cases[] = {
        {5, true, {0, 1}, {2}},
        {5, false, {0, kNoUpload}, {2}},
        {2, true, {0, 1}, {0}},
        // One picture: the back takes slot 0, but only when slot 1 is filled.
        {1, true, {0, 0}, {0}},
        {1, false, {0, kNoUpload}, {0}},
        // No pictures: no remainder by zero; the slots themselves, all empty.
        {0, false, {0, kNoUpload}, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.PictureCount << " pictures");
        SceneState state;
        state.Header.FaceCount = 0;
        state.PictureCount = c.PictureCount;
        Fill(state, 0);
        if (c.SlotOneFilled)
            Fill(state, 1);
        const SceneListPlans plans = PlanSceneLists(state);
        ASSERT_EQ(plans.Count, 2);
        EXPECT_EQ(plans.Lists[0].Number, kTurningList);
        EXPECT_EQ(plans.Lists[0].Faces[0].Face, &kRightPageFront);
        EXPECT_EQ(plans.Lists[0].Faces[1].Face, &kRightPageBack);
        EXPECT_EQ(Uploads(plans.Lists[0]), c.Turning);
        EXPECT_EQ(plans.Lists[1].Number, kUnderneathList);
        EXPECT_EQ(plans.Lists[1].Faces[0].Face, &kRightPageFront);
        EXPECT_EQ(Uploads(plans.Lists[1]), c.Underneath);
    }
}

TEST(SceneLists, BookAfterPauseAndAfterTurn)
{
    SceneState state;
    for (int slot = 1; slot <= 4; ++slot)
        Fill(state, slot);
    const SceneListPlans plans = PlanBookListsAfterPause(state);
    ASSERT_EQ(plans.Count, 2);
    EXPECT_EQ(Uploads(plans.Lists[0]), (std::vector<int>{2, 3}));
    EXPECT_EQ(Uploads(plans.Lists[1]), (std::vector<int>{4, 1}));
    EXPECT_EQ(plans.Lists[1].Faces[1].Face, &kLeftPage);

    // Empty slots: the "always" uploads stay, the others are left out.
    SceneState empty;
    const SceneListPlans bare = PlanBookListsAfterPause(empty);
    EXPECT_EQ(Uploads(bare.Lists[0]), (std::vector<int>{2, kNoUpload}));
    EXPECT_EQ(Uploads(bare.Lists[1]), (std::vector<int>{4, kNoUpload}));

    const DisplayListPlan afterTurn = PlanBookListAfterTurn(state);
    EXPECT_EQ(afterTurn.Number, kUnderneathList);
    EXPECT_EQ(Uploads(afterTurn), (std::vector<int>{4}));
}

TEST(SceneLists, ShownSlotsFollowTheLastImageSpecified)
{
    SceneState state;
    Fill(state, 3);
    DisplayListPlan list;
    list.FaceCount = 5;
    list.Faces[0] = {&kLeftPage, kNoUpload};  // nothing specified yet in this list
    list.Faces[1] = {&kLeftPage, 3};
    list.Faces[2] = {&kLeftPage, kNoUpload};
    list.Faces[3] = {&kLeftPage, 0};          // an empty slot: untextured from here
    list.Faces[4] = {&kLeftPage, kNoUpload};
    int shown[5];
    ShownSlots(list, state.Slots, shown);
    EXPECT_EQ(std::vector<int>(shown, shown + 5),
              (std::vector<int>{kImageBeforeList, 3, 3, kUntextured, kUntextured}));
}

}  // namespace

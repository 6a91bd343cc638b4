#include "scene_lists.h"

namespace {

// A face whose image comes from `slot`. With IfFilled the image is specified only when
// `conditionSlot` is filled; that is the face's own slot except on the book's first turning page.
ListFace PlanFace(const FaceGeometry& face, int slot, UploadRule rule, int conditionSlot,
                  const SceneState& state)
{
    if (rule == UploadRule::IfFilled && !SlotFilled(state.Slots[conditionSlot]))
        return {&face, kNoUpload};
    return {&face, slot};
}

void AddFace(DisplayListPlan& list, const ListFace& face)
{
    if (list.FaceCount < kSlotCount)
        list.Faces[list.FaceCount++] = face;
}

// Slot of position k (0..2) of the first spread: k modulo PictureCount, as the first pictures
// were loaded. A show without pictures has no remainder to take and uses the slot k itself,
// which is empty.
int FirstSpreadSlot(int k, int32_t pictureCount)
{
    return pictureCount > 0 ? int(k % pictureCount) : k;
}

}  // namespace

SceneListPlans PlanSceneLists(const SceneState& state)
{
    SceneListPlans plans;
    const SolidFaces solid = SolidFacesFor(state.Header.FaceCount);
    if (solid.Count > 0) {
        DisplayListPlan& list = plans.Lists[plans.Count++];
        list.Number = kTurningList;
        for (int i = 0; i < solid.Count; ++i) {
            const SolidFace& face = solid.Faces[i];
            AddFace(list, PlanFace(face.Geometry, face.Slot, face.Upload, face.Slot, state));
        }
        return plans;
    }

    const int32_t n = state.PictureCount;
    DisplayListPlan& turning = plans.Lists[plans.Count++];
    turning.Number = kTurningList;
    AddFace(turning, PlanFace(kRightPageFront, FirstSpreadSlot(0, n), UploadRule::Always, 0, state));
    AddFace(turning, PlanFace(kRightPageBack, FirstSpreadSlot(1, n), UploadRule::IfFilled, 1, state));
    DisplayListPlan& underneath = plans.Lists[plans.Count++];
    underneath.Number = kUnderneathList;
    AddFace(underneath,
            PlanFace(kRightPageFront, FirstSpreadSlot(2, n), UploadRule::Always, 2, state));
    return plans;
}

SceneListPlans PlanBookListsAfterPause(const SceneState& state)
{
    SceneListPlans plans;
    DisplayListPlan& turning = plans.Lists[plans.Count++];
    turning.Number = kTurningList;
    AddFace(turning, PlanFace(kRightPageFront, 2, UploadRule::Always, 2, state));
    AddFace(turning, PlanFace(kRightPageBack, 3, UploadRule::IfFilled, 3, state));
    DisplayListPlan& underneath = plans.Lists[plans.Count++];
    underneath.Number = kUnderneathList;
    AddFace(underneath, PlanFace(kRightPageFront, 4, UploadRule::Always, 4, state));
    AddFace(underneath, PlanFace(kLeftPage, 1, UploadRule::IfFilled, 1, state));
    return plans;
}

DisplayListPlan PlanBookListAfterTurn(const SceneState& state)
{
    DisplayListPlan underneath;
    underneath.Number = kUnderneathList;
    AddFace(underneath, PlanFace(kRightPageFront, 4, UploadRule::Always, 4, state));
    return underneath;
}

void ShownSlots(const DisplayListPlan& list, const PictureSlot (&slots)[kSlotCount], int* out)
{
    int inForce = kImageBeforeList;
    for (int i = 0; i < list.FaceCount && i < kSlotCount; ++i) {
        const int slot = list.Faces[i].UploadSlot;
        if (slot >= 0 && slot < kSlotCount)
            inForce = SlotFilled(slots[slot]) ? slot : kUntextured;
        out[i] = inForce;
    }
}

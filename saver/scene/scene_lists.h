// What display lists 1 and 2 hold: for each face in drawing order, its geometry and which slot's
// image is specified right before it. The upload rules are decided here from the slots as they
// are when the list is compiled, so the scene window only replays the plan into a GL list.
#pragma once

#include "face_tables.h"
#include "scene_state.h"

constexpr int kNoUpload = -1;

struct ListFace {
    const FaceGeometry* Face;
    // Slot whose image is specified right before the face (an empty slot's side of 0 leaves the
    // face untextured), or kNoUpload: the image specified last before it in the list stays.
    int UploadSlot;
};

struct DisplayListPlan {
    int Number = 0;  // kTurningList or kUnderneathList
    int FaceCount = 0;
    ListFace Faces[kSlotCount] = {};
};

struct SceneListPlans {
    int Count = 0;
    DisplayListPlan Lists[2];
};

// Lists at creation: FaceCount 2, 5, 6 give the card, pyramid or cube (list 1 only); 0 and every
// other value give the book's creation lists 1 and 2.
SceneListPlans PlanSceneLists(const SceneState& state);
// The book's lists 1 and 2 at the end of a pause.
SceneListPlans PlanBookListsAfterPause(const SceneState& state);
// The book's list 2 at the end of every turn but the first: the right-hand page alone.
DisplayListPlan PlanBookListAfterTurn(const SceneState& state);

// What each face of a compiled list shows: the slot whose image is in force for it, kUntextured
// when that image came from an empty slot, or kImageBeforeList when the list has specified no
// image before the face. `out` gets list.FaceCount values.
constexpr int kUntextured = -1;
constexpr int kImageBeforeList = -2;
void ShownSlots(const DisplayListPlan& list, const PictureSlot (&slots)[kSlotCount], int* out);

// The slideshow: which pictures are loaded when, the solid's spins and orbit, and the book's page
// turns and pauses. Plain functions over SceneState; every effect goes through ScenePlatform.
#pragma once
#include <cstdint>

#include "scene_platform.h"
#include "scene_state.h"

// The show's settings made safe for the scene's tables: PictureCount within 0..1024, FaceCount
// above 6 taken as 6 (the cube), DistanceIndex within 0..3, a negative PauseSeconds taken as 0.
ShowHeader SceneHeaderFrom(const ShowHeader& read);
// Stores the safe settings and takes PictureCount from them.
void ApplyShowHeader(SceneState& state, const ShowHeader& read);

// Empty slots, zero angles and timer id; seeds the shared generator with the tick count and
// draws OrbitTilt (the first draw after seeding, modulo 360).
void ResetAnimation(SceneState& state, uint32_t tickCount);

// Puts the picture at `jpegOffset` into `slot`; an offset of 0 or below is no picture, and a
// picture that does not decode leaves the slot empty.
void LoadPictureIntoSlot(SceneState& state, ScenePlatform& platform, int slot, int32_t jpegOffset);
// Book: slots 0..2 from positions 0..2 of the order. Solid: slots 0..FaceCount-1 from the first
// table entries in table order. Then the temporary bitmap file is deleted.
void LoadFirstPictures(SceneState& state, ScenePlatform& platform);
// Number of slots filled at creation: 3 for the book, FaceCount (at most 6) for a solid.
int FirstSlotCount(const SceneState& state);
// Texture images for the held pictures of slots first..first+count-1, then opaque alpha in every
// filled slot of the range. A slot left with a side but no texels is made empty.
void PrepareSlotTextures(SceneState& state, ScenePlatform& platform, int first, int count);
// Compiles the creation lists (PlanSceneLists) with the context current and uploads enabled.
void BuildSceneLists(SceneState& state, ScenePlatform& platform);

// AnimationTimer period: 1200 ms with SlowTicks, else 25 ms. PauseTimer: PauseSeconds x 1000 ms.
uint32_t AnimationPeriod(const ShowHeader& header);
uint32_t PausePeriod(const ShowHeader& header);

// Starts AnimationTimer and records its id.
void StartAnimation(SceneState& state, ScenePlatform& platform);
// The window's timer message: a solid tick for any timer while FaceCount is nonzero; in the book
// a page-turn step (AnimationTimer) or the end of a pause (PauseTimer). Then asks for a repaint.
void OnSceneTimer(SceneState& state, ScenePlatform& platform, unsigned timerId);

// One solid step of an angle: within 0..359, wrapping both ways.
uint32_t AdvanceAngle(uint32_t angle, int step);
void AdvanceSolidAngles(SceneState& state);

// One page-turn step of the book's turning page. Never lands on 270 (the page edge-on to the
// viewer); the turn ends when the angle becomes exactly 180.
struct PageStep {
    uint32_t Angle;
    bool TurnEnds;
};
PageStep NextPageAngle(uint32_t angle, int step);

void StepPageTurn(SceneState& state, ScenePlatform& platform);
void EndPageTurn(SceneState& state, ScenePlatform& platform);
void EndPause(SceneState& state, ScenePlatform& platform);

// Frees every held picture, then deletes every texture bitmap, and clears all six slots.
void EmptySlots(SceneState& state, ScenePlatform& platform);
// Stops whichever timer runs: PauseTimer when the animation timer id is 0, else AnimationTimer.
void StopSceneTimers(const SceneState& state, ScenePlatform& platform);

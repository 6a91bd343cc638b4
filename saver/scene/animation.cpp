#include "animation.h"

#include <algorithm>
#include <limits>

#include "picture_order.h"
#include "shared_random.h"

namespace {

constexpr int kFullTurn = 360;

// OrderIndex grows by 2 per turn. Long before it could overflow it is brought back by a multiple
// of PictureCount, which names the same positions, and kept above 0 so that it never again reads
// as the first spread.
int32_t NextOrderIndex(int32_t orderIndex, int32_t pictureCount)
{
    constexpr int32_t kFoldAbove = std::numeric_limits<int32_t>::max() / 2;
    int32_t next = orderIndex + 2;
    if (next > kFoldAbove && pictureCount > 0)
        next = next % pictureCount + pictureCount;
    return next;
}

void MakeTexelsOpaque(PictureSlot& slot)
{
    uint8_t* const texels = static_cast<uint8_t*>(slot.Texels);
    const uint64_t pixels = uint64_t(slot.TextureSide) * uint64_t(slot.TextureSide);
    for (uint64_t p = 0; p < pixels; ++p)
        texels[p * 4 + 3] = 255;
}

void CompileLists(const SceneListPlans& plans, SceneState& state, ScenePlatform& platform)
{
    for (int i = 0; i < plans.Count; ++i)
        platform.CompileList(plans.Lists[i], state.Slots);
}

}  // namespace

ShowHeader SceneHeaderFrom(const ShowHeader& read)
{
    ShowHeader header = read;
    header.PictureCount = ClampPictureCount(read.PictureCount);
    if (header.FaceCount > kSlotCount)
        header.FaceCount = kSlotCount;
    header.DistanceIndex = int8_t(ClampDistanceIndex(read.DistanceIndex));
    if (header.PauseSeconds < 0)
        header.PauseSeconds = 0;
    return header;
}

void ApplyShowHeader(SceneState& state, const ShowHeader& read)
{
    state.Header = SceneHeaderFrom(read);
    state.PictureCount = state.Header.PictureCount;
}

void ResetAnimation(SceneState& state, uint32_t tickCount)
{
    for (PictureSlot& slot : state.Slots)
        slot = PictureSlot();
    state.SpinAngleX = state.SpinAngleY = state.SpinAngleZ = 0;
    state.OrbitAngle = 0;
    state.AnimationTimerId = 0;
    SharedRandom().Seed(tickCount);
    state.OrbitTilt = uint32_t(SharedRandom().Draw() % kFullTurn);
}

void LoadPictureIntoSlot(SceneState& state, ScenePlatform& platform, int slot, int32_t jpegOffset)
{
    if (slot < 0 || slot >= kSlotCount || jpegOffset <= 0)
        return;
    PictureSlot& target = state.Slots[slot];
    if (target.Picture != nullptr)
        platform.FreeScenePicture(target.Picture);
    target.Picture = platform.LoadScenePicture(jpegOffset);
}

int FirstSlotCount(const SceneState& state)
{
    if (IsBook(state))
        return 3;
    return std::clamp<int>(state.Header.FaceCount, 0, kSlotCount);
}

void LoadFirstPictures(SceneState& state, ScenePlatform& platform)
{
    const int count = FirstSlotCount(state);
    for (int k = 0; k < count; ++k) {
        if (IsBook(state)) {
            if (state.PictureCount > 0)
                LoadPictureIntoSlot(state, platform, k, PictureAt(state, k));
        } else {
            LoadPictureIntoSlot(state, platform, k, platform.ReadPictureTableEntry(uint32_t(k)));
        }
    }
    platform.DeleteTempBitmapFile();
}

void PrepareSlotTextures(SceneState& state, ScenePlatform& platform, int first, int count)
{
    const int begin = std::clamp(first, 0, kSlotCount);
    const int end = std::clamp(first + count, begin, kSlotCount);
    for (int i = begin; i < end; ++i) {
        if (state.Slots[i].Picture != nullptr)
            platform.PrepareTextureImage(state.Slots[i]);
    }
    platform.DisableAlphaTest();
    for (int i = begin; i < end; ++i) {
        PictureSlot& slot = state.Slots[i];
        if (SlotFilled(slot))
            MakeTexelsOpaque(slot);
        else
            slot.TextureSide = 0;  // no image to upload: the slot counts as empty
    }
}

void BuildSceneLists(SceneState& state, ScenePlatform& platform)
{
    CompileLists(PlanSceneLists(state), state, platform);
}

uint32_t AnimationPeriod(const ShowHeader& header)
{
    return header.SlowTicks != 0 ? 1200 : 25;
}

uint32_t PausePeriod(const ShowHeader& header)
{
    return header.PauseSeconds > 0 ? uint32_t(header.PauseSeconds) * 1000 : 0;
}

void StartAnimation(SceneState& state, ScenePlatform& platform)
{
    state.AnimationTimerId = platform.StartTimer(kAnimationTimer, AnimationPeriod(state.Header));
}

void OnSceneTimer(SceneState& state, ScenePlatform& platform, unsigned timerId)
{
    if (!IsBook(state))
        AdvanceSolidAngles(state);
    else if (timerId == kAnimationTimer)
        StepPageTurn(state, platform);
    else if (timerId == kPauseTimer)
        EndPause(state, platform);
    platform.InvalidateScene();
}

uint32_t AdvanceAngle(uint32_t angle, int step)
{
    if (step >= 0)
        return uint32_t((uint64_t(angle) + uint64_t(step)) % kFullTurn);
    int64_t next = int64_t(angle) + step;
    if (next < 0)
        next += kFullTurn;
    return uint32_t(next);
}

void AdvanceSolidAngles(SceneState& state)
{
    const ShowHeader& header = state.Header;
    state.SpinAngleX = AdvanceAngle(state.SpinAngleX, header.SpinStepX);
    state.SpinAngleY = AdvanceAngle(state.SpinAngleY, header.SpinStepY);
    state.SpinAngleZ = AdvanceAngle(state.SpinAngleZ, header.SpinStepZ);
    state.OrbitAngle = AdvanceAngle(state.OrbitAngle, header.OrbitStep);
}

PageStep NextPageAngle(uint32_t angle, int step)
{
    int64_t a = int64_t(angle) + step;
    if (a < 0)
        a += kFullTurn;
    if (a == 270 && step == -1)
        return {269, false};
    if (a == step + 271)
        return {uint32_t(step + 270), false};
    if (a == 270)
        return {271, false};
    if (a == 180)
        return {180, true};
    return {uint32_t(a), false};  // a positive step lets the angle grow; it wraps at 2^32
}

void StepPageTurn(SceneState& state, ScenePlatform& platform)
{
    const PageStep step = NextPageAngle(state.SpinAngleY, state.Header.TurnStep);
    state.SpinAngleY = step.Angle;
    if (step.TurnEnds)
        EndPageTurn(state, platform);
}

void EndPageTurn(SceneState& state, ScenePlatform& platform)
{
    platform.StopTimer(kAnimationTimer);
    if (state.OrderIndex != 0) {
        // From now on only the page that has just landed covers the left-hand side.
        platform.MakeContextCurrent();
        platform.BeginListUploads();
        platform.CompileList(PlanBookListAfterTurn(state), state.Slots);
        platform.ReleaseContext();
        platform.SetTextureState();
    }
    platform.StartTimer(kPauseTimer, PausePeriod(state.Header));
    state.AnimationTimerId = 0;
}

void EndPause(SceneState& state, ScenePlatform& platform)
{
    platform.StopTimer(kPauseTimer);
    if (state.Header.CoverFirst != 0 && state.OrderIndex == 0)
        DropCover(state);
    // An order with no pictures left (none in the show, or only the cover) has no next spread:
    // the book stays on the spread it shows, with no timer running.
    if (state.PictureCount <= 0)
        return;

    // The next page starts one step short of lying flat.
    state.SpinAngleY = uint32_t(state.Header.TurnStep + kFullTurn);
    EmptySlots(state, platform);
    for (int k = 1; k <= 4; ++k)
        LoadPictureIntoSlot(state, platform, k, PictureAt(state, int64_t(state.OrderIndex) + k));

    platform.MakeContextCurrent();
    PrepareSlotTextures(state, platform, 0, kSlotCount);
    platform.BeginListUploads();
    CompileLists(PlanBookListsAfterPause(state), state, platform);
    state.OrderIndex = NextOrderIndex(state.OrderIndex, state.PictureCount);
    platform.ReleaseContext();
    platform.SetTextureState();
    StartAnimation(state, platform);
}

void EmptySlots(SceneState& state, ScenePlatform& platform)
{
    for (PictureSlot& slot : state.Slots) {
        if (slot.Picture != nullptr)
            platform.FreeScenePicture(slot.Picture);
    }
    for (PictureSlot& slot : state.Slots) {
        if (slot.TextureBitmap != nullptr)
            platform.DeleteTextureBitmap(slot.TextureBitmap);
        slot = PictureSlot();
    }
}

void StopSceneTimers(const SceneState& state, ScenePlatform& platform)
{
    platform.StopTimer(state.AnimationTimerId == 0 ? kPauseTimer : kAnimationTimer);
}

#include "picture_order.h"

#include <utility>

void ShufflePictureOrder(int32_t* order, int32_t count, bool coverFirst, RandomGenerator& random)
{
    const int32_t first = coverFirst ? 1 : 0;
    if (count <= first)
        return;
    const int32_t range = count - first;
    for (int32_t i = first; i < count; ++i) {
        const int32_t j = first + random.Draw() % range;
        std::swap(order[i], order[j]);
    }
}

void BuildPictureOrder(SceneState& state, ScenePlatform& platform)
{
    if (!IsBook(state))
        return;
    state.OrderIndex = 0;
    state.PictureCount = ClampPictureCount(state.PictureCount);
    for (int32_t i = 0; i < state.PictureCount; ++i)
        state.PictureOrder[i] = platform.ReadPictureTableEntry(uint32_t(i));
    if (state.Header.KeepOrder == 0)
        ShufflePictureOrder(state.PictureOrder, state.PictureCount, state.Header.CoverFirst != 0,
                            SharedRandom());
}

int32_t PictureAt(const SceneState& state, int64_t position)
{
    const int64_t count = state.PictureCount;
    if (count <= 0 || count > kMaxPictureCount)
        return 0;
    int64_t at = position % count;
    if (at < 0)
        at += count;
    return state.PictureOrder[at];
}

void DropCover(SceneState& state)
{
    if (state.PictureCount <= 0)
        return;
    for (int32_t i = 1; i < state.PictureCount && i < kMaxPictureCount; ++i)
        state.PictureOrder[i - 1] = state.PictureOrder[i];
    state.PictureCount -= 1;
    state.OrderIndex = -1;
}

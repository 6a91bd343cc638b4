// The book's picture order: the JpegOffsets of the picture table, shuffled unless the show keeps
// its order, walked two pictures per turn and wrapped around at its end.
#pragma once
#include <cstdint>

#include "scene_platform.h"
#include "scene_state.h"
#include "shared_random.h"

// Shuffles the first `count` entries of `order`. Each position i from s to count - 1 (s = 1 with
// a cover, else 0) is exchanged with a position drawn from the whole range s..count - 1, so the
// result depends only on the generator's state. With a cover, entry 0 never moves.
void ShufflePictureOrder(int32_t* order, int32_t count, bool coverFirst, RandomGenerator& random);

// Book only (FaceCount 0): OrderIndex 0, PictureOrder read from the table in table order, then
// shuffled with the shared generator unless KeepOrder is set.
void BuildPictureOrder(SceneState& state, ScenePlatform& platform);

// P(x): the entry of PictureOrder at position x modulo PictureCount; 0 (no picture) when the
// order is empty.
int32_t PictureAt(const SceneState& state, int64_t position);

// Drops the cover: every entry moves one place towards the front, PictureCount decreases by one
// and OrderIndex becomes -1.
void DropCover(SceneState& state);

#pragma once
#include <cstdint>

// Side of the square texture for a picture: the largest power of two not above the mean of width
// and height (at most 32768), limited to the rendering context's GL_MAX_TEXTURE_SIZE.
int32_t TextureSide(int32_t width, int32_t height, int32_t maxTextureSize);

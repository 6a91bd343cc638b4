// The temporary bitmap file every picture passes through: "SSP" in the preview pane (a window
// less than 320 pixels wide), "SSS" otherwise, with the fixed unique number 1234.
#pragma once

#include "scene_state.h"

constexpr unsigned kTempUniqueNumber = 1234;

const char* TempBitmapPrefix(int clientWidth);

// The name in the Windows folder, used when the temporary folder gives no name: the folder, a
// backslash unless it ends in one, then "SSP1234.TMP" or "SSS1234.TMP". Returns false, with `out`
// empty, when the path would not fit in 259 characters.
bool FallbackTempBitmapPath(const char* windowsFolder, int clientWidth,
                            char (&out)[kScenePathSize]);

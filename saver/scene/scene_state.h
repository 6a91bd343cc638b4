// The scene window's one state record: the show's settings, the picture order, the six picture
// slots, the angles and the timer, and the handles the window keeps. Handles are held as opaque
// pointers here; the scene window gives them their platform types.
#pragma once
#include <cstdint>

#include "show_file.h"

constexpr int kSlotCount = 6;
constexpr int32_t kMaxPictureCount = 1024;  // entries PictureOrder can hold
constexpr int kScenePathSize = 260;         // path buffers, at most 259 characters

// Window timers of the scene window.
constexpr unsigned kAnimationTimer = 1;
constexpr unsigned kPauseTimer = 2;

// Display list numbers.
constexpr int kTurningList = 1;     // the solid, or the book's turning page
constexpr int kUnderneathList = 2;  // the book's pages lying underneath

struct PictureSlot {
    void* Picture = nullptr;        // ScenePicture, held only until its texture image exists
    int32_t TextureSide = 0;        // side of the square texture image; 0 = the slot is empty
    void* TextureBitmap = nullptr;  // the DIB section that owns the texels
    void* Texels = nullptr;         // side x side pixels: blue, green, red, alpha; bottom row first
};

// A slot whose texture image can be uploaded. A slot whose DIB section could not be made has no
// texels; PrepareSlotTextures counts it as empty.
inline bool SlotFilled(const PictureSlot& slot)
{
    return slot.TextureSide > 0 && slot.Texels != nullptr;
}

struct SceneState {
    // Settings, as read at creation and made safe by ApplyShowHeader.
    ShowHeader Header;

    // Held by the scene window.
    char ShowFilePath[kScenePathSize] = {};
    char TempBitmapPath[kScenePathSize] = {};
    void* RenderingContext = nullptr;  // none until created
    void* Palette = nullptr;           // none when the pixel format needs no palette
    uint32_t SongDevice = 0;           // song now playing; 0 = none

    // Animation.
    int32_t PictureOrder[kMaxPictureCount] = {};  // book: the showing order, as JpegOffsets
    int32_t PictureCount = 0;   // valid entries of PictureOrder; one less once the cover is dropped
    int32_t OrderIndex = 0;     // book: slot k is loaded from position OrderIndex + k
    PictureSlot Slots[kSlotCount];
    uint32_t SpinAngleX = 0;    // whole degrees; in the book SpinAngleY is the turning page
    uint32_t SpinAngleY = 0;
    uint32_t SpinAngleZ = 0;
    uint32_t OrbitAngle = 0;
    uint32_t OrbitTilt = 0;     // random 0..359, fixed for the life of the window
    unsigned AnimationTimerId = 0;  // 0 while the book pauses
};

// PictureOrder holds 1024 entries: a longer table is cut to them.
inline int32_t ClampPictureCount(int32_t count)
{
    return count < 0 ? 0 : count > kMaxPictureCount ? kMaxPictureCount : count;
}

// The distance tables have four entries.
inline int ClampDistanceIndex(int index)
{
    return index < 0 ? 0 : index > 3 ? 3 : index;
}

inline bool IsBook(const SceneState& state) { return state.Header.FaceCount == 0; }

// What the scene core asks of the platform: the show file and the pictures, the rendering
// context and the display lists, the window's timers and repaint. The scene window implements it
// over Win32 and OpenGL; unit tests use a recording double.
#pragma once
#include <cstdint>

#include "scene_lists.h"
#include "scene_state.h"

class ScenePlatform {
public:
    virtual ~ScenePlatform() = default;

    // JpegOffset of PictureTable entry `index`; 0 when the file ends before it.
    virtual int32_t ReadPictureTableEntry(uint32_t index) = 0;
    // Decodes the stream at `jpegOffset` through the temporary bitmap file into a new
    // ScenePicture; null when either step fails.
    virtual void* LoadScenePicture(int32_t jpegOffset) = 0;
    virtual void DeleteTempBitmapFile() = 0;
    virtual void FreeScenePicture(void* picture) = 0;
    virtual void DeleteTextureBitmap(void* bitmap) = 0;
    // PrepareTextureImage for a slot that holds a picture, with the context current: sets side,
    // bitmap and texels (no texels when the DIB section cannot be made) and consumes the picture.
    virtual void PrepareTextureImage(PictureSlot& slot) = 0;
    virtual void DisableAlphaTest() = 0;

    // Takes the window's device context and makes the rendering context current on it.
    virtual void MakeContextCurrent() = 0;
    // Makes no context current and releases the device context.
    virtual void ReleaseContext() = 0;
    // Enables GL_TEXTURE_2D and sets GL_UNPACK_ALIGNMENT to 1, before lists are compiled.
    virtual void BeginListUploads() = 0;
    // Compiles `list` (GL_COMPILE), replacing its earlier content; each upload specifies the
    // slot's image (GL_BGRA_EXT, side x side, 4 components) right before its face.
    virtual void CompileList(const DisplayListPlan& list,
                             const PictureSlot (&slots)[kSlotCount]) = 0;
    // The texture parameters of the default texture (takes and releases the context itself).
    virtual void SetTextureState() = 0;

    // Window timers; StartTimer returns the platform's timer id (0 on failure).
    virtual unsigned StartTimer(unsigned id, uint32_t periodMs) = 0;
    virtual void StopTimer(unsigned id) = 0;
    // Asks for a repaint of the whole window without erasing.
    virtual void InvalidateScene() = 0;
};

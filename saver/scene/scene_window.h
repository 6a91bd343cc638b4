// The scene window (class "3DOpenGLWnd"): the OpenGL child of the host window.
#pragma once
#include <windows.h>

#include <cstdint>

#include "byte_source.h"
#include "scene_platform.h"
#include "scene_state.h"

LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- shared by the scene window's own files ---------------------------------------------------

// Everything one scene window holds: the scene's state record and what the window needs while it
// works on it. Kept in the window's GWLP_USERDATA from creation to WM_NCDESTROY.
struct SceneWindowState {
    SceneState Scene;
    HWND Window = nullptr;
    HDC Dc = nullptr;                 // the window's device context while the context is current
    ByteSource* ShowFile = nullptr;   // open only while the window is created
    uint64_t PictureTableOffset = 0;
};

// The state of a scene window; null before its creation and after its destruction.
SceneWindowState* SceneWindowStateOf(HWND window);

// The scene's effects on Win32 and OpenGL.
class Win32ScenePlatform final : public ScenePlatform {
public:
    explicit Win32ScenePlatform(SceneWindowState& state) : state_(state) {}

    int32_t ReadPictureTableEntry(uint32_t index) override;
    void* LoadScenePicture(int32_t jpegOffset) override;
    void DeleteTempBitmapFile() override;
    void FreeScenePicture(void* picture) override;
    void DeleteTextureBitmap(void* bitmap) override;
    void PrepareTextureImage(PictureSlot& slot) override;
    void DisableAlphaTest() override;
    void MakeContextCurrent() override;
    void ReleaseContext() override;
    void BeginListUploads() override;
    void CompileList(const DisplayListPlan& list, const PictureSlot (&slots)[kSlotCount]) override;
    void SetTextureState() override;
    unsigned StartTimer(unsigned id, uint32_t periodMs) override;
    void StopTimer(unsigned id) override;
    void InvalidateScene() override;

private:
    SceneWindowState& state_;
};

// Sets the scene's double-buffered RGBA pixel format with a 16-bit depth buffer on the device
// context (the system's closest match; neither result is checked).
void SetScenePixelFormat(HDC dc);
// The logical palette for the pixel format set on the device context; null when it needs none.
HPALETTE CreateScenePalette(HDC dc);
// Projection, viewport and render state for a client area of width x height.
void SetSceneProjection(int width, int height);
// WM_PAINT: draws one frame and shows it.
void PaintScene(SceneWindowState& state);

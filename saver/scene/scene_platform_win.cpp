// The scene's effects on Win32 and OpenGL: pictures through the temporary bitmap file, texture
// images, display lists, the default texture's state, the window's timers; and the pixel format
// and palette the window's rendering context is made for.
#include <windows.h>

#include <GL/gl.h>

#include <cstdlib>

#include "jpeg_to_bitmap.h"
#include "scene_palette.h"
#include "scene_window.h"
#include "show_file.h"
#include "showdata_win.h"

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the pixel format descriptor is 40 bytes");

int32_t Win32ScenePlatform::ReadPictureTableEntry(uint32_t index)
{
    if (state_.ShowFile == nullptr)
        return 0;
    return ReadJpegOffset(*state_.ShowFile, state_.PictureTableOffset, index);
}

void* Win32ScenePlatform::LoadScenePicture(int32_t jpegOffset)
{
    const SceneState& scene = state_.Scene;
    if (ConvertShowPicture(scene.ShowFilePath, scene.TempBitmapPath, jpegOffset) != 1)
        return nullptr;
    return LoadBitmapFile(scene.TempBitmapPath);
}

void Win32ScenePlatform::DeleteTempBitmapFile()
{
    DeleteFileA(state_.Scene.TempBitmapPath);
}

void Win32ScenePlatform::FreeScenePicture(void* picture)
{
    ::FreeScenePicture(picture);
}

void Win32ScenePlatform::DeleteTextureBitmap(void* bitmap)
{
    DeleteObject(static_cast<HBITMAP>(bitmap));
}

void Win32ScenePlatform::PrepareTextureImage(PictureSlot& slot)
{
    HBITMAP bitmap = static_cast<HBITMAP>(slot.TextureBitmap);
    ::PrepareTextureImage(state_.Window, &slot.Picture, &slot.TextureSide, &bitmap, &slot.Texels,
                          static_cast<HPALETTE>(state_.Scene.Palette));
    slot.TextureBitmap = bitmap;
}

void Win32ScenePlatform::DisableAlphaTest()
{
    glDisable(GL_ALPHA_TEST);
}

void Win32ScenePlatform::MakeContextCurrent()
{
    state_.Dc = GetDC(state_.Window);
    wglMakeCurrent(state_.Dc, static_cast<HGLRC>(state_.Scene.RenderingContext));
}

void Win32ScenePlatform::ReleaseContext()
{
    wglMakeCurrent(nullptr, nullptr);
    if (state_.Dc != nullptr)
        ReleaseDC(state_.Window, state_.Dc);
    state_.Dc = nullptr;
}

void Win32ScenePlatform::BeginListUploads()
{
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

void Win32ScenePlatform::CompileList(const DisplayListPlan& list,
                                     const PictureSlot (&slots)[kSlotCount])
{
    glNewList(GLuint(list.Number), GL_COMPILE);
    for (int i = 0; i < list.FaceCount; ++i) {
        const ListFace& face = list.Faces[i];
        if (face.UploadSlot >= 0 && face.UploadSlot < kSlotCount) {
            // An empty slot specifies an image of side 0: the face is then drawn untextured.
            const PictureSlot& slot = slots[face.UploadSlot];
            const bool filled = SlotFilled(slot);
            glTexImage2D(GL_TEXTURE_2D, 0, 4, filled ? slot.TextureSide : 0,
                         filled ? slot.TextureSide : 0, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE,
                         filled ? slot.Texels : nullptr);
        }
        const FaceGeometry& geometry = *face.Face;
        glBegin(GL_POLYGON);
        glNormal3fv(geometry.Normal);
        for (int c = 0; c < geometry.CornerCount && c < 4; ++c) {
            const FaceCorner& corner = geometry.Corners[c];
            glTexCoord2f(corner.S, corner.T);
            glVertex3f(corner.X, corner.Y, corner.Z);
        }
        glEnd();
    }
    glEndList();
}

void Win32ScenePlatform::SetTextureState()
{
    MakeContextCurrent();
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    ReleaseContext();
}

unsigned Win32ScenePlatform::StartTimer(unsigned id, uint32_t periodMs)
{
    return unsigned(SetTimer(state_.Window, id, periodMs, nullptr));
}

void Win32ScenePlatform::StopTimer(unsigned id)
{
    KillTimer(state_.Window, id);
}

void Win32ScenePlatform::InvalidateScene()
{
    InvalidateRect(state_.Window, nullptr, FALSE);
}

void SetScenePixelFormat(HDC dc)
{
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = BYTE(GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL));
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format);
}

HPALETTE CreateScenePalette(HDC dc)
{
    PIXELFORMATDESCRIPTOR format = {};
    if (DescribePixelFormat(dc, GetPixelFormat(dc), sizeof(format), &format) == 0)
        return nullptr;
    PixelColorLayout layout;
    layout.NeedsPalette = (format.dwFlags & PFD_NEED_PALETTE) != 0;
    layout.ColorBits = format.cColorBits;
    layout.RedBits = format.cRedBits;
    layout.RedShift = format.cRedShift;
    layout.GreenBits = format.cGreenBits;
    layout.GreenShift = format.cGreenShift;
    layout.BlueBits = format.cBlueBits;
    layout.BlueShift = format.cBlueShift;
    PaletteColor colors[kPaletteSize];
    if (!ComputeScenePalette(layout, colors))
        return nullptr;

    // LOGPALETTE holds one entry; the other 255 follow it.
    const size_t size = sizeof(LOGPALETTE) + (kPaletteSize - 1) * sizeof(PALETTEENTRY);
    auto* logical = static_cast<LOGPALETTE*>(std::calloc(1, size));
    if (logical == nullptr)
        return nullptr;
    logical->palVersion = 0x300;
    logical->palNumEntries = kPaletteSize;
    for (int i = 0; i < kPaletteSize; ++i) {
        logical->palPalEntry[i].peRed = colors[i].Red;
        logical->palPalEntry[i].peGreen = colors[i].Green;
        logical->palPalEntry[i].peBlue = colors[i].Blue;
        logical->palPalEntry[i].peFlags = colors[i].Flags;
    }
    HPALETTE palette = CreatePalette(logical);
    std::free(logical);
    return palette;
}

#include <GL/gl.h>

#include "bitmap_file.h"
#include "showdata_win.h"
#include "texture_side.h"

int PrepareTextureImage(HWND window, ScenePicture* picture, int32_t* textureSide, HBITMAP* bitmap,
                        void** texels, HPALETTE scenePalette)
{
    if (!*picture)
        return 0;

    const auto* header = static_cast<const BITMAPINFOHEADER*>(*picture);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // A top-down picture (negative height) has as many rows as a bottom-up one.
    const int32_t rows = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    const int32_t side = TextureSide(header->biWidth, rows, maxSize);
    *textureSide = side;

    BITMAPINFOHEADER square = {};
    square.biSize = sizeof(square);
    square.biWidth = side;
    square.biHeight = side;
    square.biPlanes = 1;
    square.biBitCount = 32;
    square.biCompression = BI_RGB;

    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);

    if (*bitmap) {
        DeleteObject(*bitmap);
        *bitmap = nullptr;
        *texels = nullptr;
    }
    void* bits = nullptr;
    *bitmap = side > 0 ? CreateDIBSection(memoryDc, reinterpret_cast<BITMAPINFO*>(&square),
                                          DIB_RGB_COLORS, &bits, nullptr, 0)
                       : nullptr;
    *texels = *bitmap ? bits : nullptr;

    HGDIOBJ replaced = *bitmap ? SelectObject(memoryDc, *bitmap) : nullptr;
    if (scenePalette) {
        SelectPalette(memoryDc, scenePalette, TRUE);
        RealizePalette(memoryDc);
    }
    SetStretchBltMode(memoryDc, COLORONCOLOR);
    if (*bitmap) {
        const auto* pixels = static_cast<const BYTE*>(*picture) + PackedBitmapBitsOffset(*picture);
        StretchDIBits(memoryDc, 0, 0, side, side, 0, 0, header->biWidth, header->biHeight, pixels,
                      static_cast<const BITMAPINFO*>(*picture), DIB_RGB_COLORS, SRCCOPY);
    }
    GdiFlush();

    FreeScenePicture(*picture);
    *picture = nullptr;

    if (replaced)
        SelectObject(memoryDc, replaced);
    DeleteDC(memoryDc);
    return 1;
}

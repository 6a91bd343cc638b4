// SceneWindowProc: the OpenGL child window in which the slideshow is drawn. Creation reads the show
// file, decodes the first pictures, sets up the pixel format, palette and rendering context, builds
// the display lists and starts the animation; destruction releases all of it. The rendering context
// is current only inside one message at a time.
#include <windows.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "animation.h"
#include "jukebox.h"
#include "picture_order.h"
#include "scene_window.h"
#include "show_file.h"
#include "showdata_win.h"
#include "temp_bitmap_path.h"

namespace {

// SaverName: the long file name of the program's module cut at its last dot; the module path
// itself when the name has no dot or cannot be looked up. False when the module path cannot be
// read.
bool FindSceneSaverName(std::string& saverName)
{
    char modulePath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    Win32DataFolderPlatform platform;
    std::string longName;
    if (!platform.LongFileName(modulePath, longName) || !SaverNameFromLongName(longName, saverName))
        saverName = modulePath;
    return true;
}

// The show file's path: SaverDataDir, SaverName and ".dat". False when there is no data folder or
// the path would not fit.
bool FindShowFilePath(const std::string& saverName, char (&path)[kScenePathSize])
{
    char dataDir[MAX_PATH] = {};
    FindSaverDataDir(dataDir);
    if (dataDir[0] == '\0')
        return false;
    const int written = std::snprintf(path, sizeof path, "%s%s.dat", dataDir, saverName.c_str());
    return written > 0 && size_t(written) < sizeof path;
}

// TempBitmapPath: the temporary folder's name for the prefix and the unique number 1234, or, when
// the system gives no such name, the fixed name in the Windows folder.
void ChooseTempBitmapPath(HWND window, char (&path)[kScenePathSize])
{
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    char tempDir[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, tempDir);
    if (length > 0 && length < MAX_PATH &&
        GetTempFileNameA(tempDir, TempBitmapPrefix(width), kTempUniqueNumber, path) ==
            kTempUniqueNumber)
        return;
    char windowsDir[MAX_PATH] = {};
    const UINT windowsLength = GetWindowsDirectoryA(windowsDir, MAX_PATH);
    if (windowsLength == 0 || windowsLength >= MAX_PATH)
        windowsDir[0] = '\0';
    FallbackTempBitmapPath(windowsDir, width, path);
}

LRESULT OnCreate(HWND window)
{
    auto* state = new (std::nothrow) SceneWindowState;
    if (state == nullptr)
        return -1;
    state->Window = window;
    SceneState& scene = state->Scene;
    Win32ScenePlatform platform(*state);

    ResetAnimation(scene, GetTickCount());

    std::string saverName;
    if (!FindSceneSaverName(saverName) || !FindShowFilePath(saverName, scene.ShowFilePath)) {
        delete state;
        return -1;
    }
    FileSource showFile(scene.ShowFilePath);
    if (!showFile.IsOpen()) {
        delete state;
        return -1;
    }
    state->ShowFile = &showFile;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));

    {
        const ShowContents contents = ReadShowContents(showFile);
        ApplyShowHeader(scene, contents.Header);
        state->PictureTableOffset = contents.PictureTableOffset;
        BuildPictureOrder(scene, platform);
        // Songs play in a full-screen run only; the jukebox tells the run from the preview.
        StartSceneMusic(window, scene.ShowFilePath, contents.Title.c_str(), &scene.SongDevice);
    }  // the title is no longer needed

    ChooseTempBitmapPath(window, scene.TempBitmapPath);
    LoadFirstPictures(scene, platform);
    state->ShowFile = nullptr;   // closed when showFile goes out of scope

    state->Dc = GetDC(window);
    SetScenePixelFormat(state->Dc);
    HPALETTE palette = CreateScenePalette(state->Dc);
    scene.Palette = palette;
    HGLRC context = wglCreateContext(state->Dc);
    scene.RenderingContext = context;
    if (palette != nullptr) {
        SelectPalette(state->Dc, palette, FALSE);
        RealizePalette(state->Dc);
    }
    wglMakeCurrent(state->Dc, context);

    PrepareSlotTextures(scene, platform, 0, FirstSlotCount(scene));
    platform.BeginListUploads();
    BuildSceneLists(scene, platform);
    platform.ReleaseContext();
    platform.SetTextureState();
    StartAnimation(scene, platform);
    return 0;
}

LRESULT OnSize(SceneWindowState& state, int width, int height)
{
    Win32ScenePlatform platform(state);
    platform.MakeContextCurrent();
    SetSceneProjection(width, height);
    platform.ReleaseContext();
    InvalidateRect(state.Window, nullptr, TRUE);
    return 0;
}

LRESULT RealizeScenePalette(SceneWindowState& state)
{
    HPALETTE palette = static_cast<HPALETTE>(state.Scene.Palette);
    HDC dc = GetDC(state.Window);
    HPALETTE previous = palette != nullptr ? SelectPalette(dc, palette, FALSE) : nullptr;
    const UINT realised = palette != nullptr ? RealizePalette(dc) : 0;
    wglMakeCurrent(dc, static_cast<HGLRC>(state.Scene.RenderingContext));
    wglMakeCurrent(nullptr, nullptr);
    if (previous != nullptr)
        SelectPalette(dc, previous, TRUE);
    ReleaseDC(state.Window, dc);
    if (realised != 0 && realised != GDI_ERROR) {
        InvalidateRect(state.Window, nullptr, TRUE);
        return LRESULT(realised);
    }
    return 0;
}

void OnDestroy(SceneWindowState& state)
{
    SceneState& scene = state.Scene;
    Win32ScenePlatform platform(state);
    EndSceneMusic(&scene.SongDevice);
    StopSceneTimers(scene, platform);
    wglMakeCurrent(nullptr, nullptr);
    if (scene.RenderingContext != nullptr)
        wglDeleteContext(static_cast<HGLRC>(scene.RenderingContext));
    scene.RenderingContext = nullptr;
    if (scene.Palette != nullptr)
        DeleteObject(static_cast<HPALETTE>(scene.Palette));
    scene.Palette = nullptr;
    EmptySlots(scene, platform);
}

}  // namespace

SceneWindowState* SceneWindowStateOf(HWND window)
{
    return reinterpret_cast<SceneWindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        return OnCreate(window);
    SceneWindowState* state = SceneWindowStateOf(window);
    if (state == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_SIZE:
        return OnSize(*state, LOWORD(lParam), HIWORD(lParam));
    case WM_PAINT:
        PaintScene(*state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER: {
        Win32ScenePlatform platform(*state);
        OnSceneTimer(state->Scene, platform, unsigned(wParam));
        return 0;
    }
    case WM_QUERYNEWPALETTE:
        return RealizeScenePalette(*state);
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) == window)
            break;
        return RealizeScenePalette(*state);
    case MM_MCINOTIFY:
        OnSceneSongNotice(wParam, &state->Scene.SongDevice);
        return 0;
    case WM_DESTROY:
        OnDestroy(*state);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete state;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

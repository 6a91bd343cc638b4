// The Win32 side of the show data layer.
#pragma once
#include <windows.h>

#include <cstdint>

#include "data_folder.h"

// The platform as the data folder lookup sees it.
class Win32DataFolderPlatform : public DataFolderPlatform {
public:
    bool ModulePath(std::string& path) override;
    bool CommonAppDataFolder(std::string& folder) override;
    bool WindowsFolder(std::string& folder) override;
    bool LongFileName(const std::string& path, std::string& name) override;
    bool PathExists(const std::string& path) override;
    bool ReadInstallLocation(const std::string& keyPath, std::string& value) override;
    bool ShortPathName(const std::string& path, std::string& shortPath) override;
};

// Fills `out` (at least MAX_PATH bytes) with SaverDataDir, ending in a backslash, or the empty
// string; returns `out`.
char* FindSaverDataDir(char* out);

// A decoded picture: one fixed global-memory block holding a packed device-independent bitmap.
typedef void* ScenePicture;

ScenePicture LoadBitmapFile(const char* path);
void FreeScenePicture(ScenePicture picture);

// Turns the slot's picture into a square 32-bit bottom-up DIB section (side: TextureSide within
// GL_MAX_TEXTURE_SIZE, so a rendering context must be current) and consumes the picture. Returns
// 1 when the slot held a picture, 0 when it held none (nothing changed). When the DIB section
// cannot be made the slot ends with no bitmap and no texel pointer.
int PrepareTextureImage(HWND window, ScenePicture* picture, int32_t* textureSide, HBITMAP* bitmap,
                        void** texels, HPALETTE scenePalette);

#include "temp_bitmap_path.h"

#include <cstdio>
#include <cstring>

const char* TempBitmapPrefix(int clientWidth)
{
    return clientWidth < 320 ? "SSP" : "SSS";
}

bool FallbackTempBitmapPath(const char* windowsFolder, int clientWidth,
                            char (&out)[kScenePathSize])
{
    const size_t length = std::strlen(windowsFolder);
    const bool endsInBackslash = length > 0 && windowsFolder[length - 1] == '\\';
    const int written =
        std::snprintf(out, sizeof out, "%s%s%s%u.TMP", windowsFolder, endsInBackslash ? "" : "\\",
                      TempBitmapPrefix(clientWidth), kTempUniqueNumber);
    if (written < 0 || size_t(written) >= sizeof out) {
        out[0] = '\0';
        return false;
    }
    return true;
}

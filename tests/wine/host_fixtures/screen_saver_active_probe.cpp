// Prints the platform's screen-saver activation as a fresh process reads it:
// "ScreenSaveActive=0" or "=1". The host's preview cases compare it before, during and after.
#include <windows.h>

#include <cstdio>

int main()
{
    BOOL active = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0))
        return 1;
    std::printf("ScreenSaveActive=%d\n", active ? 1 : 0);
    return 0;
}

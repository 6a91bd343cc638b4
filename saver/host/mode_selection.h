// The screen saver's command line: where the tail starts behind the program name, which mode the
// tail selects, and the window handles it carries. Portable: the platform's character stepping is
// passed in, so double-byte characters are stepped over whole on the target and in tests alike.
#pragma once
#include <cstdint>

// Steps to the next character of an ANSI text (CharNextA on Windows); at the terminating zero it
// returns its argument.
using CharStepFunction = const char* (*)(const char* text);

// The tail of a full command line: behind the program name (quoted or not) and the blanks and
// control characters (bytes 1 to 32) that follow it.
const char* SkipProgramName(const char* commandLine, CharStepFunction step);

// The decimal digits at the start of `text` as a 32-bit value: no sign, no blanks, wrapping
// arithmetic (a value past 32 bits keeps its low 32 bits).
uint32_t ParseWindowHandle(const char* text);

enum class SaverMode {
    ConfigureNoOwner,   // end of the tail: the settings dialog with no owner
    Configure,          // C: the settings dialog; Window = owner read after ':' (0 = none)
    Run,                // S: full screen
    Preview,            // P or L: inside the parent window Window (0 = missing)
    ChangePassword,     // A on Windows 9x: Window = owner (0 = none)
    Invalid,            // any other switch, or A on the NT family: exit code -1
};

struct ModeChoice {
    SaverMode Mode = SaverMode::Invalid;
    uint32_t Window = 0;
};

// Chooses the mode from the tail. Blanks, '-' and '/' before the switch are skipped.
ModeChoice SelectSaverMode(const char* tail, bool onWin9xPlatform);

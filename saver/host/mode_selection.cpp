#include "mode_selection.h"

const char* SkipProgramName(const char* commandLine, CharStepFunction step)
{
    const char* p = commandLine;
    if (*p == '"') {
        p = step(p);
        while (*p != '\0' && *p != '"')
            p = step(p);
        if (*p == '"')
            p = step(p);
    } else if (static_cast<unsigned char>(*p) > 32) {
        while (static_cast<unsigned char>(*p) > 32)
            p = step(p);
    }
    while (*p != '\0' && static_cast<unsigned char>(*p) <= 32)
        p = step(p);
    return p;
}

uint32_t ParseWindowHandle(const char* text)
{
    uint32_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return value;
}

namespace {

const char* SkipSpaces(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

}  // namespace

ModeChoice SelectSaverMode(const char* tail, bool onWin9xPlatform)
{
    for (const char* p = tail;; ++p) {
        switch (*p) {
        case ' ':
        case '-':
        case '/':
            continue;
        case '\0':
            return {SaverMode::ConfigureNoOwner, 0};
        case 'S':
        case 's':
            return {SaverMode::Run, 0};
        case 'C':
        case 'c':
            return {SaverMode::Configure, p[1] == ':' ? ParseWindowHandle(p + 2) : 0};
        case 'P':
        case 'p':
        case 'L':
        case 'l':
            return {SaverMode::Preview, ParseWindowHandle(SkipSpaces(p + 1))};
        case 'A':
        case 'a':
            if (!onWin9xPlatform)
                return {SaverMode::Invalid, 0};
            return {SaverMode::ChangePassword, ParseWindowHandle(SkipSpaces(p + 1))};
        default:
            return {SaverMode::Invalid, 0};
        }
    }
}

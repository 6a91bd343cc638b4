#include "command_line.h"

#include <cstring>

UninstallMode ReadUninstallMode(const char* arguments)
{
    if (!arguments)
        return UninstallMode::Interactive;
    const char* mark = std::strchr(arguments, '/');
    if (!mark)
        mark = std::strchr(arguments, '-');
    if (mark && (mark[1] == 'S' || mark[1] == 's'))
        return UninstallMode::Silent;
    return UninstallMode::Interactive;
}

// The silent switch on the uninstaller's command line.
#include <gtest/gtest.h>

#include "command_line.h"

namespace {

TEST(ReadUninstallMode, SilentOnlyWhenTheFirstSwitchIsS)
{
    struct ModeCase {
        const char* arguments;
        UninstallMode mode;
    };
    const ModeCase cases[] = {
        {"/s", UninstallMode::Silent},
        {"/S", UninstallMode::Silent},
        {"-s", UninstallMode::Silent},
        {"-S", UninstallMode::Silent},
        {"  /silent", UninstallMode::Silent},
        {"/x -s", UninstallMode::Interactive},  // only the first slash counts when there is one
        {"-s /x", UninstallMode::Interactive},
        {"-x -s", UninstallMode::Interactive},
        {"/", UninstallMode::Interactive},
        {"s", UninstallMode::Interactive},
        {"", UninstallMode::Interactive},
        {nullptr, UninstallMode::Interactive},
    };
    for (const ModeCase& c : cases)
        EXPECT_EQ(ReadUninstallMode(c.arguments), c.mode) << (c.arguments ? c.arguments : "(null)");
}

}  // namespace

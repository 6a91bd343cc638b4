// Prints what the show data layer finds for the program it runs as. Test cases copy it under saver
// names and places and read its output:
//   DataDir=<SaverDataDir>
//   SaverName=<SaverName, or empty when none is found>
#include <cstdio>

#include "showdata_win.h"

int main()
{
    char dataDir[MAX_PATH];
    FindSaverDataDir(dataDir);
    Win32DataFolderPlatform platform;
    std::string saverName;
    FindSaverName(platform, saverName);
    std::printf("DataDir=%s\nSaverName=%s\n", dataDir, saverName.c_str());
    return 0;
}

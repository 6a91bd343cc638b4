#include "settings_key.h"

const char kSettingsKeyPrefix[] = "Software\\Quorlane\\Made with Vistrelle\\";
const char kSoundValueName[] = "Sound";

std::string ShowTitleOf(const std::string& title)
{
    std::string held = title.substr(0, title.find('\0'));
    if (held.size() >= kShowTitleSize)
        held.resize(kShowTitleSize - 1);
    return held;
}

std::string SettingsKeyPath(const std::string& title)
{
    return kSettingsKeyPrefix + ShowTitleOf(title);
}

bool SoundWanted(bool keyOpened, bool valueRead, unsigned long value)
{
    return !keyOpened || !valueRead || value != 0;
}

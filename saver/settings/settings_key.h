// SettingsKey: the per-saver registry key under HKEY_CURRENT_USER whose value "Sound" (REG_DWORD;
// 0 = no songs, missing = songs) the settings dialog writes and the scene reads when it starts
// the songs.
#pragma once
#include <cstddef>
#include <string>

constexpr size_t kShowTitleSize = 260;  // ShowTitle holds at most 259 characters
extern const char kSettingsKeyPrefix[];  // "Software\Quorlane\Made with Vistrelle\"
extern const char kSoundValueName[];     // "Sound"

// The title as ShowTitle holds it: cut to 259 characters and at its first zero byte.
std::string ShowTitleOf(const std::string& title);

// The key path for a show title: the prefix followed by ShowTitleOf(title).
std::string SettingsKeyPath(const std::string& title);

// Whether the songs are wanted, from what reading "Sound" gave: no key or no readable value
// means yes; a value of 0 means no.
bool SoundWanted(bool keyOpened, bool valueRead, unsigned long value);

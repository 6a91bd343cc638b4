// The uninstaller's command line: the text after the program name.
#pragma once

enum class UninstallMode { Interactive, Silent };

// Silent when the character after the first '/' (or, with no '/' at all, after the first '-') is
// 'S' or 's'. A null or empty text is interactive.
UninstallMode ReadUninstallMode(const char* arguments);

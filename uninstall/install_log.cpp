#include "install_log.h"

#include <cstring>

namespace {

bool IsControlChar(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

int ReadLogLine(LogReader& log, char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return 0;
    std::memset(buffer, 0, size);

    unsigned char current = 0;  // starts as a control character, so the skip loop reads first
    while (IsControlChar(current)) {
        if (!log.ReadByte(current))
            return 0;
    }

    size_t i = 0;
    do {
        if (i < size)
            buffer[i++] = char(current);
        if (!log.ReadByte(current))
            current = 0;
    } while (!IsControlChar(current));

    if (i == size) {
        buffer[size - 1] = '\0';
        return -1;
    }
    return int(i);
}

bool DeriveProgramName(const char* line, LeadBytePredicate isLeadByte, char* name, size_t nameSize)
{
    if (!line || !name || nameSize == 0)
        return false;
    const long dot = FindLastChar(line, std::strlen(line), '.', isLeadByte);
    if (dot < 0)
        return false;
    const long slash = FindLastChar(line, size_t(dot), '\\', isLeadByte);
    if (slash < 0)
        return false;
    const size_t length = size_t(dot - slash - 1);
    if (length == 0 || length >= nameSize)
        return false;
    std::memcpy(name, line + slash + 1, length);
    name[length] = '\0';
    return true;
}

bool MakeLogPath(const char* exePath, LeadBytePredicate isLeadByte, char* logPath, size_t size)
{
    static const char LogName[] = "\\INSTALL.LOG";
    if (!exePath || !logPath || size == 0)
        return false;
    const long slash = FindLastChar(exePath, std::strlen(exePath), '\\', isLeadByte);
    if (slash < 0 || size_t(slash) + sizeof(LogName) > size)
        return false;
    std::memcpy(logPath, exePath, size_t(slash));
    std::memcpy(logPath + slash, LogName, sizeof(LogName));
    return true;
}

#include "path_text.h"

#include <cstring>

long FindLastChar(const char* text, size_t length, char wanted, LeadBytePredicate isLeadByte)
{
    long last = -1;
    size_t i = 0;
    while (i < length) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (isLeadByte && isLeadByte(byte) && i + 1 < length) {
            i += 2;  // a double-byte character never matches a single-byte one
            continue;
        }
        if (text[i] == wanted)
            last = long(i);
        ++i;
    }
    return last;
}

bool CopyFolderOfPath(const char* path, LeadBytePredicate isLeadByte, char* out, size_t outSize)
{
    if (!path || !out || outSize == 0)
        return false;
    const long cut = FindLastChar(path, std::strlen(path), '\\', isLeadByte);
    if (cut < 0 || size_t(cut) >= outSize)
        return false;
    std::memcpy(out, path, size_t(cut));
    out[cut] = '\0';
    return true;
}

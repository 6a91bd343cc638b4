// Searching 8-bit paths in the ANSI code page. In a double-byte code page the second byte of a
// character may have the value of '\' or '.', so searches step over whole characters; the caller
// passes the code page's lead-byte test (none: every byte is one character).
#pragma once
#include <cstddef>

using LeadBytePredicate = bool (*)(unsigned char byte);

// Position of the last character `wanted` in text[0, length), or -1 when there is none.
long FindLastChar(const char* text, size_t length, char wanted, LeadBytePredicate isLeadByte);

// Copies `path` up to (not including) its last '\' into `out` with a terminator. False when the
// path has no '\' or the result does not fit into `outSize` bytes.
bool CopyFolderOfPath(const char* path, LeadBytePredicate isLeadByte, char* out, size_t outSize);

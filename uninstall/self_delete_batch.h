// "\DelUS.bat": the batch file that deletes the uninstaller's executable once it has exited (it
// retries until the file is gone), removes the executable's folder and then deletes itself.
#pragma once
#include <cstddef>

#include "path_text.h"

constexpr char SelfDeleteBatchPath[] = "\\DelUS.bat";
// The batch text is built in a buffer of this size; with paths of at most 259 characters it needs
// at most about 850 bytes.
constexpr size_t SelfDeleteBatchSize = 1000;

// Writes the five CR LF-ended lines for `exePath` (already in the command processor's OEM code
// page) into `out` with a terminator. Returns the text's length without the terminator, or -1 when
// the path has no '\' or the text does not fit into `outSize` bytes.
int FormatSelfDeleteBatch(const char* exePath, LeadBytePredicate isLeadByte, char* out, size_t outSize);

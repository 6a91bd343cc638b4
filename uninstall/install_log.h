// The install log "INSTALL.LOG": one full path per line, lines separated by control characters.
#pragma once
#include <cstddef>

#include "path_text.h"

// Lines and paths are read into buffers of this size (at most 259 characters and a terminator).
constexpr size_t LogLineSize = 260;

// Where ReadLogLine gets its bytes from: one at a time, false at the end of the file or on a
// failed read.
struct LogReader {
    virtual ~LogReader() = default;
    virtual bool ReadByte(unsigned char& byte) = 0;
};

// Reads the next line into `buffer` (`size` bytes, zero-filled first). Returns 0 at the end of the
// file before any line text, the length of the line otherwise, or -1 when the line did not fit:
// the buffer then holds its first size - 1 characters and the rest of the line has been consumed.
// A zero `size` reads nothing and returns 0.
int ReadLogLine(LogReader& log, char* buffer, size_t size);

// The program's name from the log's first line: the text between the last '\' and the last '.'
// (C:\Saver Files\Sunset Beach.scr gives "Sunset Beach"). False when the line has no '.', no '\'
// before its last '.', the name would be empty, or it does not fit into `nameSize` bytes.
bool DeriveProgramName(const char* line, LeadBytePredicate isLeadByte, char* name, size_t nameSize);

// The log's path beside the executable: `exePath` with everything from its last '\' on replaced by
// "\INSTALL.LOG". False when the path has no '\' or the result does not fit.
bool MakeLogPath(const char* exePath, LeadBytePredicate isLeadByte, char* logPath, size_t size);

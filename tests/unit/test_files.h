// Files for unit tests: a fresh folder per test, removed with everything in it at the end, and
// whole-file reads and writes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The path of `name` inside the folder.
    std::string Path(const std::string& name) const;

private:
    std::string folder_;
};

// Writes `bytes` as the whole file; false when it cannot.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The whole file, or an empty vector when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

// A seekable stream of bytes that may end anywhere. Readers of the show file and of bitmap files
// take one of these, so that the same code reads real files and in-memory test images.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Absolute position. Seeking past the end is allowed; later reads then return 0 bytes.
    virtual bool SeekTo(uint64_t position) = 0;
    virtual uint64_t Position() const = 0;
    // Reads up to `size` bytes; returns how many were read (fewer at the end of the data).
    virtual size_t Read(void* buffer, size_t size) = 0;

    bool SeekBy(int64_t delta);
};

// A file opened read-only in binary mode; other readers may have it open at the same time.
class FileSource : public ByteSource {
public:
    explicit FileSource(const char* path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    bool SeekTo(uint64_t position) override;
    uint64_t Position() const override { return position_; }
    size_t Read(void* buffer, size_t size) override;

private:
    std::FILE* file_ = nullptr;
    uint64_t position_ = 0;
};

// Bytes held in memory (tests, fuzzing).
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size);
    explicit MemorySource(const std::vector<uint8_t>& bytes) : MemorySource(bytes.data(), bytes.size()) {}
    // The source only refers to the bytes: a temporary vector would be gone before the first read.
    explicit MemorySource(std::vector<uint8_t>&&) = delete;

    bool SeekTo(uint64_t position) override { position_ = position; return true; }
    uint64_t Position() const override { return position_; }
    size_t Read(void* buffer, size_t size) override;

private:
    const uint8_t* data_;
    size_t size_;
    uint64_t position_ = 0;
};

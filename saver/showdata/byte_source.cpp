#include "byte_source.h"

#include <cstring>

bool ByteSource::SeekBy(int64_t delta)
{
    const uint64_t here = Position();
    if (delta < 0 && uint64_t(-delta) > here)
        return false;
    return SeekTo(here + uint64_t(delta));
}

FileSource::FileSource(const char* path) : file_(std::fopen(path, "rb")) {}

FileSource::~FileSource()
{
    if (file_)
        std::fclose(file_);
}

bool FileSource::SeekTo(uint64_t position)
{
    if (!file_ || position > uint64_t(INT64_MAX))
        return false;
#ifdef _WIN32
    const int rc = _fseeki64(file_, int64_t(position), SEEK_SET);
#else
    const int rc = fseeko(file_, off_t(position), SEEK_SET);
#endif
    if (rc != 0)
        return false;
    position_ = position;
    return true;
}

size_t FileSource::Read(void* buffer, size_t size)
{
    if (!file_)
        return 0;
    const size_t got = std::fread(buffer, 1, size, file_);
    position_ += got;
    return got;
}

MemorySource::MemorySource(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data)), size_(size) {}

size_t MemorySource::Read(void* buffer, size_t size)
{
    if (position_ >= size_)
        return 0;
    const size_t available = size_t(size_ - position_);
    const size_t got = size < available ? size : available;
    std::memcpy(buffer, data_ + position_, got);
    position_ += got;
    return got;
}

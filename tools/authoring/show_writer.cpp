#include "show_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr uint64_t kLargestOffset = 0x7FFFFFFF;
constexpr size_t kLargestTextLength = 0xFFFF;
constexpr size_t kShowHeaderSize = 18;

void PutInt8(std::vector<uint8_t>& out, int8_t value)
{
    out.push_back(uint8_t(value));
}

void PutUint16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutUint32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

void PutText(std::vector<uint8_t>& out, const std::string& text)
{
    PutUint16(out, uint16_t(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

void PutShowHeader(std::vector<uint8_t>& out, const ShowHeader& header, int32_t pictureCount)
{
    PutInt8(out, header.FaceCount);
    PutUint32(out, uint32_t(pictureCount));
    const int8_t fields[] = {
        header.OrbitCopies, header.DistanceIndex, header.OrbitMain, header.OrbitStep,
        header.SpinStepX,   header.SpinStepY,     header.SpinStepZ, header.SlowTicks,
        header.KeepOrder,   header.BookTilt,      header.PauseSeconds, header.TurnStep,
        header.CoverFirst,
    };
    for (int8_t field : fields)
        PutInt8(out, field);
}

std::vector<uint8_t> Fail(std::string* error, const std::string& message)
{
    if (error)
        *error = message;
    return {};
}

bool SetError(std::string* error, const std::string& message)
{
    if (error)
        *error = message;
    return false;
}

std::string Describe(const std::string& path, int errorNumber)
{
    return path + ": " + std::strerror(errorNumber);
}

bool PathExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

long ProcessId()
{
#ifdef _WIN32
    return long(_getpid());
#else
    return long(getpid());
#endif
}

// Opens `path` for writing only if no file of that name exists (no race with another creator).
std::FILE* CreateExclusively(const std::string& path, int* errorNumber)
{
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                         _S_IREAD | _S_IWRITE);
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
#endif
    if (fd < 0) {
        *errorNumber = errno;
        return nullptr;
    }
#ifdef _WIN32
    std::FILE* file = _fdopen(fd, "wb");
#else
    std::FILE* file = fdopen(fd, "wb");
#endif
    if (!file) {
        *errorNumber = errno;
#ifdef _WIN32
        _close(fd);
#else
        close(fd);
#endif
        std::remove(path.c_str());
    }
    return file;
}

// Moves the finished temporary file to `path`. Without `overwrite` an existing `path` is never
// replaced, not even one that appeared after the caller looked.
bool MoveIntoPlace(const std::string& temporary, const std::string& path, bool overwrite,
                   std::string* error)
{
#ifdef _WIN32
    const DWORD flags = overwrite ? MOVEFILE_REPLACE_EXISTING : 0;
    if (MoveFileExA(temporary.c_str(), path.c_str(), flags))
        return true;
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return SetError(error, path + ": already exists");
    return SetError(error, path + ": cannot be replaced (error " + std::to_string(code) + ")");
#else
    if (overwrite) {
        if (std::rename(temporary.c_str(), path.c_str()) == 0)
            return true;
        return SetError(error, Describe(path, errno));
    }
    if (link(temporary.c_str(), path.c_str()) == 0) {
        unlink(temporary.c_str());
        return true;
    }
    const int linkError = errno;
    if (linkError == EEXIST)
        return SetError(error, path + ": already exists");
    // File systems without hard links: look, then rename.
    if (linkError == EPERM || linkError == ENOTSUP || linkError == EXDEV || linkError == EMLINK) {
        if (PathExists(path))
            return SetError(error, path + ": already exists");
        if (std::rename(temporary.c_str(), path.c_str()) == 0)
            return true;
        return SetError(error, Describe(path, errno));
    }
    return SetError(error, Describe(path, linkError));
#endif
}

}  // namespace

std::vector<uint8_t> BuildShowFile(const ShowSpec& spec, std::string* error)
{
    if (spec.Banner.size() > kBannerTextSize)
        return Fail(error, "banner text is " + std::to_string(spec.Banner.size()) +
                               " bytes long; at most " + std::to_string(kBannerTextSize) + " fit");
    if (spec.Title.size() > kLargestTextLength)
        return Fail(error, "title is " + std::to_string(spec.Title.size()) +
                               " bytes long; at most 65535 fit");
    if (spec.Description.size() > kLargestTextLength)
        return Fail(error, "description is " + std::to_string(spec.Description.size()) +
                               " bytes long; at most 65535 fit");
    for (size_t i = 0; i < spec.Entries.size(); ++i) {
        const int stream = spec.Entries[i].Stream;
        if (stream < -1 || (stream >= 0 && size_t(stream) >= spec.Streams.size()))
            return Fail(error, "picture entry " + std::to_string(i) + " names stream " +
                                   std::to_string(stream) + ", but there are only " +
                                   std::to_string(spec.Streams.size()));
    }

    if (spec.Entries.size() > kLargestOffset / kPictureEntrySize)
        return Fail(error, "too many picture entries");

    const uint64_t tableOffset = kShowTitleOffset + 2 + spec.Title.size() + 2 +
                                 spec.Description.size();
    const uint64_t streamsOffset = tableOffset + uint64_t(kPictureEntrySize) * spec.Entries.size();
    std::vector<uint64_t> streamOffsets;
    uint64_t end = streamsOffset;
    for (const std::vector<uint8_t>& stream : spec.Streams) {
        if (end > kLargestOffset)
            return Fail(error, "stream " + std::to_string(streamOffsets.size()) +
                                   " would start at offset " + std::to_string(end) +
                                   ", beyond the largest offset a picture table holds (2^31-1)");
        streamOffsets.push_back(end);
        end += stream.size();
    }
    if (end > SIZE_MAX)
        return Fail(error, "show file of " + std::to_string(end) + " bytes does not fit in memory");

    std::vector<uint8_t> out;
    out.reserve(size_t(end));
    out.resize(size_t(kBannerTextOffset), 0);
    out.insert(out.end(), spec.Banner.begin(), spec.Banner.end());
    out.resize(size_t(kShowHeaderOffset), 0);

    const int32_t pictureCount = spec.ForcePictureCount ? spec.Header.PictureCount
                                                        : int32_t(spec.Entries.size());
    PutShowHeader(out, spec.Header, pictureCount);
    PutText(out, spec.Title);
    PutText(out, spec.Description);

    for (const ShowPictureEntry& entry : spec.Entries) {
        const int32_t offset = entry.Stream < 0 ? entry.RawOffset
                                                : int32_t(streamOffsets[size_t(entry.Stream)]);
        PutUint32(out, uint32_t(offset));
        PutUint32(out, entry.Extra);
    }
    for (const std::vector<uint8_t>& stream : spec.Streams)
        out.insert(out.end(), stream.begin(), stream.end());

    if (spec.TruncateAt != 0 && spec.TruncateAt < out.size())
        out.resize(size_t(spec.TruncateAt));
    return out;
}

std::FILE* CreateUniqueFile(const std::string& stem, const std::string& suffix,
                            std::string* createdPath, std::string* error)
{
    int errorNumber = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = stem + std::to_string(ProcessId()) + "-" +
                                      std::to_string(attempt) + suffix;
        std::FILE* file = CreateExclusively(candidate, &errorNumber);
        if (file) {
            *createdPath = candidate;
            return file;
        }
        if (errorNumber != EEXIST)
            break;
    }
    SetError(error, Describe(stem + "*" + suffix, errorNumber));
    return nullptr;
}

bool WriteFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, bool overwrite,
                     std::string* error)
{
    if (path.empty())
        return SetError(error, "no output file named");
    if (!overwrite && PathExists(path))
        return SetError(error, path + ": already exists");

    std::string temporary;
    std::FILE* file = CreateUniqueFile(path + ".part", ".tmp", &temporary, error);
    if (!file)
        return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return SetError(error, Describe(temporary, written ? errno : writeError));
    }
    if (!MoveIntoPlace(temporary, path, overwrite, error)) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

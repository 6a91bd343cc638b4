// kvinspect: prints the fields of a show file as "Name: value" lines, and checks that each picture
// decodes the way the saver decodes it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "byte_source.h"
#include "command_line.h"
#include "jpeg_to_bitmap.h"
#include "little_endian.h"
#include "show_file.h"
#include "show_writer.h"

namespace {

const char kTool[] = "kvinspect";
constexpr int kDamagedExit = 1;
// The header ends here; a shorter file has no presentation settings.
constexpr uint64_t kSmallestShowFile = kShowTitleOffset;
// Distinct picture offsets decoded at most; a hostile table may name millions.
constexpr size_t kMostDecodes = 4096;

const std::string kUsageLine = "usage: kvinspect [--no-decode] SHOW.dat";
const char kUsage[] =
    "usage: kvinspect [--no-decode] SHOW.dat\n"
    "Prints banner, presentation settings, title, description and picture table as\n"
    "\"Name: value\" lines; each table entry says whether its picture decodes, and its size.\n";

// Text in double quotes: printable ASCII as it is, \" and \\ escaped, every other byte as \xNN.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(c));
            out += escape;
        }
    }
    return out + "\"";
}

bool FileSize(const std::string& path, uint64_t* size, std::string* error)
{
#ifdef _WIN32
    struct _stati64 info;
    const int rc = _stati64(path.c_str(), &info);
#else
    struct stat info;
    const int rc = stat(path.c_str(), &info);
#endif
    if (rc != 0) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    if ((info.st_mode & S_IFMT) != S_IFREG) {
        *error = path + ": not a regular file";
        return false;
    }
    *size = uint64_t(info.st_size);
    return true;
}

std::string TemporaryFolder()
{
#ifdef _WIN32
    const char* const names[] = {"TEMP", "TMP"};
    const char* fallback = ".";
#else
    const char* const names[] = {"TMPDIR"};
    const char* fallback = "/tmp";
#endif
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return fallback;
}

// Decodes the stream at `offset` as the saver does, through a bitmap file, and says what came out:
// "WxH", or "undecodable".
std::string DecodePicture(const std::string& showPath, int32_t offset, std::string* error)
{
    std::string bitmapPath;
    std::FILE* bitmap = CreateUniqueFile(TemporaryFolder() + "/kvinspect-", ".bmp", &bitmapPath,
                                         error);
    if (!bitmap)
        return std::string();
    std::fclose(bitmap);
    std::string result = "undecodable";
    if (ConvertShowPicture(showPath.c_str(), bitmapPath.c_str(), offset) == 1) {
        FileSource file(bitmapPath.c_str());
        uint8_t header[26];
        if (file.Read(header, sizeof header) == sizeof header && header[0] == 'B' &&
            header[1] == 'M')
            result = std::to_string(GetI32(header + 18)) + "x" + std::to_string(GetI32(header + 22));
    }
    std::remove(bitmapPath.c_str());
    return result;
}

struct Entry {
    int32_t JpegOffset;
    uint32_t Extra;
};

void PrintHeader(const ShowHeader& header)
{
    const struct {
        const char* Name;
        int8_t ShowHeader::*Field;
    } fields[] = {
        {"OrbitCopies", &ShowHeader::OrbitCopies}, {"DistanceIndex", &ShowHeader::DistanceIndex},
        {"OrbitMain", &ShowHeader::OrbitMain},     {"OrbitStep", &ShowHeader::OrbitStep},
        {"SpinStepX", &ShowHeader::SpinStepX},     {"SpinStepY", &ShowHeader::SpinStepY},
        {"SpinStepZ", &ShowHeader::SpinStepZ},     {"SlowTicks", &ShowHeader::SlowTicks},
        {"KeepOrder", &ShowHeader::KeepOrder},     {"BookTilt", &ShowHeader::BookTilt},
        {"PauseSeconds", &ShowHeader::PauseSeconds}, {"TurnStep", &ShowHeader::TurnStep},
        {"CoverFirst", &ShowHeader::CoverFirst},
    };
    std::printf("FaceCount: %d\n", int(header.FaceCount));
    std::printf("PictureCount: %ld\n", long(header.PictureCount));
    for (const auto& field : fields)
        std::printf("%s: %d\n", field.Name, int(header.*field.Field));
}

// A length-prefixed text: its stored length, whether the file holds all of it, and the text as the
// saver reads it.
void PrintText(const char* name, ByteSource& file, uint64_t at, uint64_t fileSize,
               const std::string& text)
{
    uint8_t length[2] = {0, 0};
    const bool haveLength = file.SeekTo(at) && file.Read(length, sizeof length) == sizeof length;
    const uint16_t stored = haveLength ? GetU16(length) : 0;
    std::printf("%sLength: %u\n", name, unsigned(stored));
    if (!haveLength || at + 2 + stored > fileSize)
        std::printf("%sComplete: no (the file ends inside it)\n", name);
    std::printf("%s: %s\n", name, Quoted(text).c_str());
}

int Inspect(const std::string& path, bool decode)
{
    std::string error;
    uint64_t size = 0;
    if (!FileSize(path, &size, &error))
        return ReportError(kTool, error, kDamagedExit);
    if (size < kSmallestShowFile)
        return ReportError(kTool, path + ": too short for a show file (" + std::to_string(size) +
                                      " bytes)", kDamagedExit);
    FileSource file(path.c_str());
    if (!file.IsOpen())
        return ReportError(kTool, path + ": " + std::strerror(errno), kDamagedExit);

    std::printf("File: %s\n", path.c_str());
    std::printf("FileSize: %llu\n", static_cast<unsigned long long>(size));

    char banner[kBannerTextSize + 1];
    ReadBannerText(file, banner);
    const std::string bannerText(banner);
    std::printf("BannerLength: %u\n", unsigned(bannerText.size()));
    std::printf("BannerTerminated: %s\n", bannerText.size() < kBannerTextSize ? "yes" : "no");
    std::printf("Banner: %s\n", Quoted(bannerText).c_str());

    const ShowContents contents = ReadShowContents(file);
    PrintHeader(contents.Header);
    const ShowTexts texts = ReadShowTexts(file);
    PrintText("Title", file, kShowTitleOffset, size, texts.Title);
    file.SeekTo(kShowTitleOffset);
    uint8_t titleLength[2] = {0, 0};
    file.Read(titleLength, sizeof titleLength);
    PrintText("Description", file, kShowTitleOffset + 2 + GetU16(titleLength), size,
              texts.Description);

    const uint64_t tableOffset = contents.PictureTableOffset;
    const uint64_t entriesInFile = size > tableOffset ? (size - tableOffset) / kPictureEntrySize : 0;
    const int32_t claimed = contents.Header.PictureCount;
    const uint64_t listed = claimed <= 0 ? 0 : uint64_t(claimed) < entriesInFile ? uint64_t(claimed)
                                                                                  : entriesInFile;
    std::printf("PictureTableOffset: %llu\n", static_cast<unsigned long long>(tableOffset));
    std::printf("EntriesInFile: %llu\n", static_cast<unsigned long long>(entriesInFile));
    std::printf("EntriesListed: %llu\n", static_cast<unsigned long long>(listed));
    if (claimed < 0 || uint64_t(claimed) > listed)
        std::printf("Note: PictureCount claims %ld entries; the file holds %llu\n", long(claimed),
                    static_cast<unsigned long long>(entriesInFile));

    std::map<int32_t, std::string> pictures;
    for (uint64_t i = 0; i < listed; ++i) {
        uint8_t bytes[kPictureEntrySize];
        file.SeekTo(tableOffset + i * kPictureEntrySize);
        if (file.Read(bytes, sizeof bytes) != sizeof bytes)
            break;
        const Entry entry = {GetI32(bytes), GetU32(bytes + 4)};
        std::string picture;
        if (entry.JpegOffset == 0) {
            picture = "none";
        } else if (entry.JpegOffset < 0 || uint64_t(entry.JpegOffset) >= size) {
            picture = "outside-file";
        } else if (!decode) {
            picture = "not-checked";
        } else if (pictures.count(entry.JpegOffset)) {
            picture = pictures[entry.JpegOffset];
        } else if (pictures.size() >= kMostDecodes) {
            picture = "not-checked";
        } else {
            picture = DecodePicture(path, entry.JpegOffset, &error);
            if (picture.empty())
                return ReportError(kTool, "cannot make a temporary bitmap file: " + error,
                                   kDamagedExit);
            pictures[entry.JpegOffset] = picture;
        }
        std::printf("Entry %llu: JpegOffset=%ld Extra=0x%08lX Picture=%s\n",
                    static_cast<unsigned long long>(i), long(entry.JpegOffset),
                    static_cast<unsigned long>(entry.Extra), picture.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : kDamagedExit;
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments args(argc, argv);
    std::string path, error;
    bool decode = true;
    while (args.Next()) {
        if (args.IsOption()) {
            if (args.Name() == "--help") {
                std::fputs(kUsage, stdout);
                return 0;
            }
            if (args.Name() != "--no-decode")
                return ReportError(kTool, "unknown option " + args.Name() + " (" + kUsageLine + ")",
                                   kUsageExit);
            if (!args.TakeNoValue(&error))
                return ReportError(kTool, error, kUsageExit);
            decode = false;
        } else if (path.empty() && !args.Positional().empty()) {
            path = args.Positional();
        } else {
            return ReportError(kTool, "unexpected argument '" + args.Positional() +
                                          "' (" + kUsageLine + ")", kUsageExit);
        }
    }
    if (path.empty())
        return ReportError(kTool, "no show file given (" + kUsageLine + ")",
                           kUsageExit);
    return Inspect(path, decode);
}

#include "show_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "byte_source.h"
#include "jpeg_to_bitmap.h"
#include "show_file.h"
#include "test_files.h"
#include "test_picture.h"

namespace {

// Tiny stand-ins for JPEG streams: the writer copies streams without looking into them.
const std::vector<uint8_t> kStreamA = {0xFF, 0xD8, 0xAA, 0xFF, 0xD9};
const std::vector<uint8_t> kStreamB = {0xFF, 0xD8, 0xBB, 0xBB, 0xFF, 0xD9};

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t at, size_t count)
{
    if (at + count > bytes.size())
        return {};
    return std::vector<uint8_t>(bytes.begin() + long(at), bytes.begin() + long(at + count));
}

std::vector<uint8_t> Build(const ShowSpec& spec)
{
    std::string error;
    std::vector<uint8_t> bytes = BuildShowFile(spec, &error);
    EXPECT_FALSE(bytes.empty()) << error;
    EXPECT_EQ(error, "");
    return bytes;
}

ShowSpec TwoStreamShow()
{
    ShowSpec spec;
    spec.Header.FaceCount = 6;
    spec.Header.PictureCount = 99;   // ignored: the count comes from the entries
    spec.Header.OrbitCopies = 1;
    spec.Header.DistanceIndex = 2;
    spec.Header.OrbitMain = 3;
    spec.Header.OrbitStep = -4;
    spec.Header.SpinStepX = 5;
    spec.Header.SpinStepY = -6;
    spec.Header.SpinStepZ = 7;
    spec.Header.SlowTicks = 8;
    spec.Header.KeepOrder = 9;
    spec.Header.BookTilt = -128;
    spec.Header.PauseSeconds = 127;
    spec.Header.TurnStep = -3;
    spec.Header.CoverFirst = 1;
    spec.Banner = "AB";
    spec.Title = "Title";
    spec.Description = "Desc";
    spec.Streams = {kStreamA, kStreamB};
    spec.Entries = {
        {1, 0, 0x04030201},   // stream B
        {-1, 0, 0},           // no picture
        {0, 0, 0xFFFFFFFF},   // stream A
        {1, 0, 0},            // stream B again, shared
        {-1, -2, 0x12345678}, // a deliberately odd offset
    };
    return spec;
}

TEST(BuildShowFile, PutsEveryFieldAtItsOffset)
{
    const std::vector<uint8_t> bytes = Build(TwoStreamShow());
    // 5650 + title (2 + 5) + description (2 + 4) = 5663; five entries end at 5703.
    ASSERT_EQ(bytes.size(), 5703u + kStreamA.size() + kStreamB.size());

    EXPECT_EQ(Slice(bytes, 0, 3584), std::vector<uint8_t>(3584, 0));
    std::vector<uint8_t> banner(2048, 0);
    banner[0] = 'A';
    banner[1] = 'B';
    EXPECT_EQ(Slice(bytes, 3584, 2048), banner);

    const std::vector<uint8_t> header = {
        6,                       // FaceCount
        5, 0, 0, 0,              // PictureCount: the number of entries
        1, 2, 3, 0xFC, 5, 0xFA, 7, 8, 9, 0x80, 127, 0xFD, 1,
    };
    EXPECT_EQ(Slice(bytes, 5632, 18), header);
    const std::vector<uint8_t> texts = {5, 0, 'T', 'i', 't', 'l', 'e', 4, 0, 'D', 'e', 's', 'c'};
    EXPECT_EQ(Slice(bytes, 5650, texts.size()), texts);

    // Streams follow the table in their own order, each stored once: A at 5703, B at 5708.
    const std::vector<uint8_t> table = {
        0x4C, 0x16, 0, 0,  1, 2, 3, 4,                   // 5708, B
        0, 0, 0, 0,        0, 0, 0, 0,                   // no picture
        0x47, 0x16, 0, 0,  0xFF, 0xFF, 0xFF, 0xFF,       // 5703, A
        0x4C, 0x16, 0, 0,  0, 0, 0, 0,                   // 5708, B shared
        0xFE, 0xFF, 0xFF, 0xFF,  0x78, 0x56, 0x34, 0x12, // -2 as given
    };
    EXPECT_EQ(Slice(bytes, 5663, table.size()), table);
    EXPECT_EQ(Slice(bytes, 5703, kStreamA.size()), kStreamA);
    EXPECT_EQ(Slice(bytes, 5708, kStreamB.size()), kStreamB);
}

TEST(BuildShowFile, FullBannerHasNoTerminatorAndEndsWhereTheHeaderBegins)
{
    ShowSpec spec;
    spec.Banner.assign(2048, 'x');
    const std::vector<uint8_t> bytes = Build(spec);
    EXPECT_EQ(Slice(bytes, 3584, 2048), std::vector<uint8_t>(2048, 'x'));
    EXPECT_EQ(bytes[3583], 0);
    EXPECT_EQ(bytes[5632], 0);   // FaceCount
}

TEST(BuildShowFile, EmptyTitleAndNoEntries)
{
    ShowSpec spec;
    spec.Description = "D";
    const std::vector<uint8_t> bytes = Build(spec);
    EXPECT_EQ(Slice(bytes, 5633, 4), std::vector<uint8_t>(4, 0));
    EXPECT_EQ(Slice(bytes, 5650, 5), (std::vector<uint8_t>{0, 0, 1, 0, 'D'}));
    EXPECT_EQ(bytes.size(), 5655u);
}

TEST(BuildShowFile, LongestTextsFit)
{
    ShowSpec spec;
    spec.Title.assign(65535, 't');
    spec.Description.assign(65535, 'd');
    spec.Streams = {kStreamA};
    spec.Entries = {{0, 0, 0}};
    const std::vector<uint8_t> bytes = Build(spec);
    EXPECT_EQ(Slice(bytes, 5650, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(Slice(bytes, 5652 + 65535, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    const uint32_t table = 5654 + 2 * 65535, stream = table + 8;
    EXPECT_EQ(Slice(bytes, table, 4),
              (std::vector<uint8_t>{uint8_t(stream), uint8_t(stream >> 8), uint8_t(stream >> 16), 0}));
    EXPECT_EQ(Slice(bytes, stream, kStreamA.size()), kStreamA);
}

TEST(BuildShowFile, ForcedPictureCountIsWrittenAsGiven)
{
    for (int32_t count : {1000000, -1, 0, INT32_MAX}) {
        ShowSpec spec = TwoStreamShow();
        spec.ForcePictureCount = true;
        spec.Header.PictureCount = count;
        const std::vector<uint8_t> forced = Build(spec);
        const uint32_t u = uint32_t(count);
        EXPECT_EQ(Slice(forced, 5633, 4),
                  (std::vector<uint8_t>{uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)}))
            << count;
        // Only the count differs: the table still holds the five entries.
        std::vector<uint8_t> normal = Build(TwoStreamShow());
        ASSERT_EQ(forced.size(), normal.size());
        std::memcpy(normal.data() + 5633, forced.data() + 5633, 4);
        EXPECT_EQ(forced, normal) << count;
    }
}

TEST(BuildShowFile, TruncationCutsTheFileAndNothingElse)
{
    const std::vector<uint8_t> whole = Build(TwoStreamShow());
    struct Case {
        uint64_t TruncateAt;
        size_t ExpectedSize;
    } cases[] = {
        {1, 1}, {5640, 5640}, {5700, 5700}, {whole.size() - 1, whole.size() - 1},
        {whole.size(), whole.size()}, {whole.size() + 100, whole.size()},
    };
    for (const Case& c : cases) {
        ShowSpec spec = TwoStreamShow();
        spec.TruncateAt = c.TruncateAt;
        const std::vector<uint8_t> cut = Build(spec);
        EXPECT_EQ(cut, Slice(whole, 0, c.ExpectedSize)) << c.TruncateAt;
    }
}

TEST(BuildShowFile, RefusesWhatDoesNotFitWithOneLine)
{
    struct Case {
        const char* Name;
        void (*Spoil)(ShowSpec&);
        const char* Mentions;
    } cases[] = {
        {"banner of 2049 bytes", [](ShowSpec& s) { s.Banner.assign(2049, 'x'); }, "banner"},
        {"title of 65536 bytes", [](ShowSpec& s) { s.Title.assign(65536, 't'); }, "title"},
        {"description of 65536 bytes", [](ShowSpec& s) { s.Description.assign(65536, 'd'); },
         "description"},
        {"entry naming stream 2 of 2", [](ShowSpec& s) { s.Entries[3].Stream = 2; }, "entry 3"},
        {"entry naming stream -2", [](ShowSpec& s) { s.Entries[0].Stream = -2; }, "entry 0"},
        {"entry naming a stream when there are none",
         [](ShowSpec& s) { s.Streams.clear(); s.Entries = {{0, 0, 0}}; }, "stream 0"},
    };
    for (const Case& c : cases) {
        ShowSpec spec = TwoStreamShow();
        c.Spoil(spec);
        std::string error;
        EXPECT_TRUE(BuildShowFile(spec, &error).empty()) << c.Name;
        EXPECT_NE(error.find(c.Mentions), std::string::npos) << c.Name << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.Name;
    }
}

// Written to disk and read back by the saver's own readers and decoder: pictures of different
// sizes, a shared stream, an empty entry and odd Extra bytes.
TEST(BuildShowFile, SaverReadsBackWhatWasWritten)
{
    ScratchFolder folder;
    TestPictureSpec small, large;
    small.Width = 3;
    small.Height = 2;
    large.Width = 33;
    large.Height = 17;
    large.Index = 4;
    ShowSpec spec = TwoStreamShow();
    spec.Banner.assign(2048, 'b');
    spec.Streams = {MakeTestJpeg(small), MakeTestJpeg(large)};
    ASSERT_FALSE(spec.Streams[0].empty());
    ASSERT_FALSE(spec.Streams[1].empty());
    std::string error;
    const std::string path = folder.Path("show.dat");
    ASSERT_TRUE(WriteFileSafely(path, Build(spec), false, &error)) << error;

    FileSource file(path.c_str());
    ASSERT_TRUE(file.IsOpen());
    char banner[kBannerTextSize + 1];
    ReadBannerText(file, banner);
    EXPECT_EQ(std::string(banner), spec.Banner);

    const ShowContents contents = ReadShowContents(file);
    EXPECT_EQ(contents.Header.FaceCount, 6);
    EXPECT_EQ(contents.Header.PictureCount, 5);
    EXPECT_EQ(contents.Header.BookTilt, -128);
    EXPECT_EQ(contents.Header.CoverFirst, 1);
    EXPECT_EQ(contents.Title, "Title");
    EXPECT_EQ(contents.PictureTableOffset, 5663u);
    const ShowTexts texts = ReadShowTexts(file);
    EXPECT_EQ(texts.Title, "Title");
    EXPECT_EQ(texts.Description, "Desc");

    const struct {
        int Width, Height;   // 0: no picture, -1: the offset names no stream
    } expected[] = {{33, 17}, {0, 0}, {3, 2}, {33, 17}, {-1, -1}};
    std::vector<int32_t> offsets;
    for (uint32_t i = 0; i < 5; ++i)
        offsets.push_back(ReadJpegOffset(file, contents.PictureTableOffset, i));
    EXPECT_EQ(offsets[1], 0);
    EXPECT_EQ(offsets[0], offsets[3]);
    EXPECT_EQ(offsets[4], -2);
    EXPECT_EQ(offsets[2], 5703) << "the first stream lies right behind the table";

    const std::string bitmap = folder.Path("picture.bmp");
    for (size_t i = 0; i < offsets.size(); ++i) {
        if (expected[i].Width <= 0) {
            EXPECT_EQ(ConvertShowPicture(path.c_str(), bitmap.c_str(), offsets[i]), 0) << i;
            continue;
        }
        ASSERT_EQ(ConvertShowPicture(path.c_str(), bitmap.c_str(), offsets[i]), 1) << i;
        const std::vector<uint8_t> header = Slice(ReadFileBytes(bitmap), 18, 8);
        const int w = expected[i].Width, h = expected[i].Height;
        EXPECT_EQ(header, (std::vector<uint8_t>{uint8_t(w), 0, 0, 0, uint8_t(h), 0, 0, 0})) << i;
    }
}

size_t CountFiles(const std::string& folder)
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

TEST(WriteFileSafely, WritesNewFilesAndLeavesNothingElseBehind)
{
    ScratchFolder folder;
    std::string error;
    const std::vector<uint8_t> bytes = {1, 2, 3, 0, 255};
    ASSERT_TRUE(WriteFileSafely(folder.Path("new.dat"), bytes, false, &error)) << error;
    EXPECT_EQ(ReadFileBytes(folder.Path("new.dat")), bytes);
    ASSERT_TRUE(WriteFileSafely(folder.Path("empty.dat"), {}, false, &error)) << error;
    EXPECT_TRUE(std::filesystem::exists(folder.Path("empty.dat")));
    EXPECT_EQ(std::filesystem::file_size(folder.Path("empty.dat")), 0u);
    EXPECT_EQ(CountFiles(folder.Path("")), 2u);
}

TEST(WriteFileSafely, RefusesAnExistingFileUnlessToldToReplaceIt)
{
    ScratchFolder folder;
    const std::string path = folder.Path("old.dat");
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    ASSERT_TRUE(WriteFileBytes(path, old));
    std::string error;
    EXPECT_FALSE(WriteFileSafely(path, {'n', 'e', 'w'}, false, &error));
    EXPECT_NE(error.find("old.dat"), std::string::npos) << error;
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(CountFiles(folder.Path("")), 1u);

    ASSERT_TRUE(WriteFileSafely(path, {'n', 'e', 'w', '!'}, true, &error)) << error;
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'n', 'e', 'w', '!'}));
    EXPECT_EQ(CountFiles(folder.Path("")), 1u);
}

TEST(WriteFileSafely, ReportsAFolderThatCannotTakeTheFile)
{
    ScratchFolder folder;
    std::string error;
    EXPECT_FALSE(WriteFileSafely(folder.Path("missing/out.dat"), {1}, true, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_FALSE(WriteFileSafely("", {1}, true, &error));
    // A folder in the way is not replaced by a file.
    std::filesystem::create_directory(folder.Path("folder.dat"));
    EXPECT_FALSE(WriteFileSafely(folder.Path("folder.dat"), {1}, true, &error));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path("folder.dat")));
    EXPECT_EQ(CountFiles(folder.Path("")), 1u);
}

}  // namespace

#include "show_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "show_writer.h"
#include "test_files.h"

namespace {

ShowHeader DistinctHeader()
{
    ShowHeader header;
    header.FaceCount = 6;
    header.OrbitCopies = 2;
    header.DistanceIndex = 3;
    header.OrbitMain = 1;
    header.OrbitStep = -5;
    header.SpinStepX = 7;
    header.SpinStepY = -8;
    header.SpinStepZ = 9;
    header.SlowTicks = 1;
    header.KeepOrder = 1;
    header.BookTilt = -30;
    header.PauseSeconds = 4;
    header.TurnStep = -6;
    header.CoverFirst = 1;
    return header;
}

// Entries that point at made-up offsets: the readers never look at the streams.
ShowSpec SmallShow()
{
    ShowSpec spec;
    spec.Header = DistinctHeader();
    spec.Banner = "Welcome to the show";
    spec.Title = "Autumn Walk";
    spec.Description = "Leaves, light and long shadows.";
    spec.Entries = {{-1, 0x11223344, 0xFFFFFFFF}, {-1, 0, 0xDEADBEEF}, {-1, -2, 7}};
    return spec;
}

std::vector<uint8_t> Build(const ShowSpec& spec)
{
    std::string error;
    std::vector<uint8_t> bytes = BuildShowFile(spec, &error);
    EXPECT_FALSE(bytes.empty()) << error;
    return bytes;
}

std::string Banner(ByteSource& file)
{
    char banner[kBannerTextSize + 1];
    std::memset(banner, 'x', sizeof banner);
    ReadBannerText(file, banner);
    EXPECT_EQ(banner[kBannerTextSize], '\0');
    return banner;
}

void ExpectSameHeader(const ShowHeader& actual, const ShowHeader& expected)
{
    EXPECT_EQ(actual.FaceCount, expected.FaceCount);
    EXPECT_EQ(actual.PictureCount, expected.PictureCount);
    const int8_t ShowHeader::*flags[] = {
        &ShowHeader::OrbitCopies, &ShowHeader::DistanceIndex, &ShowHeader::OrbitMain,
        &ShowHeader::OrbitStep,   &ShowHeader::SpinStepX,     &ShowHeader::SpinStepY,
        &ShowHeader::SpinStepZ,   &ShowHeader::SlowTicks,     &ShowHeader::KeepOrder,
        &ShowHeader::BookTilt,    &ShowHeader::PauseSeconds,  &ShowHeader::TurnStep,
        &ShowHeader::CoverFirst,
    };
    for (size_t i = 0; i < std::size(flags); ++i)
        EXPECT_EQ(actual.*flags[i], expected.*flags[i]) << "one-byte field " << i;
}

TEST(ShowFile, ReadsEveryPartOfAWholeFile)
{
    const ShowSpec spec = SmallShow();
    const std::vector<uint8_t> fileBytes = Build(spec);
    MemorySource file(fileBytes);

    EXPECT_EQ(Banner(file), spec.Banner);

    const ShowContents contents = ReadShowContents(file);
    ShowHeader expected = spec.Header;
    expected.PictureCount = 3;
    ExpectSameHeader(contents.Header, expected);
    EXPECT_EQ(contents.Title, spec.Title);
    EXPECT_EQ(contents.PictureTableOffset,
              kShowTitleOffset + 2 + spec.Title.size() + 2 + spec.Description.size());
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, 0), 0x11223344);
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, 1), 0);
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, 2), -2);
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, 3), 0) << "past the end";

    const ShowTexts texts = ReadShowTexts(file);
    EXPECT_EQ(texts.Title, spec.Title);
    EXPECT_EQ(texts.Description, spec.Description);
}

TEST(ShowFile, ReadsThroughTheFileSystem)
{
    ScratchFolder folder;
    const std::string path = folder.Path("show.dat");
    ASSERT_TRUE(WriteFileBytes(path, Build(SmallShow())));
    FileSource file(path.c_str());
    ASSERT_TRUE(file.IsOpen());
    const ShowContents contents = ReadShowContents(file);
    EXPECT_EQ(contents.Title, "Autumn Walk");
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, 0), 0x11223344);
    EXPECT_EQ(ReadShowTexts(file).Description, "Leaves, light and long shadows.");
}

TEST(ShowFile, BannerEndsAtItsFirstZeroOrAfter2048Bytes)
{
    ShowSpec spec = SmallShow();
    spec.Banner = std::string(kBannerTextSize, 'B');
    const std::vector<uint8_t> fullBytes = Build(spec);
    MemorySource full(fullBytes);
    EXPECT_EQ(Banner(full), std::string(kBannerTextSize, 'B'));

    spec.Banner = std::string("\0hidden", 7);
    const std::vector<uint8_t> emptyBytes = Build(spec);
    MemorySource empty(emptyBytes);
    EXPECT_EQ(Banner(empty), "");
    EXPECT_EQ(ReadShowContents(empty).Header.FaceCount, 6) << "the header is still read";
}

TEST(ShowFile, EmptyTitleAndLongestDescription)
{
    ShowSpec spec = SmallShow();
    spec.Title.clear();
    spec.Description = std::string(65535, 'd');
    const std::vector<uint8_t> fileBytes = Build(spec);
    MemorySource file(fileBytes);

    const ShowContents contents = ReadShowContents(file);
    EXPECT_EQ(contents.Title, "");
    EXPECT_EQ(contents.PictureTableOffset, kShowTitleOffset + 2 + 2 + 65535);
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, 0), 0x11223344);
    EXPECT_EQ(ReadShowTexts(file).Description.size(), 65535u);
}

TEST(ShowFile, TextStopsAtAZeroByteInside)
{
    ShowSpec spec = SmallShow();
    spec.Title = std::string("Two\0Parts", 9);
    const std::vector<uint8_t> fileBytes = Build(spec);
    MemorySource file(fileBytes);
    const ShowContents contents = ReadShowContents(file);
    EXPECT_EQ(contents.Title, "Two");
    EXPECT_EQ(contents.PictureTableOffset,
              kShowTitleOffset + 2 + 9 + 2 + spec.Description.size()) << "the length counts";
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, 0), 0x11223344);
}

// A file cut anywhere: every integer field is either read whole or keeps 0, texts hold what the
// file still has, and entries past the end are 0.
TEST(ShowFile, FileCutAtEveryLengthKeepsUnreadFieldsZero)
{
    const ShowSpec spec = SmallShow();
    const std::vector<uint8_t> whole = Build(spec);
    const uint64_t titleAt = kShowTitleOffset + 2;
    const uint64_t descriptionAt = titleAt + spec.Title.size() + 2;
    const uint64_t tableAt = descriptionAt + spec.Description.size();
    ASSERT_EQ(whole.size(), tableAt + 3 * kPictureEntrySize);

    ShowHeader full = spec.Header;
    full.PictureCount = 3;

    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + long(cut));
        MemorySource file(bytes);

        const std::string banner = Banner(file);
        const size_t bannerHeld = cut > kBannerTextOffset ? cut - kBannerTextOffset : 0;
        EXPECT_EQ(banner, spec.Banner.substr(0, bannerHeld));

        const ShowContents contents = ReadShowContents(file);
        const ShowHeader& header = contents.Header;
        EXPECT_EQ(header.FaceCount, cut >= 5633 ? full.FaceCount : 0);
        EXPECT_EQ(header.PictureCount, cut >= 5637 ? full.PictureCount : 0);
        EXPECT_EQ(header.OrbitCopies, cut >= 5638 ? full.OrbitCopies : 0);
        EXPECT_EQ(header.SpinStepX, cut >= 5642 ? full.SpinStepX : 0);
        EXPECT_EQ(header.CoverFirst, cut >= 5650 ? full.CoverFirst : 0);

        const size_t titleHeld = cut >= titleAt ? size_t(cut - titleAt) : 0;
        EXPECT_EQ(contents.Title, spec.Title.substr(0, titleHeld));
        const ShowTexts texts = ReadShowTexts(file);
        EXPECT_EQ(texts.Title, contents.Title);
        const size_t descriptionHeld = cut >= descriptionAt ? size_t(cut - descriptionAt) : 0;
        EXPECT_EQ(texts.Description, spec.Description.substr(0, descriptionHeld));

        if (cut >= descriptionAt) {
            EXPECT_EQ(contents.PictureTableOffset, tableAt);
        }
        const int32_t expectedOffsets[] = {0x11223344, 0, -2};
        for (uint32_t i = 0; i < 3; ++i) {
            const bool held = cut >= tableAt + i * kPictureEntrySize + 4;
            EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, i),
                      held ? expectedOffsets[i] : 0) << "entry " << i;
        }
    }
}

TEST(ShowFile, EntryIndexFarPastTheEndReadsNothing)
{
    const std::vector<uint8_t> fileBytes = Build(SmallShow());
    MemorySource file(fileBytes);
    const ShowContents contents = ReadShowContents(file);
    EXPECT_EQ(ReadJpegOffset(file, contents.PictureTableOffset, UINT32_MAX), 0);
    EXPECT_EQ(ReadJpegOffset(file, UINT64_MAX - 4, 0), 0);
}

// Random damage to a show file: no reader crashes or reads outside the bytes (the sanitizers
// watch), and texts never exceed their 16-bit lengths.
TEST(ShowFile, DamagedFilesAreReadSafely)
{
    ShowSpec spec = SmallShow();
    const std::vector<uint8_t> whole = Build(spec);
    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bytes = whole;
        const int flips = 1 + int(random() % 8);
        for (int i = 0; i < flips; ++i) {
            // Mostly the header, texts and table, sometimes anywhere.
            const size_t tail = bytes.size() - kShowHeaderOffset;
            const size_t at = random() % 4 != 0 ? kShowHeaderOffset + random() % tail
                                                 : random() % bytes.size();
            bytes[at] = uint8_t(random());
        }
        bytes.resize(random() % (bytes.size() + 1));
        MemorySource file(bytes);

        Banner(file);
        const ShowContents contents = ReadShowContents(file);
        EXPECT_LE(contents.Title.size(), 65535u);
        EXPECT_LE(contents.PictureTableOffset, kShowTitleOffset + 4 + 2 * 65535u);
        for (uint32_t i = 0; i < 4; ++i)
            ReadJpegOffset(file, contents.PictureTableOffset, i);
        const ShowTexts texts = ReadShowTexts(file);
        EXPECT_EQ(texts.Title, contents.Title);
        EXPECT_LE(texts.Description.size(), 65535u);
    }
}

}  // namespace

#include "jpeg_to_bitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include "little_endian.h"
#include "show_writer.h"
#include "test_files.h"
#include "test_picture.h"

namespace {

constexpr size_t kBitsOffset = 54;

std::vector<uint8_t> Jpeg(const TestPictureSpec& spec)
{
    std::string error;
    std::vector<uint8_t> jpeg = MakeTestJpeg(spec, &error);
    EXPECT_FALSE(jpeg.empty()) << error;
    return jpeg;
}

TestPictureSpec Picture(int width, int height, TestPattern pattern = TestPattern::Quadrants)
{
    TestPictureSpec spec;
    spec.Width = width;
    spec.Height = height;
    spec.Pattern = pattern;
    return spec;
}

// The picture as the library decodes it on its own: rows top first, red, green, blue.
std::vector<uint8_t> DecodeToRgb(const std::vector<uint8_t>& jpeg)
{
    jpeg_decompress_struct decoder;
    jpeg_error_mgr errors;
    decoder.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, jpeg.data(), (unsigned long)jpeg.size());
    jpeg_read_header(&decoder, TRUE);
    decoder.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder);
    const size_t rowBytes = size_t(decoder.output_width) * 3;
    std::vector<uint8_t> pixels(rowBytes * decoder.output_height);
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW row = pixels.data() + decoder.output_scanline * rowBytes;
        jpeg_read_scanlines(&decoder, &row, 1);
    }
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    return pixels;
}

// Converts the stream at `offset` of `show` and returns the result and the bitmap file's bytes.
struct Conversion {
    int Result;
    std::vector<uint8_t> Bitmap;
};

Conversion Convert(const std::vector<uint8_t>& show, int32_t offset)
{
    ScratchFolder folder;
    const std::string showPath = folder.Path("show.dat"), bitmapPath = folder.Path("SSS1.tmp");
    EXPECT_TRUE(WriteFileBytes(showPath, show));
    // Whatever the bitmap file held before is replaced.
    EXPECT_TRUE(WriteFileBytes(bitmapPath, std::vector<uint8_t>(5000, 0xEE)));
    const int result = ConvertShowPicture(showPath.c_str(), bitmapPath.c_str(), offset);
    return {result, ReadFileBytes(bitmapPath)};
}

struct Pixel {
    int b, g, r;
};

Pixel BitmapPixel(const std::vector<uint8_t>& bitmap, int x, int y)
{
    const int32_t width = GetI32(bitmap.data() + 18), height = GetI32(bitmap.data() + 22);
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    const size_t row = size_t(height - 1 - y);    // rows are stored bottom-up
    const uint8_t* p = bitmap.data() + kBitsOffset + row * stride + size_t(x) * 3;
    return {p[0], p[1], p[2]};
}

void ExpectNear(const Pixel& actual, const Rgb& expected, int tolerance)
{
    EXPECT_NEAR(actual.r, expected.r, tolerance);
    EXPECT_NEAR(actual.g, expected.g, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
}

TEST(ConvertShowPicture, ThreeByTwoFileHeaders)
{
    const Conversion done = Convert(Jpeg(Picture(3, 2)), 0);
    ASSERT_EQ(done.Result, 1);
    ASSERT_EQ(done.Bitmap.size(), 78u);
    const uint8_t expected[54] = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,   // file header
        40, 0, 0, 0,  3, 0, 0, 0,  2, 0, 0, 0,  1, 0,  24, 0,
        0, 0, 0, 0,   0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
        0, 0, 0, 0,   0, 0, 0, 0,                            // density unit 1: no resolution
    };
    EXPECT_EQ(std::vector<uint8_t>(done.Bitmap.begin(), done.Bitmap.begin() + 54),
              std::vector<uint8_t>(expected, expected + 54));
}

// The pixel rows hold exactly the decoder's pixels: bottom row first, blue, green, red, and zero
// pad bytes up to a multiple of 4.
TEST(ConvertShowPicture, RowsAreTheDecodedPixelsBottomUpAndPadded)
{
    const struct {
        int Width, Height;
        size_t RowWidth;
    } cases[] = {{3, 2, 12}, {1, 5, 4}, {4, 3, 12}, {2, 2, 8}, {5, 1, 16}, {17, 9, 52}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
        const std::vector<uint8_t> jpeg = Jpeg(Picture(c.Width, c.Height, TestPattern::Gradient));
        const Conversion done = Convert(jpeg, 0);
        ASSERT_EQ(done.Result, 1);
        ASSERT_EQ(done.Bitmap.size(), kBitsOffset + c.RowWidth * size_t(c.Height));
        EXPECT_EQ(GetU32(done.Bitmap.data() + 2), done.Bitmap.size());
        EXPECT_EQ(GetI32(done.Bitmap.data() + 18), c.Width);
        EXPECT_EQ(GetI32(done.Bitmap.data() + 22), c.Height);

        const std::vector<uint8_t> rgb = DecodeToRgb(jpeg);
        std::vector<uint8_t> rows;
        for (int y = c.Height - 1; y >= 0; --y) {
            const uint8_t* in = rgb.data() + size_t(y) * size_t(c.Width) * 3;
            for (int x = 0; x < c.Width; ++x, in += 3)
                rows.insert(rows.end(), {in[2], in[1], in[0]});
            rows.resize(rows.size() + c.RowWidth - size_t(c.Width) * 3, 0);
        }
        EXPECT_EQ(std::vector<uint8_t>(done.Bitmap.begin() + kBitsOffset, done.Bitmap.end()), rows);
    }
}

TEST(ConvertShowPicture, ResolutionOnlyForDotsPerCentimetre)
{
    const struct {
        int Unit, X, Y;
        uint32_t ExpectedX, ExpectedY;
    } cases[] = {{2, 28, 28, 2800, 2800}, {2, 30, 45, 3000, 4500}, {2, 65535, 1, 6553500, 100},
                 {1, 300, 300, 0, 0},     {0, 1, 1, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("unit " + std::to_string(c.Unit) + ", " + std::to_string(c.X));
        TestPictureSpec spec = Picture(8, 8);
        spec.DensityUnit = c.Unit;
        spec.XDensity = c.X;
        spec.YDensity = c.Y;
        const Conversion done = Convert(Jpeg(spec), 0);
        ASSERT_EQ(done.Result, 1);
        EXPECT_EQ(GetU32(done.Bitmap.data() + 38), c.ExpectedX);
        EXPECT_EQ(GetU32(done.Bitmap.data() + 42), c.ExpectedY);
    }
}

// Corners and the orientation mark land where they belong, also for progressive and grayscale
// streams (which the decoder delivers as three components).
TEST(ConvertShowPicture, PicturesKeepTheirOrientation)
{
    struct Case {
        const char* Name;
        TestPictureSpec Spec;
    };
    std::vector<Case> cases = {{"quadrants", Picture(48, 32)},
                               {"marked", Picture(64, 48, TestPattern::Marked)},
                               {"progressive", Picture(48, 32)},
                               {"grayscale", Picture(48, 32)},
                               {"progressive grayscale", Picture(64, 48, TestPattern::Marked)}};
    cases[1].Spec.Index = 4;
    cases[2].Spec.Progressive = true;
    cases[3].Spec.Grayscale = true;
    cases[4].Spec.Progressive = true;
    cases[4].Spec.Grayscale = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TestPictureSpec& spec = c.Spec;
        const Conversion done = Convert(Jpeg(spec), 0);
        ASSERT_EQ(done.Result, 1);
        ASSERT_EQ(GetU16(done.Bitmap.data() + 28), 24);
        const int w = spec.Width, h = spec.Height;
        const int probes[][2] = {{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}, {w / 2, h / 2}};
        for (const auto& probe : probes)
            ExpectNear(BitmapPixel(done.Bitmap, probe[0], probe[1]),
                       TestPicturePixel(spec, probe[0], probe[1]), 24);
    }
}

TEST(ConvertShowPicture, StreamInsideAShowFileAmongOthers)
{
    ShowSpec show;
    show.Title = "Two pictures";
    TestPictureSpec first = Picture(40, 30, TestPattern::Marked), second = first;
    first.Index = 0;
    second.Index = 2;
    show.Streams = {Jpeg(first), Jpeg(second)};
    show.Entries = {{0, 0, 0}, {1, 0, 0}};
    std::string error;
    const std::vector<uint8_t> bytes = BuildShowFile(show, &error);
    ASSERT_FALSE(bytes.empty()) << error;
    MemorySource reader(bytes);
    const ShowContents contents = ReadShowContents(reader);

    const TestPictureSpec* specs[] = {&first, &second};
    for (uint32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("picture " + std::to_string(i));
        const int32_t offset = ReadJpegOffset(reader, contents.PictureTableOffset, i);
        const Conversion done = Convert(bytes, offset);
        ASSERT_EQ(done.Result, 1);
        ExpectNear(BitmapPixel(done.Bitmap, 30, 20), TestPictureColour(specs[i]->Index), 24);
    }
}

TEST(ConvertShowPicture, StreamCutInItsScanDataStillConverts)
{
    const TestPictureSpec spec = Picture(64, 64, TestPattern::Gradient);
    std::vector<uint8_t> jpeg = Jpeg(spec);
    jpeg.resize(jpeg.size() * 2 / 3);
    const Conversion done = Convert(jpeg, 0);
    EXPECT_EQ(done.Result, 1);
    EXPECT_EQ(done.Bitmap.size(), kBitsOffset + 64 * 64 * 3);
}

// The offset of the first SOF marker's height field.
size_t FrameSizeAt(const std::vector<uint8_t>& jpeg)
{
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2))
            return i + 5;
    }
    ADD_FAILURE() << "no frame header";
    return 0;
}

std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> jpeg, int width, int height)
{
    const size_t at = FrameSizeAt(jpeg);
    jpeg[at] = uint8_t(height >> 8);
    jpeg[at + 1] = uint8_t(height);
    jpeg[at + 2] = uint8_t(width >> 8);
    jpeg[at + 3] = uint8_t(width);
    return jpeg;
}

// Every way to fail returns 0; the sanitizers check that nothing leaks or is read out of bounds
// on the way out through the error hook.
TEST(ConvertShowPicture, FailuresReturnZero)
{
    const std::vector<uint8_t> jpeg = Jpeg(Picture(32, 32, TestPattern::Gradient));
    std::vector<uint8_t> twoStreams = jpeg;
    twoStreams.insert(twoStreams.end(), jpeg.begin(), jpeg.end());
    TestPictureSpec cmyk = Picture(16, 16);
    cmyk.Cmyk = true;
    TestPictureSpec progressive = Picture(32, 32, TestPattern::Gradient);
    progressive.Progressive = true;

    const struct {
        const char* Name;
        std::vector<uint8_t> Show;
        int32_t Offset;
    } cases[] = {
        {"not a JPEG", std::vector<uint8_t>(4000, 'x'), 0},
        {"empty file", {}, 0},
        {"cut inside the headers", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 100), 0},
        {"offset into the middle of a stream", twoStreams, int32_t(jpeg.size() / 2)},
        {"offset one byte into the second stream", twoStreams, int32_t(jpeg.size() + 1)},
        {"offset at the end", jpeg, int32_t(jpeg.size())},
        {"offset past the end", jpeg, int32_t(jpeg.size() + 1000)},
        {"negative offset", jpeg, -1},
        {"four-colour stream", Jpeg(cmyk), 0},
        {"decoded picture above 512 MiB", WithFrameSize(jpeg, 20000, 20000), 0},
        {"progressive, decoder memory above 512 MiB",
         WithFrameSize(Jpeg(progressive), 12000, 12000), 0},
        {"largest frame the codec allows", WithFrameSize(jpeg, 65500, 65500), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Convert(c.Show, c.Offset).Result, 0);
    }
}

TEST(ConvertShowPicture, FilesThatCannotBeOpenedOrWritten)
{
    ScratchFolder folder;
    const std::string show = folder.Path("show.dat");
    ASSERT_TRUE(WriteFileBytes(show, Jpeg(Picture(8, 8))));
    const std::string missing = folder.Path("missing.dat");
    EXPECT_EQ(ConvertShowPicture(missing.c_str(), folder.Path("a.tmp").c_str(), 0), 0);
    EXPECT_EQ(ReadFileBytes(folder.Path("a.tmp")).size(), 0u) << "no bitmap file is made";
    EXPECT_EQ(ConvertShowPicture(show.c_str(), folder.Path("no/such/folder.tmp").c_str(), 0), 0);
    // A bitmap file that cannot be written whole is a failed conversion.
    EXPECT_EQ(ConvertShowPicture(show.c_str(), "/dev/full", 0), 0);
}

}  // namespace

#include "test_picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {

int Distance(Rgb a, Rgb b)
{
    const int channels[] = {std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)};
    int largest = 0;
    for (int channel : channels)
        largest = channel > largest ? channel : largest;
    return largest;
}

// Screenshot checks tell pictures apart by colour after JPEG loss and stretching.
TEST(TestPicture, ColoursAreFarApartAndFromBlackAndWhite)
{
    for (int i = 0; i < 16; ++i) {
        const Rgb colour = TestPictureColour(i);
        EXPECT_GE(Distance(colour, {0, 0, 0}), 127) << i;
        EXPECT_GE(Distance(colour, {255, 255, 255}), 127) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_GE(Distance(colour, TestPictureColour(j)), 127) << i << " and " << j;
    }
    const Rgb first = TestPictureColour(0), again = TestPictureColour(16);
    EXPECT_NE(Distance(first, again), 0) << "the next cycle is another shade";
    EXPECT_EQ(again.g, 0);
    EXPECT_EQ(again.b, 0);
}

struct StreamFacts {
    J_COLOR_SPACE ColorSpace;
    int Components;
    bool Progressive, Jfif, Adobe;
    int DensityUnit, XDensity, YDensity;
    unsigned Width, Height;
};

StreamFacts ReadFacts(const std::vector<uint8_t>& jpeg)
{
    jpeg_decompress_struct decoder;
    jpeg_error_mgr errors;
    decoder.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, jpeg.data(), (unsigned long)jpeg.size());
    jpeg_read_header(&decoder, TRUE);
    const StreamFacts facts = {decoder.jpeg_color_space, decoder.num_components,
                               decoder.progressive_mode != 0, decoder.saw_JFIF_marker != 0,
                               decoder.saw_Adobe_marker != 0, decoder.density_unit,
                               decoder.X_density, decoder.Y_density,
                               decoder.image_width, decoder.image_height};
    jpeg_destroy_decompress(&decoder);
    return facts;
}

TEST(TestPicture, StreamsHaveTheRequestedForm)
{
    TestPictureSpec baseline;
    baseline.Width = 33;
    baseline.Height = 17;
    baseline.DensityUnit = 2;
    baseline.XDensity = 28;
    baseline.YDensity = 40;
    TestPictureSpec progressive = baseline, gray = baseline, cmyk = baseline;
    progressive.Progressive = true;
    gray.Grayscale = true;
    cmyk.Cmyk = true;

    const struct {
        const char* Name;
        TestPictureSpec Spec;
        J_COLOR_SPACE ColorSpace;
        int Components;
        bool Progressive, Jfif, Adobe;
    } cases[] = {
        {"baseline", baseline, JCS_YCbCr, 3, false, true, false},
        {"progressive", progressive, JCS_YCbCr, 3, true, true, false},
        {"grayscale", gray, JCS_GRAYSCALE, 1, false, true, false},
        {"CMYK", cmyk, JCS_CMYK, 4, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string error;
        const std::vector<uint8_t> jpeg = MakeTestJpeg(c.Spec, &error);
        ASSERT_FALSE(jpeg.empty()) << error;
        const StreamFacts facts = ReadFacts(jpeg);
        EXPECT_EQ(facts.Width, 33u);
        EXPECT_EQ(facts.Height, 17u);
        EXPECT_EQ(facts.ColorSpace, c.ColorSpace);
        EXPECT_EQ(facts.Components, c.Components);
        EXPECT_EQ(facts.Progressive, c.Progressive);
        EXPECT_EQ(facts.Jfif, c.Jfif);
        EXPECT_EQ(facts.Adobe, c.Adobe);
        if (c.Jfif) {
            EXPECT_EQ(facts.DensityUnit, 2);
            EXPECT_EQ(facts.XDensity, 28);
            EXPECT_EQ(facts.YDensity, 40);
        }
    }
}

TEST(TestPicture, PatternsSayWhichPictureAndWhichWayUp)
{
    TestPictureSpec marked;
    marked.Width = 64;
    marked.Height = 48;
    marked.Index = 3;
    const int mark = TestMarkSide(64, 48);
    EXPECT_EQ(mark, 12);
    EXPECT_EQ(TestMarkSide(3, 2), 1);
    const Rgb white = {255, 255, 255};
    EXPECT_EQ(Distance(TestPicturePixel(marked, 0, 0), white), 0);
    EXPECT_EQ(Distance(TestPicturePixel(marked, mark - 1, mark - 1), white), 0);
    EXPECT_EQ(Distance(TestPicturePixel(marked, mark, 0), TestPictureColour(3)), 0);
    EXPECT_EQ(Distance(TestPicturePixel(marked, 0, 47), TestPictureColour(3)), 0);

    TestPictureSpec quadrants;
    quadrants.Pattern = TestPattern::Quadrants;
    const Rgb corners[] = {TestPicturePixel(quadrants, 0, 0), TestPicturePixel(quadrants, 63, 0),
                           TestPicturePixel(quadrants, 0, 47), TestPicturePixel(quadrants, 63, 47)};
    const Rgb expected[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Distance(corners[i], expected[i]), 0) << "corner " << i;

    quadrants.Grayscale = true;
    const Rgb gray = TestPicturePixel(quadrants, 0, 0);
    EXPECT_TRUE(gray.r == gray.g && gray.g == gray.b);
    EXPECT_NEAR(gray.r, 76, 1);   // the luminance of red
}

TEST(TestPicture, BadSpecsAreRefusedWithAReason)
{
    const auto with = [](auto change) {
        TestPictureSpec spec;
        change(spec);
        return spec;
    };
    const TestPictureSpec cases[] = {
        with([](TestPictureSpec& s) { s.Width = 0; }),
        with([](TestPictureSpec& s) { s.Height = 65501; }),
        with([](TestPictureSpec& s) { s.Width = 65500; s.Height = 65500; }),
        with([](TestPictureSpec& s) { s.Quality = 0; }),
        with([](TestPictureSpec& s) { s.Quality = 101; }),
        with([](TestPictureSpec& s) { s.DensityUnit = 3; }),
        with([](TestPictureSpec& s) { s.XDensity = 65536; }),
        with([](TestPictureSpec& s) { s.Grayscale = true; s.Cmyk = true; }),
    };
    for (const TestPictureSpec& spec : cases) {
        std::string error;
        EXPECT_TRUE(MakeTestJpeg(spec, &error).empty());
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

}  // namespace

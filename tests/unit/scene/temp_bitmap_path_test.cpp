#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "temp_bitmap_path.h"

namespace {

TEST(TempBitmapPath, PreviewPaneUsesItsOwnPrefix)
{
    EXPECT_STREQ(TempBitmapPrefix(152), "SSP");
    EXPECT_STREQ(TempBitmapPrefix(319), "SSP");
    EXPECT_STREQ(TempBitmapPrefix(320), "SSS");
    EXPECT_STREQ(TempBitmapPrefix(1024), "SSS");
    EXPECT_STREQ(TempBitmapPrefix(0), "SSP");
}

TEST(TempBitmapPath, FallbackInTheWindowsFolder)
{
    char path[kScenePathSize];
    ASSERT_TRUE(FallbackTempBitmapPath("C:\\WINDOWS", 1024, path));
    EXPECT_STREQ(path, "C:\\WINDOWS\\SSS1234.TMP");
    ASSERT_TRUE(FallbackTempBitmapPath("C:\\", 200, path));
    EXPECT_STREQ(path, "C:\\SSP1234.TMP");
}

TEST(TempBitmapPath, FallbackThatDoesNotFitIsRefused)
{
    char path[kScenePathSize];
    // 259 characters fit: a folder of 247 characters, the backslash and "SSS1234.TMP".
    const std::string fits(247, 'a');
    ASSERT_TRUE(FallbackTempBitmapPath(fits.c_str(), 640, path));
    EXPECT_EQ(std::strlen(path), 259u);
    const std::string tooLong(248, 'a');
    EXPECT_FALSE(FallbackTempBitmapPath(tooLong.c_str(), 640, path));
    EXPECT_STREQ(path, "");
}

}  // namespace

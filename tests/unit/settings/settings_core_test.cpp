#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings_key.h"
#include "stored_caption.h"

namespace {

TEST(StoredCaption, UnscramblesToTheDialogsCaption)
{
    char caption[kCaptionBufferSize];
    ReadStoredCaption(caption);
    EXPECT_STREQ(caption, "Your own pictures, turning and spinning on the screen");
    // The rest of the buffer stays zero.
    for (size_t i = std::strlen(caption); i < sizeof caption; ++i)
        ASSERT_EQ(caption[i], 0) << i;
}

TEST(StoredCaption, EachByteGains31AndSwapsCaseThenTheStringIsReversed)
{
    struct Case {
        std::string Scrambled;
        std::string Text;
    };
    const Case cases[] = {
        {"\x22", "a"},                 // 0x22 + 31 = 'A', swapped to 'a'
        {"\x42", "A"},                 // 'a' swapped to 'A'
        {"\x01", " "},                 // not a letter: unchanged
        {"\x12\x13\x14", "321"},       // digits stay; the order reverses
        {"\xE1", ""},                  // 0xE1 + 31 wraps to 0: the string ends there
        {"\x41\xE1\x42", "`"},         // ... and what follows is no longer part of it
        {"\xFF", "\x1E"},              // wraps modulo 256
    };
    for (const Case& c : cases) {
        char buffer[16] = {};
        std::memcpy(buffer, c.Scrambled.data(), c.Scrambled.size());
        UnscrambleCaption(buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer), c.Text) << "scrambled " << c.Scrambled.size() << " bytes";
    }
}

TEST(StoredCaption, AStringWithoutTerminatorStaysWithinItsBuffer)
{
    char buffer[4] = {'\x22', '\x42', '\x01', '\x13'};
    UnscrambleCaption(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("2 Aa"));
}

TEST(SettingsKey, IsTheProductKeyFollowedByTheShowTitle)
{
    EXPECT_EQ(SettingsKeyPath("Sunset Show"), "Software\\Quorlane\\Made with Vistrelle\\Sunset Show");
    // A title of length 0 names the product key itself.
    EXPECT_EQ(SettingsKeyPath(""), "Software\\Quorlane\\Made with Vistrelle\\");
    // ShowTitle holds at most 259 characters and ends at a zero byte.
    const std::string longTitle(400, 't');
    EXPECT_EQ(ShowTitleOf(longTitle), std::string(259, 't'));
    EXPECT_EQ(SettingsKeyPath(longTitle), kSettingsKeyPrefix + std::string(259, 't'));
    EXPECT_EQ(ShowTitleOf(std::string("ab\0cd", 5)), "ab");
}

TEST(SettingsKey, SongsPlayUnlessSoundIsStoredAsZero)
{
    EXPECT_TRUE(SoundWanted(false, false, 0));  // no key
    EXPECT_TRUE(SoundWanted(true, false, 0));   // no value
    EXPECT_TRUE(SoundWanted(true, true, 1));
    EXPECT_TRUE(SoundWanted(true, true, 2));
    EXPECT_FALSE(SoundWanted(true, true, 0));
}

}  // namespace

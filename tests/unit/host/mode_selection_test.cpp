// The saver's command line: from the whole line to the mode and its window handle.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "mode_selection.h"

namespace {

const char* StepByte(const char* text)
{
    return *text ? text + 1 : text;
}

// A double-byte code page in miniature: 0x81..0x9F lead a two-byte character whose second byte
// may be any byte, even a double quote.
const char* StepDoubleByte(const char* text)
{
    if (*text == '\0')
        return text;
    const unsigned char lead = static_cast<unsigned char>(*text);
    if (lead >= 0x81 && lead <= 0x9F && text[1] != '\0')
        return text + 2;
    return text + 1;
}

struct LineCase {
    const char* Line;            // the whole command line
    bool OnWin9x;
    SaverMode Mode;
    uint32_t Window;
};

std::string Printable(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || c >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += *p;
        }
    }
    return out;
}

TEST(CommandLineDecision, EveryFormOfTheSwitches)
{
    using M = SaverMode;
    const LineCase cases[] = {
        // The run switch in all its spellings.
        {"kelvane.scr /s", false, M::Run, 0},
        {"kelvane.scr -s", false, M::Run, 0},
        {"kelvane.scr s", false, M::Run, 0},
        {"kelvane.scr //s", false, M::Run, 0},
        {"kelvane.scr   /S", false, M::Run, 0},
        {"kelvane.scr - / -S", false, M::Run, 0},
        {"kelvane.scr /S 1234 anything", false, M::Run, 0},
        {"kelvane.scr\t/s", false, M::Run, 0},
        // Quoted program names, with blanks, closed or not.
        {"\"C:\\Program Files\\My Saver.scr\" /S", false, M::Run, 0},
        {"\"C:\\Program Files\\My Saver.scr\"/s", false, M::Run, 0},
        {"\"C:\\Program Files\\My Saver.scr /s", false, M::ConfigureNoOwner, 0},
        // An unquoted name with bytes above 127 is one word.
        {"caf\xE9.scr /s", false, M::Run, 0},
        // No switch: the settings dialog without an owner.
        {"kelvane.scr", false, M::ConfigureNoOwner, 0},
        {"kelvane.scr      ", false, M::ConfigureNoOwner, 0},
        {"kelvane.scr / - // --", false, M::ConfigureNoOwner, 0},
        {"", false, M::ConfigureNoOwner, 0},
        // Configure: the owner only right after a colon.
        {"kelvane.scr /c", false, M::Configure, 0},
        {"kelvane.scr /c:0", false, M::Configure, 0},
        {"kelvane.scr /c:1234", false, M::Configure, 1234},
        {"kelvane.scr /C:1234xyz", false, M::Configure, 1234},
        {"kelvane.scr /c 1234", false, M::Configure, 0},
        {"kelvane.scr /c:4294967296", false, M::Configure, 0},
        // Preview: spaces may separate the handle; a colon may not.
        {"kelvane.scr /p", false, M::Preview, 0},
        {"kelvane.scr /p 0", false, M::Preview, 0},
        {"kelvane.scr /p:5", false, M::Preview, 0},
        {"kelvane.scr /p1234", false, M::Preview, 1234},
        {"kelvane.scr /p   1234", false, M::Preview, 1234},
        {"kelvane.scr /P 1234", false, M::Preview, 1234},
        {"kelvane.scr /l 1234", false, M::Preview, 1234},
        {"kelvane.scr /L1234", false, M::Preview, 1234},
        {"kelvane.scr /p\t1234", false, M::Preview, 0},
        {"kelvane.scr /p -1234", false, M::Preview, 0},
        {"kelvane.scr /p 4294967297", false, M::Preview, 1},
        {"kelvane.scr /p 4294967295", false, M::Preview, 4294967295u},
        {"kelvane.scr /p 99999999999", false, M::Preview, 1215752191u},
        // Change password: Windows 9x only.
        {"kelvane.scr /a", false, M::Invalid, 0},
        {"kelvane.scr /a 1234", false, M::Invalid, 0},
        {"kelvane.scr /a", true, M::ChangePassword, 0},
        {"kelvane.scr /A 1234", true, M::ChangePassword, 1234},
        {"kelvane.scr /a1234", true, M::ChangePassword, 1234},
        // Anything else.
        {"kelvane.scr /x", false, M::Invalid, 0},
        {"kelvane.scr /3", false, M::Invalid, 0},
        {"kelvane.scr /\ts", false, M::Invalid, 0},
        {"kelvane.scr /\xE9", false, M::Invalid, 0},
        {"kelvane.scr \x80s", false, M::Invalid, 0},
        {"kelvane.scr :s", false, M::Invalid, 0},
    };
    for (const LineCase& c : cases) {
        const ModeChoice choice = SelectSaverMode(SkipProgramName(c.Line, StepByte), c.OnWin9x);
        EXPECT_EQ(choice.Mode, c.Mode) << Printable(c.Line) << (c.OnWin9x ? " (9x)" : "");
        EXPECT_EQ(choice.Window, c.Window) << Printable(c.Line);
    }
}

TEST(SkipProgramName, StepsOverDoubleByteCharactersWhole)
{
    // The second byte of "\x81\"" is part of one character, not the closing quote.
    const char line[] = "\"C:\\\x81\"\\My Saver.scr\" /p 77";
    EXPECT_STREQ(SkipProgramName(line, StepDoubleByte), "/p 77");
    // Stepped byte by byte, the quote ends early: the tail is different.
    EXPECT_STREQ(SkipProgramName(line, StepByte), "\\My Saver.scr\" /p 77");
}

TEST(SkipProgramName, StopsAtTheEndOfEveryForm)
{
    EXPECT_STREQ(SkipProgramName("\"unclosed name", StepByte), "");
    EXPECT_STREQ(SkipProgramName("plain", StepByte), "");
    EXPECT_STREQ(SkipProgramName("\"\"", StepByte), "");
    // Control characters count as blanks; a byte of 33 does not.
    EXPECT_STREQ(SkipProgramName("a.scr \x01\x1F !s", StepByte), "!s");
    // A line that starts with a blank has no program name to skip.
    EXPECT_STREQ(SkipProgramName("  /s", StepByte), "/s");
}

TEST(ParseWindowHandle, ReadsLeadingDigitsWithWrap)
{
    EXPECT_EQ(ParseWindowHandle(""), 0u);
    EXPECT_EQ(ParseWindowHandle("x12"), 0u);
    EXPECT_EQ(ParseWindowHandle("0065554"), 65554u);
    EXPECT_EQ(ParseWindowHandle("12 34"), 12u);
    EXPECT_EQ(ParseWindowHandle("+12"), 0u);
    EXPECT_EQ(ParseWindowHandle("4294967296"), 0u);
    EXPECT_EQ(ParseWindowHandle("18446744073709551617"), 1u);   // 2^64 + 1
}

}  // namespace

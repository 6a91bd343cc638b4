// Reading the install log line by line, and what the first line and the executable's path give.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "install_log.h"

namespace {

struct MemoryLogReader : LogReader {
    explicit MemoryLogReader(std::string bytes) : Bytes(std::move(bytes)) {}
    bool ReadByte(unsigned char& byte) override
    {
        if (Position >= Bytes.size())
            return false;
        byte = static_cast<unsigned char>(Bytes[Position++]);
        return true;
    }
    std::string Bytes;
    size_t Position = 0;
};

using Line = std::pair<int, std::string>;

// Every result up to and including the first 0, read with an exactly sized heap buffer so that a
// write past its end is caught.
std::vector<Line> ReadAllLines(const std::string& bytes, size_t size = LogLineSize)
{
    MemoryLogReader log(bytes);
    std::vector<Line> lines;
    std::vector<char> buffer(size, 'x');
    for (int guard = 0; guard < 100; ++guard) {
        const int result = ReadLogLine(log, buffer.data(), buffer.size());
        lines.emplace_back(result, std::string(buffer.data()));
        for (size_t i = lines.back().second.size(); i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], '\0') << "buffer not zero-filled at " << i;
        if (result == 0)
            break;
    }
    return lines;
}

struct LogCase {
    const char* name;
    std::string bytes;
    std::vector<Line> expected;  // ends with the 0 result
};

const std::string Long259(259, 'a');
const std::string Long260 = std::string(259, 'b') + "c";

TEST(ReadLogLine, SplitsLinesAtControlCharacters)
{
    using namespace std::string_literals;
    const LogCase cases[] = {
        {"CR LF", "C:\\A\\one.scr\r\nC:\\A\\two.dat\r\n",
         {{12, "C:\\A\\one.scr"}, {12, "C:\\A\\two.dat"}, {0, ""}}},
        {"LF alone", "C:\\A\\one.scr\nC:\\A\\two.dat\n",
         {{12, "C:\\A\\one.scr"}, {12, "C:\\A\\two.dat"}, {0, ""}}},
        {"blank lines, leading and trailing", "\r\n\r\nC:\\A\\one.scr\r\n\r\n\n\nC:\\A\\two.dat\r\n\r\n",
         {{12, "C:\\A\\one.scr"}, {12, "C:\\A\\two.dat"}, {0, ""}}},
        {"tab splits a line", "C:\\A\\one.scr\tC:\\A\\two.dat",
         {{12, "C:\\A\\one.scr"}, {12, "C:\\A\\two.dat"}, {0, ""}}},
        {"NUL bytes separate", "\0\0C:\\A\\one\0.scr\0"s, {{8, "C:\\A\\one"}, {4, ".scr"}, {0, ""}}},
        {"0x7F separates", "ab\x7F" "cd", {{2, "ab"}, {2, "cd"}, {0, ""}}},
        {"spaces and bytes above 0x7F kept", "C:\\Caf\xE9 \x80\xFF\\s s.scr\r\n",
         {{18, "C:\\Caf\xE9 \x80\xFF\\s s.scr"}, {0, ""}}},
        {"end of file mid-line", "C:\\A\\one.scr\r\nC:\\A\\tw", {{12, "C:\\A\\one.scr"}, {7, "C:\\A\\tw"}, {0, ""}}},
        {"259 characters fit", Long259 + "\r\nnext", {{259, Long259}, {4, "next"}, {0, ""}}},
        {"260 characters are cut and the rest consumed", Long260 + "\r\nnext",
         {{-1, std::string(259, 'b')}, {4, "next"}, {0, ""}}},
        {"far too long a line at the end", std::string(1000, 'z'), {{-1, std::string(259, 'z')}, {0, ""}}},
        {"empty file", "", {{0, ""}}},
        {"only control characters", "\r\n\t\x01\x1F\x7F\0"s, {{0, ""}}},
    };
    for (const LogCase& c : cases)
        EXPECT_EQ(ReadAllLines(c.bytes), c.expected) << c.name;
}

TEST(ReadLogLine, SmallBufferHoldsSizeMinusOneCharacters)
{
    EXPECT_EQ(ReadAllLines("abcd\nabc\nabcdef", 4),
              (std::vector<Line>{{-1, "abc"}, {3, "abc"}, {-1, "abc"}, {0, ""}}));
}

TEST(ReadLogLine, ZeroSizeReadsNothing)
{
    MemoryLogReader log("C:\\A\\one.scr");
    char buffer[1] = {'x'};
    EXPECT_EQ(ReadLogLine(log, buffer, 0), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(log.Position, 0u);
}

// A Shift-JIS-like code page: the second byte of a character may be 0x5C ('\').
bool TestLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

TEST(DeriveProgramName, TakesTextBetweenLastBackslashAndLastDot)
{
    struct NameCase {
        const char* line;
        bool ok;
        const char* name;
    };
    const NameCase cases[] = {
        {"C:\\Saver Files\\Sunset Beach.scr", true, "Sunset Beach"},
        {"C:\\Savers\\My.Nice.Saver.scr", true, "My.Nice.Saver"},
        {"C:\\Savers.d\\Saver", true, "Savers"},  // the last dot is in the folder's name
        {"\\x.", true, "x"},
        {"C:\\Savers\\Saver", false, ""},        // no dot
        {"Saver.scr", false, ""},                // no backslash at all
        {"C:Saver.scr\\x", false, ""},           // backslash only after the last dot
        {"C:\\Savers\\.scr", false, ""},         // empty name: the keys would name their parents
        {"", false, ""},
    };
    for (const NameCase& c : cases) {
        char name[LogLineSize] = "untouched";
        EXPECT_EQ(DeriveProgramName(c.line, nullptr, name, sizeof(name)), c.ok) << c.line;
        if (c.ok) {
            EXPECT_STREQ(name, c.name) << c.line;
        }
    }
}

TEST(DeriveProgramName, StepsOverDoubleByteCharacters)
{
    const char line[] = "C:\\Savers\\\x83\x5C\x83\x5C.scr";  // a name of two characters, each ending in 0x5C
    char name[LogLineSize];
    EXPECT_FALSE(DeriveProgramName(line, nullptr, name, sizeof(name)));
    ASSERT_TRUE(DeriveProgramName(line, TestLeadByte, name, sizeof(name)));
    EXPECT_STREQ(name, "\x83\x5C\x83\x5C");
}

TEST(DeriveProgramName, RefusesANameLargerThanItsBuffer)
{
    char name[6];
    EXPECT_TRUE(DeriveProgramName("C:\\abcde.scr", nullptr, name, sizeof(name)));
    EXPECT_STREQ(name, "abcde");
    EXPECT_FALSE(DeriveProgramName("C:\\abcdef.scr", nullptr, name, sizeof(name)));
}

TEST(MakeLogPath, ReplacesTheFileNameBesideTheExecutable)
{
    char path[LogLineSize];
    ASSERT_TRUE(MakeLogPath("C:\\Program Files\\Sunset\\uninstall.exe", nullptr, path, sizeof(path)));
    EXPECT_STREQ(path, "C:\\Program Files\\Sunset\\INSTALL.LOG");
    EXPECT_FALSE(MakeLogPath("uninstall.exe", nullptr, path, sizeof(path)));

    // The log's name may be longer than the executable's: the result must still fit.
    const std::string fits = "C:\\" + std::string(244, 'f') + "\\u.exe";    // folder of 247 characters
    const std::string tooLong = "C:\\" + std::string(245, 'f') + "\\u.exe";
    ASSERT_TRUE(MakeLogPath(fits.c_str(), nullptr, path, sizeof(path)));
    EXPECT_EQ(std::string(path), fits.substr(0, 247) + "\\INSTALL.LOG");
    EXPECT_FALSE(MakeLogPath(tooLong.c_str(), nullptr, path, sizeof(path)));
}

}  // namespace

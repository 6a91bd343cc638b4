// The text of "\DelUS.bat" and the folder it removes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "self_delete_batch.h"

namespace {

std::string Batch(const char* exePath, LeadBytePredicate isLeadByte = nullptr)
{
    std::vector<char> text(SelfDeleteBatchSize, 'x');
    const int length = FormatSelfDeleteBatch(exePath, isLeadByte, text.data(), text.size());
    if (length < 0)
        return "(refused)";
    EXPECT_EQ(size_t(length), std::string(text.data()).size());
    return std::string(text.data(), size_t(length));
}

TEST(FormatSelfDeleteBatch, WritesFiveLinesByteForByte)
{
    EXPECT_EQ(Batch("C:\\Program Files\\Sunset Beach\\uninstall.exe"),
              ":Repeat\r\n"
              "del \"C:\\Program Files\\Sunset Beach\\uninstall.exe\"\r\n"
              "if exist \"C:\\Program Files\\Sunset Beach\\uninstall.exe\" goto Repeat\r\n"
              "rmdir \"C:\\Program Files\\Sunset Beach\"\r\n"
              "del \"\\DelUS.bat\"\r\n");
}

TEST(FormatSelfDeleteBatch, KeepsCodePageBytesAndStepsOverDoubleByteCharacters)
{
    // OEM bytes pass through unchanged.
    EXPECT_EQ(Batch("C:\\Caf\x82 \x99\\u.exe"),
              ":Repeat\r\ndel \"C:\\Caf\x82 \x99\\u.exe\"\r\nif exist \"C:\\Caf\x82 \x99\\u.exe\" goto Repeat\r\n"
              "rmdir \"C:\\Caf\x82 \x99\"\r\ndel \"\\DelUS.bat\"\r\n");

    // A double-byte character whose second byte is 0x5C is not a folder separator.
    auto leadByte = [](unsigned char byte) { return byte >= 0x81 && byte <= 0x9F; };
    const std::string withTrail = Batch("C:\\D\\\x83\x5C.exe", leadByte);
    EXPECT_NE(withTrail.find("rmdir \"C:\\D\"\r\n"), std::string::npos) << withTrail;
    const std::string singleByte = Batch("C:\\D\\\x83\x5C.exe");
    EXPECT_NE(singleByte.find("rmdir \"C:\\D\\\x83\"\r\n"), std::string::npos) << singleByte;
}

TEST(FormatSelfDeleteBatch, LongestPathFitsItsBuffer)
{
    const std::string path = "C:\\" + std::string(250, 'f') + "\\u.exe";  // 259 characters
    ASSERT_EQ(path.size(), 259u);
    const std::string text = Batch(path.c_str());
    ASSERT_NE(text, "(refused)");
    EXPECT_EQ(text.size(), 9 + (8 + 259) + (25 + 259) + (10 + 253) + 18);
}

TEST(FormatSelfDeleteBatch, RefusesWhatCannotBeWritten)
{
    EXPECT_EQ(Batch("uninstall.exe"), "(refused)");  // no folder to remove

    char small[40];
    EXPECT_EQ(FormatSelfDeleteBatch("C:\\Sunset\\uninstall.exe", nullptr, small, sizeof(small)), -1);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(FormatSelfDeleteBatch(nullptr, nullptr, small, sizeof(small)), -1);
}

}  // namespace

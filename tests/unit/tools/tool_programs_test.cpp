// Runs the built kvshow, kvinspect and kvpicture programs on good and bad input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include <sys/wait.h>

#include "byte_source.h"
#include "show_file.h"
#include "show_writer.h"
#include "test_files.h"
#include "test_picture.h"

namespace {

std::string Quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

struct Outcome {
    int Exit = -1;
    std::string Out, Err;
};

// The names and contents of every file in a folder.
std::map<std::string, std::vector<uint8_t>> Snapshot(const std::string& folder)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
    return files;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

bool HasLine(const std::string& text, const std::string& line)
{
    for (const std::string& each : Lines(text))
        if (each == line)
            return true;
    return false;
}

class ToolPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        small_.Width = 3;
        small_.Height = 2;
        other_.Width = 5;
        other_.Height = 4;
        other_.Index = 1;
        smallJpeg_ = MakeTestJpeg(small_);
        otherJpeg_ = MakeTestJpeg(other_);
        ASSERT_TRUE(WriteFileBytes(In("a.jpg"), smallJpeg_));
        ASSERT_TRUE(WriteFileBytes(In("b.jpg"), otherJpeg_));
        ASSERT_TRUE(WriteFileBytes(In("notjpeg.jpg"), {'h', 'e', 'l', 'l', 'o'}));
        ASSERT_TRUE(WriteFileBytes(In("existing.dat"), {'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
        ASSERT_TRUE(WriteFileBytes(In("description.txt"), {'L', 'i', 'n', 'e', '\r', '\n'}));
        ASSERT_TRUE(WriteFileBytes(In("banner.bin"), {'H', 'i', 0, 'x'}));
    }

    std::string In(const std::string& name) const { return folder_.Path(name); }

    // Runs a tool with the scratch folder as its working folder.
    Outcome Run(const std::string& tool, const std::vector<std::string>& args)
    {
        std::string command = "cd " + Quote(folder_.Path("")) + " && " +
                              Quote(std::string(KV_TOOLS_DIR) + "/" + tool);
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        const std::string out = logs_.Path("out.txt"), err = logs_.Path("err.txt");
        command += " >" + Quote(out) + " 2>" + Quote(err);
        const int status = std::system(command.c_str());
        Outcome outcome;
        outcome.Exit = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.Out = ReadText(out);
        outcome.Err = ReadText(err);
        return outcome;
    }

    std::vector<uint8_t> Built(const ShowSpec& spec)
    {
        std::string error;
        std::vector<uint8_t> bytes = BuildShowFile(spec, &error);
        EXPECT_FALSE(bytes.empty()) << error;
        return bytes;
    }

    ShowContents Contents(const std::string& name)
    {
        FileSource file(In(name).c_str());
        EXPECT_TRUE(file.IsOpen()) << name;
        return ReadShowContents(file);
    }

    ScratchFolder folder_, logs_;
    TestPictureSpec small_, other_;
    std::vector<uint8_t> smallJpeg_, otherJpeg_;
};

struct BadCase {
    const char* Tool;
    std::vector<std::string> Args;
    int Exit;
    const char* Mentions;
};

TEST_F(ToolPrograms, BadInputGetsOneLineAndChangesNoFile)
{
    const std::string longBanner(2049, 'x');
    const BadCase cases[] = {
        {"kvshow", {}, 2, "no output file"},
        {"kvshow", {"--faces", "128", "out.dat", "a.jpg"}, 2, "--faces"},
        {"kvshow", {"--spin-x=-129", "out.dat", "a.jpg"}, 2, "--spin-x"},
        {"kvshow", {"--pause", "three", "out.dat"}, 2, "three"},
        {"kvshow", {"out.dat", "--turn-step"}, 2, "needs a value"},
        {"kvshow", {"--picture-count", "2147483648", "out.dat"}, 2, "--picture-count"},
        {"kvshow", {"--force=yes", "out.dat"}, 2, "takes no value"},
        {"kvshow", {"--colour", "3", "out.dat"}, 2, "--colour"},
        {"kvshow", {"out.dat", "a.jpg", "missing.jpg"}, 2, "missing.jpg"},
        {"kvshow", {"out.dat", "notjpeg.jpg"}, 2, "not a JPEG"},
        {"kvshow", {"out.dat", "existing.dat"}, 2, "not a JPEG"},
        {"kvshow", {"out.dat", "a.jpg", "@5"}, 2, "entry 5"},
        {"kvshow", {"out.dat", "-", "@0"}, 2, "entry 0"},
        {"kvshow", {"out.dat", "@raw:1", "@0"}, 2, "entry 0"},
        {"kvshow", {"out.dat", "@raw:0x80000000"}, 2, "@raw"},
        {"kvshow", {"out.dat", "@a.jpg"}, 2, "./@a.jpg"},
        {"kvshow", {"--banner", longBanner, "out.dat", "a.jpg"}, 2, "banner"},
        {"kvshow", {"--banner", "x", "--banner-fill-2048", "out.dat"}, 2, "twice"},
        {"kvshow", {"--description-file", "missing.txt", "out.dat"}, 2, "missing.txt"},
        {"kvshow", {"existing.dat", "a.jpg"}, 2, "existing.dat: already exists"},
        {"kvpicture", {}, 2, "no output file"},
        {"kvpicture", {"--width", "0", "out.jpg"}, 2, "--width"},
        {"kvpicture", {"--height", "65501", "out.jpg"}, 2, "--height"},
        {"kvpicture", {"--quality", "101", "out.jpg"}, 2, "--quality"},
        {"kvpicture", {"--density-unit", "3", "out.jpg"}, 2, "--density-unit"},
        {"kvpicture", {"--pattern", "stripes", "out.jpg"}, 2, "stripes"},
        {"kvpicture", {"--grayscale", "--cmyk", "out.jpg"}, 2, "grayscale"},
        {"kvpicture", {"out.jpg", "second.jpg"}, 2, "second.jpg"},
        {"kvpicture", {"existing.dat"}, 2, "existing.dat: already exists"},
        {"kvinspect", {}, 2, "no show file"},
        {"kvinspect", {"--bogus", "x.dat"}, 2, "--bogus"},
        {"kvinspect", {"missing.dat"}, 1, "missing.dat"},
        {"kvinspect", {"existing.dat"}, 1, "existing.dat: too short for a show file (7 bytes)"},
        {"kvinspect", {"."}, 1, "not a regular file"},
    };
    const auto before = Snapshot(folder_.Path(""));
    for (const BadCase& c : cases) {
        std::string name = c.Tool;
        for (const std::string& arg : c.Args)
            name += " " + arg.substr(0, 40);
        const Outcome outcome = Run(c.Tool, c.Args);
        EXPECT_EQ(outcome.Exit, c.Exit) << name;
        EXPECT_EQ(outcome.Out, "") << name;
        const std::string prefix = std::string(c.Tool) + ": ";
        EXPECT_EQ(outcome.Err.compare(0, prefix.size(), prefix), 0) << name << ": " << outcome.Err;
        EXPECT_EQ(Lines(outcome.Err).size(), 1u) << name << ": " << outcome.Err;
        EXPECT_NE(outcome.Err.find(c.Mentions), std::string::npos) << name << ": " << outcome.Err;
        EXPECT_EQ(Snapshot(folder_.Path("")), before) << name;
    }
}

// Every option lands in its own field: the file equals one built directly from the same values.
TEST_F(ToolPrograms, KvshowWritesWhatItsOptionsSay)
{
    const Outcome outcome = Run("kvshow", {
        "--faces", "6", "--orbit-copies", "2", "--distance=3", "--orbit-main", "1",
        "--orbit-step", "-5", "--spin-x", "7", "--spin-y", "-8", "--spin-z", "9", "--slow", "1",
        "--keep-order", "-1", "--tilt", "-30", "--pause", "4", "--turn-step", "-6",
        "--cover-first", "0x7f", "--banner", "Welcome", "--title", "Autumn Walk",
        "--description-file", "description.txt", "--entry-extra", "0xDEADBEEF",
        "show.dat", "b.jpg", "-", "a.jpg", "@0", "@raw:-2", "@empty", "@2"});
    ASSERT_EQ(outcome.Exit, 0) << outcome.Err;
    EXPECT_EQ(outcome.Err, "");

    ShowSpec spec;
    ShowHeader& h = spec.Header;
    h.FaceCount = 6;
    h.OrbitCopies = 2;
    h.DistanceIndex = 3;
    h.OrbitMain = 1;
    h.OrbitStep = -5;
    h.SpinStepX = 7;
    h.SpinStepY = -8;
    h.SpinStepZ = 9;
    h.SlowTicks = 1;
    h.KeepOrder = -1;
    h.BookTilt = -30;
    h.PauseSeconds = 4;
    h.TurnStep = -6;
    h.CoverFirst = 127;
    spec.Banner = "Welcome";
    spec.Title = "Autumn Walk";
    spec.Description = "Line\r\n";
    spec.Streams = {otherJpeg_, smallJpeg_};
    const uint32_t extra = 0xDEADBEEF;
    spec.Entries = {{0, 0, extra}, {-1, 0, extra}, {1, 0, extra}, {0, 0, extra},
                    {-1, -2, extra}, {-1, 0, extra}, {1, 0, extra}};
    EXPECT_EQ(ReadFileBytes(In("show.dat")), Built(spec));
}

TEST_F(ToolPrograms, KvshowDefaultsMakeAWorkingBook)
{
    ASSERT_EQ(Run("kvshow", {"book.dat", "a.jpg", "b.jpg"}).Exit, 0);
    const ShowContents contents = Contents("book.dat");
    EXPECT_EQ(contents.Header.FaceCount, 0);
    EXPECT_EQ(contents.Header.PictureCount, 2);
    EXPECT_EQ(contents.Header.TurnStep, -3);
    EXPECT_EQ(contents.Header.PauseSeconds, 3);
    EXPECT_EQ(contents.Header.SpinStepY, 2);
    EXPECT_EQ(contents.Header.DistanceIndex, 0);
    EXPECT_EQ(contents.Title, "");
    ShowSpec spec;
    spec.Header = contents.Header;
    spec.Streams = {smallJpeg_, otherJpeg_};
    spec.Entries = {{0, 0, 0}, {1, 0, 0}};
    EXPECT_EQ(ReadFileBytes(In("book.dat")), Built(spec));
}

TEST_F(ToolPrograms, KvshowMakesOddFiles)
{
    ASSERT_EQ(Run("kvshow", {"--picture-count", "1000000", "count.dat", "a.jpg"}).Exit, 0);
    EXPECT_EQ(Contents("count.dat").Header.PictureCount, 1000000);

    ASSERT_EQ(Run("kvshow", {"--truncate", "5700", "cut.dat", "a.jpg"}).Exit, 0);
    ASSERT_EQ(Run("kvshow", {"whole.dat", "a.jpg"}).Exit, 0);
    const std::vector<uint8_t> whole = ReadFileBytes(In("whole.dat"));
    ASSERT_GT(whole.size(), 5700u);
    EXPECT_EQ(ReadFileBytes(In("cut.dat")), std::vector<uint8_t>(whole.begin(), whole.begin() + 5700));
    ASSERT_EQ(Run("kvshow", {"--truncate", "0", "nothing.dat", "a.jpg"}).Exit, 0);
    EXPECT_TRUE(std::filesystem::exists(In("nothing.dat")));
    EXPECT_EQ(std::filesystem::file_size(In("nothing.dat")), 0u);

    ASSERT_EQ(Run("kvshow", {"--banner-fill-2048", "full.dat"}).Exit, 0);
    const std::vector<uint8_t> full = ReadFileBytes(In("full.dat"));
    ASSERT_GE(full.size(), 5632u);
    for (size_t i = 3584; i < 5632; ++i)
        ASSERT_NE(full[i], 0) << i;

    // A banner file may hold a zero byte: the banner ends there, what follows stays in the file.
    ASSERT_EQ(Run("kvshow", {"--banner-file", "banner.bin", "zero.dat"}).Exit, 0);
    FileSource file(In("zero.dat").c_str());
    char banner[kBannerTextSize + 1];
    ReadBannerText(file, banner);
    EXPECT_EQ(std::string(banner), "Hi");
    EXPECT_EQ(ReadFileBytes(In("zero.dat"))[3587], 'x');

    // "--" ends the options: a picture file whose name starts with dashes.
    ASSERT_TRUE(WriteFileBytes(In("--odd.jpg"), smallJpeg_));
    ASSERT_EQ(Run("kvshow", {"dashes.dat", "--", "--odd.jpg"}).Exit, 0);
    EXPECT_EQ(ReadFileBytes(In("dashes.dat")), whole);
}

TEST_F(ToolPrograms, ForceReplacesAnExistingFile)
{
    ASSERT_EQ(Run("kvshow", {"--force", "existing.dat", "a.jpg"}).Exit, 0);
    EXPECT_EQ(Contents("existing.dat").Header.PictureCount, 1);
    ASSERT_EQ(Run("kvpicture", {"--force", "existing.dat"}).Exit, 0);
    EXPECT_EQ(ReadFileBytes(In("existing.dat")), MakeTestJpeg(TestPictureSpec()));
}

TEST_F(ToolPrograms, KvpictureEncodesWhatItsOptionsSay)
{
    struct Case {
        std::vector<std::string> Args;
        TestPictureSpec Spec;
    };
    std::vector<Case> cases;
    cases.push_back({{}, TestPictureSpec()});
    TestPictureSpec spec;
    spec.Width = 7;
    spec.Height = 9;
    spec.Index = 5;
    cases.push_back({{"--width", "7", "--height=9", "--index", "5"}, spec});
    spec = TestPictureSpec();
    spec.Pattern = TestPattern::Quadrants;
    spec.Progressive = true;
    spec.Quality = 50;
    cases.push_back({{"--pattern", "quadrants", "--progressive", "--quality", "50"}, spec});
    spec = TestPictureSpec();
    spec.Pattern = TestPattern::Gradient;
    spec.Grayscale = true;
    spec.DensityUnit = 2;
    spec.XDensity = 28;
    spec.YDensity = 30;
    cases.push_back({{"--pattern", "gradient", "--grayscale", "--density-unit", "2",
                      "--xdensity", "28", "--ydensity", "30"}, spec});
    spec = TestPictureSpec();
    spec.Cmyk = true;
    spec.DensityUnit = 0;
    cases.push_back({{"--cmyk", "--density-unit", "0"}, spec});

    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string name = "picture" + std::to_string(i) + ".jpg";
        std::vector<std::string> args = cases[i].Args;
        args.push_back(name);
        const Outcome outcome = Run("kvpicture", args);
        ASSERT_EQ(outcome.Exit, 0) << i << ": " << outcome.Err;
        const std::vector<uint8_t> expected = MakeTestJpeg(cases[i].Spec);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ReadFileBytes(In(name)), expected) << i;
    }
}

TEST_F(ToolPrograms, KvinspectPrintsEveryField)
{
    ASSERT_EQ(Run("kvshow", {"--faces", "5", "--tilt", "-20", "--banner", "Hi \"you\"\t!",
                             "--title", "Demo", "--description", "Two words", "--entry-extra",
                             "7", "show.dat", "a.jpg", "-", "b.jpg", "@0", "@raw:99999999",
                             "@raw:5632"}).Exit, 0);
    const Outcome outcome = Run("kvinspect", {"show.dat"});
    ASSERT_EQ(outcome.Exit, 0) << outcome.Err;
    const std::string& out = outcome.Out;
    const ShowContents contents = Contents("show.dat");
    const std::string table = std::to_string(contents.PictureTableOffset);
    const std::string first = std::to_string(contents.PictureTableOffset + 6 * 8);
    const std::string second = std::to_string(contents.PictureTableOffset + 6 * 8 + smallJpeg_.size());
    const std::string expected[] = {
        "File: show.dat",
        "FileSize: " + std::to_string(ReadFileBytes(In("show.dat")).size()),
        "BannerLength: 10",
        "BannerTerminated: yes",
        "Banner: \"Hi \\\"you\\\"\\x09!\"",
        "FaceCount: 5",
        "PictureCount: 6",
        "OrbitCopies: 0",
        "BookTilt: -20",
        "TurnStep: -3",
        "CoverFirst: 0",
        "TitleLength: 4",
        "Title: \"Demo\"",
        "DescriptionLength: 9",
        "Description: \"Two words\"",
        "PictureTableOffset: " + table,
        "EntriesListed: 6",
        "Entry 0: JpegOffset=" + first + " Extra=0x00000007 Picture=3x2",
        "Entry 1: JpegOffset=0 Extra=0x00000007 Picture=none",
        "Entry 2: JpegOffset=" + second + " Extra=0x00000007 Picture=5x4",
        "Entry 3: JpegOffset=" + first + " Extra=0x00000007 Picture=3x2",
        "Entry 4: JpegOffset=99999999 Extra=0x00000007 Picture=outside-file",
        "Entry 5: JpegOffset=5632 Extra=0x00000007 Picture=undecodable",
    };
    for (const std::string& line : expected)
        EXPECT_TRUE(HasLine(out, line)) << "missing: " << line << "\n" << out;
    EXPECT_EQ(out.find("Note:"), std::string::npos);

    const Outcome quick = Run("kvinspect", {"--no-decode", "show.dat"});
    ASSERT_EQ(quick.Exit, 0) << quick.Err;
    EXPECT_TRUE(HasLine(quick.Out, "Entry 0: JpegOffset=" + first + " Extra=0x00000007 Picture=not-checked"))
        << quick.Out;
    EXPECT_TRUE(HasLine(quick.Out, "Entry 1: JpegOffset=0 Extra=0x00000007 Picture=none"));
}

TEST_F(ToolPrograms, KvinspectListsOnlyWhatAHostileFileHolds)
{
    ASSERT_EQ(Run("kvshow", {"--picture-count", "2147483647", "--banner-fill-2048",
                             "--truncate", "5670", "hostile.dat", "a.jpg"}).Exit, 0);
    const Outcome outcome = Run("kvinspect", {"hostile.dat"});
    ASSERT_EQ(outcome.Exit, 0) << outcome.Err;
    // The table starts at 5654; 16 bytes hold two entries.
    for (const char* line : {"BannerLength: 2048", "BannerTerminated: no", "PictureCount: 2147483647",
                             "EntriesInFile: 2", "EntriesListed: 2",
                             "Note: PictureCount claims 2147483647 entries; the file holds 2"})
        EXPECT_TRUE(HasLine(outcome.Out, line)) << "missing: " << line << "\n" << outcome.Out;
    EXPECT_EQ(Lines(outcome.Out).back().rfind("Entry 1: ", 0), 0u) << outcome.Out;

    // A title that runs past the end of the file, and a negative count.
    ASSERT_EQ(Run("kvshow", {"--picture-count", "-3", "--title", "A long title", "--truncate",
                             "5655", "short.dat"}).Exit, 0);
    const Outcome cut = Run("kvinspect", {"short.dat"});
    ASSERT_EQ(cut.Exit, 0) << cut.Err;
    for (const char* line : {"TitleLength: 12", "TitleComplete: no (the file ends inside it)",
                             "DescriptionLength: 0", "EntriesListed: 0",
                             "Note: PictureCount claims -3 entries; the file holds 0"})
        EXPECT_TRUE(HasLine(cut.Out, line)) << "missing: " << line << "\n" << cut.Out;
}

}  // namespace

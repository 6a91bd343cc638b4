// The scene window end to end: the test host (scene_host.exe, run under a show's name beside its
// show file) creates the scene as a child of its own window and writes frames drawn at known
// ticks; pixel probes on the distinct test pictures say which picture shows where and which way up.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "harness.h"
#include "show_writer.h"
#include "test_picture.h"

using namespace kvtest;

namespace {

const int kWidth = 640;
const int kHeight = 480;   // the aspect quotient 640 / 480 is 1
const int kTolerance = 48;

// A show of Marked test pictures: entry i shows picture pictures[i], or has no picture when that
// is -1, or points at bytes that are no JPEG stream when it is -2.
ShowSpec MakeShow(const ShowHeader& header, const std::vector<int>& pictures, int side = 64)
{
    ShowSpec show;
    show.Header = header;
    show.Title = "Scene Case";
    for (int picture : pictures) {
        if (picture < 0) {
            show.Entries.push_back({-1, picture == -2 ? 100 : 0, 0});
            continue;
        }
        TestPictureSpec spec;
        spec.Width = side;
        spec.Height = side;
        spec.Index = picture;
        show.Streams.push_back(MakeTestJpeg(spec));
        show.Entries.push_back({int(show.Streams.size()) - 1, 0, 0});
    }
    return show;
}

long FieldNumber(const std::string& output, const std::string& name)
{
    const std::string text = OutputField(output, name);
    return text.empty() ? -1 : std::strtol(text.c_str(), nullptr, 10);
}

// Writes the show as "<name>.dat" and runs the host as "<name>.exe" beside it.
RunResult RunScene(const std::string& name, const ShowSpec& show, const std::string& arguments)
{
    std::string error;
    const std::vector<uint8_t> bytes = BuildShowFile(show, &error);
    REQUIRE(!bytes.empty());
    REQUIRE(WriteFileBytes(CaseDir() + name + ".dat", bytes));
    const std::string program = CaseDir() + name + ".exe";
    REQUIRE(CopyFileTo(ProgramPath("scene_host.exe"), program));
    RunOptions options;
    options.Directory = CaseDir();
    options.TimeoutMs = 60000;
    const RunResult run = Run(Quote(program) + " " + arguments, options);
    REQUIRE(run.Started);
    return run;
}

Screenshot ReadFrame(const std::string& path)
{
    bool ok = false;
    const std::vector<uint8_t> bytes = ReadFileBytes(path, &ok);
    Screenshot frame;
    int width = 0, height = 0, maxValue = 0, consumed = 0;
    if (!ok || std::sscanf(reinterpret_cast<const char*>(bytes.data()), "P6 %d %d %d%n", &width,
                           &height, &maxValue, &consumed) != 3)
        return frame;
    const size_t start = size_t(consumed) + 1;
    if (width <= 0 || height <= 0 || bytes.size() < start + size_t(width) * size_t(height) * 3)
        return frame;
    frame.Width = width;
    frame.Height = height;
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        const uint8_t* p = &bytes[start + i * 3];
        frame.Pixels.push_back((uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
    }
    return frame;
}

// Where a point of eye space lands in the frame: 55 degrees of vertical field of view, the aspect
// quotient 1, y counted from the top.
struct Pixel {
    int X, Y;
};
Pixel Project(double x, double y, double z, int width = kWidth, int height = kHeight)
{
    const double f = 1 / std::tan(55.0 / 2 * 3.14159265358979 / 180);
    const double ndcX = f * x / -z, ndcY = f * y / -z;
    return {int(std::lround((ndcX + 1) / 2 * width)), int(std::lround((1 - ndcY) / 2 * height))};
}

Colour PictureColour(int index)
{
    const Rgb c = TestPictureColour(index);
    return {c.r, c.g, c.b};
}

const Colour kWhite = {255, 255, 255};
const Colour kBlack = {0, 0, 0};

void Probe(const Screenshot& frame, Pixel at, Colour expected, const std::string& what)
{
    if (at.X < 0 || at.Y < 0 || at.X >= frame.Width || at.Y >= frame.Height) {
        ReportFailure(__FILE__, __LINE__, what + ": probe outside the frame");
        return;
    }
    const uint32_t pixel = frame.At(at.X, at.Y);
    if (!Near(pixel, expected, kTolerance)) {
        std::ostringstream out;
        out << what << " at (" << at.X << "," << at.Y << ") is " << ColourOf(pixel) << ", expected "
            << expected;
        ReportFailure(__FILE__, __LINE__, out.str());
    }
}

// A Marked picture facing the eye, centred at (x, y, z) with half side h: the mark in its top-left
// quarter, its colour in the other three quarters and at its centre.
void CheckPicture(const Screenshot& frame, double x, double y, double z, double h, int index,
                  const std::string& what)
{
    const double q = 0.75 * h;
    Probe(frame, Project(x - q, y + q, z), kWhite, what + ", mark top-left");
    Probe(frame, Project(x + q, y + q, z), PictureColour(index), what + ", top-right");
    Probe(frame, Project(x - q, y - q, z), PictureColour(index), what + ", bottom-left");
    Probe(frame, Project(x + q, y - q, z), PictureColour(index), what + ", bottom-right");
    Probe(frame, Project(x + 0.1 * h, y - 0.1 * h, z), PictureColour(index), what + ", centre");
}

// A face lit by the light in front of it and textured by nothing: an even grey.
void CheckLitUntextured(const Screenshot& frame, double x, double y, double z, const std::string& what)
{
    const Pixel at = Project(x, y, z, frame.Width, frame.Height);
    const Colour lit = ColourOf(frame.At(at.X, at.Y));
    if (!(lit.R > 120 && std::abs(lit.R - lit.G) < 16 && std::abs(lit.R - lit.B) < 16)) {
        std::ostringstream out;
        out << what << " at (" << at.X << "," << at.Y << ") is " << lit << ", expected a lit grey";
        ReportFailure(__FILE__, __LINE__, out.str());
    }
}

bool IsBackground(uint32_t pixel)
{
    return Near(pixel, kBlack, 12);
}

void SaveForLooking(const Screenshot& frame, const std::string& name)
{
    if (CaseFailed())
        frame.SavePpm(CaseDir() + name + ".kept.ppm");
}

}  // namespace

KV_CASE(card_shows_its_pictures_the_right_way_up_on_both_sides)
{
    struct Row {
        const char* Name;
        std::vector<int> Entries;
        int Front, Back;   // picture index, or -1 for a lit untextured face
    };
    // A back that failed to load shows the front's picture; a front whose slot is empty (no
    // picture, or a stream that does not decode) is lit but untextured, the back keeps its own.
    const Row rows[] = {
        {"two pictures", {0, 1}, 0, 1},
        {"no back picture", {2, -1}, 2, 2},
        {"no front picture", {-1, 3}, -1, 3},
        {"front stream does not decode", {-2, 4}, -1, 4},
    };
    int run = 0;
    for (const Row& row : rows) {
        KV_INFO(row.Name);
        const std::string name = "KV Card " + std::to_string(run++);
        RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
        ShowHeader header;
        header.FaceCount = 2;
        header.SpinStepY = 90;   // tick 1: 0 degrees, tick 3: 180
        const std::string front = CaseDir() + name + ".front.ppm";
        const std::string back = CaseDir() + name + ".back.ppm";
        const RunResult result = RunScene(name, MakeShow(header, row.Entries),
                                          "--tick " + Quote("1:" + front) + " --tick " + Quote("3:" + back));
        KV_INFO(result.Output);
        CHECK_EQ(result.ExitCode, 0u);
        CHECK_EQ(OutputField(result.Output, "created"), "1");
        // The card lies 12 units away, 4 x 4 units.
        const Screenshot frontFrame = ReadFrame(front);
        const Screenshot backFrame = ReadFrame(back);
        REQUIRE(frontFrame.Width == kWidth && backFrame.Width == kWidth);
        if (row.Front >= 0) {
            CheckPicture(frontFrame, 0, 0, -12, 2, row.Front, "front");
        } else {
            CheckLitUntextured(frontFrame, 0.2, -0.2, -12, "untextured front");
            Probe(frontFrame, Project(-1.5, 1.5, -12), ColourOf(frontFrame.At(kWidth / 2, kHeight / 2)),
                  "untextured front, top-left");
        }
        CheckPicture(backFrame, 0, 0, -12, 2, row.Back, "back");
        Probe(frontFrame, Project(3, 0, -12), kBlack, "beside the card");
        SaveForLooking(frontFrame, name + ".front");
        SaveForLooking(backFrame, name + ".back");
    }
}

KV_CASE(solid_faces_show_their_pictures_or_keep_the_image_before_them)
{
    // A cube with pictures only in entries 0 and 3: front 0; back and left keep the front's
    // picture; right 3; top and bottom keep the right face's picture. A pyramid with five
    // pictures shows each on its own face. Spins of 90 degrees per tick turn each face to the eye.
    struct FacePoint {
        double X, Y, Z;   // a point of the face in eye space once it faces the eye
    };
    const FacePoint cubeFace[] = {{0.5, -0.5, -10}, {1.5, -1.5, -10}};    // 2 units before the centre
    const FacePoint pyramidSide[] = {{0, -1, -10.5}, {0.4, -1.6, -10.2}};  // the lower part of a side
    struct Row {
        const char* Name;
        int FaceCount;
        int SpinStepX, SpinStepY;
        int Tick;
        const FacePoint* Points;
        int Picture;
    };
    const Row rows[] = {
        {"cube front", 6, 0, 90, 1, cubeFace, 0},       {"cube left", 6, 0, 90, 2, cubeFace, 0},
        {"cube back", 6, 0, 90, 3, cubeFace, 0},        {"cube right", 6, 0, 90, 4, cubeFace, 3},
        {"cube top", 6, 90, 0, 2, cubeFace, 3},         {"cube bottom", 6, 90, 0, 4, cubeFace, 3},
        {"pyramid front", 5, 0, 90, 1, pyramidSide, 0}, {"pyramid left", 5, 0, 90, 2, pyramidSide, 2},
        {"pyramid back", 5, 0, 90, 3, pyramidSide, 1},  {"pyramid right", 5, 0, 90, 4, pyramidSide, 3},
        {"pyramid base", 5, -90, 0, 2, cubeFace, 4},
    };
    struct Show {
        int FaceCount, SpinStepX, SpinStepY;
        std::vector<int> Entries;
    };
    const Show shows[] = {
        {6, 0, 90, {0, -1, -1, 3, -1, -1}},
        {6, 90, 0, {0, -1, -1, 3, -1, -1}},
        {5, 0, 90, {0, 1, 2, 3, 4}},
        {5, -90, 0, {0, 1, 2, 3, 4}},
    };
    int run = 0;
    for (const Show& show : shows) {
        const std::string name = "KV Solid " + std::to_string(run++);
        RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
        ShowHeader header;
        header.FaceCount = int8_t(show.FaceCount);
        header.SpinStepX = int8_t(show.SpinStepX);
        header.SpinStepY = int8_t(show.SpinStepY);
        auto ours = [&](const Row& row) {
            return row.FaceCount == show.FaceCount && row.SpinStepX == show.SpinStepX &&
                   row.SpinStepY == show.SpinStepY;
        };
        auto file = [&](const Row& row) { return CaseDir() + name + " " + row.Name + ".ppm"; };
        std::string arguments;
        for (const Row& row : rows) {
            if (ours(row))
                arguments += " --tick " + Quote(std::to_string(row.Tick) + ":" + file(row));
        }
        const RunResult result = RunScene(name, MakeShow(header, show.Entries), arguments);
        KV_INFO(result.Output);
        CHECK_EQ(result.ExitCode, 0u);
        for (const Row& row : rows) {
            if (!ours(row))
                continue;
            KV_INFO(row.Name);
            const Screenshot frame = ReadFrame(file(row));
            REQUIRE(frame.Width == kWidth);
            for (int i = 0; i < 2; ++i) {
                const FacePoint& point = row.Points[i];
                Probe(frame, Project(point.X, point.Y, point.Z), PictureColour(row.Picture), "face");
            }
            SaveForLooking(frame, row.Name);
        }
    }
}

KV_CASE(book_turns_its_pages_and_shows_the_spreads_in_order)
{
    // Six pictures in table order (KeepOrder); a turn takes 17 ticks of -10 degrees. With the cover
    // dropped after the first pause the same spreads follow until the order wraps around.
    struct Spread {
        int Left, Right;   // picture shown, -1 for nothing
    };
    // An entry without a picture leaves its slot empty: the page it lies on is lit, untextured.
    const int lit = -3;
    struct Row {
        const char* Name;
        int CoverFirst;
        std::vector<int> Entries;
        Spread Created, Pause1, AfterPause1, Pause2, Pause3;
    };
    const Row rows[] = {
        {"no cover", 0, {0, 1, 2, 3, 4, 5}, {-1, 0}, {1, 2}, {1, 2}, {3, 4}, {5, 0}},
        {"cover dropped", 1, {0, 1, 2, 3, 4, 5}, {-1, 0}, {1, 2}, {1, 2}, {3, 4}, {5, 1}},
        {"entry 4 empty", 0, {0, 1, 2, 3, -1, 5}, {-1, 0}, {1, 2}, {1, 2}, {3, lit}, {5, 0}},
    };
    int run = 0;
    for (const Row& row : rows) {
        KV_INFO(row.Name);
        const std::string name = "KV Book " + std::to_string(run++);
        RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
        ShowHeader header;
        header.FaceCount = 0;
        header.KeepOrder = 1;
        header.CoverFirst = int8_t(row.CoverFirst);
        header.TurnStep = -10;
        header.PauseSeconds = 1;
        header.DistanceIndex = 1;   // 10 units away
        struct Shot {
            const char* Timer;   // before the Number-th message of this timer
            int Number;
            const char* File;
            Spread Expected;     // -2: not looked at
        };
        const Shot shots[] = {
            {"--tick", 1, "created", row.Created},     {"--tick", 6, "turning1", {-2, -2}},
            {"--tick", 12, "turning2", {-2, -2}},      {"--pause", 1, "pause1", row.Pause1},
            {"--tick", 18, "after1", row.AfterPause1}, {"--pause", 2, "pause2", row.Pause2},
            {"--pause", 3, "pause3", row.Pause3},
        };
        std::string arguments;
        for (const Shot& shot : shots)
            arguments += std::string(" ") + shot.Timer + " " +
                         Quote(std::to_string(shot.Number) + ":" + CaseDir() + shot.File + ".ppm");
        const RunResult result = RunScene(name, MakeShow(header, row.Entries), arguments);
        KV_INFO(result.Output);
        CHECK_EQ(result.ExitCode, 0u);

        std::vector<Screenshot> frames;
        for (const Shot& shot : shots) {
            KV_INFO(shot.File);
            frames.push_back(ReadFrame(CaseDir() + shot.File + ".ppm"));
            const Screenshot& frame = frames.back();
            REQUIRE(frame.Width == kWidth);
            if (shot.Expected.Right >= 0)
                CheckPicture(frame, 2, 0, -10, 2, shot.Expected.Right, "right-hand page");
            else if (shot.Expected.Right == lit)
                CheckLitUntextured(frame, 2, 0, -10, "right-hand page");
            if (shot.Expected.Left >= 0)
                CheckPicture(frame, -2, 0, -10, 2, shot.Expected.Left, "left-hand page");
            else if (shot.Expected.Left == -1)
                CHECK(IsBackground(frame.At(Project(-2, 0, -10).X, Project(-2, 0, -10).Y)));
            SaveForLooking(frame, shot.File);
        }
        // The page moves between the ticks: the frames differ.
        CHECK(frames[0].Pixels != frames[1].Pixels);
        CHECK(frames[1].Pixels != frames[2].Pixels);
        CHECK(frames[2].Pixels != frames[3].Pixels);
    }
}

KV_CASE(orbiting_copies_appear_on_their_circles)
{
    // A cube 32 units away; the main body (with OrbitMain) circles in the plane of the y and view
    // axes, the first copy in the plane of the x and view axes, the second in the screen plane,
    // all turned by OrbitTilt about the view axis; OrbitAngle 0, 90, 180 at ticks 1, 2, 3.
    struct Place {
        double X, Y, Dz;   // before OrbitTilt; Dz along the view axis from the centre
    };
    struct Row {
        int OrbitMain;
        int Tick;
        std::vector<Place> Bodies;
        std::vector<Place> Empty;
    };
    const Row rows[] = {
        {1, 1, {{0, -7, 0}, {0, 0, -7}, {-7, 0, 0}}, {{7, 0, 0}, {0, 7, 0}}},
        {1, 2, {{0, 0, -7}, {-7, 0, 0}, {0, -7, 0}}, {{7, 0, 0}, {0, 7, 0}}},
        {1, 3, {{0, 7, 0}, {0, 0, 7}, {7, 0, 0}}, {{-7, 0, 0}, {0, -7, 0}}},
        {0, 1, {{0, 0, 0}, {-7, 0, 0}}, {{7, 0, 0}, {0, 7, 0}, {0, -7, 0}}},
        {0, 2, {{0, 0, 0}, {-7, 0, 0}, {0, -7, 0}}, {{7, 0, 0}, {0, 7, 0}}},
    };
    const double d = -32;
    for (const int orbitMain : {1, 0}) {
        const std::string name = "KV Orbit " + std::to_string(orbitMain);
        RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
        ShowHeader header;
        header.FaceCount = 6;
        header.DistanceIndex = 3;
        header.OrbitMain = int8_t(orbitMain);
        header.OrbitCopies = 2;
        header.OrbitStep = 90;
        std::string arguments;
        for (const Row& row : rows) {
            if (row.OrbitMain == orbitMain)
                arguments += " --tick " + Quote(std::to_string(row.Tick) + ":" + CaseDir() + "orbit" +
                                                std::to_string(row.Tick) + ".ppm");
        }
        const RunResult result = RunScene(name, MakeShow(header, {0, 1, 2, 3, 4, 5}), arguments);
        KV_INFO(result.Output);
        CHECK_EQ(result.ExitCode, 0u);
        const long tilt = FieldNumber(result.Output, "orbit_tilt");
        REQUIRE(tilt >= 0 && tilt < 360);
        const double c = std::cos(tilt * 3.14159265358979 / 180), s = std::sin(tilt * 3.14159265358979 / 180);
        auto at = [&](const Place& place) { return Project(c * place.X - s * place.Y, s * place.X + c * place.Y, d + place.Dz); };
        for (const Row& row : rows) {
            if (row.OrbitMain != orbitMain)
                continue;
            KV_INFO("OrbitMain " + std::to_string(orbitMain) + ", tick " + std::to_string(row.Tick));
            const Screenshot frame = ReadFrame(CaseDir() + "orbit" + std::to_string(row.Tick) + ".ppm");
            REQUIRE(frame.Width == kWidth);
            for (const Place& place : row.Bodies) {
                const Pixel p = at(place);
                KV_INFO("body at " + std::to_string(p.X) + "," + std::to_string(p.Y));
                CHECK(!IsBackground(frame.At(p.X, p.Y)));
            }
            for (const Place& place : row.Empty) {
                const Pixel p = at(place);
                KV_INFO("nothing at " + std::to_string(p.X) + "," + std::to_string(p.Y));
                CHECK(IsBackground(frame.At(p.X, p.Y)));
            }
            SaveForLooking(frame, "orbit" + std::to_string(row.Tick));
        }
    }
}

KV_CASE(temporary_bitmap_file_is_named_by_width_and_gone_after_creation)
{
    // The book reloads at the end of each pause through the same file and leaves it in place; the
    // first pictures' file is deleted at creation. A window narrower than 320 pixels uses "SSP".
    struct Row {
        const char* Size;
        const char* Kept;     // the prefix expected at exit
        const char* Absent;
    };
    const Row rows[] = {{"640x480", "sss", "ssp"}, {"200x150", "ssp", "sss"}};
    char tempDir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tempDir);
    for (const Row& row : rows) {
        KV_INFO(row.Size);
        for (const char* prefix : {"SSS", "SSP"}) {
            char name[MAX_PATH] = {};
            GetTempFileNameA(tempDir, prefix, 1234, name);
            DeleteFileA(name);
        }
        const std::string name = "KV Temp";
        RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
        ShowHeader header;
        header.TurnStep = -30;
        header.PauseSeconds = 0;
        const RunResult result = RunScene(name, MakeShow(header, {0, 1, 2, 3}),
                                          std::string("--size ") + row.Size + " --pause " +
                                              Quote("2:" + CaseDir() + "pause2.ppm"));
        KV_INFO(result.Output);
        CHECK_EQ(result.ExitCode, 0u);
        CHECK_EQ(FieldNumber(result.Output, "temp_sss_after_create"), 0);
        CHECK_EQ(FieldNumber(result.Output, "temp_ssp_after_create"), 0);
        CHECK_EQ(FieldNumber(result.Output, std::string("temp_") + row.Kept + "_at_exit"), 1);
        CHECK_EQ(FieldNumber(result.Output, std::string("temp_") + row.Absent + "_at_exit"), 0);
        for (const char* prefix : {"SSS", "SSP"}) {
            char temp[MAX_PATH] = {};
            GetTempFileNameA(tempDir, prefix, 1234, temp);
            DeleteFileA(temp);
        }
    }
}

KV_CASE(creation_is_refused_without_a_show_file)
{
    const std::string name = "KV No Show";
    RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
    const std::string program = CaseDir() + name + ".exe";
    REQUIRE(CopyFileTo(ProgramPath("scene_host.exe"), program));
    RunOptions options;
    options.Directory = CaseDir();
    const RunResult result = Run(Quote(program), options);
    CHECK_EQ(OutputField(result.Output, "created"), "0");
    CHECK_EQ(result.ExitCode, 1u);
}

KV_CASE(destroying_the_window_releases_everything)
{
    // 20 creations and destructions after two warm-up cycles: every texture bitmap and palette is
    // deleted with its window, and the process's committed memory does not grow.
    struct Row {
        const char* Name;
        int FaceCount;
        int Bitmaps;   // texture bitmaps per creation
    };
    const Row rows[] = {{"cube", 6, 6}, {"book", 0, 3}};
    for (const Row& row : rows) {
        KV_INFO(row.Name);
        const std::string name = std::string("KV Cycles ") + row.Name;
        RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
        ShowHeader header;
        header.FaceCount = int8_t(row.FaceCount);
        header.SpinStepY = 5;
        header.TurnStep = -5;
        const RunResult result =
            RunScene(name, MakeShow(header, {0, 1, 2, 3, 4, 5}, 256), "--cycles 20");
        KV_INFO(result.Output);
        CHECK_EQ(result.ExitCode, 0u);
        CHECK_EQ(FieldNumber(result.Output, "cycles_created"), 22);
        CHECK_EQ(FieldNumber(result.Output, "texture_bitmaps_held"), 22 * row.Bitmaps);
        CHECK_EQ(FieldNumber(result.Output, "objects_left_alive"), 0);
        // GetGuiResources answers 0 under Wine; on Windows it counts for real.
        CHECK(FieldNumber(result.Output, "gdi_objects_after") <= FieldNumber(result.Output, "gdi_objects_before"));
        CHECK(FieldNumber(result.Output, "user_objects_after") <= FieldNumber(result.Output, "user_objects_before"));
        // One leaked creation holds at least 768 KiB of texture images and 256 KiB per list copy.
        const long before = FieldNumber(result.Output, "committed_before");
        const long after = FieldNumber(result.Output, "committed_after");
        REQUIRE(before > 0);
        CHECK(after - before < 4L * 1024 * 1024);
    }
}

KV_CASE(songs_start_with_the_scene_unless_the_show_turns_them_off)
{
    // The host's window has no parent, as in a full-screen run: a song beside the show file gives
    // the scene its song list, unless "Sound" is 0 under the show's settings key.
    const std::string name = "KV Songs";
    RegistryKeyGuard uninstall(HKEY_LOCAL_MACHINE, UninstallKey(name));
    const std::string settingsKey = "Software\\Quorlane\\Made with Vistrelle\\Scene Case";
    RegistryKeyGuard settings(HKEY_CURRENT_USER, settingsKey);
    REQUIRE(WriteFileText(CaseDir() + "juk00001.wav", "not really a song"));
    ShowHeader header;
    header.FaceCount = 2;
    const ShowSpec show = MakeShow(header, {0, 1});
    const RunResult withSongs = RunScene(name, show, "--tick " + Quote("1:" + CaseDir() + "a.ppm"));
    KV_INFO(withSongs.Output);
    CHECK_EQ(OutputField(withSongs.Output, "song_list"), "1");
    REQUIRE(RegSetDword(HKEY_CURRENT_USER, settingsKey, "Sound", 0));
    const RunResult silent = RunScene(name, show, "--tick " + Quote("1:" + CaseDir() + "b.ppm"));
    KV_INFO(silent.Output);
    CHECK_EQ(OutputField(silent.Output, "created"), "1");
    CHECK_EQ(OutputField(silent.Output, "song_list"), "0");
}

KV_CASE(windows_of_any_shape_draw_the_card)
{
    // The projection takes the whole quotient width / height; a window taller than wide (quotient
    // 0) is drawn with the aspect 1, like a square one, and so is the preview's small window.
    const struct {
        int Width, Height;
    } sizes[] = {{300, 400}, {152, 112}, {1000, 300}};
    int run = 0;
    for (const auto& size : sizes) {
        const std::string text = std::to_string(size.Width) + "x" + std::to_string(size.Height);
        KV_INFO(text);
        const std::string name = "KV Shape " + std::to_string(run++);
        RegistryKeyGuard key(HKEY_LOCAL_MACHINE, UninstallKey(name));
        ShowHeader header;
        header.FaceCount = 2;
        const std::string file = CaseDir() + name + ".ppm";
        const RunResult result =
            RunScene(name, MakeShow(header, {6, 7}), "--size " + text + " --tick " + Quote("1:" + file));
        KV_INFO(result.Output);
        CHECK_EQ(result.ExitCode, 0u);
        const Screenshot frame = ReadFrame(file);
        REQUIRE(frame.Width == size.Width && frame.Height == size.Height);
        const int quotient = size.Width / size.Height;
        const double aspect = quotient > 0 ? quotient : 1;
        // Where (x, y) of the card lands with this aspect.
        auto at = [&](double x, double y) { return Project(x / aspect, y, -12, size.Width, size.Height); };
        const Colour colour = PictureColour(6);
        Probe(frame, at(0.5, -0.5), colour, "card centre");
        Probe(frame, at(1.2, -1.2), colour, "card bottom-right");
        Probe(frame, at(-1.6, 1.6), kWhite, "mark top-left");
        SaveForLooking(frame, name);
    }
}

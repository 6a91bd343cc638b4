// Show files that are damaged or hostile, played by the real saver full screen: whatever the file
// holds, the saver never crashes or hangs; it either refuses to start (-1) or runs until a key
// ends it with 0.
#include <functional>

#include "host_support.h"

using namespace kvtest;
using namespace hosttest;

namespace {

std::vector<uint8_t> Picture(int index, int width = 96, int height = 64)
{
    TestPictureSpec spec;
    spec.Index = index;
    spec.Width = width;
    spec.Height = height;
    std::string error;
    std::vector<uint8_t> jpeg = MakeTestJpeg(spec, &error);
    REQUIRE(!jpeg.empty());
    return jpeg;
}

// A stream whose frame header claims 65000 x 65000 pixels.
std::vector<uint8_t> HugePicture()
{
    std::vector<uint8_t> jpeg = Picture(3);
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = 0xFD, jpeg[i + 6] = 0xE8;   // height
            jpeg[i + 7] = 0xFD, jpeg[i + 8] = 0xE8;   // width
            return jpeg;
        }
    }
    REQUIRE(!"no frame header");
    return jpeg;
}

std::vector<uint8_t> Build(const ShowSpec& spec)
{
    std::string error;
    std::vector<uint8_t> bytes = BuildShowFile(spec, &error);
    KV_INFO(error);
    REQUIRE(!bytes.empty() || spec.TruncateAt != 0);
    return bytes;
}

ShowSpec Book(int pictures)
{
    ShowSpec spec;
    spec.Title = "Hostile";
    spec.Banner = "hostile show";
    spec.Header.FaceCount = 0;
    spec.Header.TurnStep = -90;   // a page a few ticks long: many pauses and reloads in the run
    spec.Header.PauseSeconds = 0;
    for (int i = 0; i < pictures; ++i) {
        spec.Streams.push_back(Picture(i));
        spec.Entries.push_back({i, 0, 0});
    }
    return spec;
}

struct HostileShow {
    const char* Name;
    std::function<std::vector<uint8_t>()> Make;
};

const HostileShow kShows[] = {
    {"empty file", [] { return std::vector<uint8_t>(); }},
    {"cut inside the header", [] { return std::vector<uint8_t>(5640, 0); }},
    {"random bytes",
     [] {
         std::vector<uint8_t> bytes(9000);
         uint32_t state = 12345;
         for (uint8_t& b : bytes)
             b = uint8_t((state = state * 1103515245u + 12345u) >> 24);
         return bytes;
     }},
    {"book whose table claims 2^31-1 entries",
     [] {
         ShowSpec spec = Book(2);
         spec.Header.PictureCount = 0x7FFFFFFF;
         spec.ForcePictureCount = true;
         return Build(spec);
     }},
    {"offsets into the middle of a stream, past the end and negative",
     [] {
         ShowSpec spec = Book(1);
         spec.Entries.push_back({-1, 6000, 0});
         spec.Entries.push_back({-1, 0x7FFFFFF0, 0});
         spec.Entries.push_back({-1, -5, 0});
         spec.Entries.push_back({-1, 0, 0});
         return Build(spec);
     }},
    {"cube with out-of-range settings",
     [] {
         ShowSpec spec = Book(3);
         spec.Header.FaceCount = 100;
         spec.Header.DistanceIndex = 100;
         spec.Header.OrbitCopies = 127;
         spec.Header.OrbitMain = 1;
         spec.Header.OrbitStep = -128;
         spec.Header.SpinStepX = -128;
         spec.Header.SpinStepY = 127;
         spec.Header.SpinStepZ = -1;
         return Build(spec);
     }},
    {"book with a cover and a single picture, negative pause",
     [] {
         ShowSpec spec = Book(1);
         spec.Header.CoverFirst = 1;
         spec.Header.PauseSeconds = -100;
         spec.Header.TurnStep = -128;
         spec.Header.DistanceIndex = -7;
         spec.Header.BookTilt = -128;
         return Build(spec);
     }},
    {"pictures of every odd kind",
     [] {
         ShowSpec spec = Book(0);
         TestPictureSpec cmyk, gray, progressive;
         cmyk.Cmyk = true;
         gray.Grayscale = true;
         progressive.Progressive = true;
         for (const TestPictureSpec& p : {cmyk, gray, progressive})
             spec.Streams.push_back(MakeTestJpeg(p));
         spec.Streams.push_back(Picture(4, 1, 1));
         spec.Streams.push_back(Picture(5, 2000, 1));
         spec.Streams.push_back(HugePicture());
         for (int i = 0; i < int(spec.Streams.size()); ++i)
             spec.Entries.push_back({i, 0, 0});
         return Build(spec);
     }},
    {"last stream cut short",
     [] {
         ShowSpec spec = Book(3);
         const std::vector<uint8_t> whole = Build(spec);
         spec.TruncateAt = whole.size() - spec.Streams.back().size() / 2;
         return Build(spec);
     }},
    {"title running past the end of the file",
     [] {
         ShowSpec spec = Book(0);
         spec.Title = std::string(65535, 'T');
         spec.TruncateAt = 5650 + 2 + 100;
         return Build(spec);
     }},
};

}  // namespace

KV_CASE(no_show_file_content_crashes_or_hangs_the_saver)
{
    int n = 0;
    for (const HostileShow& show : kShows) {
        KV_INFO(show.Name);
        SaverShow noShow;
        noShow.WriteShow = false;
        InstalledSaver saver("KV Hostile " + std::to_string(n++), noShow);
        REQUIRE(WriteFileBytes(saver.Folder() + saver.Name() + ".dat", show.Make()));

        Process run;
        REQUIRE(run.Start(saver.Command("/s"), saver.Folder()));
        int exitCode = 0;
        if (Ended(run, 2500, &exitCode)) {
            CHECK_EQ(exitCode, -1);   // refused at once, never a fault code
            continue;
        }
        HWND host = WaitForHost(run, 2000);
        CHECK(host != nullptr);
        if (host)
            SetForegroundWindow(host);
        PumpMessages(200);
        SendKey(VK_SPACE);
        if (!CHECK(Ended(run, 8000, &exitCode)))
            continue;
        CHECK_EQ(exitCode, 0);
    }
}

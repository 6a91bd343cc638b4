// Texture images through the real GDI: a picture of four coloured quadrants, decoded from a JPEG of
// the show file and loaded into global memory, becomes an N x N bottom-up image with each quadrant
// where it belongs.
#include <GL/gl.h>

#include "harness.h"
#include "jpeg_to_bitmap.h"
#include "show_writer.h"
#include "showdata_win.h"
#include "test_picture.h"

using namespace kvtest;

namespace {

// A hidden window with an OpenGL context current on it, for as long as the scope lasts.
class GlWindow {
public:
    GlWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvTextureTest";
        RegisterClassA(&wc);
        window_ = CreateWindowA("KvTextureTest", "texture", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                wc.hInstance, nullptr);
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR pfd = {};
        pfd.nSize = sizeof(pfd);
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 24;
        pfd.cDepthBits = 16;
        SetPixelFormat(dc_, ChoosePixelFormat(dc_, &pfd), &pfd);
        context_ = wglCreateContext(dc_);
        wglMakeCurrent(dc_, context_);
    }
    ~GlWindow()
    {
        wglMakeCurrent(nullptr, nullptr);
        if (context_)
            wglDeleteContext(context_);
        ReleaseDC(window_, dc_);
        DestroyWindow(window_);
    }
    bool Ready() const { return context_ != nullptr; }
    HWND Window() const { return window_; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};

// The picture as the scene gets it: a show file holding the JPEG, converted and loaded.
ScenePicture LoadShowPicture(const TestPictureSpec& spec)
{
    ShowSpec show;
    show.Title = "Texture";
    show.Streams.push_back(MakeTestJpeg(spec));
    show.Entries.push_back({0, 0, 0});
    std::string error;
    const std::vector<uint8_t> bytes = BuildShowFile(show, &error);
    REQUIRE(!bytes.empty());
    const std::string showPath = CaseDir() + "Texture.dat";
    const std::string bitmapPath = CaseDir() + "SSS4d2.tmp";
    REQUIRE(WriteFileBytes(showPath, bytes));
    MemorySource source(bytes);
    const int32_t offset = ReadJpegOffset(source, ReadShowContents(source).PictureTableOffset, 0);
    REQUIRE(ConvertShowPicture(showPath.c_str(), bitmapPath.c_str(), offset) == 1);
    return LoadBitmapFile(bitmapPath.c_str());
}

// Texel (x, y) of a bottom-up square image as 0x00RRGGBB, y counted from the top of the picture.
uint32_t Texel(const void* texels, int side, int x, int y)
{
    const auto* row = static_cast<const uint32_t*>(texels) + size_t(side - 1 - y) * size_t(side);
    return row[x] & 0x00FFFFFF;
}

}  // namespace

KV_CASE(quadrants_land_where_they_belong)
{
    GlWindow gl;
    REQUIRE(gl.Ready());
    struct Shape {
        int Width, Height, Side;
    };
    // Landscape, portrait and square pictures; each axis is stretched on its own.
    for (const Shape shape : {Shape{160, 96, 128}, Shape{96, 160, 128}, Shape{64, 64, 64}}) {
        KV_INFO("picture " + std::to_string(shape.Width) + " x " + std::to_string(shape.Height));
        TestPictureSpec spec;
        spec.Width = shape.Width;
        spec.Height = shape.Height;
        spec.Pattern = TestPattern::Quadrants;
        ScenePicture picture = LoadShowPicture(spec);
        REQUIRE(picture != nullptr);
        int32_t side = -1;
        HBITMAP bitmap = nullptr;
        void* texels = nullptr;
        CHECK_EQ(PrepareTextureImage(gl.Window(), &picture, &side, &bitmap, &texels, nullptr), 1);
        CHECK(picture == nullptr);
        CHECK_EQ(side, shape.Side);
        REQUIRE(bitmap != nullptr && texels != nullptr);
        const int q = shape.Side / 4;
        const int corners[4][2] = {{q, q}, {3 * q, q}, {q, 3 * q}, {3 * q, 3 * q}};
        for (const auto& corner : corners) {
            const Colour expected = [&] {
                const Rgb c = TestPicturePixel(spec, corner[0] * shape.Width / shape.Side,
                                               corner[1] * shape.Height / shape.Side);
                return Colour{c.r, c.g, c.b};
            }();
            const uint32_t got = Texel(texels, side, corner[0], corner[1]);
            if (!Near(got, expected, 39)) {
                std::ostringstream what;
                what << "texel (" << corner[0] << "," << corner[1] << ") is " << ColourOf(got)
                     << ", expected " << expected;
                ReportFailure(__FILE__, __LINE__, what.str());
            }
        }
        DeleteObject(bitmap);
    }
}

KV_CASE(a_second_preparation_replaces_the_first_bitmap)
{
    GlWindow gl;
    REQUIRE(gl.Ready());
    TestPictureSpec spec;
    spec.Width = 40;
    spec.Height = 30;
    int32_t side = 0;
    HBITMAP bitmap = nullptr;
    void* texels = nullptr;
    ScenePicture picture = LoadShowPicture(spec);
    REQUIRE(PrepareTextureImage(gl.Window(), &picture, &side, &bitmap, &texels, nullptr) == 1);
    HBITMAP first = bitmap;
    REQUIRE(first != nullptr);

    picture = LoadShowPicture(spec);
    REQUIRE(PrepareTextureImage(gl.Window(), &picture, &side, &bitmap, &texels, nullptr) == 1);
    CHECK(bitmap != nullptr && bitmap != first);
    CHECK_EQ(GetObjectType(first), DWORD(0));   // deleted
    CHECK_EQ(side, 32);

    // An empty slot changes nothing.
    HBITMAP kept = bitmap;
    void* keptTexels = texels;
    CHECK_EQ(PrepareTextureImage(gl.Window(), &picture, &side, &bitmap, &texels, nullptr), 0);
    CHECK(bitmap == kept && texels == keptTexels && side == 32);
    DeleteObject(bitmap);
}

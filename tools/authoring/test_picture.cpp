#include "test_picture.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <jerror.h>

namespace {

// Colours whose channels are 0, 128 or 255 and which are neither grey, black nor white: any two
// differ by at least 127 in some channel, so they stay apart after JPEG loss and stretching.
constexpr Rgb kPictureColours[16] = {
    {255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
    {255, 128, 0}, {128, 0, 255}, {0, 128, 255}, {255, 0, 128}, {128, 255, 0}, {0, 255, 128},
    {128, 0, 0},   {0, 128, 0},   {0, 0, 128},   {128, 128, 0},
};
constexpr int kShadeCount = 4;
constexpr int kShadeStep = 24;

constexpr Rgb kRed = {255, 0, 0};
constexpr Rgb kGreen = {0, 255, 0};
constexpr Rgb kBlue = {0, 0, 255};
constexpr Rgb kWhite = {255, 255, 255};

constexpr int kLargestSide = 65500;                  // the codec's limit
constexpr int64_t kMostPixels = int64_t(64) << 20;    // test pictures stay reasonably small
constexpr size_t kFirstOutputBuffer = 64 * 1024;

uint8_t Clamp(double value)
{
    return uint8_t(value < 0 ? 0 : value > 255 ? 255 : std::lround(value));
}

// Smooth colour ramps with fine ripples and a little deterministic grain, so that the encoder sees
// something like a photograph rather than flat areas.
Rgb GradientPixel(int width, int height, int x, int y)
{
    const double u = double(x) / width, v = double(y) / height;
    uint32_t grain = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
    grain = (grain ^ (grain >> 13)) * 0x5bd1e995u;
    const double noise = double((grain >> 24) & 15) - 7.5;
    return {Clamp(40 + 180 * u + 20 * std::sin(y * 0.21) + noise),
            Clamp(30 + 190 * v + 20 * std::sin(x * 0.17) + noise),
            Clamp(200 - 120 * u * v + 25 * std::sin((x + y) * 0.05) + noise)};
}

uint8_t Gray(Rgb colour)
{
    return uint8_t((77 * colour.r + 150 * colour.g + 29 * colour.b + 128) >> 8);
}

// The encoder's error record: a fatal error goes back to the setjmp of EncodeJpeg.
struct EncoderErrorManager {
    jpeg_error_mgr Standard;
    jmp_buf RecoveryPoint;
    char Message[JMSG_LENGTH_MAX];
};

void EncoderErrorExit(j_common_ptr encoder)
{
    EncoderErrorManager* errors = reinterpret_cast<EncoderErrorManager*>(encoder->err);
    encoder->err->format_message(encoder, errors->Message);
    std::longjmp(errors->RecoveryPoint, 1);
}

// The encoder's destination: a malloc'd buffer that doubles when full.
struct GrowingDestination {
    jpeg_destination_mgr Public;
    unsigned char* Data;
    size_t Capacity;
    size_t Size;
};

void StartGrowingOutput(j_compress_ptr encoder)
{
    GrowingDestination* out = reinterpret_cast<GrowingDestination*>(encoder->dest);
    out->Data = static_cast<unsigned char*>(std::malloc(kFirstOutputBuffer));
    if (!out->Data)
        ERREXIT1(encoder, JERR_OUT_OF_MEMORY, 0);
    out->Capacity = kFirstOutputBuffer;
    out->Public.next_output_byte = out->Data;
    out->Public.free_in_buffer = out->Capacity;
}

boolean GrowOutput(j_compress_ptr encoder)
{
    GrowingDestination* out = reinterpret_cast<GrowingDestination*>(encoder->dest);
    unsigned char* larger = static_cast<unsigned char*>(std::realloc(out->Data, 2 * out->Capacity));
    if (!larger)
        ERREXIT1(encoder, JERR_OUT_OF_MEMORY, 1);
    out->Data = larger;
    out->Public.next_output_byte = larger + out->Capacity;
    out->Public.free_in_buffer = out->Capacity;
    out->Capacity *= 2;
    return TRUE;
}

void FinishGrowingOutput(j_compress_ptr encoder)
{
    GrowingDestination* out = reinterpret_cast<GrowingDestination*>(encoder->dest);
    out->Size = out->Capacity - out->Public.free_in_buffer;
}

// Compresses `samples` (rows top first, `components` samples a pixel) into `out`, whose Data the
// caller frees with free(), also after a failure. On failure returns false with `message` set.
// Holds nothing with a destructor, since fatal errors come back through longjmp.
bool EncodeJpeg(const TestPictureSpec& spec, const uint8_t* samples, int components,
                GrowingDestination* out, char (&message)[JMSG_LENGTH_MAX])
{
    jpeg_compress_struct encoder;
    EncoderErrorManager errors;
    errors.Message[0] = '\0';
    encoder.err = jpeg_std_error(&errors.Standard);
    errors.Standard.error_exit = EncoderErrorExit;
    out->Public.init_destination = StartGrowingOutput;
    out->Public.empty_output_buffer = GrowOutput;
    out->Public.term_destination = FinishGrowingOutput;
    out->Data = nullptr;
    out->Capacity = out->Size = 0;
    if (setjmp(errors.RecoveryPoint)) {
        jpeg_destroy_compress(&encoder);
        std::snprintf(message, sizeof message, "%s", errors.Message);
        return false;
    }

    jpeg_create_compress(&encoder);
    encoder.dest = &out->Public;
    encoder.image_width = JDIMENSION(spec.Width);
    encoder.image_height = JDIMENSION(spec.Height);
    encoder.input_components = components;
    encoder.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, spec.Quality, TRUE);
    if (components == 4)
        jpeg_set_colorspace(&encoder, JCS_CMYK);   // writes the Adobe marker, no JFIF marker
    encoder.density_unit = UINT8(spec.DensityUnit);
    encoder.X_density = UINT16(spec.XDensity);
    encoder.Y_density = UINT16(spec.YDensity);
    if (spec.Progressive)
        jpeg_simple_progression(&encoder);

    jpeg_start_compress(&encoder, TRUE);
    const size_t rowBytes = size_t(spec.Width) * size_t(components);
    while (encoder.next_scanline < encoder.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples + encoder.next_scanline * rowBytes);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    return true;
}

const char* CheckSpec(const TestPictureSpec& spec)
{
    if (spec.Width < 1 || spec.Height < 1 || spec.Width > kLargestSide ||
        spec.Height > kLargestSide)
        return "picture sizes must be 1 to 65500 pixels";
    if (int64_t(spec.Width) * spec.Height > kMostPixels)
        return "a test picture has at most 64 Mi pixels";
    if (spec.Quality < 1 || spec.Quality > 100)
        return "quality must be 1 to 100";
    if (spec.DensityUnit < 0 || spec.DensityUnit > 2)
        return "density unit must be 0, 1 or 2";
    if (spec.XDensity < 0 || spec.XDensity > 65535 || spec.YDensity < 0 || spec.YDensity > 65535)
        return "densities must be 0 to 65535";
    if (spec.Grayscale && spec.Cmyk)
        return "a picture is grayscale or CMYK, not both";
    return nullptr;
}

}  // namespace

Rgb TestPictureColour(int index)
{
    const unsigned n = unsigned(index);
    const Rgb base = kPictureColours[n % 16];
    const int darker = int(n / 16 % kShadeCount) * kShadeStep;
    auto shade = [darker](uint8_t channel) { return uint8_t(channel == 0 ? 0 : channel - darker); };
    return {shade(base.r), shade(base.g), shade(base.b)};
}

int TestMarkSide(int width, int height)
{
    const int shorter = width < height ? width : height;
    return shorter / 4 > 1 ? shorter / 4 : 1;
}

Rgb TestPicturePixel(const TestPictureSpec& spec, int x, int y)
{
    Rgb colour;
    switch (spec.Pattern) {
    case TestPattern::Marked: {
        const int mark = TestMarkSide(spec.Width, spec.Height);
        colour = (x < mark && y < mark) ? kWhite : TestPictureColour(spec.Index);
        break;
    }
    case TestPattern::Quadrants: {
        const bool left = 2 * x < spec.Width, top = 2 * y < spec.Height;
        colour = top ? (left ? kRed : kGreen) : (left ? kBlue : kWhite);
        break;
    }
    case TestPattern::Gradient:
    default:
        colour = GradientPixel(spec.Width, spec.Height, x, y);
        break;
    }
    if (spec.Grayscale) {
        const uint8_t gray = Gray(colour);
        colour = {gray, gray, gray};
    }
    return colour;
}

std::vector<uint8_t> MakeTestJpeg(const TestPictureSpec& spec, std::string* error)
{
    if (const char* problem = CheckSpec(spec)) {
        if (error)
            *error = problem;
        return {};
    }

    // CMYK samples are stored inverted, as Adobe's encoders do: the byte is 255 minus the ink, so a
    // colour with ink C = 255 - R (and no black) is stored as R, G, B, 255.
    const int components = spec.Grayscale ? 1 : spec.Cmyk ? 4 : 3;
    std::vector<uint8_t> samples(size_t(spec.Width) * size_t(spec.Height) * size_t(components));
    uint8_t* sample = samples.data();
    for (int y = 0; y < spec.Height; ++y) {
        for (int x = 0; x < spec.Width; ++x) {
            const Rgb colour = TestPicturePixel(spec, x, y);
            if (components == 1) {
                *sample++ = colour.r;
                continue;
            }
            *sample++ = colour.r;
            *sample++ = colour.g;
            *sample++ = colour.b;
            if (components == 4)
                *sample++ = 255;
        }
    }

    GrowingDestination encoded;
    char message[JMSG_LENGTH_MAX];
    const bool done = EncodeJpeg(spec, samples.data(), components, &encoded, message);
    std::vector<uint8_t> jpeg;
    if (done)
        jpeg.assign(encoded.Data, encoded.Data + encoded.Size);
    else if (error)
        *error = std::string("cannot encode the picture: ") + message;
    std::free(encoded.Data);
    return jpeg;
}

// kvpicture: writes a test picture, a JPEG whose content says which picture it is and which way is up.
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "test_picture.h"

namespace {

const char kTool[] = "kvpicture";

const char kUsage[] =
    "usage: kvpicture [options] OUT.jpg\n"
    "  --width W, --height H   size in pixels, 1..65500 (default 64 x 48)\n"
    "  --index I               colour of a marked picture, 0.. (default 0)\n"
    "  --pattern P             marked (colour and a white top-left mark, default),\n"
    "                          quadrants (red, green / blue, white), gradient\n"
    "  --progressive           progressive instead of baseline coding\n"
    "  --grayscale | --cmyk    one-component or four-component (Adobe CMYK) stream\n"
    "  --quality Q             1..100 (default 90)\n"
    "  --density-unit U        JFIF density unit: 0 none, 1 dots per inch, 2 dots per cm (default 1)\n"
    "  --xdensity X, --ydensity Y   0..65535 (default 72)\n"
    "  --force                 replace an existing OUT\n";

struct IntegerOption {
    const char* Name;
    int TestPictureSpec::*Field;
    int64_t Low, High;
};

const IntegerOption kIntegerOptions[] = {
    {"--width", &TestPictureSpec::Width, 1, 65500},
    {"--height", &TestPictureSpec::Height, 1, 65500},
    {"--index", &TestPictureSpec::Index, 0, INT32_MAX},
    {"--quality", &TestPictureSpec::Quality, 1, 100},
    {"--density-unit", &TestPictureSpec::DensityUnit, 0, 2},
    {"--xdensity", &TestPictureSpec::XDensity, 0, 65535},
    {"--ydensity", &TestPictureSpec::YDensity, 0, 65535},
};

struct FlagOption {
    const char* Name;
    bool TestPictureSpec::*Field;
};

const FlagOption kFlagOptions[] = {
    {"--progressive", &TestPictureSpec::Progressive},
    {"--grayscale", &TestPictureSpec::Grayscale},
    {"--cmyk", &TestPictureSpec::Cmyk},
};

struct Settings {
    TestPictureSpec Spec;
    std::string Output;
    bool Force = false;
    bool Help = false;
};

bool ParsePattern(const std::string& text, TestPattern* pattern)
{
    if (text == "marked")
        *pattern = TestPattern::Marked;
    else if (text == "quadrants")
        *pattern = TestPattern::Quadrants;
    else if (text == "gradient")
        *pattern = TestPattern::Gradient;
    else
        return false;
    return true;
}

bool ParseOption(Arguments& args, Settings* settings, std::string* error)
{
    const std::string& name = args.Name();
    for (const IntegerOption& option : kIntegerOptions) {
        if (name != option.Name)
            continue;
        int64_t number = 0;
        if (!args.TakeInteger(option.Low, option.High, &number, error))
            return false;
        settings->Spec.*option.Field = int(number);
        return true;
    }
    for (const FlagOption& option : kFlagOptions) {
        if (name != option.Name)
            continue;
        settings->Spec.*option.Field = true;
        return args.TakeNoValue(error);
    }
    if (name == "--pattern") {
        std::string text;
        if (!args.TakeValue(&text, error))
            return false;
        if (ParsePattern(text, &settings->Spec.Pattern))
            return true;
        *error = "--pattern: '" + text + "' is not marked, quadrants or gradient";
        return false;
    }
    if (name == "--force") {
        settings->Force = true;
        return args.TakeNoValue(error);
    }
    if (name == "--help") {
        settings->Help = true;
        return args.TakeNoValue(error);
    }
    *error = "unknown option " + name + " (see kvpicture --help)";
    return false;
}

bool ParseArguments(int argc, char** argv, Settings* settings, std::string* error)
{
    Arguments args(argc, argv);
    while (args.Next()) {
        if (args.IsOption()) {
            if (!ParseOption(args, settings, error))
                return false;
        } else if (settings->Output.empty() && !args.Positional().empty()) {
            settings->Output = args.Positional();
        } else {
            *error = "unexpected argument '" + args.Positional() + "' (usage: kvpicture [options] OUT.jpg)";
            return false;
        }
    }
    if (settings->Output.empty() && !settings->Help) {
        *error = "no output file given (usage: kvpicture [options] OUT.jpg)";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    std::string error;
    if (!ParseArguments(argc, argv, &settings, &error))
        return ReportError(kTool, error, kUsageExit);
    if (settings.Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::vector<uint8_t> jpeg = MakeTestJpeg(settings.Spec, &error);
    if (jpeg.empty())
        return ReportError(kTool, error, kUsageExit);
    return WriteOutput(kTool, settings.Output, jpeg, settings.Force);
}

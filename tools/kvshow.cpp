// kvshow: writes a show file from JPEG pictures and presentation settings.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "command_line.h"
#include "show_writer.h"

namespace {

const char kTool[] = "kvshow";

const char kUsage[] =
    "usage: kvshow [options] OUT.dat [PICTURE...]\n"
    "\n"
    "Each PICTURE makes one picture table entry, in order (entries are counted from 0):\n"
    "  FILE.jpg       a JPEG file, stored as its own stream\n"
    "  -  or @empty   an entry with offset 0 (no picture)\n"
    "  @N             an entry sharing the stream of entry N, which must name a JPEG file\n"
    "  @raw:OFFSET    an entry whose offset is OFFSET as given (-2^31..2^31-1)\n"
    "  (a file whose name starts with @ is given as ./@name)\n"
    "\n"
    "Presentation settings (one signed byte each, -128..127; default 0 unless noted):\n"
    "  --faces N         0 book, 2 card, 5 pyramid, 6 cube\n"
    "  --orbit-copies N  --distance N  --orbit-main N  --orbit-step N\n"
    "  --spin-x N  --spin-y N (default 2)  --spin-z N\n"
    "  --slow N  --keep-order N  --tilt N  --pause N (default 3)  --turn-step N (default -3)\n"
    "  --cover-first N\n"
    "Texts:\n"
    "  --banner TEXT  --banner-file F (up to 2048 bytes, taken as they are)\n"
    "  --banner-fill-2048  (2048 letters A..Z repeating: no terminating zero)\n"
    "  --title TEXT (default empty)  --description TEXT  --description-file F\n"
    "Odd files:\n"
    "  --picture-count N  write N as PictureCount instead of the number of entries\n"
    "  --entry-extra N    the second four bytes of every entry (0..0xFFFFFFFF, default 0)\n"
    "  --truncate N       cut the file after N bytes\n"
    "Output:\n"
    "  --force            replace an existing OUT\n";

struct HeaderOption {
    const char* Name;
    int8_t ShowHeader::*Field;
};

const HeaderOption kHeaderOptions[] = {
    {"--faces", &ShowHeader::FaceCount},       {"--orbit-copies", &ShowHeader::OrbitCopies},
    {"--distance", &ShowHeader::DistanceIndex}, {"--orbit-main", &ShowHeader::OrbitMain},
    {"--orbit-step", &ShowHeader::OrbitStep},  {"--spin-x", &ShowHeader::SpinStepX},
    {"--spin-y", &ShowHeader::SpinStepY},      {"--spin-z", &ShowHeader::SpinStepZ},
    {"--slow", &ShowHeader::SlowTicks},        {"--keep-order", &ShowHeader::KeepOrder},
    {"--tilt", &ShowHeader::BookTilt},         {"--pause", &ShowHeader::PauseSeconds},
    {"--turn-step", &ShowHeader::TurnStep},    {"--cover-first", &ShowHeader::CoverFirst},
};

enum class EntryKind { Picture, Share, Raw };

struct EntryArgument {
    EntryKind Kind = EntryKind::Raw;
    std::string Text;          // as given
    int64_t Number = 0;        // Share: the entry shared; Raw: the offset
};

bool ParseEntry(const std::string& text, EntryArgument* entry, std::string* error)
{
    entry->Text = text;
    if (text == "-" || text == "@empty") {
        entry->Kind = EntryKind::Raw;
        entry->Number = 0;
        return true;
    }
    if (text.empty() || text[0] != '@') {
        entry->Kind = EntryKind::Picture;
        return true;
    }
    const std::string raw = "@raw:";
    if (text.compare(0, raw.size(), raw) == 0) {
        entry->Kind = EntryKind::Raw;
        if (ParseInteger(text.substr(raw.size()), INT32_MIN, INT32_MAX, &entry->Number))
            return true;
        *error = text + ": the offset is not a number from -2147483648 to 2147483647";
        return false;
    }
    entry->Kind = EntryKind::Share;
    if (ParseInteger(text.substr(1), 0, INT32_MAX, &entry->Number))
        return true;
    *error = text + ": not a picture entry (use -, @empty, @N, @raw:OFFSET, or ./" + text +
             " for a file)";
    return false;
}

bool ReadPicture(const std::string& path, std::vector<uint8_t>* bytes, std::string* error)
{
    if (!ReadWholeFile(path, 0x7FFFFFFF, bytes, error))
        return false;
    if (bytes->size() < 2 || (*bytes)[0] != 0xFF || (*bytes)[1] != 0xD8) {
        *error = path + ": not a JPEG file (no start-of-image marker)";
        return false;
    }
    return true;
}

bool ReadText(const std::string& path, uint64_t limit, std::string* text, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, limit, &bytes, error))
        return false;
    text->assign(bytes.begin(), bytes.end());
    return true;
}

struct Settings {
    ShowSpec Spec;
    std::string Output;
    std::vector<EntryArgument> Entries;
    bool Force = false;
    bool BannerGiven = false;
    bool DescriptionGiven = false;
    bool TruncateGiven = false;
    uint64_t Truncate = 0;
    uint32_t EntryExtra = 0;
    bool Help = false;
};

bool SetOnce(bool* given, const char* what, std::string* error)
{
    if (*given) {
        *error = std::string("the ") + what + " is given twice";
        return false;
    }
    *given = true;
    return true;
}

bool ParseOption(Arguments& args, Settings* settings, std::string* error)
{
    const std::string& name = args.Name();
    ShowSpec& spec = settings->Spec;
    int64_t number = 0;
    for (const HeaderOption& option : kHeaderOptions) {
        if (name != option.Name)
            continue;
        if (!args.TakeInteger(INT8_MIN, INT8_MAX, &number, error))
            return false;
        spec.Header.*option.Field = int8_t(number);
        return true;
    }
    if (name == "--help") {
        settings->Help = true;
        return args.TakeNoValue(error);
    }
    if (name == "--force") {
        settings->Force = true;
        return args.TakeNoValue(error);
    }
    if (name == "--banner")
        return SetOnce(&settings->BannerGiven, "banner", error) &&
               args.TakeValue(&spec.Banner, error);
    if (name == "--banner-file") {
        std::string path;
        return SetOnce(&settings->BannerGiven, "banner", error) && args.TakeValue(&path, error) &&
               ReadText(path, kBannerTextSize, &spec.Banner, error);
    }
    if (name == "--banner-fill-2048") {
        if (!SetOnce(&settings->BannerGiven, "banner", error) || !args.TakeNoValue(error))
            return false;
        spec.Banner.clear();
        for (size_t i = 0; i < kBannerTextSize; ++i)
            spec.Banner.push_back(char('A' + i % 26));
        return true;
    }
    if (name == "--title")
        return args.TakeValue(&spec.Title, error);
    if (name == "--description")
        return SetOnce(&settings->DescriptionGiven, "description", error) &&
               args.TakeValue(&spec.Description, error);
    if (name == "--description-file") {
        std::string path;
        return SetOnce(&settings->DescriptionGiven, "description", error) &&
               args.TakeValue(&path, error) && ReadText(path, 0xFFFF, &spec.Description, error);
    }
    if (name == "--picture-count") {
        if (!args.TakeInteger(INT32_MIN, INT32_MAX, &number, error))
            return false;
        spec.ForcePictureCount = true;
        spec.Header.PictureCount = int32_t(number);
        return true;
    }
    if (name == "--entry-extra") {
        if (!args.TakeInteger(0, UINT32_MAX, &number, error))
            return false;
        settings->EntryExtra = uint32_t(number);
        return true;
    }
    if (name == "--truncate") {
        if (!args.TakeInteger(0, INT64_MAX, &number, error))
            return false;
        settings->TruncateGiven = true;
        settings->Truncate = uint64_t(number);
        return true;
    }
    *error = "unknown option " + name + " (see kvshow --help)";
    return false;
}

bool ParseArguments(int argc, char** argv, Settings* settings, std::string* error)
{
    ShowHeader& header = settings->Spec.Header;
    header.SpinStepY = 2;
    header.PauseSeconds = 3;
    header.TurnStep = -3;

    Arguments args(argc, argv);
    while (args.Next()) {
        if (args.IsOption()) {
            if (!ParseOption(args, settings, error))
                return false;
        } else if (settings->Output.empty()) {
            settings->Output = args.Positional();
            if (settings->Output.empty()) {
                *error = "the output file name is empty";
                return false;
            }
        } else {
            EntryArgument entry;
            if (!ParseEntry(args.Positional(), &entry, error))
                return false;
            settings->Entries.push_back(entry);
        }
    }
    if (settings->Output.empty() && !settings->Help) {
        *error = "no output file given (usage: kvshow [options] OUT.dat [PICTURE...])";
        return false;
    }
    return true;
}

// Reads the pictures and turns the entry arguments into streams and table entries.
bool CollectPictures(Settings* settings, std::string* error)
{
    ShowSpec& spec = settings->Spec;
    std::vector<int> streamOfEntry(settings->Entries.size(), -1);
    for (size_t i = 0; i < settings->Entries.size(); ++i) {
        if (settings->Entries[i].Kind != EntryKind::Picture)
            continue;
        std::vector<uint8_t> bytes;
        if (!ReadPicture(settings->Entries[i].Text, &bytes, error))
            return false;
        streamOfEntry[i] = int(spec.Streams.size());
        spec.Streams.push_back(std::move(bytes));
    }
    for (size_t i = 0; i < settings->Entries.size(); ++i) {
        const EntryArgument& argument = settings->Entries[i];
        ShowPictureEntry entry;
        entry.Extra = settings->EntryExtra;
        switch (argument.Kind) {
        case EntryKind::Picture:
            entry.Stream = streamOfEntry[i];
            break;
        case EntryKind::Share:
            if (uint64_t(argument.Number) >= settings->Entries.size() ||
                streamOfEntry[size_t(argument.Number)] < 0) {
                *error = argument.Text + ": entry " + std::to_string(argument.Number) +
                         " is not a JPEG file of this show";
                return false;
            }
            entry.Stream = streamOfEntry[size_t(argument.Number)];
            break;
        case EntryKind::Raw:
            entry.RawOffset = int32_t(argument.Number);
            break;
        }
        spec.Entries.push_back(entry);
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
    if (!CollectPictures(&settings, &error))
        return ReportError(kTool, error, kUsageExit);

    if (settings.TruncateGiven && settings.Truncate > 0)
        settings.Spec.TruncateAt = settings.Truncate;
    std::vector<uint8_t> bytes = BuildShowFile(settings.Spec, &error);
    if (bytes.empty())
        return ReportError(kTool, error, kUsageExit);
    if (settings.TruncateGiven && settings.Truncate == 0)
        bytes.clear();

    return WriteOutput(kTool, settings.Output, bytes, settings.Force);
}

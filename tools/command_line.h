// Command-line handling shared by the authoring tools: options as "--name VALUE" or "--name=VALUE",
// integers in decimal or 0x hexadecimal, errors as one line "tool: message" on stderr.
#pragma once
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "show_writer.h"

// Exit code of a tool that refused its arguments or its input.
constexpr int kUsageExit = 2;

inline int ReportError(const char* tool, const std::string& message, int exitCode)
{
    std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
    return exitCode;
}

// `text` as an integer within [low, high]: optional sign, decimal digits or 0x and hex digits.
inline bool ParseInteger(const std::string& text, int64_t low, int64_t high, int64_t* value)
{
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    int base = 10;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at == text.size())
        return false;
    uint64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        if (magnitude > (uint64_t(1) << 58))
            return false;
        magnitude = magnitude * uint64_t(base) + uint64_t(digit);
    }
    const int64_t result = negative ? -int64_t(magnitude) : int64_t(magnitude);
    if (result < low || result > high)
        return false;
    *value = result;
    return true;
}

// Walks argv: options (with their values) and positional arguments; "--" ends the options.
class Arguments {
public:
    Arguments(int argc, char** argv) : argc_(argc), argv_(argv) {}

    // Moves to the next argument; false at the end.
    bool Next()
    {
        if (next_ >= argc_)
            return false;
        const std::string arg = argv_[next_++];
        name_.clear();
        inlineValue_.clear();
        hasInlineValue_ = false;
        if (!optionsEnded_ && arg == "--") {
            optionsEnded_ = true;
            return Next();
        }
        if (!optionsEnded_ && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const size_t equals = arg.find('=');
            name_ = arg.substr(0, equals);
            if (equals != std::string::npos) {
                hasInlineValue_ = true;
                inlineValue_ = arg.substr(equals + 1);
            }
            positional_.clear();
        } else {
            positional_ = arg;
        }
        return true;
    }

    bool IsOption() const { return !name_.empty(); }
    const std::string& Name() const { return name_; }
    const std::string& Positional() const { return positional_; }

    // The value of the current option.
    bool TakeValue(std::string* value, std::string* error)
    {
        if (hasInlineValue_) {
            *value = inlineValue_;
            return true;
        }
        if (next_ >= argc_) {
            *error = name_ + " needs a value";
            return false;
        }
        *value = argv_[next_++];
        return true;
    }

    bool TakeInteger(int64_t low, int64_t high, int64_t* value, std::string* error)
    {
        std::string text;
        if (!TakeValue(&text, error))
            return false;
        if (!ParseInteger(text, low, high, value)) {
            *error = name_ + ": '" + text + "' is not a number from " + std::to_string(low) +
                     " to " + std::to_string(high);
            return false;
        }
        return true;
    }

    // For an option that takes no value.
    bool TakeNoValue(std::string* error)
    {
        if (!hasInlineValue_)
            return true;
        *error = name_ + " takes no value";
        return false;
    }

private:
    int argc_;
    char** argv_;
    int next_ = 1;
    bool optionsEnded_ = false;
    std::string name_;
    std::string positional_;
    std::string inlineValue_;
    bool hasInlineValue_ = false;
};

// The whole content of a file, refusing files longer than `limit` bytes.
inline bool ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>* bytes,
                          std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    bytes->clear();
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got == 0)
            break;
        if (bytes->size() + got > limit) {
            *error = path + ": longer than " + std::to_string(limit) + " bytes";
            ok = false;
            break;
        }
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
    if (ok && std::ferror(file)) {
        *error = path + ": " + std::strerror(errno);
        ok = false;
    }
    std::fclose(file);
    return ok;
}

// Writes a tool's output file; returns the tool's exit code (0, or kUsageExit after the message).
inline int WriteOutput(const char* tool, const std::string& path, const std::vector<uint8_t>& bytes,
                       bool force)
{
    std::string error;
    if (WriteFileSafely(path, bytes, force, &error))
        return 0;
    if (!force && error == path + ": already exists")
        error += " (use --force to replace it)";
    return ReportError(tool, error, kUsageExit);
}

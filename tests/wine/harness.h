// The Windows-side test driver: end-to-end cases that run under Wine, written like Wine's own
// conformance tests. Each file in cases/ is one group (one ctest test, "wine.<file name>"); a case
// is a function registered with KV_CASE. The driver runs every case of a group, prints one line per
// case and a closing "N passed, N failed" line, and exits non-zero when any case failed.
//
//   kvdriver.exe --list             the groups and their cases
//   kvdriver.exe GROUP [CASE...]    run a group, or some of its cases
//
// Each case gets a fresh folder of its own (CaseDir()) on the prefix's C: drive, removed after a
// passing case and kept after a failing one. Registry keys a case creates are its own to clean up
// (use RegistryKeyGuard).
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace kvtest {

// ---- registration and checks -------------------------------------------------------------------

struct CaseRegistration {
    CaseRegistration(const char* file, const char* name, void (*body)());
};

void ReportFailure(const char* file, int line, const std::string& what);
bool CaseFailed();

// Thrown by REQUIRE to end the current case (never crosses a window procedure of ours: cases call
// into programs through processes and messages).
struct CaseAbort {};

template <typename A, typename B>
std::string DescribePair(const char* a, const char* b, const A& va, const B& vb)
{
    std::ostringstream out;
    out << a << " == " << b << "  (" << va << " vs " << vb << ")";
    return out.str();
}

}  // namespace kvtest

#define KV_CONCAT2(a, b) a##b
#define KV_CONCAT(a, b) KV_CONCAT2(a, b)
#define KV_CASE(name)                                                                         \
    static void KV_CONCAT(kvcase_, name)();                                                   \
    static kvtest::CaseRegistration KV_CONCAT(kvreg_, name)(__FILE__, #name, &KV_CONCAT(kvcase_, name)); \
    static void KV_CONCAT(kvcase_, name)()

#define CHECK(cond)                                                                           \
    ((cond) ? true : (kvtest::ReportFailure(__FILE__, __LINE__, "CHECK(" #cond ")"), false))
#define CHECK_EQ(a, b)                                                                        \
    do {                                                                                      \
        const auto& kv_a_ = (a);                                                              \
        const auto& kv_b_ = (b);                                                              \
        if (!(kv_a_ == kv_b_))                                                                \
            kvtest::ReportFailure(__FILE__, __LINE__, kvtest::DescribePair(#a, #b, kv_a_, kv_b_)); \
    } while (0)
#define REQUIRE(cond)                                                                         \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            kvtest::ReportFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")");                  \
            throw kvtest::CaseAbort{};                                                        \
        }                                                                                     \
    } while (0)
// Adds context to the failures of the rest of the current scope (like a trace).
#define KV_INFO(text) kvtest::InfoScope KV_CONCAT(kvinfo_, __LINE__)(text)

namespace kvtest {

struct InfoScope {
    explicit InfoScope(std::string text);
    ~InfoScope();
};

// ---- places ---------------------------------------------------------------------------------

// The folder that holds kvdriver.exe and the programs under test (build/win64).
std::string BuildDir();
// A program of the build: BuildDir() + name.
std::string ProgramPath(const std::string& name);
// This case's own fresh folder, ending in a backslash ("C:\kvtest\<group>\<case>\").
std::string CaseDir();
// Short (8.3) form of an existing path; the path itself when there is none.
std::string ShortPath(const std::string& path);

// ---- files ----------------------------------------------------------------------------------

bool FileExists(const std::string& path);       // a file or a folder
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteFileText(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFileBytes(const std::string& path, bool* ok = nullptr);
bool CopyFileTo(const std::string& from, const std::string& to);
bool MakeDirs(const std::string& path);         // with every missing parent
void RemoveTree(const std::string& path);
// Polls until the path no longer exists; false on timeout.
bool WaitUntilGone(const std::string& path, DWORD timeoutMs);

// ---- processes ------------------------------------------------------------------------------

struct RunResult {
    bool Started = false;
    DWORD StartError = 0;       // GetLastError() when the program could not be started
    bool TimedOut = false;      // the program was killed after the timeout
    DWORD ExitCode = 0;
    std::string Output;         // what it wrote to standard output and error
};

struct RunOptions {
    std::string Directory;      // current folder; empty = the driver's
    DWORD TimeoutMs = 20000;
    bool CaptureOutput = true;
};

// Starts a command line and waits for it. The program name inside `commandLine` is quoted by the
// caller where needed (so that tests can pass odd command lines through unchanged).
RunResult Run(const std::string& commandLine, const RunOptions& options = {});
std::string Quote(const std::string& path);
// The value of a "NAME=value" line in a test program's output, or `missing` without one.
std::string OutputField(const std::string& output, const std::string& name, const std::string& missing = "");

// A program left running while the case works (a saver, a dialog); killed when it goes out of
// scope if it has not ended.
class Process {
public:
    bool Start(const std::string& commandLine, const std::string& directory = "");
    // Waits for the end; false on timeout (the process keeps running).
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    bool Running() const;
    void Kill();
    ~Process();

private:
    PROCESS_INFORMATION info_{};
};

// ---- registry -------------------------------------------------------------------------------

// A saver's entry under "Software\Microsoft\Windows\CurrentVersion\Uninstall" (HKEY_LOCAL_MACHINE).
inline std::string UninstallKey(const std::string& saverName)
{
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + saverName;
}

bool RegSetString(HKEY root, const std::string& key, const std::string& name, const std::string& value);
bool RegSetDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
bool RegGetString(HKEY root, const std::string& key, const std::string& name, std::string* value);
bool RegGetDword(HKEY root, const std::string& key, const std::string& name, DWORD* value);
bool RegKeyExists(HKEY root, const std::string& key);
bool RegValueExists(HKEY root, const std::string& key, const std::string& name);
void RegDeleteKeyTree(HKEY root, const std::string& key);

// Deletes the key (and everything below it) when the scope ends, and once at the start.
class RegistryKeyGuard {
public:
    RegistryKeyGuard(HKEY root, std::string key);
    ~RegistryKeyGuard();

private:
    HKEY root_;
    std::string key_;
};

// ---- windows --------------------------------------------------------------------------------

// Polls for a top-level window of the class and/or title (either may be null) that belongs to the
// process (0 = any); null on timeout.
HWND WaitForWindow(const char* className, const char* title, DWORD processId, DWORD timeoutMs);
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// Lets the driver's own windows handle their messages for a while.
void PumpMessages(DWORD milliseconds);

// ---- screen ---------------------------------------------------------------------------------

// A copy of the whole screen as 32-bit pixels, top row first.
struct Screenshot {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;   // 0x00RRGGBB
    uint32_t At(int x, int y) const;
    bool SavePpm(const std::string& path) const;   // for looking at a failure
};
Screenshot CaptureScreen();

struct Colour {
    int R, G, B;
};
Colour ColourOf(uint32_t pixel);
// True when every channel differs by at most `tolerance`.
bool Near(uint32_t pixel, Colour expected, int tolerance);
std::ostream& operator<<(std::ostream& out, Colour c);

}  // namespace kvtest

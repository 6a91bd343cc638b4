#include "harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace kvtest {

// ---- registration --------------------------------------------------------------------------

struct Case {
    std::string Name;
    void (*Body)();
};

static std::map<std::string, std::vector<Case>>& Groups()
{
    static std::map<std::string, std::vector<Case>> groups;
    return groups;
}

static std::string GroupOfFile(const char* file)
{
    std::string path = file;
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

CaseRegistration::CaseRegistration(const char* file, const char* name, void (*body)())
{
    Groups()[GroupOfFile(file)].push_back({name, body});
}

static std::string g_group;
static std::string g_case;
static int g_failures = 0;
static std::vector<std::string> g_info;

void ReportFailure(const char* file, int line, const std::string& what)
{
    ++g_failures;
    std::string where = file;
    const size_t slash = where.find_last_of("/\\");
    if (slash != std::string::npos)
        where = where.substr(slash + 1);
    std::printf("  %s:%d: failed: %s\n", where.c_str(), line, what.c_str());
    for (const std::string& info : g_info)
        std::printf("    while: %s\n", info.c_str());
    std::fflush(stdout);
}

bool CaseFailed() { return g_failures > 0; }

InfoScope::InfoScope(std::string text) { g_info.push_back(std::move(text)); }
InfoScope::~InfoScope() { g_info.pop_back(); }

// ---- places ---------------------------------------------------------------------------------

std::string BuildDir()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string ProgramPath(const std::string& name) { return BuildDir() + name; }

std::string CaseDir() { return "C:\\kvtest\\" + g_group + "\\" + g_case + "\\"; }

std::string ShortPath(const std::string& path)
{
    char out[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), out, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(out, n) : path;
}

// ---- files ----------------------------------------------------------------------------------

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    return WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadFileBytes(const std::string& path, bool* ok)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ok)
        *ok = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    uint8_t buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    CloseHandle(file);
    return bytes;
}

bool CopyFileTo(const std::string& from, const std::string& to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool MakeDirs(const std::string& path)
{
    std::string partial;
    for (size_t i = 0; i < path.size(); ++i) {
        partial += path[i];
        if ((path[i] == '\\' || i + 1 == path.size()) && partial.size() > 3)
            CreateDirectoryA(partial.c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path)
{
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

bool WaitUntilGone(const std::string& path, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (FileExists(path)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

// ---- processes ------------------------------------------------------------------------------

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

std::string OutputField(const std::string& output, const std::string& name, const std::string& missing)
{
    const std::string tag = name + "=";
    const size_t at = output.find(tag);
    if (at == std::string::npos)
        return missing;
    const size_t end = output.find_first_of("\r\n", at);
    return output.substr(at + tag.size(), end == std::string::npos ? std::string::npos : end - at - tag.size());
}

// Appends what is waiting in the pipe, without blocking.
static void DrainPipe(HANDLE pipe, std::string& output)
{
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) || got == 0)
            break;
        output.append(buffer, got);
    }
}

// CreateProcess, tried three times: under load Wine has now and then failed to start a program
// that starts at the next attempt. Every failure is printed with its error code. Returns 0 once
// started, else the last error.
static DWORD StartProcess(const std::string& commandLine, const std::string& directory,
                          bool inheritHandles, STARTUPINFOA& startup, PROCESS_INFORMATION& info)
{
    DWORD error = 0;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, inheritHandles, 0, nullptr,
                           directory.empty() ? nullptr : directory.c_str(), &startup, &info))
            return 0;
        error = GetLastError();
        std::fprintf(stderr, "  attempt %d: could not start %s: error %lu\n", attempt,
                     commandLine.c_str(), static_cast<unsigned long>(error));
        Sleep(500);
    }
    return error ? error : ERROR_GEN_FAILURE;
}

RunResult Run(const std::string& commandLine, const RunOptions& options)
{
    RunResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (options.CaptureOutput && !CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    if (readEnd)
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (writeEnd) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
    }
    PROCESS_INFORMATION info{};
    result.StartError = StartProcess(commandLine, options.Directory, writeEnd != nullptr, startup, info);
    result.Started = result.StartError == 0;
    if (writeEnd)
        CloseHandle(writeEnd);
    if (!result.Started) {
        if (readEnd)
            CloseHandle(readEnd);
        return result;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        if (readEnd)
            DrainPipe(readEnd, result.Output);
        if (WaitForSingleObject(info.hProcess, 20) == WAIT_OBJECT_0)
            break;
        if (GetTickCount() - start > options.TimeoutMs) {
            result.TimedOut = true;
            TerminateProcess(info.hProcess, 0xDEAD);
            WaitForSingleObject(info.hProcess, 5000);
            break;
        }
    }
    if (readEnd) {
        DrainPipe(readEnd, result.Output);
        CloseHandle(readEnd);
    }
    GetExitCodeProcess(info.hProcess, &result.ExitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return result;
}

bool Process::Start(const std::string& commandLine, const std::string& directory)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    return StartProcess(commandLine, directory, false, startup, info_) == 0;
}

bool Process::Wait(DWORD timeoutMs, DWORD* exitCode)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

bool Process::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Process::Kill()
{
    if (Running()) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

Process::~Process()
{
    Kill();
    if (info_.hThread)
        CloseHandle(info_.hThread);
    if (info_.hProcess)
        CloseHandle(info_.hProcess);
}

// ---- registry -------------------------------------------------------------------------------

static bool SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                     const void* data, DWORD size)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExA(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

bool RegSetString(HKEY root, const std::string& key, const std::string& name, const std::string& value)
{
    return SetValue(root, key, name, REG_SZ, value.c_str(), DWORD(value.size() + 1));
}

bool RegSetDword(HKEY root, const std::string& key, const std::string& name, DWORD value)
{
    return SetValue(root, key, name, REG_DWORD, &value, sizeof(value));
}

static bool GetValue(HKEY root, const std::string& key, const std::string& name, DWORD* type,
                     std::vector<BYTE>* data)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(handle, name.c_str(), nullptr, type, nullptr, &size);
    if (rc == ERROR_SUCCESS && data) {
        data->assign(size + 1, 0);
        rc = RegQueryValueExA(handle, name.c_str(), nullptr, type, data->data(), &size);
    }
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

bool RegGetString(HKEY root, const std::string& key, const std::string& name, std::string* value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!GetValue(root, key, name, &type, &data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    *value = reinterpret_cast<const char*>(data.data());
    return true;
}

bool RegGetDword(HKEY root, const std::string& key, const std::string& name, DWORD* value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!GetValue(root, key, name, &type, &data) || type != REG_DWORD || data.size() < sizeof(DWORD))
        return false;
    std::memcpy(value, data.data(), sizeof(DWORD));
    return true;
}

bool RegKeyExists(HKEY root, const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

bool RegValueExists(HKEY root, const std::string& key, const std::string& name)
{
    DWORD type = 0;
    return GetValue(root, key, name, &type, nullptr);
}

void RegDeleteKeyTree(HKEY root, const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
        char child[256];
        for (;;) {
            DWORD size = sizeof(child);
            if (RegEnumKeyExA(handle, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            RegDeleteKeyTree(handle, child);
        }
        RegCloseKey(handle);
    }
    RegDeleteKeyA(root, key.c_str());
}

RegistryKeyGuard::RegistryKeyGuard(HKEY root, std::string key) : root_(root), key_(std::move(key))
{
    RegDeleteKeyTree(root_, key_);
}

RegistryKeyGuard::~RegistryKeyGuard() { RegDeleteKeyTree(root_, key_); }

// ---- windows --------------------------------------------------------------------------------

struct WindowSearch {
    const char* ClassName;
    const char* Title;
    DWORD ProcessId;
    HWND Found;
};

static BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (search->ProcessId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->ProcessId)
            return TRUE;
    }
    if (search->ClassName && WindowClass(window) != search->ClassName)
        return TRUE;
    if (search->Title && WindowText(window) != search->Title)
        return TRUE;
    search->Found = window;
    return FALSE;
}

HWND WaitForWindow(const char* className, const char* title, DWORD processId, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{className, title, processId, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found)
            return search.Found;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        PumpMessages(50);
    }
}

std::string WindowText(HWND window)
{
    char text[4096];
    const LRESULT n = SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return std::string(text, size_t(n > 0 ? n : 0));
}

std::string WindowClass(HWND window)
{
    char name[256];
    const int n = GetClassNameA(window, name, sizeof(name));
    return std::string(name, size_t(n > 0 ? n : 0));
}

void PumpMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

// ---- screen ---------------------------------------------------------------------------------

uint32_t Screenshot::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return 0xFFFFFFFF;
    return Pixels[size_t(y) * size_t(Width) + size_t(x)];
}

bool Screenshot::SavePpm(const std::string& path) const
{
    std::vector<uint8_t> bytes;
    const std::string head = "P6\n" + std::to_string(Width) + " " + std::to_string(Height) + "\n255\n";
    bytes.assign(head.begin(), head.end());
    for (uint32_t pixel : Pixels) {
        bytes.push_back(uint8_t(pixel >> 16));
        bytes.push_back(uint8_t(pixel >> 8));
        bytes.push_back(uint8_t(pixel));
    }
    return WriteFileBytes(path, bytes);
}

Screenshot CaptureScreen()
{
    Screenshot shot;
    HDC screen = GetDC(nullptr);
    shot.Width = GetSystemMetrics(SM_CXSCREEN);
    shot.Height = GetSystemMetrics(SM_CYSCREEN);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.Width;
    info.bmiHeader.biHeight = -shot.Height;   // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, shot.Width, shot.Height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* source = static_cast<const uint32_t*>(bits);
        shot.Pixels.assign(source, source + size_t(shot.Width) * size_t(shot.Height));
        for (uint32_t& pixel : shot.Pixels)
            pixel &= 0x00FFFFFF;
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

Colour ColourOf(uint32_t pixel)
{
    return {int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF), int(pixel & 0xFF)};
}

bool Near(uint32_t pixel, Colour expected, int tolerance)
{
    const Colour c = ColourOf(pixel);
    return std::abs(c.R - expected.R) <= tolerance && std::abs(c.G - expected.G) <= tolerance &&
           std::abs(c.B - expected.B) <= tolerance;
}

std::ostream& operator<<(std::ostream& out, Colour c)
{
    return out << "rgb(" << c.R << "," << c.G << "," << c.B << ")";
}

// ---- the driver -----------------------------------------------------------------------------

static int RunGroup(const std::string& group, const std::vector<std::string>& only)
{
    auto found = Groups().find(group);
    if (found == Groups().end()) {
        std::printf("kvdriver: no group '%s' (see --list)\n", group.c_str());
        return 2;
    }
    int passed = 0, failed = 0;
    for (const Case& c : found->second) {
        if (!only.empty() && std::find(only.begin(), only.end(), c.Name) == only.end())
            continue;
        g_group = group;
        g_case = c.Name;
        g_failures = 0;
        RemoveTree(CaseDir());
        MakeDirs(CaseDir());
        const DWORD start = GetTickCount();
        std::printf("[ RUN  ] %s.%s\n", group.c_str(), c.Name.c_str());
        std::fflush(stdout);
        try {
            c.Body();
        } catch (const CaseAbort&) {
        } catch (const std::exception& e) {
            ReportFailure(__FILE__, __LINE__, std::string("exception: ") + e.what());
        }
        const DWORD ms = GetTickCount() - start;
        if (g_failures == 0) {
            ++passed;
            RemoveTree(CaseDir());
            std::printf("[   OK ] %s.%s (%lu ms)\n", group.c_str(), c.Name.c_str(), (unsigned long)ms);
        } else {
            ++failed;
            std::printf("[ FAIL ] %s.%s (%lu ms), files kept in %s\n", group.c_str(), c.Name.c_str(),
                        (unsigned long)ms, CaseDir().c_str());
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace kvtest

int main(int argc, char** argv)
{
    using namespace kvtest;
    if (argc < 2) {
        std::printf("usage: kvdriver --list | GROUP [CASE...]\n");
        return 2;
    }
    const std::string first = argv[1];
    if (first == "--list") {
        for (const auto& group : Groups()) {
            std::printf("%s\n", group.first.c_str());
            for (const Case& c : group.second)
                std::printf("  %s\n", c.Name.c_str());
        }
        return 0;
    }
    std::vector<std::string> only(argv + 2, argv + argc);
    return RunGroup(first, only);
}

// Shared by the host_* groups: a saver installed the way the authoring product installs one (the
// program copied under the saver's name beside its show file), started and looked at.
#pragma once
#include <string>
#include <vector>

#include "harness.h"
#include "show_writer.h"
#include "test_picture.h"

namespace hosttest {

using namespace kvtest;

const char kHostClass[] = "WindowsScreenSaverClass";
const char kSceneClass[] = "3DOpenGLWnd";

inline std::string UninstallKey(const std::string& saverName)
{
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + saverName;
}

struct SaverShow {
    std::string Banner;
    int Faces = 2;          // a card: the quickest scene to set up
    int Pictures = 2;
    bool WriteShow = true;  // false: the program without its show file
};

// A saver "<name>.scr" in its own folder of the case, with "<name>.dat" beside it. The data folder
// lookup records an uninstall key for the name: the guard removes it at the end of the case.
class InstalledSaver {
public:
    InstalledSaver(const std::string& name, const SaverShow& show = {})
        : name_(name), key_(HKEY_LOCAL_MACHINE, UninstallKey(name))
    {
        folder_ = CaseDir() + "saver\\";
        REQUIRE(MakeDirs(folder_));
        REQUIRE(CopyFileTo(ProgramPath("kelvane.scr"), Program()));
        if (show.WriteShow) {
            ShowSpec spec;
            spec.Header.FaceCount = static_cast<int8_t>(show.Faces);
            spec.Header.SpinStepY = 2;
            spec.Header.PauseSeconds = 3;
            spec.Header.TurnStep = -3;
            spec.Banner = show.Banner;
            spec.Title = "Host Test " + name;
            for (int i = 0; i < show.Pictures; ++i) {
                TestPictureSpec picture;
                picture.Width = 128;
                picture.Height = 96;
                picture.Index = i;
                std::string error;
                spec.Streams.push_back(MakeTestJpeg(picture, &error));
                REQUIRE(!spec.Streams.back().empty());
                ShowPictureEntry entry;
                entry.Stream = i;
                spec.Entries.push_back(entry);
            }
            std::string error;
            const std::vector<uint8_t> bytes = BuildShowFile(spec, &error);
            REQUIRE(!bytes.empty());
            REQUIRE(WriteFileBytes(folder_ + name + ".dat", bytes));
        }
    }
    const std::string& Name() const { return name_; }
    const std::string& Folder() const { return folder_; }
    std::string Program() const { return folder_ + name_ + ".scr"; }
    std::string Command(const std::string& arguments) const { return Quote(Program()) + " " + arguments; }

private:
    std::string name_;
    std::string folder_;
    RegistryKeyGuard key_;
};

// Makes the platform report Windows 98 to programs of this file name while the scope lasts.
class Windows98For {
public:
    explicit Windows98For(const std::string& fileName)
        : key_(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + fileName)
    {
        REQUIRE(RegSetString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + fileName, "Version", "win98"));
    }

private:
    RegistryKeyGuard key_;
};

// The host window of a running full-screen saver.
inline HWND WaitForHost(const Process& saver, DWORD timeoutMs = 10000)
{
    return WaitForWindow(kHostClass, "Screen Saver", saver.Id(), timeoutMs);
}

inline HWND SceneOf(HWND host)
{
    return FindWindowExA(host, nullptr, kSceneClass, nullptr);
}

// Polls until the condition holds; false on timeout.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        PumpMessages(20);
    }
}

// Waits for the process to end and returns its exit code as a signed number.
inline bool Ended(Process& saver, DWORD timeoutMs, int* exitCode)
{
    DWORD code = 0;
    if (!saver.Wait(timeoutMs, &code))
        return false;
    *exitCode = static_cast<int>(code);
    return true;
}

}  // namespace hosttest

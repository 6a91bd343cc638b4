// A recording ScenePlatform for the scene core's tests. Pictures and texture bitmaps are real heap
// objects, so the sanitizers catch a leak, a double release or a write past a texture image.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "animation.h"
#include "picture_order.h"
#include "scene_lists.h"
#include "scene_platform.h"

struct FakePicture {
    int32_t Offset;
};

struct FakeBitmap {
    int32_t Offset;
    std::vector<uint8_t> Texels;
};

// What a face of a compiled list shows: the JpegOffset of its picture, or one of these.
constexpr int32_t kShowsUntextured = 0;
constexpr int32_t kShowsImageBeforeList = -1;

class FakeScenePlatform : public ScenePlatform {
public:
    // Set up by the test.
    std::vector<int32_t> Table;        // JpegOffset of each picture-table entry
    std::set<int32_t> Undecodable;     // offsets whose conversion fails
    bool TextureBitmapFails = false;   // the DIB section cannot be made
    int32_t Side = 4;                  // texture side given to every picture
    unsigned TimerIdResult = 0;        // 0: StartTimer returns the id it was given

    // Recorded.
    std::vector<int32_t> Decoded;                   // offsets, in decoding order
    std::map<int, std::vector<int32_t>> ListShows;  // list number -> what each face shows
    std::map<int, int> Compiles;                    // list number -> times compiled
    std::set<unsigned> RunningTimers;
    std::map<unsigned, uint32_t> TimerPeriods;     // last period each timer was started with
    int TempFileDeletes = 0;
    int Repaints = 0;
    int LivePictures = 0;
    int LiveBitmaps = 0;
    int AlphaTestDisables = 0;
    int TextureStates = 0;
    std::vector<std::string> Faults;  // GL work outside a current context, translucent uploads

    ~FakeScenePlatform() override = default;

    int32_t ReadPictureTableEntry(uint32_t index) override
    {
        return index < Table.size() ? Table[index] : 0;
    }

    void* LoadScenePicture(int32_t jpegOffset) override
    {
        Decoded.push_back(jpegOffset);
        if (Undecodable.count(jpegOffset) != 0)
            return nullptr;
        ++LivePictures;
        return new FakePicture{jpegOffset};
    }

    void DeleteTempBitmapFile() override { ++TempFileDeletes; }

    void FreeScenePicture(void* picture) override
    {
        delete static_cast<FakePicture*>(picture);
        --LivePictures;
    }

    void DeleteTextureBitmap(void* bitmap) override
    {
        delete static_cast<FakeBitmap*>(bitmap);
        --LiveBitmaps;
    }

    void PrepareTextureImage(PictureSlot& slot) override
    {
        if (!ContextCurrent)
            Faults.push_back("texture image made without a current context");
        auto* picture = static_cast<FakePicture*>(slot.Picture);
        slot.TextureSide = Side;
        if (slot.TextureBitmap != nullptr) {
            DeleteTextureBitmap(slot.TextureBitmap);
            slot.TextureBitmap = nullptr;
            slot.Texels = nullptr;
        }
        if (!TextureBitmapFails) {
            // The stretch leaves the fourth byte as it comes: 0 here.
            auto* bitmap = new FakeBitmap{picture->Offset, std::vector<uint8_t>(size_t(Side) * Side * 4, 0)};
            ++LiveBitmaps;
            slot.TextureBitmap = bitmap;
            slot.Texels = bitmap->Texels.data();
        }
        FreeScenePicture(picture);
        slot.Picture = nullptr;
    }

    void DisableAlphaTest() override { ++AlphaTestDisables; }

    void MakeContextCurrent() override
    {
        if (ContextCurrent)
            Faults.push_back("context made current twice");
        ContextCurrent = true;
    }

    void ReleaseContext() override
    {
        if (!ContextCurrent)
            Faults.push_back("context released while not current");
        ContextCurrent = false;
    }

    void BeginListUploads() override
    {
        if (!ContextCurrent)
            Faults.push_back("uploads enabled without a current context");
        UploadsEnabled = true;
    }

    void CompileList(const DisplayListPlan& list, const PictureSlot (&slots)[kSlotCount]) override
    {
        if (!ContextCurrent || !UploadsEnabled)
            Faults.push_back("list compiled without a current context and uploads enabled");
        std::vector<int> shown(size_t(list.FaceCount));
        ShownSlots(list, slots, shown.data());
        std::vector<int32_t>& shows = ListShows[list.Number];
        shows.clear();
        for (int i = 0; i < list.FaceCount; ++i) {
            const int upload = list.Faces[i].UploadSlot;
            if (upload >= 0 && SlotFilled(slots[upload]) && !Opaque(slots[upload]))
                Faults.push_back("translucent texture uploaded");
            if (shown[size_t(i)] >= 0)
                shows.push_back(static_cast<FakeBitmap*>(slots[shown[size_t(i)]].TextureBitmap)->Offset);
            else
                shows.push_back(shown[size_t(i)] == kUntextured ? kShowsUntextured
                                                                : kShowsImageBeforeList);
        }
        ++Compiles[list.Number];
    }

    void SetTextureState() override
    {
        if (ContextCurrent)
            Faults.push_back("texture state set while the context was still current");
        ++TextureStates;
    }

    unsigned StartTimer(unsigned id, uint32_t periodMs) override
    {
        RunningTimers.insert(id);
        TimerPeriods[id] = periodMs;
        return TimerIdResult != 0 ? TimerIdResult : id;
    }

    void StopTimer(unsigned id) override { RunningTimers.erase(id); }

    void InvalidateScene() override { ++Repaints; }

    bool ContextCurrent = false;
    bool UploadsEnabled = false;

private:
    static bool Opaque(const PictureSlot& slot)
    {
        const auto* texels = static_cast<const uint8_t*>(slot.Texels);
        const size_t pixels = size_t(slot.TextureSide) * size_t(slot.TextureSide);
        for (size_t p = 0; p < pixels; ++p) {
            if (texels[p * 4 + 3] != 255)
                return false;
        }
        return true;
    }
};

// The core's part of the scene window's creation, in its order: reset, settings, picture order,
// first pictures, texture images, lists, animation.
inline void CreateScene(SceneState& state, FakeScenePlatform& platform, const ShowHeader& header,
                        uint32_t tickCount = 1)
{
    ResetAnimation(state, tickCount);
    ApplyShowHeader(state, header);
    BuildPictureOrder(state, platform);
    LoadFirstPictures(state, platform);
    platform.MakeContextCurrent();
    PrepareSlotTextures(state, platform, 0, FirstSlotCount(state));
    platform.BeginListUploads();
    BuildSceneLists(state, platform);
    platform.ReleaseContext();
    platform.SetTextureState();
    StartAnimation(state, platform);
}

// Sends AnimationTimer ticks until the book pauses; returns the angles drawn on the way, or stops
// after `maxTicks`.
inline std::vector<uint32_t> TurnUntilPause(SceneState& state, FakeScenePlatform& platform,
                                            int maxTicks = 1000)
{
    std::vector<uint32_t> angles;
    for (int tick = 0; tick < maxTicks && state.AnimationTimerId != 0; ++tick) {
        OnSceneTimer(state, platform, kAnimationTimer);
        angles.push_back(state.SpinAngleY);
    }
    return angles;
}

// The book as a fixture: tables of offsets 100, 200, ... and a header for the book.
inline std::vector<int32_t> PictureTableOf(int count)
{
    std::vector<int32_t> table;
    for (int i = 0; i < count; ++i)
        table.push_back(100 * (i + 1));
    return table;
}

inline ShowHeader BookHeader(int32_t pictureCount, int8_t turnStep = -1)
{
    ShowHeader header;
    header.FaceCount = 0;
    header.PictureCount = pictureCount;
    header.TurnStep = turnStep;
    header.PauseSeconds = 3;
    return header;
}

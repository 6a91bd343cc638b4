// The arithmetic of the host window's close rules and of the banner's travel.
#pragma once
#include <cstdint>

// Pixels of mouse travel (horizontal plus vertical distance from the anchor) that do not close.
constexpr int kMouseSlop = 4;

struct CursorPoint {
    long X = 0;
    long Y = 0;
};

// True when the cursor has travelled more than `slop` pixels (summed) from the anchor.
bool MouseTravelCloses(CursorPoint anchor, CursorPoint now, int slop = kMouseSlop);

// LastPromptTick before any prompt has run.
constexpr uint32_t kNoPromptYet = 0xFFFFFFFFu;
// Close requests this many milliseconds after a password prompt are ignored.
constexpr uint32_t kPromptQuietMs = 200;

// True when a close request at tick `now` comes too soon after the prompt that ended at
// `lastPromptTick` (unsigned difference, so it holds across the tick counter's wrap).
bool CloseRequestTooSoon(uint32_t now, uint32_t lastPromptTick);

// The banner: BannerOffset starts here once per process, so the first step wipes the strip.
constexpr int kBannerStartOffset = -30000;
constexpr int kBannerStepPixels = 4;

struct BannerStep {
    int Offset = 0;            // the new BannerOffset
    bool WipeStrip = false;    // the line has passed the left edge: clear the strip, start again
};

// One step of the banner that travels `span` pixels (screen width plus text width).
BannerStep NextBannerStep(int offset, int span);

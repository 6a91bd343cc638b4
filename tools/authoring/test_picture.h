// Test pictures for fixtures and screenshot checks: JPEG streams whose content says which picture
// it is and which way is up.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

// A distinct, saturated colour per picture index (0..15 are far apart from each other, from white
// and from black; higher indices repeat the cycle with another shade).
Rgb TestPictureColour(int index);

enum class TestPattern {
    Marked,     // the picture's colour, with a white mark in the top-left corner (orientation)
    Quadrants,  // four colours: top-left red, top-right green, bottom-left blue, bottom-right white
    Gradient,   // a photo-like smooth gradient with detail (benchmarks)
};

struct TestPictureSpec {
    int Width = 64;
    int Height = 48;
    int Index = 0;                 // selects the colour of a Marked picture
    TestPattern Pattern = TestPattern::Marked;
    bool Progressive = false;
    bool Grayscale = false;
    bool Cmyk = false;             // four-component (Adobe CMYK) stream
    int Quality = 90;
    int DensityUnit = 1;           // JFIF density: 0 none, 1 dots per inch, 2 dots per cm
    int XDensity = 72;
    int YDensity = 72;
};

// The size of the orientation mark of a Marked picture: a square of this side at the top-left.
int TestMarkSide(int width, int height);

// Encodes the picture; on failure returns an empty vector and sets `error`.
std::vector<uint8_t> MakeTestJpeg(const TestPictureSpec& spec, std::string* error = nullptr);

// The expected colour of pixel (x, y), y counted from the top, before JPEG loss.
Rgb TestPicturePixel(const TestPictureSpec& spec, int x, int y);

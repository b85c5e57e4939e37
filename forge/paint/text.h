#pragma once
// Lettering rasterised on the CPU with FreeType from the show's bold font.
#include <string>
#include <vector>

struct TextMask
{
    int width = 0;
    int height = 0;
    int baseline = 0;            // row of the baseline inside the mask
    std::vector<float> coverage; // 0 to 1, row by row
    bool ok = false;
};

// Ink bounds of a line of text laid out as a caption is: pen at x, the
// first baseline at y + pixelSize. All in pixels.
struct TextBox
{
    int left = 0, top = 0, right = 0, bottom = 0;
    bool ok = false;
};

// Renders one line of Latin-1 text at pixelSize (the font's pixel size, as
// a caption's character size), with extra letter spacing in pixels.
TextMask renderText(const std::string& text, int pixelSize, float letterSpacing = 0);

// Where the ink of a caption lands on screen.
TextBox captionBox(const std::string& text, int pixelSize, int x, int y);

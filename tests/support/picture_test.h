#pragma once
// Pictures as the tests see them: PNG files read back with their colour type,
// layers composited on the CPU the way a scene stacks its sprites, and the
// WCAG 2 contrast of a caption against what lies beneath it.
#include <string>
#include <vector>

struct Rgba
{
    float r = 0, g = 0, b = 0, a = 1;   // 0 to 1, sRGB values
};

struct Picture
{
    int width = 0;
    int height = 0;
    bool hasAlphaChannel = false;     // saved as RGBA (or grey + alpha)
    std::vector<Rgba> pixels;
    bool ok = false;
    const Rgba& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Reads a PNG file whole; ok is false when it cannot be read.
Picture readPicture(const std::string& path);

// The raw bytes of a file (empty when it cannot be read).
std::string fileBytes(const std::string& path);

// Draws a sprite's picture over a frame as the show does: scaled by scale
// about (640, 360) (origin and position at the centre) when centred, else
// placed with its top left corner at (left, 0). Alpha blending, nearest
// pixel sampling.
void drawLayer(std::vector<Rgba>& frame, const Picture& layer, float left, float scale = 1, bool centred = false);

// An opaque black 1280 x 720 frame.
std::vector<Rgba> blackFrame();

// The mean colour of the frame in a box, left/top inclusive, right/bottom exclusive.
Rgba meanIn(const std::vector<Rgba>& frame, int left, int top, int right, int bottom);

// WCAG 2 relative luminance and contrast ratio.
float relativeLuminance(const Rgba& c);
float contrastRatio(const Rgba& a, const Rgba& b);

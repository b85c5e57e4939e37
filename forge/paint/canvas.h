#pragma once
// The painter's surface: a grid of straight-alpha float colours, 0 to 1,
// in the sRGB values the picture will be saved with.
#include <cstddef>
#include <cstdint>
#include <vector>

struct Colour
{
    float r = 0, g = 0, b = 0, a = 1;
};

struct Canvas
{
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;
};

Canvas makeCanvas(int width, int height, Colour fill);
inline Colour& at(Canvas& canvas, int x, int y) { return canvas.pixels[size_t(y) * canvas.width + x]; }
inline const Colour& at(const Canvas& canvas, int x, int y) { return canvas.pixels[size_t(y) * canvas.width + x]; }

// Colour from 0-255 components, so that palettes read like the paint tubes.
inline Colour rgb(int r, int g, int b, float a = 1) { return {r / 255.f, g / 255.f, b / 255.f, a}; }

float clamp01(float v);
float smoothstep(float edge0, float edge1, float v);
float mix(float a, float b, float t);
Colour mix(const Colour& a, const Colour& b, float t);
Colour scaled(const Colour& c, float factor);   // colour times factor, alpha kept

// Lays paint of colour c (its own alpha times coverage) over what is there.
void blendOver(Colour& under, const Colour& c, float coverage);

// Samples the canvas at a fractional position, edges clamped.
Colour sampleBilinear(const Canvas& canvas, float x, float y);

// A copy of the canvas blurred by a box of the given radius, three passes
// (close to a gaussian).
Canvas blurred(const Canvas& canvas, int radius);

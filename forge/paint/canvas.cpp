// The painter's surface and the small colour arithmetic every picture uses.
#include "paint/canvas.h"

#include <algorithm>
#include <cmath>

Canvas makeCanvas(int width, int height, Colour fill)
{
    Canvas canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.pixels.assign(size_t(width) * height, fill);
    return canvas;
}

float clamp01(float v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float smoothstep(float edge0, float edge1, float v)
{
    float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

Colour mix(const Colour& a, const Colour& b, float t)
{
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), mix(a.a, b.a, t)};
}

Colour scaled(const Colour& c, float factor)
{
    return {c.r * factor, c.g * factor, c.b * factor, c.a};
}

void blendOver(Colour& under, const Colour& c, float coverage)
{
    float a = clamp01(c.a * coverage);
    if (a <= 0)
        return;
    float outA = a + under.a * (1 - a);
    // Straight alpha: weigh the new paint against what shows through it.
    float w = outA > 0 ? a / outA : 1;
    under.r += (c.r - under.r) * w;
    under.g += (c.g - under.g) * w;
    under.b += (c.b - under.b) * w;
    under.a = outA;
}

Colour sampleBilinear(const Canvas& canvas, float x, float y)
{
    x = std::min(std::max(x - 0.5f, 0.f), float(canvas.width - 1));
    y = std::min(std::max(y - 0.5f, 0.f), float(canvas.height - 1));
    int x0 = int(x), y0 = int(y);
    int x1 = std::min(x0 + 1, canvas.width - 1), y1 = std::min(y0 + 1, canvas.height - 1);
    float fx = x - x0, fy = y - y0;
    Colour top = mix(at(canvas, x0, y0), at(canvas, x1, y0), fx);
    Colour bottom = mix(at(canvas, x0, y1), at(canvas, x1, y1), fx);
    return mix(top, bottom, fy);
}

namespace
{
// One box pass along rows (step 1) or columns (step width), edges clamped.
void boxPass(const std::vector<Colour>& from, std::vector<Colour>& to, int count, int lines,
             int along, int across, int radius)
{
    float norm = 1.f / (2 * radius + 1);
    for (int line = 0; line < lines; ++line)
    {
        const Colour* src = &from[size_t(line) * across];
        Colour* dst = &to[size_t(line) * across];
        Colour sum{0, 0, 0, 0};
        auto get = [&](int i) { return src[size_t(std::min(std::max(i, 0), count - 1)) * along]; };
        for (int i = -radius; i <= radius; ++i)
        {
            Colour c = get(i);
            sum.r += c.r; sum.g += c.g; sum.b += c.b; sum.a += c.a;
        }
        for (int i = 0; i < count; ++i)
        {
            dst[size_t(i) * along] = {sum.r * norm, sum.g * norm, sum.b * norm, sum.a * norm};
            Colour in = get(i + radius + 1), out = get(i - radius);
            sum.r += in.r - out.r; sum.g += in.g - out.g; sum.b += in.b - out.b; sum.a += in.a - out.a;
        }
    }
}
}

Canvas blurred(const Canvas& canvas, int radius)
{
    Canvas out = canvas;
    if (radius <= 0)
        return out;
    std::vector<Colour> scratch(out.pixels.size());
    for (int pass = 0; pass < 3; ++pass)
    {
        boxPass(out.pixels, scratch, canvas.width, canvas.height, 1, canvas.width, radius);
        // Columns: each "line" starts at x, steps by the width.
        for (int x = 0; x < canvas.width; ++x)
        {
            float norm = 1.f / (2 * radius + 1);
            Colour sum{0, 0, 0, 0};
            auto get = [&](int y) { return scratch[size_t(std::min(std::max(y, 0), canvas.height - 1)) * canvas.width + x]; };
            for (int i = -radius; i <= radius; ++i)
            {
                Colour c = get(i);
                sum.r += c.r; sum.g += c.g; sum.b += c.b; sum.a += c.a;
            }
            for (int y = 0; y < canvas.height; ++y)
            {
                out.pixels[size_t(y) * canvas.width + x] = {sum.r * norm, sum.g * norm, sum.b * norm, sum.a * norm};
                Colour in = get(y + radius + 1), gone = get(y - radius);
                sum.r += in.r - gone.r; sum.g += in.g - gone.g; sum.b += in.b - gone.b; sum.a += in.a - gone.a;
            }
        }
    }
    return out;
}

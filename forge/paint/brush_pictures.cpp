// The brush lying on the palette, its bristles where the glints will spark;
// and the two strands hanging in the light where the glints come to rest.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"

#include <cmath>

namespace
{
// The brush's spine from the end of its handle (lower left) to the tip of
// its bristles (upper right), inside the loop the glints trace.
const std::vector<Point> brushSpine = {{512, 404}, {560, 365}, {610, 330}, {650, 303}, {696, 266}};

// Hanging strands, top to bottom, through the points where glints settle.
const std::vector<Point> firstStrand = {{715, 0}, {715, 18}, {712, 34}, {704, 48}, {703, 71}, {711, 82}, {727, 87},
                                        {736, 104}, {738, 123}, {730, 136}, {719, 152}, {708, 163}, {699, 182},
                                        {692, 202}, {690, 222}, {687, 244}, {687, 268}, {687, 291}, {690, 312},
                                        {696, 331}, {703, 347}};
const std::vector<Point> secondStrand = {{810, 0}, {811, 20}, {816, 36}, {818, 55}, {818, 74}, {823, 86}, {836, 100},
                                         {851, 110}, {862, 127}, {871, 146}, {882, 159}, {888, 174}, {895, 188},
                                         {903, 207}, {910, 238}, {915, 255}, {920, 272}, {923, 294}};
}

Canvas paintBrushOnPalette()
{
    std::vector<Point> spine = smoothPath(brushSpine, 8);
    Composition still = [=](float x, float y) {
        // A dark table, the wooden palette on it, dabs of paint on the palette.
        Colour c = mix(rgb(34, 28, 26), rgb(52, 42, 36), fractalNoise(x / 200.f, y / 30.f, 3, 2501));
        float palette = sdEllipse(x, y, 620, 360, 330, 220);
        float thumbHole = sdCircle(x, y, 380, 430, 26);
        if (std::max(palette, -thumbHole) < 0)
        {
            c = mix(rgb(120, 84, 52), rgb(170, 126, 80), smoothstep(900, 380, x + 0.4f * y));
            c = scaled(c, 0.9f + 0.15f * fractalNoise(x / 80.f, y / 8.f, 2, 2502));
        }
        const Colour dabs[] = {rgb(150, 30, 34), rgb(220, 190, 120), rgb(70, 86, 120), rgb(236, 230, 214), rgb(110, 70, 40)};
        const Point places[] = {{420, 300}, {520, 230}, {700, 180}, {820, 260}, {840, 420}};
        for (int i = 0; i < 5; ++i)
        {
            float d = sdCircle(x, y, places[i].x, places[i].y, 26 + 8 * fractalNoise(x / 12.f, y / 12.f, 2, 2503 + i));
            if (d < 0)
                c = dabs[i];
        }
        // The brush: a dark lacquered handle, a brass ferrule, soft bristles.
        float along;
        float d = sdPolyline(x, y, spine, 0, &along);
        float total = 0;
        for (size_t i = 1; i < spine.size(); ++i)
            total += length(spine[i].x - spine[i - 1].x, spine[i].y - spine[i - 1].y);
        float s = along / total;
        float halfWidth = s < 0.62f ? 5 + 2.5f * s : (s < 0.74f ? 8 : 8 - 7 * smoothstep(0.74f, 1.f, s));
        if (d < halfWidth)
        {
            Colour part = s < 0.62f ? rgb(90, 24, 28) : (s < 0.74f ? rgb(190, 160, 96) : rgb(170, 120, 70));
            float round = 1 - d / halfWidth;
            c = scaled(part, 0.6f + 0.6f * round);
        }
        // Its soft shadow on the palette, below and to the right.
        float shadow = sdPolyline(x - 8, y - 10, spine, 6);
        if (shadow < 0 && d >= halfWidth)
            c = scaled(c, 0.7f);
        return c;
    };
    PaintStyle style;
    style.seed = 2504;
    style.coarseBrush = 24;
    style.fineBrush = 2;
    style.passes = 6;
    style.vignette = 0.45f;
    return paintComposition(screenW, screenH, still, noisyFlow(-0.65f, 0.2f, 200, 2505), style);
}

Canvas paintHangingStrands()
{
    std::vector<Point> first = smoothPath(firstStrand, 6);
    std::vector<Point> second = smoothPath(secondStrand, 6);
    Composition strands = [=](float x, float y) {
        // Darkness with a shaft of light falling from the upper right.
        float beam = smoothstep(260, 0, std::fabs((x - 820) + (y - 200) * 0.35f));
        Colour c = mix(rgb(18, 20, 30), rgb(70, 70, 86), beam * smoothstep(720, 0, y));
        float a1, a2;
        float d1 = sdPolyline(x, y, first, 0, &a1);
        float d2 = sdPolyline(x, y, second, 0, &a2);
        float w1 = 4.5f - 1.5f * a1 / 420, w2 = 4.5f - 1.5f * a2 / 380;
        float strand = std::max(fill(d1 - w1, 2), fill(d2 - w2, 2));
        float sheen = 0.5f + 0.5f * std::sin((d1 < d2 ? a1 : a2) / 14.f);
        Colour hair = mix(rgb(150, 84, 44), rgb(232, 180, 110), sheen);
        return mix(c, hair, strand);
    };
    PaintStyle style;
    style.seed = 2601;
    style.coarseBrush = 26;
    style.fineBrush = 2;
    style.passes = 6;
    style.vignette = 0.4f;
    return paintComposition(screenW, screenH, strands, noisyFlow(1.3f, 0.25f, 200, 2602), style);
}

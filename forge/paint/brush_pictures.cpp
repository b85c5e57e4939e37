// The brush lying on the palette, its bristles where the glints will spark;
// and the two strands hanging in the light where the glints come to rest.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"

#include <cmath>

namespace
{
// Where the glints come to rest, in the order they fly there.
const Point strandPoints[74] = {
    {715, 8}, {715, 18}, {714, 26}, {712, 34}, {708, 40}, {704, 48}, {703, 59}, {703, 71}, {704, 79}, {711, 82},
    {720, 83}, {727, 87}, {735, 96}, {736, 104}, {738, 114}, {738, 123}, {736, 131}, {730, 136}, {723, 144}, {719, 152},
    {714, 156}, {708, 163}, {703, 175}, {699, 182}, {695, 191}, {692, 202}, {691, 211}, {690, 222}, {687, 234}, {687, 244},
    {687, 258}, {687, 268}, {687, 282}, {687, 291}, {688, 303}, {690, 312}, {692, 323}, {696, 331}, {699, 338}, {703, 347},
    {923, 294}, {923, 284}, {920, 272}, {919, 263}, {915, 255}, {911, 247}, {910, 238}, {904, 218}, {903, 207}, {898, 198},
    {895, 188}, {892, 180}, {888, 174}, {886, 166}, {882, 159}, {878, 152}, {871, 146}, {866, 136}, {862, 127}, {855, 118},
    {851, 110}, {844, 106}, {836, 100}, {828, 92}, {823, 86}, {818, 83}, {818, 74}, {818, 64}, {818, 55}, {818, 46},
    {816, 36}, {814, 30}, {811, 20}, {810, 12}};

// The brush's spine from the end of its handle (lower left) to the tip of
// its bristles (upper right), inside the loop the glints trace.
const Point handleEnd{520, 402}, bristleTip{692, 262};

// The two strands hang from the top edge through the points where the glints
// settle: the first down from (715, 8), the second up from (923, 294).
std::vector<Point> strandPath(int first, int last)
{
    std::vector<Point> points;
    int step = first < last ? 1 : -1;
    for (int i = first; i != last + step; i += step)
        points.push_back(strandPoints[i]);
    points.insert(points.begin(), Point{points.front().x, -4});
    return smoothPath(points, 3);
}
}

Canvas paintBrushOnPalette()
{
    Composition still = [](float x, float y) {
        // A dark table, the wooden palette on it, dabs of paint on the palette.
        Colour c = mix(rgb(34, 28, 26), rgb(56, 44, 36), fractalNoise(x / 200.f, y / 30.f, 3, 2501));
        float palette = sdEllipse(x, y, 640, 350, 360, 230) + 14 * (fractalNoise(x / 90.f, y / 90.f, 2, 2506) - 0.5f);
        float thumbHole = sdCircle(x, y, 392, 440, 26);
        if (std::max(palette, -thumbHole) < 0)
        {
            c = mix(rgb(132, 98, 66), rgb(188, 150, 104), smoothstep(980, 360, x + 0.4f * y));
            c = scaled(c, 0.9f + 0.15f * fractalNoise(x / 80.f, y / 8.f, 2, 2502));
            // Old paint worn into the wood near its rim.
            c = mix(c, rgb(120, 110, 96), smoothstep(-40, -5, palette) * 0.3f);
        }
        // The dabs: ochre, blue, white, umber, a grey green; the only red is on the brush.
        const Colour dabs[] = {rgb(214, 170, 80), rgb(64, 82, 124), rgb(236, 230, 214), rgb(104, 70, 44), rgb(110, 124, 104)};
        const Point places[] = {{430, 290}, {540, 212}, {720, 170}, {860, 250}, {870, 420}};
        for (int i = 0; i < 5; ++i)
        {
            float d = sdCircle(x, y, places[i].x, places[i].y, 30 + 10 * fractalNoise(x / 14.f, y / 14.f, 2, 2503 + i));
            if (d < 0)
                c = mix(dabs[i], scaled(dabs[i], 1.2f), smoothstep(places[i].x + 20, places[i].x - 20, x + y - places[i].y));
        }
        // The brush's soft shadow on the palette, below and to the right.
        float shadow = sdSegment(x, y, {handleEnd.x + 6, handleEnd.y + 9}, {bristleTip.x + 6, bristleTip.y + 9}, 6);
        c = scaled(c, 1 - 0.35f * fill(shadow, 8));
        // The brush: a crimson lacquered handle, a brass ferrule, bristles
        // loaded with red paint at their tip.
        float s = segmentParam(x, y, handleEnd, bristleTip);
        float d = sdSegment(x, y, handleEnd, bristleTip, 0);
        float halfWidth = s < 0.6f ? 4 + 1.5f * s / 0.6f : (s < 0.72f ? 6 : 7 * std::sqrt(std::max(0.f, 1 - (s - 0.72f) / 0.28f)) + 0.5f);
        if (d < halfWidth)
        {
            float round = std::sqrt(std::max(0.f, 1 - (d * d) / (halfWidth * halfWidth)));
            // Which side of the spine: the upper left side faces the light.
            float side = (bristleTip.x - handleEnd.x) * (y - handleEnd.y) - (bristleTip.y - handleEnd.y) * (x - handleEnd.x);
            float lit = side < 0 ? 0.75f + 0.35f * round : 0.55f + 0.45f * round;
            Colour part = s < 0.6f ? rgb(176, 30, 38) : (s < 0.72f ? rgb(206, 178, 112) : mix(rgb(120, 86, 56), rgb(186, 30, 36), smoothstep(0.8f, 0.9f, s)));
            c = scaled(part, lit);
        }
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
    std::vector<Point> first = strandPath(0, 39);
    std::vector<Point> second = strandPath(73, 40);
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
        Colour hair = mix(rgb(196, 132, 72), rgb(250, 216, 160), sheen);
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

// The grave, built in layers: a hillside cemetery at dusk with a lone tree,
// the gravestone, the flowers laid on it, a candle's glow, and petals blown
// across the whole.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"

#include <cmath>

namespace
{
// The hill's crest, rising from left to right.
float hillTop(float x)
{
    return 470 - 0.12f * x - 40 * fractalNoise(x / 300.f, 0.2f, 3, 2001);
}

const float stoneX = 600, stoneTop = 330, stoneBottom = 600, stoneHalfW = 100;

float stoneShape(float x, float y)
{
    // An upright slab with a rounded top.
    float slab = sdBox(x, y, stoneX, (stoneTop + 80 + stoneBottom) / 2, stoneHalfW, (stoneBottom - stoneTop - 80) / 2);
    float crown = sdCircle(x, y, stoneX, stoneTop + stoneHalfW, stoneHalfW);
    return std::min(slab, std::max(crown, y - (stoneTop + stoneHalfW)));
}

PaintStyle layerStyle(uint32_t seed)
{
    PaintStyle style;
    style.seed = seed;
    style.coarseBrush = 12;
    style.fineBrush = 2;
    style.passes = 4;
    style.surface = Surface::none;
    style.vignette = 0;
    return style;
}
}

Canvas paintCemetery()
{
    std::vector<Point> trunk = smoothPath({{1010, 400}, {1005, 330}, {1015, 260}, {1000, 200}}, 5);
    std::vector<std::vector<Point>> boughs = {
        smoothPath({{1008, 280}, {1060, 230}, {1110, 215}}, 5), smoothPath({{1003, 240}, {950, 190}, {915, 175}}, 5),
        smoothPath({{1000, 205}, {1030, 150}, {1070, 125}}, 5), smoothPath({{1001, 215}, {975, 150}, {960, 110}}, 5)};
    Composition cemetery = [=](float x, float y) {
        // Dusk: deep blue above, a muted rose and ochre along the hills.
        float t = smoothstep(0, 460, y);
        Colour c = t < 0.6f ? mix(rgb(40, 50, 82), rgb(108, 102, 124), t / 0.6f)
                            : mix(rgb(108, 102, 124), rgb(196, 150, 120), (t - 0.6f) / 0.4f);
        c = mix(c, rgb(160, 130, 130), smoothstep(0.6f, 0.8f, fractalNoise(x / 250.f, y / 50.f, 4, 2002)) * 0.25f);
        float crest = hillTop(x);
        if (y > crest)
        {
            float depth = smoothstep(crest, 720, y);
            c = mix(rgb(58, 64, 66), rgb(34, 38, 40), depth);
            c = scaled(c, 0.9f + 0.2f * fractalNoise(x / 60.f, y / 30.f, 3, 2003));
        }
        // Distant stones and crosses along the slope.
        for (int i = 0; i < 9; ++i)
        {
            float sx = 90 + i * 120 + 30 * hashUnit(i, 2004);
            if (std::fabs(sx - stoneX) < 160)
                continue;
            float sy = hillTop(sx) + 24 + 20 * hashUnit(i, 2005);
            float h = 26 + 10 * hashUnit(i, 2006);
            float d = (i % 3 == 0) ? std::min(sdBox(x, y, sx, sy - h / 2, 3, h / 2), sdBox(x, y, sx, sy - h * 0.7f, 10, 3))
                                   : sdBox(x, y, sx, sy - h / 2, 9, h / 2) - 3;
            if (d < 0)
                c = rgb(80, 84, 92);
        }
        // The lone tree on the crest, bare.
        float tree = sdPolyline(x, y, trunk, 7);
        for (const auto& bough : boughs)
            tree = std::min(tree, sdPolyline(x, y, bough, 3));
        if (tree < 0)
            c = rgb(28, 26, 30);
        return c;
    };
    PaintStyle style;
    style.seed = 2007;
    style.coarseBrush = 28;
    style.fineBrush = 2;
    style.passes = 6;
    style.vignette = 0.4f;
    return paintComposition(screenW, screenH, cemetery, noisyFlow(-0.12f, 0.2f, 250, 2008), style);
}

Canvas paintGravestone()
{
    Composition stone = [](float x, float y) {
        float d = stoneShape(x, y);
        float lichen = fractalNoise(x / 20.f, y / 20.f, 3, 2101);
        Colour c = mix(rgb(96, 98, 104), rgb(150, 148, 146), smoothstep(stoneX + 60, stoneX - 90, x));
        c = mix(c, rgb(104, 112, 90), smoothstep(0.6f, 0.8f, lichen) * 0.5f);
        // The edge catching the last light, a carved line for the name.
        c = mix(c, rgb(190, 172, 150), fill(std::fabs(d + 4) - 2, 2) * smoothstep(stoneX, stoneX - 80, x) * 0.6f);
        float inscription = std::min(sdBox(x, y, stoneX, 430, 50, 3), sdBox(x, y, stoneX, 455, 36, 2.5f));
        c = mix(c, rgb(60, 60, 66), fill(inscription, 2) * 0.8f);
        float cross = std::min(sdBox(x, y, stoneX, 385, 3, 18), sdBox(x, y, stoneX, 378, 12, 3));
        c = mix(c, rgb(62, 62, 70), fill(cross, 2) * 0.85f);
        c.a = fill(d, 2.5f);
        // Its shadow on the grass behind, to the right.
        float shadow = sdEllipse(x, y, stoneX + 70, stoneBottom - 6, 150, 20);
        if (c.a < 0.5f && shadow < 0)
        {
            c = rgb(14, 16, 18, std::max(c.a, 0.5f * fill(shadow, 20)));
        }
        return c;
    };
    return paintComposition(screenW, screenH, stone, noisyFlow(1.5708f, 0.1f, 80, 2102), layerStyle(2103));
}

Canvas paintFlowers()
{
    // A bunch of red and pale flowers lying at the foot of the stone.
    Composition flowers = [](float x, float y) {
        Colour c = rgb(60, 80, 50, 0);
        for (int i = 0; i < 11; ++i)
        {
            float stemEnd = 640 + 12 * hashUnit(i, 2201);
            Point head{520.f + i * 15 + 10 * hashUnit(i, 2202), 585.f + 18 * hashUnit(i, 2203)};
            float stem = sdSegment(x, y, head, {640.f + 6 * i, stemEnd}, 2);
            if (stem < 0)
                c = rgb(60, 84, 48, 1);
            float bloom = sdCircle(x, y, head.x, head.y, 9 + 3 * hashUnit(i, 2204));
            if (bloom < 0)
            {
                bool red = i % 3 != 1;
                float petals = 0.5f + 0.5f * std::sin(std::atan2(y - head.y, x - head.x) * 5 + i);
                Colour bloomColour = red ? mix(rgb(110, 16, 24), rgb(190, 40, 44), petals) : mix(rgb(200, 190, 180), rgb(240, 232, 222), petals);
                c = bloomColour;
                c.a = fill(bloom, 2);
            }
        }
        return c;
    };
    return paintComposition(screenW, screenH, flowers, noisyFlow(0.3f, 0.5f, 40, 2205), layerStyle(2206));
}

Canvas paintCandleGlow()
{
    // A candle in a small lantern right of the stone, and its warm halo.
    Composition glow = [](float x, float y) {
        float halo = std::exp(-length(x - 760, (y - 540) * 1.1f) / 110.f);
        Colour c = rgb(255, 190, 110, halo * 0.55f);
        float candle = sdBox(x, y, 760, 585, 9, 26);
        if (candle < 0)
            c = mix(rgb(230, 214, 180), rgb(180, 160, 130), smoothstep(752, 768, x));
        float flame = sdEllipse(x, y, 760, 548, 5, 11);
        if (flame < 1)
            c = mix(c, rgb(255, 244, 200), fill(flame, 2));
        if (candle < 0 || flame < 0)
            c.a = 1;
        return c;
    };
    return paintComposition(screenW, screenH, glow, noisyFlow(-1.5708f, 0.2f, 60, 2301), layerStyle(2302));
}

Canvas paintPetals()
{
    // Petals blown from left to right across the whole picture.
    struct Petal { float x, y, angle, size; bool red; };
    std::vector<Petal> petals;
    Dice dice{2401};
    for (int i = 0; i < 70; ++i)
        petals.push_back({dice.range(0, 1280), dice.range(0, 700), dice.range(0, 3.14f), dice.range(4, 9), dice.unit() < 0.7f});
    Composition wind = [=](float x, float y) {
        Colour c = rgb(170, 40, 50, 0);
        for (const Petal& p : petals)
        {
            float dx = x - p.x, dy = y - p.y;
            if (std::fabs(dx) > 12 || std::fabs(dy) > 12)
                continue;
            float u = dx * std::cos(p.angle) + dy * std::sin(p.angle);
            float v = -dx * std::sin(p.angle) + dy * std::cos(p.angle);
            float d = length(u / p.size, v / (p.size * 0.5f)) - 1;
            if (d < 0.3f)
            {
                c = p.red ? mix(rgb(150, 24, 34), rgb(214, 80, 84), clamp01(0.5f - v / p.size)) : rgb(232, 214, 206);
                c.a = fill(d * p.size * 0.5f, 1.5f) * 0.9f;
            }
        }
        return c;
    };
    return renderComposition(screenW, screenH, wind);
}

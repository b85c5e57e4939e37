// The grave, built in layers: a hillside cemetery at dusk with a lone tree,
// the gravestone, the flowers laid on it, a candle's glow, and petals blown
// across the whole.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"
#include "paint/text.h"

#include <algorithm>
#include <cmath>

namespace
{
// The hill's crest, rising from left to right.
float hillTop(float x)
{
    return 470 - 0.12f * x - 40 * fractalNoise(x / 300.f, 0.2f, 3, 2001);
}

const float stoneX = 600, stoneTop = 330, stoneBottom = 600, stoneHalfW = 100;
// The plinth under the slab, a little wider and set into the grass.
const float plinthTop = 596, plinthH = 22, plinthHalfW = 120;
// The lantern's middle, right of the stone.
const float lanternX = 760;

float stoneShape(float x, float y)
{
    // An upright slab with a rounded top.
    float slab = sdBox(x, y, stoneX, (stoneTop + 80 + stoneBottom) / 2, stoneHalfW, (stoneBottom - stoneTop - 80) / 2);
    float crown = sdCircle(x, y, stoneX, stoneTop + stoneHalfW, stoneHalfW);
    return std::min(slab, std::max(crown, y - (stoneTop + stoneHalfW)));
}

// One line of lettering cut into the stone's face, centred on it with its
// baseline at `baseline`: the floor of each cut in shade, its upper wall
// darker, its lower wall catching the sky, worn unevenly.
void inciseLine(Canvas& canvas, const std::string& text, int size, float spacing, float baseline)
{
    TextMask mask = renderText(text, size, spacing);
    if (!mask.ok)
        return;
    const float left = std::round(stoneX - mask.width / 2.f), top = baseline - mask.baseline;
    auto cutAt = [&](float x, float y) {
        float u = x - left, v = y - top;
        int i = int(std::floor(u)), j = int(std::floor(v));
        float fu = u - i, fv = v - j;
        auto texel = [&](int a, int b) {
            return a < 0 || b < 0 || a >= mask.width || b >= mask.height ? 0.f : mask.coverage[size_t(b) * mask.width + a];
        };
        return mix(mix(texel(i, j), texel(i + 1, j), fu), mix(texel(i, j + 1), texel(i + 1, j + 1), fu), fv);
    };
    for (int y = int(top) - 3; y < int(top) + mask.height + 3; ++y)
        for (int x = int(left) - 3; x < int(left) + mask.width + 3; ++x)
        {
            float cut = cutAt(float(x), float(y));
            if (cut <= 0 || x < 0 || y < 0 || x >= canvas.width || y >= canvas.height)
                continue;
            cut *= 0.8f + 0.2f * fractalNoise(x / 5.f, y / 5.f, 2, 2113);
            float upperWall = 1 - cutAt(float(x), y - 1.6f), lowerWall = 1 - cutAt(float(x), y + 1.6f);
            Colour& c = at(canvas, x, y);
            float alpha = c.a;
            c = mix(c, rgb(46, 46, 54), cut * 0.75f);
            c = mix(c, rgb(26, 26, 34), cut * upperWall * 0.85f);
            c = mix(c, rgb(184, 178, 170), cut * lowerWall * (1 - upperWall) * 0.6f);
            c.a = alpha;
        }
}

PaintStyle layerStyle(uint32_t seed)
{
    return brushStyle(seed, 12, 2, 4, 0, Surface::none);
}

// A bare tree: a tapering trunk forking into limbs of unequal length, each
// generation thinner than the last, out to the twigs.
struct Bough
{
    Point a, b;
    float startWidth, endWidth;
};

// The distance to a bough whose width narrows from one end to the other.
float sdBough(float x, float y, const Bough& bough)
{
    float dx = bough.b.x - bough.a.x, dy = bough.b.y - bough.a.y;
    float t = std::clamp(((x - bough.a.x) * dx + (y - bough.a.y) * dy) / (dx * dx + dy * dy), 0.f, 1.f);
    float r = std::max(0.6f, 0.5f * (bough.startWidth + (bough.endWidth - bough.startWidth) * t));
    return length(x - bough.a.x - dx * t, y - bough.a.y - dy * t) - r;
}

void growBough(std::vector<Bough>& out, Point from, float angle, float length, float width, int depth, Dice& dice)
{
    Point to{from.x + std::cos(angle) * length, from.y + std::sin(angle) * length};
    float endWidth = width * 0.62f;
    out.push_back({from, to, width, endWidth});
    if (depth == 0)
        return;
    // The first limb of each fork leads and the others are shorter and
    // thinner, so no fork is a symmetric Y; which side leads is random.
    int children = depth > 3 ? 2 : 2 + int(dice.unit() * 2);
    float side = dice.unit() < 0.5f ? -1.f : 1.f;
    for (int k = 0; k < children; ++k)
    {
        float spread = dice.range(0.25f, 0.65f) * (k % 2 ? side : -side);
        float share = k == 0 ? dice.range(0.74f, 0.86f) : dice.range(0.5f, 0.66f);
        growBough(out, to, angle + spread + dice.range(-0.15f, 0.15f), length * share,
                  endWidth * (k == 0 ? 1.f : 0.8f), depth - 1, dice);
    }
}
}

Canvas paintCemetery()
{
    std::vector<Bough> tree;
    Dice dice{2009};
    // The trunk, 14 px at the foot, narrowing as it climbs to its first
    // fork and on through ever thinner limbs to the twigs.
    growBough(tree, {1010, 408}, -1.62f, 110, 14, 5, dice);
    float treeLeft = 1e9f, treeRight = -1e9f, treeTop = 1e9f;
    for (const Bough& b : tree)
    {
        treeLeft = std::min({treeLeft, b.a.x, b.b.x}), treeRight = std::max({treeRight, b.a.x, b.b.x});
        treeTop = std::min({treeTop, b.a.y, b.b.y});
    }
    Composition cemetery = [=](float x, float y) {
        // Dusk: deep blue above, a muted rose and ochre along the hills.
        float t = smoothstep(0, 460, y);
        Colour c = t < 0.6f ? mix(rgb(52, 60, 94), rgb(116, 109, 131), t / 0.6f)
                            : mix(rgb(116, 109, 131), rgb(204, 154, 118), (t - 0.6f) / 0.4f);
        c = mix(c, rgb(160, 130, 130), smoothstep(0.6f, 0.8f, fractalNoise(x / 250.f, y / 50.f, 4, 2002)) * 0.25f);
        // The sun gone down behind the far hills on the left.
        c = mix(c, rgb(236, 196, 140), std::exp(-length(x - 180, (y - 440) * 2.2f) / 140.f) * 0.55f);
        // Far hills, pale and blue in the haze, a band of mist at their feet.
        float far = 405 - 45 * fractalNoise(x / 200.f, 0.7f, 3, 2010);
        if (y > far)
            c = mix(rgb(112, 108, 128), rgb(136, 124, 136), smoothstep(far, far + 60, y));
        float crest = hillTop(x);
        float mist = std::exp(-std::pow((y - crest + 6) / 22.f, 2)) * 0.35f;
        c = mix(c, rgb(176, 160, 164), mist);
        if (y > crest)
        {
            // The hill: grass darkening towards us, stroked by the wind.
            float depth = smoothstep(crest, 720, y);
            c = mix(rgb(66, 72, 72), rgb(30, 36, 34), depth);
            float blades = valueNoise(x / 3.f, y / 14.f, 2011);
            c = scaled(c, 0.85f + 0.25f * fractalNoise(x / 60.f, y / 30.f, 3, 2003) + 0.12f * depth * (blades - 0.5f));
            // The last of the light along the crest.
            c = mix(c, rgb(150, 120, 110), smoothstep(crest + 14, crest, y) * 0.4f);
        }
        // The lone tree on the crest, bare.
        if (x > treeLeft - 12 && x < treeRight + 12 && y > treeTop - 12 && y < 420)
        {
            float d = 1e9f;
            for (const Bough& b : tree)
                if (std::fabs(x - (b.a.x + b.b.x) / 2) < std::fabs(b.a.x - b.b.x) / 2 + 10 &&
                    std::fabs(y - (b.a.y + b.b.y) / 2) < std::fabs(b.a.y - b.b.y) / 2 + 10)
                    d = std::min(d, sdBough(x, y, b));
            c = mix(c, rgb(26, 24, 30), fill(d, 1.5f));
        }
        return c;
    };
    // The hill is painted with broad strokes, the far stones over it with a
    // fine brush so that their shapes survive; the linen and the vignette
    // then go over both at once.
    PaintStyle style = brushStyle(2007, 28, 2, 6, 0.4f);
    PaintStyle broad = style;
    broad.surface = Surface::none;
    broad.vignette = 0;
    Canvas canvas = paintComposition(screenW, screenH, cemetery, noisyFlow(-0.12f, 0.2f, 250, 2008), broad);
    Composition farStones = [](float x, float y) {
        Colour c = rgb(60, 64, 74, 0);
        // Distant stones and crosses along the slope: dark shapes against
        // the grass, darker than the grave's own stone, the farther ones
        // smaller and bluer in the haze, each with a thin lit left edge.
        for (int i = 0; i < 9; ++i)
        {
            float sx = 90 + i * 120 + 30 * hashUnit(i, 2004);
            if (std::fabs(sx - stoneX) < 160)
                continue;
            float distance = hashUnit(i, 2005);
            float sy = hillTop(sx) + 44 - 20 * distance;
            float scale = 1 - 0.35f * distance;
            float h = (32 + 10 * hashUnit(i, 2006)) * scale, w = 9 * scale;
            float d = (i % 3 == 0)
                          ? std::min(sdBox(x, y, sx, sy - h / 2, 2.5f * scale, h / 2), sdBox(x, y, sx, sy - h * 0.72f, 9 * scale, 2.5f * scale))
                          : std::min(sdBox(x, y, sx, sy - (h - w) / 2, w, (h - w) / 2), std::max(sdCircle(x, y, sx, sy - h + w, w), y - (sy - h + w)));
            if (d < 0.5f)
            {
                Colour shade = mix(rgb(44, 48, 58), rgb(70, 74, 90), distance);
                Colour lit = mix(rgb(84, 84, 92), rgb(92, 96, 116), distance);
                Colour stone = mix(shade, lit, smoothstep(sx - 2, sx - w, x) * 0.8f);
                stone.a = fill(d, 1.f);
                blendOver(c, stone, 1);
            }
        }
        return c;
    };
    Canvas stones = paintComposition(screenW, screenH, farStones, noisyFlow(1.5708f, 0.1f, 60, 2012),
                                     brushStyle(2013, 5, 1.5f, 3, 0, Surface::none));
    for (size_t i = 0; i < canvas.pixels.size(); ++i)
        blendOver(canvas.pixels[i], stones.pixels[i], 1);
    finishSurface(canvas, style);
    return canvas;
}

Canvas paintGravestone()
{
    Composition stone = [](float x, float y) {
        float d = stoneShape(x, y);
        // The slab's thickness shows on its shaded right side.
        float side = stoneShape(x - 12, y + 4);
        float cover = std::max(fill(d, 2.5f), fill(side, 2.5f));
        // The plinth it stands on, sunk a little into the slope.
        float base = sdBox(x, y, stoneX + 6, plinthTop + plinthH / 2, plinthHalfW, plinthH / 2);
        float baseCover = fill(base, 1.5f);
        // The grass it stands in: its shadow thrown away from the sunset,
        // and the dark where the plinth meets the ground.
        float shadow = sdEllipse(x, y, stoneX + 90, plinthTop + plinthH - 4, 190, 24);
        float contact = smoothstep(plinthTop + plinthH + 12, plinthTop + plinthH, y) * smoothstep(plinthHalfW + 14, plinthHalfW - 6, std::fabs(x - stoneX - 10)) *
                        (y > plinthTop + 4 ? 1.f : 0.f);
        // Tufts of grass along the plinth's foot, in front of it.
        float tuft = plinthTop + plinthH + 2 - 8 * valueNoise(x / 3.f, 0.5f, 2109) * valueNoise(x / 25.f, 0.5f, 2110);
        if (y > tuft && y < plinthTop + plinthH + 4 && std::fabs(x - stoneX - 6) < plinthHalfW + 14)
            return rgb(34, 42, 36, 1);
        if (cover <= 0 && baseCover <= 0)
            return rgb(14, 16, 18, std::max(0.55f * fill(shadow, 30), 0.8f * contact));
        if (cover <= 0)
        {
            // Its top lit from the sky, its face in the dusk, warmer at the
            // left where the sunset reaches.
            float grain = fractalNoise(x / 6.f, y / 6.f, 3, 2111);
            Colour face = mix(rgb(52, 54, 62), rgb(96, 94, 98), smoothstep(stoneX + 120, stoneX - 110, x));
            face = scaled(face, 0.88f + 0.2f * grain);
            face = mix(face, rgb(150, 144, 144), smoothstep(plinthTop + 5, plinthTop + 2, y) * 0.85f);
            face = mix(face, rgb(40, 42, 46), smoothstep(plinthTop + plinthH - 6, plinthTop + plinthH, y) * 0.5f);
            face.a = baseCover;
            return face;
        }
        // Weathered granite: cool grey in the dusk, warm where the sunset
        // reaches its left edge, lichen and damp near the ground.
        float grain = fractalNoise(x / 6.f, y / 6.f, 3, 2101);
        float lichen = fractalNoise(x / 24.f, y / 24.f, 3, 2104);
        float mottle = fractalNoise(x / 11.f, y / 11.f, 3, 2112);
        Colour c = mix(rgb(64, 66, 78), rgb(122, 120, 126), smoothstep(stoneX + 80, stoneX - 100, x));
        c = scaled(c, 0.92f + 0.08f * grain + 0.14f * (mottle - 0.5f));
        c = mix(c, rgb(92, 104, 78), smoothstep(0.55f, 0.8f, lichen) * 0.55f);
        c = mix(c, rgb(52, 56, 52), smoothstep(stoneBottom - 70, stoneBottom, y) * 0.5f);
        if (d > 0)
            c = mix(rgb(48, 50, 58), rgb(64, 66, 72), grain);
        // The rounded edge catching the last light from the left.
        c = mix(c, rgb(206, 180, 150), fill(std::fabs(d + 4) - 2.5f, 2) * smoothstep(stoneX + 20, stoneX - 90, x) * 0.7f);
        // Carved: a border groove and a cross (the name and years are cut
        // after the painting). Each cut is incised: its upper wall in
        // shadow, its lower wall catching the sky, its floor between.
        auto carvedAt = [](float x, float y) {
            float border = std::fabs(stoneShape(x, y) + 14) - 1.3f;
            float cross = std::min(sdBox(x, y, stoneX, 392, 3.5f, 22), sdBox(x, y, stoneX, 382, 14, 3.5f));
            return std::min(border, cross);
        };
        if (d < 0)
        {
            float carved = carvedAt(x, y);
            float cut = fill(carved, 1.f);
            if (cut > 0)
            {
                float upperWall = fill(-carvedAt(x, y - 1.6f), 0.8f);
                float lowerWall = fill(-carvedAt(x, y + 1.6f), 0.8f);
                c = mix(c, rgb(46, 46, 54), cut * 0.8f);
                c = mix(c, rgb(26, 26, 34), cut * upperWall * 0.85f);
                c = mix(c, rgb(184, 178, 170), cut * lowerWall * (1 - upperWall) * 0.6f);
            }
        }
        c.a = std::max(cover, baseCover);
        return c;
    };
    // Short dabs turning every way, so the granite reads mottled rather
    // than scratched by long upright strokes.
    PaintStyle dabs = layerStyle(2103);
    dabs.strokeLength = 1.8f;
    dabs.colourJitter = 0.012f;
    Canvas canvas = paintComposition(screenW, screenH, stone, noisyFlow(1.5708f, 0.6f, 30, 2102), dabs);
    // Her name and years under the cross, cut once the stone is painted so
    // that no stroke smears the letters.
    inciseLine(canvas, "MARTA LENZ", 20, 2.5f, 462);
    inciseLine(canvas, "1952 - 1990", 17, 1.5f, 492);
    return canvas;
}

Canvas paintFlowers()
{
    // A bunch of red roses and pale ones tied with a ribbon, laid at the foot
    // of the stone, leaves among them.
    struct Bloom { Point at; float radius; bool red; };
    std::vector<Bloom> blooms;
    Dice dice{2201};
    for (int i = 0; i < 13; ++i)
        blooms.push_back({{dice.range(510, 640), dice.range(568, 606)}, dice.range(9, 14), i % 4 != 1});
    const Point tie{664, 628}, stemEnd{720, 652};
    Composition flowers = [=](float x, float y) {
        Colour c = rgb(52, 70, 44, 0);
        // Stems gathered to the ribbon, then on to their cut ends.
        for (size_t i = 0; i < blooms.size(); ++i)
        {
            float stem = std::min(sdSegment(x, y, blooms[i].at, tie, 1.6f),
                                  sdSegment(x, y, tie, {stemEnd.x + 6 * (i % 4), stemEnd.y + 3 * (i % 3)}, 1.6f));
            if (stem < 0.8f)
            {
                c = mix(rgb(44, 64, 36), rgb(80, 104, 58), hashUnit(uint32_t(i), 2202));
                c.a = fill(stem, 1.5f);
            }
        }
        // Leaves: pointed ellipses along the stems.
        for (int k = 0; k < 9; ++k)
        {
            Point p{540 + k * 16.f, 598 + 14 * hashUnit(k, 2203)};
            float angle = 0.5f + 0.8f * (hashUnit(k, 2204) - 0.5f);
            float u = (x - p.x) * std::cos(angle) + (y - p.y) * std::sin(angle);
            float v = -(x - p.x) * std::sin(angle) + (y - p.y) * std::cos(angle);
            float leaf = length(u / 12, v / (4.5f * (1 - std::min(1.f, std::fabs(u) / 13)) + 0.5f)) - 1;
            if (leaf < 0.2f)
            {
                c = mix(rgb(40, 62, 36), rgb(92, 118, 66), clamp01(0.5f - v / 6));
                c.a = fill(leaf * 4, 1.5f);
            }
        }
        // The blooms: cupped petals spiralling in to a dark heart.
        for (const Bloom& b : blooms)
        {
            float r = length(x - b.at.x, y - b.at.y);
            if (r > b.radius + 2)
                continue;
            float angle = std::atan2(y - b.at.y, x - b.at.x);
            float petals = 0.5f + 0.5f * std::sin(angle * 3 + r * 0.9f);
            float edge = r - b.radius * (0.88f + 0.12f * std::sin(angle * 5 + b.at.x));
            Colour deep = b.red ? rgb(96, 12, 22) : rgb(170, 160, 150), bright = b.red ? rgb(196, 42, 48) : rgb(240, 232, 220);
            Colour bloom = mix(deep, bright, petals * smoothstep(0, b.radius, r) + 0.3f * smoothstep(b.at.x + b.radius, b.at.x - b.radius, x));
            bloom.a = fill(edge, 1.5f);
            blendOver(c, bloom, 1);
        }
        // The ribbon round the stems, the one deep red.
        float ribbon = std::min(sdSegment(x, y, {tie.x - 4, tie.y - 9}, {tie.x + 4, tie.y + 9}, 3.5f),
                                std::min(sdSegment(x, y, tie, {tie.x + 18, tie.y + 22}, 2.2f), sdSegment(x, y, tie, {tie.x + 4, tie.y + 28}, 2.2f)));
        if (ribbon < 1)
        {
            Colour band = rgb(132, 18, 28);
            band.a = fill(ribbon, 1.5f);
            blendOver(c, band, 1);
        }
        return c;
    };
    return paintComposition(screenW, screenH, flowers, noisyFlow(0.3f, 0.5f, 40, 2205), layerStyle(2206));
}

Canvas paintCandleGlow()
{
    // A candle in a small lantern right of the stone, and its warm light
    // on the stone's edge, the grass round it and the air close by: a small
    // light, so its glow is a round pool that dies out within a few hand
    // spans, not a beam up the hill.
    const float cx = lanternX, flameY = 552;
    Composition glow = [=](float x, float y) {
        float halo = std::exp(-length(x - cx, y - flameY) / 92.f);
        float core = std::exp(-length(x - cx, (y - flameY) * 0.8f) / 22.f);
        // The pool it lays on the grass round the lantern's foot, wide and
        // flat as the ground lies, fading before the hill rises behind it.
        float pool = std::exp(-std::pow(length((x - cx - 30) / 200.f, (y - 620) / 46.f), 2)) * smoothstep(556, 604, y);
        // The lantern's soft shadow on the grass at its foot, thrown right
        // by the last of the sky, under the glow.
        Colour c = rgb(16, 14, 14, 0.55f * fill(sdEllipse(x, y, cx + 20, 614, 46, 7), 9));
        Colour light = mix(rgb(255, 176, 96), rgb(255, 226, 170), core);
        light.a = clamp01(halo * 0.7f + pool * 0.45f + core * 0.5f);
        blendOver(c, light, 1);
        // The lantern: a dark iron cap and base, glass sides between.
        float glass = sdBox(x, y, cx, 566, 24, 38);
        float cap = std::min(sdBox(x, y, cx, 522, 28, 5), sdCircle(x, y, cx, 512, 7));
        float base = sdBox(x, y, cx, 608, 28, 6);
        float posts = std::min(sdBox(x, y, cx - 24, 566, 2.5f, 38), sdBox(x, y, cx + 24, 566, 2.5f, 38));
        float iron = std::min(std::min(cap, base), posts);
        if (glass < 0)
            blendOver(c, rgb(255, 214, 150, 0.25f), 1);
        // Its light on the near side of the stone, strongest at the edge
        // that faces it and falling off across the face and up the crown.
        float onStone = fill(stoneShape(x, y), 1.5f);
        if (onStone > 0)
        {
            float facing = smoothstep(stoneX - 40, stoneX + stoneHalfW, x);
            float reach = std::exp(-length(x - cx, (y - flameY) * 1.3f) / 190.f);
            blendOver(c, rgb(255, 168, 92, onStone * facing * reach * 0.95f), 1);
        }
        // The candle itself: a slim taper burnt part way down in a holder,
        // lit warm on the flame's side and shaded away from it, with the
        // flame standing on its wick.
        const float waxTop = 562;
        float taper = sdBox(x, y, cx, (waxTop + 600) / 2, 3.5f + 0.6f * smoothstep(waxTop, 600, y), (600 - waxTop) / 2);
        float holder = std::min(sdBox(x, y, cx, 601, 10, 2.5f), sdBox(x, y, cx, 597, 5, 3));
        if (taper < 0.5f)
        {
            Colour wax = mix(rgb(244, 230, 200), rgb(160, 132, 104), smoothstep(waxTop, 600, y) * 0.7f + smoothstep(cx - 2, cx + 4, x) * 0.3f);
            wax.a = fill(taper, 0.8f);
            blendOver(c, wax, 1);
        }
        if (holder < 0.5f)
        {
            Colour brass = mix(rgb(150, 110, 62), rgb(70, 50, 34), smoothstep(cx - 8, cx + 10, x));
            brass.a = fill(holder, 0.8f);
            blendOver(c, brass, 1);
        }
        float wick = sdSegment(x, y, {cx, waxTop - 3}, {cx + 0.5f, waxTop}, 0.6f);
        if (wick < 0.5f)
            blendOver(c, rgb(40, 28, 20, fill(wick, 0.6f)), 1);
        // A teardrop of flame, round below and drawn to a point above.
        float rise = clamp01((waxTop - 3 - y) / 10);
        float flame = length((x - cx) / (2.6f * (1 - 0.85f * rise) + 0.4f), (y - (waxTop - 7)) / 5.5f) - 1;
        if (flame < 0.6f)
        {
            Colour fire = mix(rgb(255, 252, 232), rgb(255, 170, 70), smoothstep(waxTop - 6, waxTop - 13, y) * 0.8f + smoothstep(0.f, 1.f, flame + 1) * 0.3f);
            fire.a = fill(flame * 3, 1.2f);
            blendOver(c, fire, 1);
        }
        if (iron < 1)
        {
            Colour metal = mix(rgb(30, 26, 24), rgb(150, 110, 70), smoothstep(cx + 10, cx - 20, x) * 0.6f);
            metal.a = fill(iron, 1.2f);
            blendOver(c, metal, 1);
        }
        return c;
    };
    // Laid in strokes along the ground, so that none of them drags the
    // light upwards.
    return paintComposition(screenW, screenH, glow, noisyFlow(-0.1f, 0.3f, 60, 2301), layerStyle(2302));
}

Canvas paintPetals()
{
    // A few petals the wind has taken from the bouquet, carried off to the
    // right and up: the first still lying over the flowers, the near ones
    // large and warm, the far ones smaller, greyer and fainter as the dusk
    // takes them. Each is laid as one stroke of a soft brush: round where it
    // was pressed down, tapering where it was lifted, bent a little as a
    // petal curls, lit on its upper side and shaded on the lower.
    struct Petal { float x, y, angle, size, bend, far; bool red; };
    std::vector<Petal> petals;
    Dice dice{2401};
    for (int i = 0; i < 20; ++i)
    {
        // Spread along the path unevenly, more of them near the flowers.
        float far = std::pow(float(i) / 19.f, 1.25f) * 0.92f + dice.range(0.f, 0.08f);
        float spread = 14 + 120 * far;
        float x = 590 + 630 * far + dice.range(-0.5f, 0.5f) * spread;
        float y = 582 - 320 * far * (1.2f - 0.4f * far) + dice.range(-0.5f, 0.5f) * spread;
        float angle = -0.35f + dice.range(-0.6f, 0.6f);
        float bend = dice.range(-0.35f, 0.35f);
        float size = 13 - 8 * far;
        // None settles on the lantern: one the wind would lay there lies
        // beyond it, downwind.
        if (std::fabs(x - lanternX) < 28 + 0.6f * size && y > 504 - 0.6f * size && y < 616 + 0.6f * size)
            x += 56 + 1.2f * size;
        petals.push_back({x, y, angle, size, bend, far, dice.unit() < 0.85f});
    }
    Composition wind = [=](float x, float y) {
        Colour c = rgb(170, 40, 50, 0);
        for (const Petal& p : petals)
        {
            float dx = x - p.x, dy = y - p.y;
            float reach = p.size * 1.3f + 3;
            if (std::fabs(dx) > reach || std::fabs(dy) > reach)
                continue;
            // Along the stroke (u, from -1 where the brush came down to 1
            // where it lifted) and across it (v, from the bent middle line).
            float u = (dx * std::cos(p.angle) + dy * std::sin(p.angle)) / p.size;
            float v = (-dx * std::sin(p.angle) + dy * std::cos(p.angle)) / p.size;
            v -= p.bend * (u * u - 0.4f);
            float half = 0.42f * std::sqrt(clamp01(1 - u * u)) * (1.1f - 0.45f * smoothstep(-0.6f, 1.f, u));
            // The bristles drag fine streaks along it and fray its edge.
            float bristle = valueNoise(u * 2.5f + p.x, v * p.size / 1.2f, 2402);
            float d = (std::fabs(v) - half) * p.size + 2.2f * (bristle - 0.5f);
            if (d > 2 || std::fabs(u) > 1.05f)
                continue;
            // Its upper side catches the last of the sky, the lower turns
            // away.
            float side = smoothstep(-half, half, -v);
            float light = clamp01(0.2f + 0.6f * side + 0.5f * (bristle - 0.5f));
            Colour petal = p.red ? mix(rgb(104, 14, 26), rgb(206, 78, 82), light) : mix(rgb(150, 138, 136), rgb(232, 222, 214), light);
            // The dusk air between: the far ones pale to its grey, losing
            // their red long before they are lost to sight.
            petal = mix(petal, rgb(140, 133, 142), 0.85f * smoothstep(0.1f, 0.8f, p.far));
            // Thinner paint where the brush lifted, and on the far ones.
            float lift = smoothstep(0.2f, 1.f, u);
            petal.a = fill(d, 1.4f) * smoothstep(1.05f, 0.8f, std::fabs(u)) * (0.95f - 0.4f * lift) * (0.95f - 0.4f * p.far) * (0.55f + 0.45f * bristle) *
                      (1 - lift * smoothstep(0.6f, 0.3f, bristle));
            blendOver(c, petal, 1);
        }
        return c;
    };
    return renderComposition(screenW, screenH, wind);
}

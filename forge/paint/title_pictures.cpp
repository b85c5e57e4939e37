// The title: a pale dawn over still water and hills, a band of mist and far
// hills that drifts, dark reeds and a branch framing the edges, the painted
// lettering, and the credits.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"
#include "paint/text.h"

#include <cmath>

namespace
{
const float horizonY = 430;

// Hills against the dawn: a ridge line from layered noise.
float ridge(float x, float base, float height, uint32_t seed)
{
    return base - height * fractalNoise(x / 260.f, 0.5f, 3, seed);
}

Colour dawnSky(float y)
{
    // Pale blue high up, warming to a pale ochre at the horizon.
    float t = smoothstep(0, horizonY, y);
    Colour high = rgb(146, 164, 186), middle = rgb(196, 196, 196), low = rgb(238, 212, 172);
    return t < 0.55f ? mix(high, middle, t / 0.55f) : mix(middle, low, (t - 0.55f) / 0.45f);
}

// Lays a lettering mask, centred, into a canvas with a soft glow behind it.
void letter(Canvas& canvas, const TextMask& mask, int left, int top, Colour ink, Colour glow, int glowRadius)
{
    Canvas halo = makeCanvas(canvas.width, canvas.height, {glow.r, glow.g, glow.b, 0});
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
        {
            int cx = left + x, cy = top + y;
            if (cx >= 0 && cy >= 0 && cx < canvas.width && cy < canvas.height)
                at(halo, cx, cy).a = mask.coverage[size_t(y) * mask.width + x];
        }
    if (glowRadius > 0)
    {
        Canvas soft = blurred(halo, glowRadius);
        for (size_t i = 0; i < canvas.pixels.size(); ++i)
            blendOver(canvas.pixels[i], {glow.r, glow.g, glow.b, 1}, clamp01(soft.pixels[i].a * 2.2f) * glow.a);
    }
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
        {
            float cover = at(halo, x, y).a;
            if (cover <= 0)
                continue;
            // Ink laid with a brush: its density wanders along the letters.
            float wander = fractalNoise(x / 9.f, y / 30.f, 2, 401);
            Colour c = scaled(ink, 0.85f + 0.35f * wander);
            blendOver(at(canvas, x, y), c, cover);
        }
}
}

Canvas paintTitleDawn()
{
    Composition dawn = [](float x, float y) {
        float far = ridge(x, horizonY - 10, 90, 11);
        float near = ridge(x + 400, horizonY + 5, 55, 12);
        if (y < far)
        {
            Colour sky = dawnSky(y);
            // A low sun glowing behind the hills, slightly left of centre.
            float sun = std::exp(-length(x - 470, (y - 400) * 1.6f) / 160.f);
            sky = mix(sky, rgb(250, 228, 190), sun * 0.6f);
            // Thin cloud bands.
            float cloud = fractalNoise(x / 300.f, y / 40.f, 4, 13);
            sky = mix(sky, rgb(214, 196, 190), smoothstep(0.55f, 0.8f, cloud) * 0.35f);
            return sky;
        }
        if (y < near)
            return mix(rgb(120, 128, 148), rgb(150, 150, 160), 0.3f * fractalNoise(x / 60.f, y / 30.f, 2, 14));
        if (y < horizonY + 8)
            return rgb(92, 98, 118);
        // Still water: the sky mirrored, darker, broken by faint ripples.
        float mirrorY = horizonY - (y - horizonY) * 0.8f;
        Colour water = scaled(dawnSky(std::max(mirrorY, 0.f)), 0.82f);
        // The hills mirrored, broken up by the ripples.
        float wobble = 6 * (valueNoise(x / 30.f, y / 2.f, 16) - 0.5f);
        if (mirrorY + wobble > far)
            water = mix(water, rgb(112, 116, 136), 0.4f);
        float ripple = valueNoise(x / 140.f, y / 3.f, 15);
        water = mix(water, rgb(170, 174, 186), smoothstep(0.6f, 0.9f, ripple) * 0.35f);
        float sunPath = std::exp(-std::fabs(x - 470) / 60.f) * smoothstep(720, horizonY, y);
        return mix(water, rgb(246, 226, 192), sunPath * 0.45f * ripple);
    };
    // The sky wants long soft strokes with no outline to each.
    PaintStyle style = brushStyle(101, 30, 3, 5, 0.18f);
    style.taperedStrokes = true;
    style.strokeLength = 7;
    return paintComposition(screenW, screenH, dawn, noisyFlow(0, 0.12f, 300, 102), style);
}

Canvas paintTitleMist()
{
    Composition mist = [](float x, float y) {
        // Far hills, faint blue, and a long band of mist over the water line.
        float hill = ridge(x * 0.8f + 90, horizonY - 30, 70, 21);
        float hillCover = fill(hill - y, 3) * smoothstep(horizonY + 40, horizonY - 10, y) * 0.55f;
        float band = std::exp(-std::pow((y - (horizonY + 10)) / 55.f, 2));
        float wisps = fractalNoise(x / 180.f, y / 25.f, 4, 22);
        float mistCover = band * (0.35f + 0.65f * smoothstep(0.3f, 0.75f, wisps)) * 0.8f;
        Colour hills = rgb(128, 140, 162, hillCover);
        Colour veil = rgb(232, 228, 222, mistCover);
        Colour out = hills;
        blendOver(out, {veil.r, veil.g, veil.b, 1}, veil.a);
        if (out.a <= 0)
            out = {veil.r, veil.g, veil.b, 0};
        return out;
    };
    PaintStyle style = brushStyle(201, 24, 3, 5, 0, Surface::none);
    style.taperedStrokes = true;
    return paintComposition(titleMistWidth, screenH, mist, noisyFlow(0, 0.08f, 250, 202), style);
}

Canvas paintTitleReeds()
{
    // Reeds rise from the bottom corners, nearer ones dark, farther ones
    // paler in the mist, some with a bulrush head; a bare branch reaches in
    // from the top right, away from the presenter line.
    struct Reed
    {
        std::vector<Point> stem;
        float width;
        bool far, bulrush;
    };
    std::vector<Reed> reeds;
    Dice dice{301};
    for (int i = 0; i < 64; ++i)
    {
        bool left = i % 2 == 0;
        bool far = i % 3 == 0;
        float baseX = left ? dice.range(-20, 360) : dice.range(910, 1300);
        float heightTop = far ? dice.range(520, 640) : dice.range(420, 620);
        // Those on the left stay low, under the first poem's last line,
        // which is drawn over this picture.
        if (left)
            heightTop = 646 + (heightTop - 420) * 0.2f;
        float lean = dice.range(-70, 70) + (left ? 30 : -30);
        std::vector<Point> stem;
        for (int k = 0; k <= 6; ++k)
        {
            float t = k / 6.f;
            stem.push_back({baseX + lean * t * t, 730 - (730 - heightTop) * t});
        }
        reeds.push_back({smoothPath(stem, 4), far ? dice.range(2.5f, 3.5f) : dice.range(3.5f, 6), far, dice.unit() < 0.25f});
    }
    std::vector<Point> branch = smoothPath({{1300, 40}, {1180, 70}, {1090, 120}, {1030, 190}, {990, 215}}, 6);
    std::vector<std::vector<Point>> twigs = {
        smoothPath({{1120, 95}, {1090, 60}, {1060, 45}}, 5), smoothPath({{1040, 180}, {1010, 250}, {1000, 280}}, 5),
        smoothPath({{1200, 64}, {1170, 30}, {1150, 18}}, 5), smoothPath({{1070, 140}, {1040, 130}, {1015, 138}}, 5),
        smoothPath({{1010, 250}, {985, 262}}, 3)};
    Composition reedsComp = [=](float x, float y) {
        Colour c = rgb(30, 32, 40, 0);
        for (const Reed& reed : reeds)
        {
            if (x < reed.stem.front().x - 110 || x > reed.stem.front().x + 110 || y < reed.stem.back().y - 30)
                continue;
            float along;
            float r = sdPolyline(x, y, reed.stem, 0, &along);
            // A blade tapering to its tip; the dawn catches its left edge.
            float thickness = std::max(reed.width * (1 - along / 320.f), 0.7f);
            float cover = fill(r - thickness, 1.5f);
            if (reed.bulrush)
            {
                float head = sdPolyline(x, y, reed.stem, 0) - 4.5f;
                float headStart = 150;
                if (along > headStart && along < headStart + 44)
                    cover = std::max(cover, fill(head, 1.5f));
            }
            if (cover <= 0)
                continue;
            Colour ink = reed.far ? rgb(104, 108, 122, 0.75f) : mix(rgb(26, 28, 34), rgb(60, 54, 48), fractalNoise(x / 30.f, y / 30.f, 2, 304));
            float rim = smoothstep(0, thickness, r) * (x < reed.stem[reed.stem.size() / 2].x ? 1.f : 0.f);
            ink = mix(ink, rgb(150, 130, 110, ink.a), rim * 0.4f * (reed.far ? 0.f : 1.f));
            // Nearer reeds lie over farther ones.
            if (!reed.far || c.a < 0.5f)
            {
                Colour laid = ink;
                laid.a = ink.a * cover;
                blendOver(c, laid, 1);
            }
        }
        float d = sdPolyline(x, y, branch, 0) - std::max(2.f, 11 - 0.03f * (1300 - x));
        for (const auto& twig : twigs)
            d = std::min(d, sdPolyline(x, y, twig, 2.f));
        blendOver(c, mix(rgb(30, 30, 36), rgb(64, 56, 50), fractalNoise(x / 20.f, y / 20.f, 2, 307)), fill(d, 2.f));
        // Soft dark bank at the very bottom.
        float bank = 690 - 60 * fractalNoise(x / 90.f, 0.3f, 3, 303) + 120 * std::pow(std::fabs(x - 640) / 640, 2);
        blendOver(c, rgb(36, 38, 40), fill(bank - y, 10) * smoothstep(160, 520, std::fabs(x - 640)));
        return c;
    };
    return paintComposition(screenW, screenH, reedsComp, noisyFlow(-1.45f, 0.1f, 200, 306),
                            brushStyle(305, 10, 2, 4, 0, Surface::none));
}

Canvas paintTitleLettering()
{
    Canvas canvas = makeCanvas(lettersWidth, lettersHeight, {0.93f, 0.9f, 0.84f, 0});
    // The largest size whose lettering fits with a margin for the glow.
    TextMask mask;
    for (int size = 170; size > 40 && (!mask.ok || mask.width > lettersWidth - 40); size -= 4)
        mask = renderText("Ostralis", size, 4);
    if (mask.ok)
        letter(canvas, mask, (lettersWidth - mask.width) / 2, (lettersHeight - mask.height) / 2,
               rgb(34, 42, 66), rgb(244, 236, 222, 0.85f), 10);
    return canvas;
}

Canvas paintCredits()
{
    Composition ground = [](float x, float y) {
        float glow = std::exp(-length(x - 640, y - 330) / 520.f);
        return mix(rgb(22, 26, 38), rgb(58, 62, 80), glow + 0.15f * fractalNoise(x / 200.f, y / 200.f, 3, 501));
    };
    PaintStyle style = brushStyle(502, 34, 3, 4, 0.3f);
    Canvas canvas = paintComposition(screenW, screenH, ground, noisyFlow(0.5f, 0.3f, 300, 503), style);
    struct Line { const char* text; int size; int y; Colour ink; };
    const Line lines[] = {
        {"Ostralis", 120, 120, rgb(236, 224, 200)},
        {"a Tollmere Crew production", 46, 280, rgb(214, 190, 140)},
        {"code  -  Tollmere Crew", 38, 400, rgb(220, 214, 204)},
        {"pictures  -  Tollmere Crew", 38, 460, rgb(220, 214, 204)},
        {"music  -  Tollmere Crew", 38, 520, rgb(220, 214, 204)},
    };
    for (const Line& line : lines)
    {
        TextMask mask = renderText(line.text, line.size, line.size > 100 ? 3 : 0);
        if (mask.ok)
            letter(canvas, mask, (screenW - mask.width) / 2, line.y, line.ink, rgb(10, 12, 20, 0.5f), 6);
    }
    return canvas;
}

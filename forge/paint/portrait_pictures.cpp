// The portrait of the one who is lost, painted in layers on one canvas: a
// dark umber underpainting, then skin, hair, the deep red dress, and a
// wooden frame; and at the end the finished portrait beside an empty chair.
// The head fills the oval where the pencil's second sketch lands.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"

#include <cmath>

namespace
{
// The sitter, in window pixels: head oval, neck and shoulders.
const float headX = 626, headY = 236, headRX = 58, headRY = 74;

float headShape(float x, float y)
{
    // A slightly narrower jaw: the oval pinched in its lower half.
    float pinch = 1 - 0.12f * smoothstep(headY, headY + headRY, y);
    return sdEllipse(x, y, headX + 2 * smoothstep(headY, headY + headRY, y), headY, headRX * pinch, headRY);
}

float neckShape(float x, float y)
{
    return sdBox(x, y, headX + 2, 318, 22, 26) - 4;
}

float shouldersShape(float x, float y)
{
    // A wide rounded slope from the neck out to both edges of the bust.
    float body = sdEllipse(x, y, 625, 420, 92, 98);
    return std::max(body, y - 412);
}

float hairShape(float x, float y)
{
    // Hair over the crown and falling behind the shoulders on both sides.
    float crown = sdEllipse(x, y, headX - 2, headY - 18, headRX + 10, headRY - 2);
    float fall = sdEllipse(x, y, headX, headY + 60, headRX + 20, 100);
    float hair = smoothUnion(crown, fall, 20);
    // Leave the face open: cut away an oval a little smaller than the head.
    float face = sdEllipse(x, y, headX + 4, headY + 16, headRX - 8, headRY - 6);
    return std::max(hair, -face);
}

// Light comes from the upper left.
float lightOn(float x, float y, float cx, float cy, float rx, float ry)
{
    float nx = (x - cx) / rx, ny = (y - cy) / ry;
    float nz = std::sqrt(std::max(0.f, 1 - nx * nx - ny * ny));
    return clamp01(-0.55f * nx - 0.45f * ny + 0.7f * nz);
}

PaintStyle portraitStyle(uint32_t seed, bool layer)
{
    PaintStyle style;
    style.seed = seed;
    style.coarseBrush = layer ? 12 : 26;
    style.fineBrush = 2;
    style.passes = layer ? 5 : 5;
    style.surface = layer ? Surface::none : Surface::canvas;
    style.vignette = layer ? 0 : 0.4f;
    style.grain = 0.06f;
    return style;
}

FlowField portraitFlow(uint32_t seed)
{
    // Strokes wrap round the head and run down the body.
    FlowField swirl = noisyFlow(0, 0.2f, 120, seed);
    return [=](float x, float y) {
        float dx = x - headX, dy = y - headY;
        float d = length(dx / headRX, dy / headRY);
        if (d < 1.3f)
            return std::atan2(dy, dx) + 1.5708f + 0.3f * swirl(x, y);
        return 1.3f + swirl(x, y);
    };
}
}

Canvas paintUnderpainting()
{
    Composition under = [](float x, float y) {
        // Warm dark umber, a little lighter behind the head.
        float glow = std::exp(-length(x - headX + 60, y - headY + 20) / 300.f);
        Colour c = mix(rgb(24, 18, 15), rgb(58, 40, 30), glow);
        c = mix(c, rgb(40, 28, 22), fractalNoise(x / 90.f, y / 90.f, 3, 1401) * 0.6f);
        // The figure blocked in with thin burnt sienna.
        float figure = std::min(std::min(headShape(x, y), neckShape(x, y)), shouldersShape(x, y));
        c = mix(c, rgb(92, 56, 36), fill(figure, 8) * 0.75f);
        return c;
    };
    return paintComposition(screenW, screenH, under, portraitFlow(1402), portraitStyle(1403, false));
}

Canvas paintSkin()
{
    Composition skin = [](float x, float y) {
        float d = std::min(smoothUnion(headShape(x, y), neckShape(x, y), 10), 1e9f);
        float lit = lightOn(x, y, headX - 10, headY - 10, headRX * 1.2f, headRY * 1.2f);
        Colour c = mix(rgb(120, 78, 60), rgb(228, 186, 150), lit);
        // The neck sits in the jaw's shadow.
        c = mix(c, rgb(110, 72, 56), smoothstep(headY + headRY - 20, headY + headRY + 10, y) * 0.6f);
        // Closed eyes, a soft nose and mouth: gentle shadows, not lines.
        float eyes = std::min(sdEllipse(x, y, headX - 22, headY - 2, 12, 4), sdEllipse(x, y, headX + 24, headY - 2, 12, 4));
        c = mix(c, rgb(96, 60, 50), fill(eyes, 3) * 0.75f);
        float brows = std::min(sdEllipse(x, y, headX - 22, headY - 16, 15, 3), sdEllipse(x, y, headX + 24, headY - 16, 15, 3));
        c = mix(c, rgb(84, 54, 40), fill(brows, 3) * 0.6f);
        float nose = sdSegment(x, y, {headX + 2, headY + 2}, {headX - 4, headY + 26}, 3);
        c = mix(c, rgb(150, 100, 80), fill(nose, 4) * 0.6f);
        float mouth = sdEllipse(x, y, headX, headY + 44, 15, 4);
        c = mix(c, rgb(150, 62, 58), fill(mouth, 3) * 0.85f);
        float cheek = std::exp(-std::pow(length(x - headX + 30, y - headY - 22) / 16.f, 2));
        c = mix(c, rgb(214, 132, 112), cheek * 0.3f);
        c.a = fill(d, 3);
        return c;
    };
    return paintComposition(screenW, screenH, skin, portraitFlow(1501), portraitStyle(1502, true));
}

Canvas paintHair()
{
    Composition hair = [](float x, float y) {
        float d = hairShape(x, y);
        float strands = 0.5f + 0.5f * std::sin((x - headX) * 0.35f + 3 * fractalNoise(x / 30.f, y / 60.f, 2, 1601));
        float lit = lightOn(x, y, headX - 20, headY - 30, headRX * 1.4f, headRY * 1.4f);
        Colour c = mix(rgb(40, 22, 16), rgb(122, 70, 40), lit * (0.5f + 0.5f * strands));
        c.a = fill(d, 3);
        return c;
    };
    FlowField fall = [](float x, float y) {
        // Hair falls from the parting: along the crown, then downwards.
        float dx = x - headX, dy = y - (headY - headRY);
        return std::atan2(dy + 60, dx) + 0.15f * (fractalNoise(x / 40.f, y / 40.f, 2, 1602) - 0.5f);
    };
    return paintComposition(screenW, screenH, hair, fall, portraitStyle(1603, true));
}

Canvas paintClothes()
{
    Composition dress = [](float x, float y) {
        float d = shouldersShape(x, y);
        // A neckline: the dress leaves the throat bare.
        float neckline = sdEllipse(x, y, headX + 2, 318, 34, 22);
        d = std::max(d, -neckline);
        float lit = lightOn(x, y, 600, 360, 110, 80);
        Colour c = mix(rgb(70, 14, 18), rgb(156, 34, 36), lit);
        float folds = 0.5f + 0.5f * std::sin(x * 0.12f + y * 0.05f + 2 * fractalNoise(x / 40.f, y / 40.f, 2, 1701));
        c = scaled(c, 0.85f + 0.25f * folds);
        c.a = fill(d, 3);
        return c;
    };
    return paintComposition(screenW, screenH, dress, noisyFlow(1.2f, 0.25f, 100, 1702), portraitStyle(1703, true));
}

Canvas paintFrame()
{
    // A carved wooden frame along the canvas edge, gilt on its inner lip.
    const float outer = 0, width = 38;
    Composition frame = [=](float x, float y) {
        float inset = std::min(std::min(x - outer, screenW - outer - x), std::min(y - outer, screenH - outer - y));
        float depth = inset / width;
        Colour wood = mix(rgb(58, 36, 22), rgb(104, 70, 40), 0.5f + 0.5f * std::sin(depth * 9.4f));
        wood = scaled(wood, 0.85f + 0.3f * fractalNoise(x / 18.f + y / 90.f, y / 18.f, 2, 1801));
        Colour gilt = mix(rgb(150, 116, 56), rgb(212, 176, 100), fractalNoise(x / 20.f, y / 20.f, 2, 1802));
        Colour c = mix(wood, gilt, smoothstep(0.7f, 0.85f, depth));
        // The frame's shadow falls a little inward on the painting.
        float shadow = smoothstep(width + 18, width, inset) * 0.45f;
        c.a = inset < width ? 1.f : shadow;
        if (inset >= width)
            c = rgb(10, 6, 4, shadow);
        return c;
    };
    PaintStyle style = portraitStyle(1803, true);
    style.coarseBrush = 10;
    FlowField along = [](float x, float y) {
        float inset = std::min(std::min(x, screenW - x), std::min(y, screenH - y));
        return (inset == x || inset == screenW - x) ? 1.5708f : 0.f;
    };
    return paintComposition(screenW, screenH, frame, along, style);
}

Canvas paintPortraitAndChair()
{
    // A light room: the finished portrait on its easel at the right, an
    // empty chair beside it, morning light from the left.
    Composition room = [](float x, float y) {
        float floorLine = 590;
        Colour c = y < floorLine ? mix(rgb(214, 206, 190), rgb(186, 178, 164), smoothstep(0, 1280, x))
                                 : mix(rgb(166, 140, 112), rgb(130, 106, 84), smoothstep(floorLine, 720, y));
        c = scaled(c, 0.94f + 0.1f * fractalNoise(x / 150.f, y / 150.f, 3, 1901));
        // The chair: a back, a seat and four legs, turned a little.
        float back = sdBox(x, y, 430, 420, 70, 90) - 6;
        float backHole = sdBox(x, y, 430, 410, 52, 70);
        float seat = sdBox(x, y, 440, 525, 92, 14) - 4;
        float legs = std::min(std::min(sdBox(x, y, 360, 585, 7, 60), sdBox(x, y, 520, 585, 7, 60)),
                              std::min(sdBox(x, y, 380, 570, 6, 45), sdBox(x, y, 505, 570, 6, 45)));
        float chair = std::min(std::min(std::max(back, -backHole), seat), legs);
        if (chair < 0)
            c = mix(rgb(92, 62, 40), rgb(140, 98, 62), smoothstep(480, 380, x));
        // The chair's shadow on the floor to the right.
        if (y > floorLine && sdEllipse(x, y, 540, 650, 160, 18) < 0)
            c = scaled(c, 0.82f);
        // The easel, then the framed portrait on it.
        float easel = std::min(std::min(sdSegment(x, y, {900, 190}, {820, 690}, 6), sdSegment(x, y, {930, 190}, {1010, 690}, 6)),
                               sdSegment(x, y, {915, 160}, {915, 670}, 6));
        if (easel < 0)
            c = rgb(110, 78, 50);
        float frameBox = sdBox(x, y, 915, 360, 125, 160);
        if (frameBox < 0)
        {
            c = rgb(130, 96, 52);
            float inner = sdBox(x, y, 915, 360, 105, 140);
            if (inner < 0)
            {
                // The portrait within: dark ground, the face, hair and red dress.
                float hx = 915, hy = 320;
                c = rgb(44, 32, 26);
                float dress = std::max(sdEllipse(x, y, hx, hy + 190, 95, 120), y - 500);
                if (dress < 0)
                    c = rgb(140, 30, 32);
                float hair = sdEllipse(x, y, hx, hy + 10, 52, 70);
                if (hair < 0)
                    c = rgb(70, 38, 24);
                float face = sdEllipse(x, y, hx + 4, hy + 12, 34, 46);
                if (face < 0)
                    c = mix(rgb(150, 104, 80), rgb(226, 184, 150), lightOn(x, y, hx - 6, hy, 40, 50));
            }
        }
        // Morning light falling across from the left.
        float beam = smoothstep(200, 0, std::fabs((x - 520) - (y - 300) * 0.6f));
        return mix(c, rgb(250, 240, 218), beam * 0.25f);
    };
    PaintStyle style;
    style.seed = 1903;
    style.coarseBrush = 24;
    style.fineBrush = 2.5f;
    style.passes = 5;
    style.vignette = 0.12f;
    return paintComposition(screenW, screenH, room, noisyFlow(0.9f, 0.3f, 200, 1904), style);
}

// The portrait of the one who is lost, painted in layers on one canvas: a
// dark umber underpainting, then skin, hair, the deep red dress, and a
// wooden frame; and at the end the finished portrait beside an empty chair.
// The head fills the oval where the pencil's second sketch lands.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"
#include "paint/sitter.h"

#include <cmath>

namespace
{
// The sitter, in window pixels: her head fills the oval of the sketch.
const Sitter sitter{626, 236, 58, 74};
const float bustHalfWidth = 90, bustBottom = 412;

PaintStyle portraitStyle(uint32_t seed, bool layer)
{
    PaintStyle style;
    style.seed = seed;
    style.coarseBrush = layer ? 10 : 26;
    style.fineBrush = layer ? 1.6f : 2;
    style.passes = 5;
    style.surface = layer ? Surface::none : Surface::canvas;
    style.vignette = layer ? 0 : 0.4f;
    style.grain = 0.06f;
    style.detailThreshold = layer ? 0.03f : 0.05f;
    return style;
}

FlowField portraitFlow()
{
    return [](float x, float y) { return sitterFlow(x, y, sitter); };
}
}

Canvas paintUnderpainting()
{
    Composition under = [](float x, float y) {
        // Warm dark umber, a little lighter behind the head where the light falls.
        float glow = std::exp(-length(x - sitter.x + 60, y - sitter.y + 20) / 300.f);
        Colour c = mix(rgb(24, 18, 15), rgb(58, 40, 30), glow);
        c = mix(c, rgb(40, 28, 22), fractalNoise(x / 90.f, y / 90.f, 3, 1401) * 0.6f);
        // The figure blocked in with thin burnt sienna, and its contour drawn
        // in a darker umber line.
        float figure = std::max(std::max(sitterSkin(x, y, sitter).a, sitterHair(x, y, sitter).a),
                                sitterDress(x, y, sitter, bustHalfWidth, bustBottom).a);
        c = mix(c, rgb(92, 56, 36), figure * 0.7f);
        float contour = figure * (1 - figure) * 4;
        c = mix(c, rgb(34, 20, 14), contour * 0.5f);
        return c;
    };
    // Broad crossing strokes on the ground, rounder ones on the figure.
    FlowField ground = noisyFlow(0.7f, 0.6f, 160, 1404);
    FlowField flow = [=](float x, float y) {
        return length((x - sitter.x) / 100, (y - sitter.y - 60) / 150) < 1 ? sitterFlow(x, y, sitter) : ground(x, y);
    };
    return paintComposition(screenW, screenH, under, flow, portraitStyle(1403, false));
}

Canvas paintSkin()
{
    Composition skin = [](float x, float y) { return sitterSkin(x, y, sitter); };
    return paintComposition(screenW, screenH, skin, portraitFlow(), portraitStyle(1502, true));
}

Canvas paintHair()
{
    Composition hair = [](float x, float y) { return sitterHair(x, y, sitter); };
    FlowField fall = [](float x, float y) {
        // Hair falls from the parting: along the crown, then downwards.
        float dx = x - (sitter.x - 0.18f * sitter.rx), dy = y - (sitter.y - sitter.ry);
        float fromParting = std::atan2(dy + 30, dx);
        float t = smoothstep(sitter.y - 20, sitter.y + 40, y);
        return mix(fromParting, 1.5708f, t) + 0.15f * (fractalNoise(x / 40.f, y / 40.f, 2, 1602) - 0.5f);
    };
    return paintComposition(screenW, screenH, hair, fall, portraitStyle(1603, true));
}

Canvas paintClothes()
{
    Composition dress = [](float x, float y) { return sitterDress(x, y, sitter, bustHalfWidth, bustBottom); };
    return paintComposition(screenW, screenH, dress, noisyFlow(1.3f, 0.25f, 100, 1702), portraitStyle(1703, true));
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
                // The portrait within: the same sitter, finished.
                const Sitter small{915, 318, 30, 38};
                c = mix(rgb(44, 32, 26), rgb(70, 50, 38), std::exp(-length(x - 890, y - 290) / 90.f));
                blendOver(c, sitterSkin(x, y, small), 1);
                blendOver(c, sitterHair(x, y, small), 1);
                blendOver(c, sitterDress(x, y, small, 62, 500), 1);
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

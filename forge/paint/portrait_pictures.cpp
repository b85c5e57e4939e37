// The portrait of the one who is lost, painted in layers on one canvas: a
// light warm ground with her first drawing on it, then skin, hair, the
// deep red dress with the dark room behind her, and a wooden frame; and at
// the end the finished portrait beside an empty chair. The head fills the
// oval where the pencil's second sketch lands.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/poem_page.h"
#include "paint/shapes.h"
#include "paint/sitter.h"
#include "scenes/outlines.h"

#include <algorithm>
#include <cmath>

namespace
{
// The sitter, in window pixels: her head fills the oval of the sketch.
const Sitter sitter{626, 236, 58, 74};
// Her shoulders' points, on the sketch's shoulder line, and where the
// painting loosens into the ground below them.
const float bustHalfWidth = 96, bustBottom = 420;
// The finished figure is broader in the shoulders than the first drawing
// laid her in, so that she fills her frame, and goes on down past the
// table's front edge to the frame's foot.
const float finishHalfWidth = 106, finishBottom = 800;
// How much lighter the room behind her is painted than the sitter's own.
const float roomKey = 7.f;

PaintStyle portraitStyle(uint32_t seed, bool layer)
{
    PaintStyle style = brushStyle(seed, layer ? 10 : 26, layer ? 1.6f : 2, 5, layer ? 0 : 0.4f, layer ? Surface::none : Surface::canvas);
    style.grain = 0.06f;
    style.detailThreshold = layer ? 0.03f : 0.05f;
    return style;
}

FlowField portraitFlow()
{
    return [](float x, float y) { return sitterFlow(x, y, sitter); };
}

// The pencil's second sketch, drawn into the ground where its stamps land.
// Its stamps lie half size about 8 px apart, each a dot no wider than
// that, so on their own they read as a ring of beads; the faint line under
// them joins them into strokes, and stays when they fade, the guide lines
// of her first drawing. Graphite on the paper's tooth: light grains where
// it misses, and a hand that presses a little more here and less there.
void drawBustSketch(Canvas& canvas)
{
    const Colour graphite = rgb(72, 68, 66);
    // The line is as wide as a landed stamp, so the stamps sit in it as
    // the pencil's pressure, not as beads strung on a thinner thread.
    const float strength = 0.28f, between = 0.2f, width = 2.2f, reach = 6;
    // Where passes cross the graphite gathers, but only so far: the first
    // poem's words lie over these lines.
    const float heaviest = 0.45f;
    std::vector<float> graphiteLaid(size_t(screenW) * screenH, 0);
    for (const SketchStroke& stroke : bustStrokes)
    {
        std::vector<SketchSegment> segments = strokeSegments(stroke);
        float x0 = screenW, y0 = screenH, x1 = 0, y1 = 0;
        for (const SketchSegment& s : segments)
        {
            x0 = std::min({x0, s.from.x, s.to.x}), y0 = std::min({y0, s.from.y, s.to.y});
            x1 = std::max({x1, s.from.x, s.to.x}), y1 = std::max({y1, s.from.y, s.to.y});
        }
        int left = std::max(0, int(x0 - reach)), top = std::max(0, int(y0 - reach));
        int right = std::min(screenW, int(x1 + reach) + 1), bottom = std::min(screenH, int(y1 + reach) + 1);
        int boxW = right - left;
        // Each pixel's distance to the stroke, so that the stroke darkens
        // once where its segments meet, and to its nearest stamp, so that
        // the line is fuller between the stamps than under them.
        std::vector<float> distance(size_t(boxW) * (bottom - top), reach);
        std::vector<float> fromStamp(distance.size(), reach);
        for (const SketchSegment& s : segments)
        {
            TweenPoint a = s.from, b = s.to;
            float dx = b.x - a.x, dy = b.y - a.y, span = std::max(dx * dx + dy * dy, 1e-6f);
            int sx0 = std::max(left, int(std::min(a.x, b.x) - reach)), sx1 = std::min(right, int(std::max(a.x, b.x) + reach) + 1);
            int sy0 = std::max(top, int(std::min(a.y, b.y) - reach)), sy1 = std::min(bottom, int(std::max(a.y, b.y) + reach) + 1);
            for (int y = sy0; y < sy1; ++y)
                for (int x = sx0; x < sx1; ++x)
                {
                    // Pixel centres: a stamp is drawn about the point itself.
                    float px = x + 0.5f, py = y + 0.5f;
                    float t = clamp01(((px - a.x) * dx + (py - a.y) * dy) / span);
                    size_t k = size_t(y - top) * boxW + (x - left);
                    distance[k] = std::min(distance[k], length(px - (a.x + t * dx), py - (a.y + t * dy)));
                    fromStamp[k] = std::min({fromStamp[k], length(px - a.x, py - a.y), length(px - b.x, py - b.y)});
                }
        }
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
            {
                size_t k = size_t(y - top) * boxW + (x - left);
                float d = distance[k];
                if (d >= reach)
                    continue;
                float tooth = 1 - 0.45f * clamp01((hashUnit(uint32_t(x), uint32_t(y), 1406) - 0.5f) / 0.5f);
                float pressure = 0.8f + 0.4f * valueNoise(x / 23.f, y / 23.f, 1407);
                float laid = (strength + between * smoothstep(1.5f, 4, fromStamp[k])) * std::exp(-d * d / (width * width)) * tooth * pressure;
                float& here = graphiteLaid[size_t(y) * screenW + x];
                here = 1 - (1 - here) * (1 - laid);
            }
    }
    for (int y = 0; y < screenH; ++y)
        for (int x = 0; x < screenW; ++x)
            if (float laid = graphiteLaid[size_t(y) * screenW + x]; laid > 0)
                blendOver(at(canvas, x, y), graphite, std::min(laid, heaviest));
}
}

Canvas paintUnderpainting()
{
    const PoemPool pool = poolRound(firstPoemInk);
    Composition under = [=](float x, float y) {
        // A light imprimatura of warm ochre, thinly and unevenly laid, with
        // the first drawing of her in a faint grey chalk over it.
        float cloud = fractalNoise(x / 140.f, y / 140.f, 3, 1401);
        Colour c = mix(rgb(242, 234, 216), rgb(234, 222, 198), cloud);
        // One pool of light round her and the first poem's lines, which lie
        // over this ground, going softly down into umber away from it.
        float edge = fromPool(pool, x, y);
        // Light too where the room of the finished portrait is laid thin,
        // in the glow behind her head, so the sketch shows through it there.
        edge = smoothUnion(edge, sdEllipse(x, y, sitter.x + 0.9f * sitter.rx, sitter.y - 0.2f * sitter.ry, 150, 150), 160);
        float away = lightFalloff(edge + 6, x, y, 1405, 250);
        c = mix(c, mix(rgb(18, 13, 10), rgb(36, 27, 20), cloud), away);
        // Its foot toned down to a band of dark umber, the earth the reeds of
        // the poem's picture stand in; its edge wavers as the brush went,
        // and is soft, a shadow on the ground and not a cut.
        float foot = smoothstep(652, 700, y + 5 * (fractalNoise(x / 60.f, 0.5f, 2, 1402) - 0.5f));
        c = mix(c, mix(rgb(30, 22, 16), rgb(40, 30, 22), cloud), foot);
        blendOver(c, sitterUnderdrawing(x, y, sitter, bustHalfWidth, bustBottom), 1);
        return c;
    };
    // Long, nearly level strokes on the ground, laid as a thin wash is, so
    // the paper under the poem reads calm; rounder ones on the figure.
    FlowField ground = noisyFlow(0.12f, 0.1f, 320, 1404);
    FlowField flow = [=](float x, float y) {
        return length((x - sitter.x) / 100, (y - sitter.y - 60) / 150) < 1 ? sitterFlow(x, y, sitter) : ground(x, y);
    };
    PaintStyle style = portraitStyle(1403, false);
    style.vignette = 0.08f;
    style.grain = 0.04f;
    // Soft-edged strokes of nearly one colour: the wash shows the brush's
    // direction, not a pattern of separate dabs.
    style.taperedStrokes = true;
    style.colourJitter = 0.012f;
    Canvas canvas = paintComposition(screenW, screenH, under, flow, style);
    // Drawn after the paint, so that no brush stroke smears the pencil.
    drawBustSketch(canvas);
    return canvas;
}

Canvas paintSkin()
{
    Composition skin = [](float x, float y) { return sitterSkin(x, y, sitter); };
    return paintComposition(screenW, screenH, skin, portraitFlow(), portraitStyle(1502, true));
}

Canvas paintHair()
{
    Composition hair = [](float x, float y) { return sitterHair(x, y, sitter); };
    FlowField combed = [](float x, float y) { return sitterHairFlow(x, y, sitter); };
    return paintComposition(screenW, screenH, hair, combed, portraitStyle(1603, true));
}

Canvas paintClothes()
{
    // The dress, and the room behind her laid round the head and hair,
    // opaque: the candle's warmth behind her is painted, not the ground
    // glowing through, so the light stays the candle's and not a hot disc.
    Composition dressAndRoom = [](float x, float y) {
        float v = (y - sitter.y) / sitter.ry;
        // The room in a higher key than her own dark: the poem after it
        // comes on a light ground, and the finish meets it halfway.
        Colour c = sitterBackground(x, y, sitter, roomKey);
        // Above the dress the figure shows through; below, the room covers
        // all. Along the figure's soft edge the room takes the figure's own
        // colour and covers the ground, so no light fringe runs round her.
        Colour skin = sitterSkin(x, y, sitter), hair = sitterHair(x, y, sitter);
        float figure = std::max(hair.a, skin.a) * smoothstep(1.85f, 1.6f, v);
        if (figure > 0)
        {
            Colour edge = skin;
            blendOver(edge, hair, 1);
            c = mix(c, edge, figure);
        }
        float inset = std::min(std::min(x, screenW - x), std::min(y, screenH - y));
        c.a = (1 - smoothstep(0.75f, 1.f, figure)) * smoothstep(20, 30, inset);
        blendOver(c, sitterDress(x, y, sitter, finishHalfWidth, finishBottom), 1);
        return c;
    };
    FlowField flow = [](float x, float y) {
        return length((x - sitter.x) / 110, (y - sitter.y - 110) / 80) < 1 ? 1.3f + 0.3f * (fractalNoise(x / 60.f, y / 60.f, 2, 1702) - 0.5f)
                                                                              : sitterFlow(x, y, sitter);
    };
    // The room in broad strokes; the finer ones gather on the dress.
    PaintStyle style = portraitStyle(1703, true);
    style.coarseBrush = 24;
    style.fineBrush = 2;
    style.passes = 4;
    style.detailThreshold = 0.06f;
    return paintComposition(screenW, screenH, dressAndRoom, flow, style);
}

Canvas paintFrame()
{
    // A carved frame of pale limed oak along the canvas edge, gilt on its
    // inner lip: light, so that the pictures it holds end on a higher key
    // than their dark rooms and dusk alone would give.
    const float outer = 0, width = 38;
    Composition frame = [=](float x, float y) {
        float inset = std::min(std::min(x - outer, screenW - outer - x), std::min(y - outer, screenH - outer - y));
        float depth = inset / width;
        Colour wood = mix(rgb(150, 122, 88), rgb(204, 178, 136), 0.5f + 0.5f * std::sin(depth * 9.4f));
        wood = scaled(wood, 0.88f + 0.24f * fractalNoise(x / 18.f + y / 90.f, y / 18.f, 2, 1801));
        Colour gilt = mix(rgb(196, 160, 92), rgb(240, 212, 146), fractalNoise(x / 20.f, y / 20.f, 2, 1802));
        Colour c = mix(wood, gilt, smoothstep(0.7f, 0.85f, depth));
        // The frame's shadow falls a little inward on the painting.
        float shadow = smoothstep(width + 12, width, inset) * 0.3f;
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
    // A light room: the finished portrait on its easel at the right, the
    // empty chair beside it with her shawl left on it, morning light from a
    // window out of the picture on the left.
    const float floorLine = 590, seatY = 500, chairX = 430;
    const float portraitX = 915, portraitY = 360, innerHalfW = 105, innerHalfH = 140;
    // The chair, turned a little: spindle back, seat, four legs; the seat's
    // distance comes back on its own, for its lighter top.
    auto chairAt = [=](float x, float y, float* seatOut) {
        float posts = std::min(sdBox(x, y, chairX - 48, seatY - 72, 4.5f, 76), sdBox(x, y, chairX + 48, seatY - 72, 4.5f, 76));
        float topRail = sdBox(x, y, chairX, seatY - 138 - 6 * std::cos((x - chairX) / 36), 54, 9) - 2;
        float midRail = sdBox(x, y, chairX, seatY - 70, 48, 3);
        float spindles = 1e9f;
        for (int k = -1; k <= 1; ++k)
            spindles = std::min(spindles, sdBox(x, y, chairX + k * 20, seatY - 104, 2.5f - 0.3f * std::fabs(float(k)), 34));
        float seat = std::max(std::max(seatY - y, y - (seatY + 18)), std::fabs(x - chairX - 6) - 56 - (y - seatY) * 0.6f);
        float apron = sdBox(x, y, chairX + 6, seatY + 24, 64, 6);
        float legs = std::min(std::min(sdBox(x, y, chairX - 52, seatY + 68, 5, 44), sdBox(x, y, chairX + 64, seatY + 68, 5, 44)),
                              std::min(sdBox(x, y, chairX - 40, seatY + 58, 4, 36), sdBox(x, y, chairX + 48, seatY + 58, 4, 36)));
        if (seatOut)
            *seatOut = seat;
        return std::min(std::min(std::min(posts, topRail), std::min(midRail, spindles)), std::min(std::min(seat, apron), legs));
    };
    // Where the feet stand on the floor: the chair's four legs, then the
    // easel's two legs and its mast.
    const Point feet[] = {{chairX - 52, seatY + 112}, {chairX + 64, seatY + 112}, {chairX - 40, seatY + 94}, {chairX + 48, seatY + 94},
                          {820, 690}, {1010, 690}, {915, 670}};
    // Her red shawl thrown over the top rail: it rounds over the rail, hangs
    // down the back, and its end falls past the left post about forty pixels
    // beyond the chair, to a point well below the rail.
    const float post = chairX - 54;
    auto shawlAt = [=](float x, float y) {
        float railTop = seatY - 151 - 6 * std::cos((std::max(x, post) - chairX) / 36);
        float top = railTop + 1.2f * std::max(0.f, post - x);
        float leftEdge = post - 36 * smoothstep(railTop + 4, railTop + 70, y) - 2 * std::sin(y / 9.f);
        float hem = seatY - 28 - 44 * smoothstep(post - 26, chairX - 20, x) - 40 * smoothstep(chairX - 10, chairX + 50, x) +
                    6 * std::sin((x - chairX) / 8.f);
        return std::max(std::max(top - y, y - hem), std::max(leftEdge - x, x - (chairX + 40)));
    };
    auto easelAt = [](float x, float y) {
        return std::min(std::min(sdSegment(x, y, {900, 190}, {820, 690}, 6), sdSegment(x, y, {930, 190}, {1010, 690}, 6)),
                        sdSegment(x, y, {915, 160}, {915, 670}, 6));
    };
    auto frameAt = [=](float x, float y) { return sdBox(x, y, portraitX, portraitY, innerHalfW + 20, innerHalfH + 20); };
    Composition room = [=](float x, float y) {
        Colour c = y < floorLine ? mix(rgb(214, 206, 190), rgb(172, 166, 156), smoothstep(200, 1280, x))
                                 : mix(rgb(166, 140, 112), rgb(124, 100, 80), smoothstep(floorLine, 720, y));
        c = scaled(c, 0.95f + 0.08f * fractalNoise(x / 150.f, y / 150.f, 3, 1901));
        // The window's light laid on the wall as a slanting pane, and on the floor.
        float pane = sdBox(x - (y - 300) * 0.35f, y, 640, 330, 150, 190);
        c = mix(c, rgb(248, 236, 210), fill(pane, 60) * 0.35f * (y < floorLine ? 1.f : 0.f));
        c = mix(c, rgb(150, 144, 136), smoothstep(floorLine - 4, floorLine, y) * smoothstep(floorLine + 5, floorLine, y) * 0.6f);
        // The chair's and the easel's shadows reaching to the right, and
        // under each foot a small dark contact shadow where it meets the
        // boards, a little to the right, away from the window.
        if (y > floorLine)
        {
            float shadows = std::min(sdEllipse(x, y, chairX + 110, 628, 150, 16), sdEllipse(x, y, portraitX + 120, 690, 170, 14));
            c = scaled(c, 1 - 0.2f * fill(shadows, 24));
            float contact = 1e9f;
            for (const Point& foot : feet)
                contact = std::min(contact, sdEllipse(x, y, foot.x + 3, foot.y + 1, 10, 4));
            c = scaled(c, 1 - 0.5f * fill(contact, 5));
        }
        float seat = 0;
        if (chairAt(x, y, &seat) < 0)
        {
            c = mix(rgb(84, 56, 36), rgb(150, 106, 68), smoothstep(chairX + 40, chairX - 50, x));
            if (seat < 0)
                c = scaled(c, 1.15f);
        }
        float shawl = shawlAt(x, y);
        if (shawl < 0)
        {
            float folds = 0.5f + 0.5f * std::sin((x - chairX) / 6.f + (y - seatY) / 25.f);
            c = mix(rgb(90, 16, 24), rgb(164, 40, 44), folds * 0.45f + 0.45f * smoothstep(chairX + 40, chairX - 40, x));
            // One deep fold runs from the rail down into the hanging end: a
            // dark valley with the lit ridge beside it on the window's side.
            Point from{chairX - 14, seatY - 140}, to{post - 20, seatY - 34};
            float valley = sdSegment(x, y, from, to, 2.5f);
            float ridge = sdSegment(x - 8, y, from, to, 3);
            float deep = smoothstep(0, 1, segmentParam(x, y, from, to) * 3);
            c = mix(c, rgb(190, 62, 60), fill(ridge, 5) * 0.55f * deep);
            c = mix(c, rgb(62, 8, 16), fill(valley, 5) * 0.8f * deep);
            // The cloth rounds over the rail, lit on top, and the end hanging
            // past the post turns into shade.
            float railTop = seatY - 151 - 6 * std::cos((std::max(x, post) - chairX) / 36);
            c = mix(c, rgb(196, 70, 66), smoothstep(railTop + 10, railTop, y) * 0.5f * (x > post ? 1.f : 0.f));
            c = scaled(c, 1 - 0.25f * smoothstep(post, post - 30, x) * smoothstep(railTop, railTop + 60, y));
        }
        // The easel, and the frame round the portrait.
        if (easelAt(x, y) < 0)
            c = mix(rgb(96, 68, 44), rgb(140, 100, 64), smoothstep(925, 905, x));
        float frameBox = frameAt(x, y);
        if (frameBox < 0)
        {
            float depth = -frameBox / 20;
            c = mix(rgb(110, 80, 44), rgb(206, 170, 100), 0.5f + 0.5f * std::sin(depth * 7) * smoothstep(portraitX + 120, portraitX - 120, x + y - portraitY));
        }
        return c;
    };
    PaintStyle style = brushStyle(1903, 24, 2.5f, 5, 0.12f);
    Canvas canvas = paintComposition(screenW, screenH, room, noisyFlow(0.9f, 0.15f, 200, 1904), style);

    // The wall's brushwork is quieter than the things standing before it:
    // away from them, each stroke keeps half its difference from the wall
    // round it.
    {
        Canvas smooth = blurred(canvas, 12);
        for (int y = 0; y < int(floorLine) - 2; ++y)
            for (int x = 0; x < screenW; ++x)
            {
                float px = x + 0.5f, py = y + 0.5f;
                float clear = std::min(std::min(chairAt(px, py, nullptr), shawlAt(px, py)), std::min(easelAt(px, py), frameAt(px, py)));
                float quiet = 0.5f * smoothstep(6, 30, clear) * smoothstep(float(floorLine) - 2, float(floorLine) - 30, py);
                if (quiet > 0)
                    at(canvas, x, y) = mix(at(canvas, x, y), at(smooth, x, y), quiet);
            }
    }

    // The portrait itself painted with a finer brush, as the painter would,
    // then hung inside the frame.
    const int w = int(innerHalfW * 2), h = int(innerHalfH * 2);
    const float left = portraitX - innerHalfW, top = portraitY - innerHalfH;
    const Sitter small{portraitX - left, 318 - top, 30, 38};
    Composition finished = [=](float x, float y) {
        Colour c = sitterBackground(x, y, small);
        blendOver(c, sitterSkin(x, y, small), 1);
        blendOver(c, sitterHair(x, y, small), 1);
        blendOver(c, sitterDress(x, y, small, 52, float(h) - 40), 1);
        // The frame's shadow along the top and left of the canvas.
        float inset = std::min(x, y);
        return scaled(c, 1 - 0.4f * smoothstep(10, 0, inset));
    };
    PaintStyle fine = portraitStyle(1905, true);
    fine.coarseBrush = 8;
    fine.fineBrush = 1.2f;
    fine.surface = Surface::canvas;
    fine.vignette = 0.25f;
    Canvas portrait = paintComposition(w, h, finished, [=](float x, float y) { return sitterFlow(x, y, small); }, fine);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            at(canvas, int(left) + x, int(top) + y) = at(portrait, x, y);
    return canvas;
}

// The painter's studio: at dusk with an empty canvas on the easel, seen
// between pale curtains; and at night with the unfinished portrait behind the
// painter's dark silhouette.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"

#include <cmath>

namespace
{
// The easel stands at the centre: two legs, a mast, a ledge and the canvas.
struct Easel
{
    float canvasX, canvasY, canvasHalfW, canvasHalfH;
};

float easelWood(float x, float y, const Easel& e)
{
    float legs = std::min(sdSegment(x, y, {e.canvasX - 20, e.canvasY - e.canvasHalfH - 40}, {e.canvasX - 120, 640}, 5),
                          sdSegment(x, y, {e.canvasX + 20, e.canvasY - e.canvasHalfH - 40}, {e.canvasX + 120, 640}, 5));
    float mast = sdSegment(x, y, {e.canvasX, e.canvasY - e.canvasHalfH - 50}, {e.canvasX, 610}, 5);
    float ledge = sdBox(x, y, e.canvasX, e.canvasY + e.canvasHalfH + 6, e.canvasHalfW + 14, 5);
    return std::min(std::min(legs, mast), ledge);
}

// The studio: the walls, the floor, a window's light from the left.
Colour studioRoom(float x, float y, Colour wall, Colour floor, Colour light, float lightAmount)
{
    float floorLine = 560 + 8 * std::sin(x / 300.f);
    Colour c = y < floorLine ? wall : floor;
    if (y >= floorLine)
        c = mix(c, scaled(floor, 0.7f), smoothstep(floorLine, 720, y) * 0.5f);
    float plaster = fractalNoise(x / 120.f, y / 120.f, 3, 611);
    c = scaled(c, 0.9f + 0.2f * plaster);
    // A slanting beam of window light across the wall and floor.
    float beam = smoothstep(90, 0, std::fabs((x - 220) + (y - 360) * 0.55f)) * smoothstep(720, 200, x);
    return mix(c, light, beam * lightAmount + 0.25f * lightAmount * std::exp(-x / 300.f));
}
}

Canvas paintStudioDusk()
{
    Easel easel{640, 330, 92, 70};
    Composition studio = [=](float x, float y) {
        Colour c = studioRoom(x, y, rgb(78, 88, 110), rgb(92, 70, 54), rgb(214, 178, 132), 0.45f);
        // A table at the right with jars of brushes.
        float table = sdBox(x, y, 905, 520, 95, 6);
        float tableLegs = std::min(sdBox(x, y, 825, 580, 5, 60), sdBox(x, y, 985, 580, 5, 60));
        if (std::min(table, tableLegs) < 0)
            c = rgb(70, 50, 38);
        float jar = sdBox(x, y, 870, 490, 14, 24);
        if (jar < 0)
            c = mix(rgb(120, 136, 140), rgb(170, 180, 176), smoothstep(858, 880, x));
        for (int k = 0; k < 5; ++k)
            if (sdSegment(x, y, {870.f + k * 3 - 6, 470}, {860.f + k * 7, 410.f + k * 4}, 1.5f) < 0)
                c = rgb(110 + k * 12, 80, 50);
        // The easel and its empty canvas catching the last light.
        if (easelWood(x, y, easel) < 0)
            c = mix(rgb(96, 66, 40), rgb(150, 108, 66), smoothstep(easel.canvasX + 5, easel.canvasX - 10, x));
        float canvasEdge = sdBox(x, y, easel.canvasX, easel.canvasY, easel.canvasHalfW, easel.canvasHalfH);
        if (canvasEdge < 0)
        {
            float lit = smoothstep(easel.canvasX + easel.canvasHalfW, easel.canvasX - easel.canvasHalfW, x);
            c = mix(rgb(196, 186, 166), rgb(236, 226, 204), lit);
            c = mix(c, rgb(150, 140, 124), smoothstep(-4, 0, canvasEdge) * 0.7f);
        }
        // A soft shadow of the easel on the floor to the right.
        float shadow = sdSegment(x, y, {easel.canvasX, 620}, {easel.canvasX + 200, 690}, 14);
        if (shadow < 0 && y > 560)
            c = scaled(c, 0.8f);
        return c;
    };
    PaintStyle style;
    style.seed = 701;
    style.coarseBrush = 22;
    style.fineBrush = 2;
    style.passes = 6;
    style.vignette = 0.35f;
    FlowField flow = noisyFlow(-0.6f, 0.25f, 180, 702);
    return paintComposition(screenW, screenH, studio, flow, style);
}

Canvas paintStudioCurtains()
{
    // Sheer curtains gathered at both sides of the view; only the middle
    // half of the picture is ever on screen, so they hang there.
    Composition curtains = [](float x, float y) {
        float leftEdge = 470 + 18 * std::sin(y / 70.f) + 30 * smoothstep(200, 600, y);
        float rightEdge = 810 - 18 * std::sin(y / 80.f + 1) - 30 * smoothstep(200, 600, y);
        float inCurtain = std::max(fill(x - leftEdge, 14), fill(rightEdge - x, 14));
        // Folds: light and shade running down the cloth.
        float folds = 0.5f + 0.5f * std::sin(x / 14.f + 2 * fractalNoise(x / 60.f, y / 200.f, 2, 801));
        Colour cloth = mix(rgb(206, 198, 184), rgb(246, 240, 228), folds);
        float sheer = 0.45f + 0.35f * folds;
        // A pelmet of dark wood across the top of the window.
        float rail = fill(std::fabs(y - 196) - 6, 2) * smoothstep(300, 330, x) * smoothstep(980, 950, x);
        Colour c = cloth;
        c.a = inCurtain * sheer;
        if (rail > 0)
        {
            blendOver(c, rgb(64, 48, 40), rail);
        }
        return c;
    };
    PaintStyle style;
    style.seed = 803;
    style.coarseBrush = 14;
    style.fineBrush = 2;
    style.passes = 5;
    style.surface = Surface::none;
    style.vignette = 0;
    FlowField flow = noisyFlow(1.5708f, 0.06f, 200, 804);
    return paintComposition(screenW, screenH, curtains, flow, style);
}

Canvas paintStudioNight()
{
    Easel easel{840, 330, 110, 140};
    Composition night = [=](float x, float y) {
        Colour c = studioRoom(x, y, rgb(26, 30, 44), rgb(30, 24, 24), rgb(120, 136, 170), 0.25f);
        // Moonlight through a tall window on the far right.
        float window = sdBox(x, y, 1150, 250, 70, 150);
        if (window < 0)
        {
            c = mix(rgb(70, 86, 120), rgb(120, 136, 170), smoothstep(400, 100, y));
            if (std::fabs(x - 1150) < 4 || std::fabs(y - 250) < 4)
                c = rgb(20, 22, 30);
        }
        if (easelWood(x, y, easel) < 0)
            c = rgb(48, 36, 30);
        // The unfinished portrait: a dark canvas, a pale face half painted.
        float canvasEdge = sdBox(x, y, easel.canvasX, easel.canvasY, easel.canvasHalfW, easel.canvasHalfH);
        if (canvasEdge < 0)
        {
            c = rgb(58, 46, 40);
            float head = sdEllipse(x, y, easel.canvasX - 5, easel.canvasY - 40, 38, 50);
            float unfinished = smoothstep(easel.canvasX + 20, easel.canvasX - 30, x + 0.3f * (y - 300));
            if (head < 0)
                c = mix(c, rgb(150, 120, 100), unfinished);
            float shoulders = sdEllipse(x, y, easel.canvasX, easel.canvasY + 110, 90, 60);
            if (shoulders < 0)
                c = mix(c, rgb(90, 30, 30), 0.7f);
            float hair = sdEllipse(x, y, easel.canvasX - 5, easel.canvasY - 60, 46, 44);
            if (hair < 0 && head > -6)
                c = rgb(40, 28, 24);
        }
        return c;
    };
    PaintStyle style;
    style.seed = 901;
    style.coarseBrush = 24;
    style.fineBrush = 2.5f;
    style.passes = 5;
    style.vignette = 0.45f;
    FlowField flow = noisyFlow(-0.8f, 0.3f, 200, 902);
    return paintComposition(screenW, screenH, night, flow, style);
}

Canvas paintPainterShadow()
{
    // The painter from behind, a dark silhouette at the left, brush raised.
    Composition figure = [](float x, float y) {
        float head = sdEllipse(x, y, 420, 300, 62, 74);
        float neck = sdBox(x, y, 425, 385, 30, 30);
        float body = sdEllipse(x, y, 430, 640, 210, 250);
        float arm = sdSegment(x, y, {560, 470}, {700, 380}, 26);
        float forearm = sdSegment(x, y, {700, 380}, {760, 300}, 18);
        float brush = sdSegment(x, y, {760, 300}, {800, 230}, 4);
        float d = smoothUnion(smoothUnion(head, neck, 20), body, 40);
        d = smoothUnion(d, arm, 30);
        d = std::min(smoothUnion(d, forearm, 12), brush);
        float cover = fill(d, 6);
        // The moon catches the rim of the shoulder and hair.
        float rim = fill(std::fabs(d + 5) - 4, 3) * smoothstep(380, 560, x) * 0.5f;
        Colour c = mix(rgb(12, 12, 18), rgb(92, 100, 130), rim);
        c.a = cover * 0.96f;
        return c;
    };
    PaintStyle style;
    style.seed = 903;
    style.coarseBrush = 18;
    style.fineBrush = 3;
    style.passes = 4;
    style.surface = Surface::none;
    style.vignette = 0;
    FlowField flow = noisyFlow(1.2f, 0.3f, 150, 904);
    return paintComposition(screenW, screenH, figure, flow, style);
}

// The painter's studio: at dusk with an empty canvas on the easel, seen
// between pale curtains; and at night with the unfinished portrait behind the
// painter's dark silhouette.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"
#include "paint/sitter.h"

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
    const Sitter unfinished{835, 280, 34, 43};
    Composition night = [=](float x, float y) {
        Colour c = studioRoom(x, y, rgb(26, 30, 44), rgb(30, 24, 24), rgb(120, 136, 170), 0.2f);
        // Moonlight through a tall window on the far right, and its panes
        // laid slanting across the floor.
        float window = sdBox(x, y, 1150, 250, 70, 150);
        if (window < 0)
        {
            c = mix(rgb(70, 86, 120), rgb(132, 146, 178), smoothstep(400, 100, y));
            c = mix(c, rgb(196, 204, 220), std::exp(-length(x - 1180, y - 170) / 30.f));   // the moon
            if (std::fabs(x - 1150) < 4 || std::fabs(y - 250) < 4)
                c = rgb(20, 22, 30);
        }
        float fx = x + (y - 560) * 1.1f, fy = y;
        if (fy > 570 && std::fabs(fx - 1040) < 130 - (fy - 570) * 0.2f)
        {
            bool bar = std::fabs(fx - 1040) < 4 || std::fabs(fy - 640) < 3;
            if (!bar)
                c = mix(c, rgb(80, 92, 124), 0.3f * smoothstep(720, 580, fy) * smoothstep(0, 30, 130 - (fy - 570) * 0.2f - std::fabs(fx - 1040)));
        }
        // A table at the left with jars of brushes and a rag, in the dark.
        float table = std::min(sdBox(x, y, 150, 520, 150, 7), std::min(sdBox(x, y, 40, 600, 6, 80), sdBox(x, y, 260, 600, 6, 80)));
        if (table < 0)
            c = rgb(36, 28, 26);
        for (int k = 0; k < 3; ++k)
        {
            float jar = sdBox(x, y, 90.f + k * 60, 490, 14, 24 - k * 3) - 2;
            if (jar < 0)
                c = mix(rgb(40, 46, 58), rgb(66, 76, 96), smoothstep(80.f + k * 60, 100.f + k * 60, x));
        }
        if (easelWood(x, y, easel) < 0)
            c = mix(rgb(40, 32, 28), rgb(70, 60, 60), smoothstep(easel.canvasX - 10, easel.canvasX + 20, x));
        // The unfinished portrait: a dark canvas, the sitter's contour drawn,
        // her face half painted, the rest still bare ground.
        float canvasEdge = sdBox(x, y, easel.canvasX, easel.canvasY, easel.canvasHalfW, easel.canvasHalfH);
        if (canvasEdge < 0)
        {
            c = mix(rgb(62, 52, 46), rgb(84, 72, 64), smoothstep(easel.canvasX - 110, easel.canvasX + 110, x));
            Colour skin = sitterSkin(x, y, unfinished), hair = sitterHair(x, y, unfinished);
            Colour dress = sitterDress(x, y, unfinished, 80, easel.canvasY + 138);
            float cover = std::max(std::max(skin.a, hair.a), dress.a);
            // Painted where the brush has been: the left of the face and hair.
            float done = smoothstep(easel.canvasX + 12, easel.canvasX - 18, x + 0.4f * (y - 280) +
                                    24 * (fractalNoise(x / 14.f, y / 14.f, 2, 905) - 0.5f));
            Colour painted = c;
            blendOver(painted, dress, 0.5f);
            blendOver(painted, skin, 1);
            blendOver(painted, hair, 1);
            c = mix(c, scaled(painted, 0.75f), done * cover);
            // The contour, drawn in umber.
            c = mix(c, rgb(30, 22, 20), cover * (1 - cover) * 3 * (1 - done));
        }
        // Moonlight along the canvas's right edge.
        c = mix(c, rgb(150, 160, 190), fill(std::fabs(canvasEdge + 2) - 2, 2) * smoothstep(easel.canvasX, easel.canvasX + 110, x) * 0.5f);
        return c;
    };
    PaintStyle style;
    style.seed = 901;
    style.coarseBrush = 24;
    style.fineBrush = 2;
    style.passes = 6;
    style.vignette = 0.45f;
    FlowField flow = noisyFlow(-0.8f, 0.3f, 200, 902);
    return paintComposition(screenW, screenH, night, flow, style);
}

Canvas paintPainterShadow()
{
    // The painter from behind, a dark silhouette at the left: head bowed a
    // little, shoulders, the right arm raised with a brush towards the canvas.
    auto shape = [](float x, float y) {
        float head = sdEllipse(x, y, 400, 330, 50, 60);
        float hair = sdEllipse(x, y, 396, 312, 54, 52) + 5 * (fractalNoise(x / 7.f, y / 7.f, 2, 906) - 0.5f);
        float neck = sdBox(x, y, 404, 400, 26, 30);
        // Shoulders: a broad rounded back going down out of the picture.
        float back = std::min(sdEllipse(x, y, 405, 650, 190, 225), sdBox(x, y, 405, 760, 200, 120));
        float upperArm = sdSegment(x, y, {555, 480}, {680, 520}, 32);
        float forearm = sdSegment(x, y, {680, 520}, {755, 420}, 21);
        float hand = sdEllipse(x, y, 760, 410, 20, 16);
        float brush = std::min(sdSegment(x, y, {760, 405}, {838, 318}, 3.2f), sdSegment(x, y, {838, 318}, {852, 302}, 4.5f));
        float d = smoothUnion(smoothUnion(std::min(head, hair), neck, 16), back, 34);
        d = smoothUnion(d, upperArm, 26);
        d = smoothUnion(d, forearm, 14);
        return std::min(smoothUnion(d, hand, 8), brush);
    };
    Composition figure = [=](float x, float y) {
        float d = shape(x, y);
        float cover = fill(d, 4);
        // The moon, high on the right, catches the rims that face it.
        float facingMoon = clamp01((shape(x + 4, y - 4) - d) / 5.6f);
        float rim = fill(std::fabs(d + 4) - 3, 3) * facingMoon;
        Colour c = mix(rgb(10, 10, 16), rgb(26, 26, 36), fractalNoise(x / 40.f, y / 40.f, 2, 907));
        c = mix(c, rgb(110, 120, 150), rim * 0.45f);
        c.a = cover * 0.97f;
        return c;
    };
    PaintStyle style;
    style.seed = 903;
    style.coarseBrush = 16;
    style.fineBrush = 2.5f;
    style.passes = 4;
    style.surface = Surface::none;
    style.vignette = 0;
    FlowField flow = noisyFlow(1.2f, 0.3f, 150, 904);
    return paintComposition(screenW, screenH, figure, flow, style);
}

// The painter's studio: at dusk with an empty canvas on the easel, seen
// between pale curtains; and at night with the unfinished portrait behind the
// painter's dark silhouette.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/poem_page.h"
#include "paint/shapes.h"
#include "paint/sitter.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
// The easel stands at the centre: two legs, a mast, a ledge and the canvas.
struct Easel
{
    float canvasX, canvasY, canvasHalfW, canvasHalfH;
};

// The legs and the mast without the ledge.
float easelStand(float x, float y, const Easel& e)
{
    float legs = std::min(sdSegment(x, y, {e.canvasX - 20, e.canvasY - e.canvasHalfH - 40}, {e.canvasX - 120, 640}, 5),
                          sdSegment(x, y, {e.canvasX + 20, e.canvasY - e.canvasHalfH - 40}, {e.canvasX + 120, 640}, 5));
    return std::min(legs, sdSegment(x, y, {e.canvasX, e.canvasY - e.canvasHalfH - 50}, {e.canvasX, 610}, 5));
}

float easelWood(float x, float y, const Easel& e)
{
    float ledge = sdBox(x, y, e.canvasX, e.canvasY + e.canvasHalfH + 6, e.canvasHalfW + 14, 5);
    return std::min(easelStand(x, y, e), ledge);
}

// A limb that narrows from one end to the other: the distance to the
// segment from a to b, less a radius that runs from ra at a to rb at b.
float sdTapered(float x, float y, Point a, Point b, float ra, float rb)
{
    float bx = b.x - a.x, by = b.y - a.y, px = x - a.x, py = y - a.y;
    float t = clamp01((px * bx + py * by) / (bx * bx + by * by));
    return length(px - t * bx, py - t * by) - (ra + (rb - ra) * t);
}

// The painter's hair, a ragged mass over the back of his head.
float painterHair(float x, float y)
{
    float mass = sdEllipse(x, y, 398, 300, 37, 39) + 9 * (fractalNoise(x / 7.f, y / 7.f, 2, 906) - 0.5f);
    // The hair ends in a ragged line at the nape, lower on the left where
    // it covers his other ear.
    float nape = 326 + 10 * smoothstep(418, 372, x) + 4 * (fractalNoise(x / 5.f, 3.f, 1, 910) - 0.5f);
    return std::max(mass, y - nape);
}

// The painter's head from behind, turned a little towards the canvas: the
// skull under its hair, and below the hair on the window's side his ear
// and the line of his jaw running down into the neck.
float painterHead(float x, float y)
{
    float skull = sdEllipse(x, y, 399, 306, 32, 37);
    float jaw = sdTapered(x, y, {428, 323}, {417, 347}, 9, 6);
    float ear = sdEllipse(x, y, 433, 318, 5.5f, 10);
    return std::min(smoothUnion(skull, jaw, 7), std::min(painterHair(x, y), ear));
}

// Where the painter's shirt ends at his hip, a little higher over the left
// one, the hip of the leg he stands on.
float painterHem(float x)
{
    return 516 + 0.06f * (x - 400);
}

// The painter at night, seen from behind, as a distance to his outline
// (negative inside): his head; a short neck under half its width that
// spreads into the slopes of his shoulders, some two and a half heads
// across; a shirt over a back that narrows to the waist and ends at the
// hip; his trousers and two legs, nearly half his height, down to his
// heels on the floor, his weight on the left leg, so that the left hip
// stands out and the right knee is eased; the left arm hanging at his
// side, and the right one raised to the canvas, the upper arm falling to
// an elbow that points down and the forearm rising from it to the hand and
// the long brush, whose tip touches the canvas.
float painterShape(float x, float y)
{
    float head = painterHead(x, y);
    float neck = sdTapered(x, y, {403, 338}, {403, 372}, 14, 19);
    // The right shoulder rounds over the deltoid where the raised arm
    // leaves it.
    float deltoid = sdEllipse(x, y, 484, 401, 23, 21);
    float shoulders = std::min(sdSegment(x, y, {402, 373}, {322, 398}, 20),
                               smoothUnion(sdSegment(x, y, {404, 371}, {478, 392}, 20), deltoid, 8));
    // The shirt: broad under the shoulders, in to the waist, out a little
    // over the hips, which lean towards the leg he stands on.
    float centre = 402 - 7 * smoothstep(450, 520, y);
    float halfWidth = 91 - 5 * smoothstep(396, 432, y) - 22 * smoothstep(428, 472, y) + 5 * smoothstep(472, 508, y);
    float shirt = std::max(std::max(std::fabs(x - centre) - halfWidth, 392 - y), y - painterHem(x));
    // The trousers: the seat under the hem, then the legs, the left one
    // straight under him, the right bent a little at the knee with its heel
    // raised, and the heels of his shoes on the boards.
    float seat = sdBox(x, y, 398, 516, 64, 18);
    float leftThigh = sdTapered(x, y, {376, 526}, {381, 606}, 27, 19);
    float leftShin = sdTapered(x, y, {381, 606}, {390, 694}, 18, 11);
    float rightThigh = sdTapered(x, y, {424, 528}, {437, 602}, 26, 18);
    float rightShin = sdTapered(x, y, {439, 602}, {456, 686}, 17, 10);
    float feet = std::min(sdEllipse(x, y, 391, 703, 13, 8), sdEllipse(x, y, 458, 695, 12, 7));
    float legs = std::min(smoothUnion(leftThigh, leftShin, 6), smoothUnion(rightThigh, rightShin, 6));
    legs = smoothUnion(std::min(legs, seat), feet, 5);
    // The hanging hand ends at mid-thigh.
    float leftUpper = sdTapered(x, y, {320, 402}, {307, 468}, 19, 14);
    float leftFore = sdTapered(x, y, {307, 468}, {309, 530}, 14, 10);
    float leftHand = sdEllipse(x, y, 309, 552, 10, 17);
    // The raised arm in two: the upper arm held out from the body, so that
    // the wall shows in a wide gap between the sleeve and the shirt, and
    // the forearm turning up from the point of the elbow.
    float upperArm = sdTapered(x, y, {486, 404}, {556, 488}, 18, 14);
    float forearm = sdTapered(x, y, {558, 488}, {638, 453}, 14, 9);
    float hand = sdEllipse(x, y, 650, 446, 13, 10);
    float brush = std::min(sdSegment(x, y, {656, 441}, {722, 405}, 1.8f), sdSegment(x, y, {722, 405}, {738, 397}, 3.2f));
    // The trapezius slopes from the neck into the shoulders.
    float d = smoothUnion(smoothUnion(head, neck, 5), shoulders, 24);
    d = smoothUnion(d, shirt, 18);
    d = smoothUnion(d, legs, 8);
    d = smoothUnion(d, smoothUnion(smoothUnion(leftUpper, leftFore, 4), leftHand, 4), 10);
    d = smoothUnion(d, upperArm, 12);
    d = std::min(d, smoothUnion(upperArm, forearm, 2.5f));
    return std::min(smoothUnion(d, hand, 5), brush);
}

// The lighter marks inside the silhouette, 0 to 1: a few strands of hair
// curling round his skull and catching the moon.
float painterLights(float x, float y)
{
    float strands = std::min(std::min(sdSegment(x, y, {405, 266}, {423, 275}, 1.3f), sdSegment(x, y, {415, 273}, {429, 291}, 1.3f)),
                             sdSegment(x, y, {422, 286}, {431, 306}, 1.2f));
    return fill(strands, 1.5f) * 0.45f;
}

// How much a point inside the painter faces the moon, high on the right:
// how fast his outline comes nearer towards the upper right, 0 to 1.
float facingTheMoon(float x, float y, float d)
{
    return clamp01((painterShape(x + 6, y - 4) - d) / 7.f);
}

// Three jars of brushes on the table at the left, in the dark corner, as a
// layer of their own (clear where there is nothing): each a round jar
// standing on the table top, shaded from its dark side to a moonlit streak
// on the side towards the window, with a lip round its mouth and the dark
// inside showing, and brushes standing in it, a stem, a metal ferrule that
// catches the light and the tuft at the top. Each throws a small shadow on
// the table at its foot.
const float tableTop = 513;

Colour brushJars(float x, float y)
{
    Colour c = rgb(0, 0, 0, 0);
    for (int k = 0; k < 3; ++k)
    {
        const float cx = 90.f + k * 60, halfW = 14 - k, halfH = 24 - k * 3;
        const float cy = tableTop - halfH, mouth = tableTop - 2 * halfH;
        // The shadow on the table, away from the window.
        float foot = sdEllipse(x, y, cx - 6, tableTop + 2, halfW + 8, 4);
        blendOver(c, rgb(6, 6, 10), fill(foot, 5) * 0.7f * (y > tableTop - 1 ? 1.f : 0.f));
        // The dark inside of the mouth, then the brushes standing in it, then
        // the jar and its lip in front of them.
        float inside = sdEllipse(x, y, cx, mouth, halfW - 1, 2.5f);
        blendOver(c, rgb(10, 10, 14), fill(inside, 1) * (y < mouth + 1 ? 1.f : 0.f));
        for (int b = 0; b < 3 - (k == 1); ++b)
        {
            float lean = (b - 1) * 9.f + (k == 2 ? -6.f : 3.f);
            float tall = 40 + 11 * b - 6 * k;
            Point base{cx - 6 + b * 6, mouth + 8}, tip{cx - 6 + b * 6 + lean, mouth - tall};
            float stem = sdSegment(x, y, base, tip, 1.6f);
            float along = segmentParam(x, y, base, tip);
            Colour wood = mix(rgb(38, 30, 28), rgb(84, 70, 60), clamp01((x - (base.x + (tip.x - base.x) * along)) / 2 + 0.5f));
            if (along > 0.82f)
                wood = mix(rgb(76, 84, 104), rgb(118, 128, 154), clamp01((x - (base.x + (tip.x - base.x) * along)) / 2 + 0.5f));
            blendOver(c, wood, fill(stem, 1.2f));
            Point tuftEnd{tip.x + lean * 0.12f, tip.y - 9};
            blendOver(c, rgb(24, 20, 22), fill(sdSegment(x, y, tip, tuftEnd, 2.4f - 1.2f * segmentParam(x, y, tip, tuftEnd)), 1.2f));
        }
        float body = sdBox(x, y, cx, cy, halfW - 3, halfH - 3) - 3;
        if (body < 1.5f)
        {
            // Round: dark on the side away from the window, a soft lit band
            // and a narrow bright streak near the edge towards it.
            float across = (x - cx) / halfW;
            Colour jar = mix(rgb(20, 22, 32), rgb(50, 58, 78), smoothstep(-0.9f, 0.6f, across));
            jar = mix(jar, rgb(104, 116, 144), fill(std::fabs(across - 0.62f) - 0.08f, 0.12f) * 0.75f);
            // Darker at the foot where it meets its own shadow.
            jar = scaled(jar, 1 - 0.35f * smoothstep(tableTop - 8, tableTop, y));
            blendOver(c, jar, fill(body, 1.5f));
        }
        // The lip: a rolled band a little wider than the jar, lit along its
        // top edge.
        float lip = sdBox(x, y, cx, mouth + 2.5f, halfW + 1.5f, 2.5f) - 0.5f;
        if (lip < 1.5f)
        {
            Colour band = mix(rgb(34, 40, 54), rgb(92, 102, 128), smoothstep(cx - halfW, cx + halfW * 0.7f, x));
            band = mix(band, rgb(124, 134, 160), smoothstep(mouth + 2, mouth, y) * 0.6f);
            blendOver(c, band, fill(lip, 1.2f));
        }
    }
    return c;
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
    const float floorLine = 560;
    // Her red shawl thrown over the chair's top rail. It rounds over the
    // rail, and its folds fan out from where it rests there, narrow at the
    // rail and broader, each of its own width, towards the hem; its end
    // slides off the rail past the left post and hangs lowest there. The
    // right end of the rail and its post stay bare.
    const float post = 462;
    auto shawlTop = [=](float x) {
        return 415 - 4 * std::cos((std::max(x, post) - 492) / 40) + 1.4f * std::max(0.f, post - 4 - x);
    };
    auto foldPhase = [](float x, float y) {
        // The folds radiate from where the cloth is gathered on the rail,
        // so they lean out into the hanging end on the left; each wanders a
        // little as it falls.
        float angle = std::atan2(x - 494, std::max(4.f, y - 382));
        return angle * 40 + 5 * fractalNoise(angle * 4 + 7, (y - 400) / 80, 2, 717) + 0.9f * std::sin((y - 420) / 26 + angle * 5);
    };
    // The hem: lowest at the hanging end, a little lower under each ridge,
    // and frayed.
    auto shawlHem = [=](float x) {
        return 476 + 32 * smoothstep(474, 438, x) + 7 * smoothstep(480, 514, x) + 5 * (0.5f + 0.5f * std::cos(foldPhase(x, 480))) +
               3 * (fractalNoise(x / 14.f, 3.f, 2, 713) - 0.5f);
    };
    auto shawlAt = [=](float x, float y) {
        float near = sdBox(x, y, 475, 462, 58, 58);
        if (near > 6)
            return near;
        float leftEdge = 436 - 8 * smoothstep(430, 505, y) + 2 * std::sin(y / 8.f);
        float rightEdge = 506 + 8 * smoothstep(420, 470, y) + 1.5f * std::sin(y / 11.f + 1);
        // Over the rail each ridge stands a little proud of the hollows.
        float top = shawlTop(x) - 1.5f * (0.5f + 0.5f * std::cos(foldPhase(x, 418)));
        return std::max(std::max(top - y, y - shawlHem(x)), std::max(leftEdge - x, x - rightEdge));
    };
    // The chair's back, for the shadow it throws on the wall with the shawl.
    auto chairBack = [](float x, float y) {
        float uprights = std::min(sdBox(x, y, 462, 478, 3.5f, 58), sdBox(x, y, 522, 478, 3.5f, 58));
        return std::min(uprights, sdBox(x, y, 492, 424 - 4 * std::cos((x - 492) / 40), 34, 6));
    };
    Composition studio = [=](float x, float y) {
        // The back wall, the floor boards running towards us, and a tall
        // window on the left where the sky is going from rose to blue.
        Colour c = y < floorLine ? mix(rgb(70, 80, 104), rgb(88, 92, 112), fractalNoise(x / 120.f, y / 120.f, 3, 611))
                                 : mix(rgb(96, 72, 54), rgb(58, 44, 36), smoothstep(floorLine, 720, y));
        if (y >= floorLine)
        {
            // Boards converge on a point above the easel.
            float board = std::fmod(std::fabs((x - 640) / (y - 420) * 140) + 1000, 40.f);
            c = mix(c, scaled(c, 0.7f), fill(std::fabs(board - 20) - 18.5f, 1.2f));
        }
        c = mix(c, rgb(46, 40, 46), smoothstep(floorLine - 10, floorLine, y) * smoothstep(floorLine + 6, floorLine, y));
        float window = sdBox(x, y, 330, 300, 70, 130);
        if (window < 0)
        {
            Colour sky = mix(rgb(74, 88, 128), rgb(214, 160, 128), smoothstep(170, 430, y));
            sky = mix(sky, rgb(244, 206, 150), std::exp(-length(x - 300, y - 420) / 60.f) * 0.6f);
            c = (std::fabs(x - 330) < 3 || std::fabs(y - 290) < 3) ? rgb(44, 38, 42) : sky;
        }
        else if (window < 10)
            c = mix(rgb(110, 104, 112), rgb(54, 50, 58), smoothstep(320, 340, x));
        // The window's warm light falls across the floor towards the easel
        // and brightens the wall around it.
        float beamX = x - 330 - (y - 430) * 1.25f;
        float beam = smoothstep(80, 20, std::fabs(beamX - 60)) * smoothstep(floorLine - 10, floorLine + 30, y);
        c = mix(c, rgb(220, 170, 120), beam * 0.4f + 0.25f * std::exp(-length(x - 330, y - 300) / 220.f));
        // The low sun from a tall window out of the picture on the left
        // lays the window's image across the back wall round the easel, a
        // large plain shape that still reads when the view blurs it. The
        // wall round the image sinks into dusk, and the canvas with its
        // ledge, the mast and the legs throw their shadows into it, long,
        // down and to the right, soft-edged and well darker than the light.
        const float sunSlope = 0.45f;
        float slant = x + (y - 330) * 0.45f;
        // The image's sides stand upright like the window's; its top falls
        // to the right along the sun's slope.
        float fall = y - sunSlope * (x - 640);
        float image = smoothstep(400, 440, x) * smoothstep(950, 910, x) * smoothstep(140, 170, fall);
        // Two upright bars and a transom part it into lights, their shadows
        // some 25 pixels wide.
        float bars = std::max(std::max(fill(std::fabs(x - 488) - 13, 10), fill(std::fabs(x - 872) - 13, 10)),
                              fill(std::fabs(fall - 206) - 13, 10));
        float patch = image * (1 - 0.88f * bars) * (y < floorLine ? 1.f : 0.f);
        // The shaft is hottest along its middle and cools towards its far
        // edge, orange at the core and rose at its fringes.
        float core = std::exp(-std::pow((slant - 560) / 150.f, 2));
        Colour sun = mix(rgb(232, 124, 92), rgb(255, 162, 74), core);
        // The shadow is the wall without the sun: the board's outline
        // pushed a long way to the right and down along the sun's slope,
        // and sheared further the lower it falls. It is deepest right beside
        // the canvas and pales away from it, and its edge softens the
        // further it lies from the board, so that it reads as a shadow in
        // the light, not a dark doorway. The canvas and the ledge it stands
        // on throw one shape with soft round corners, the ledge's ends no
        // wider than the canvas, so that no step or notch shows under it;
        // below it only the mast and the legs throw their thin shadows.
        const float shadowX = 100, shadowY = shadowX * sunSlope;
        float sx = x - shadowX - (y - easel.canvasY) * 0.3f, sy = y - shadowY;
        float board = sdBox(sx, sy, easel.canvasX, easel.canvasY + 5, easel.canvasHalfW - 30, easel.canvasHalfH - 24) - 30;
        float away = std::max(0.f, x - (easel.canvasX + easel.canvasHalfW));
        float depth = 0.2f + 0.8f * std::exp(-away / 40.f);
        float castShadow = std::max(fill(board, 8 + away * 0.12f), fill(easelStand(sx, sy, easel), 6 + away * 0.15f) * 0.7f) * depth;
        // The chair with the shawl on it stands out from the wall: the sun
        // lays their shadow on it to the right, softer than the easel's.
        castShadow = std::max(castShadow, 0.6f * fill(std::min(shawlAt(x - 34, y - 16), chairBack(x - 34, y - 16)), 10));
        float around = std::exp(-length(x - 620, (y - 330) * 1.4f) / 420.f);
        if (y < floorLine)
        {
            // Away from the shaft the wall sinks into a cool blue dusk.
            c = scaled(c, 0.6f - 0.26f * around * (1 - patch));
            c = mix(c, rgb(36, 42, 70), (1 - patch) * 0.34f);
            float sunlit = patch * (1 - 0.95f * castShadow);
            // The sun comes in low: the shaft is faint high on the wall.
            c = mix(c, sun, sunlit * 0.5f * (0.55f + 0.45f * smoothstep(150, 310, y)));
            // In the shadow the wall keeps its colour, only a deeper tone of
            // it, cooled to a dusk violet by the sky and warmed a little by
            // the sunlit wall round it.
            c = mix(c, scaled(mix(c, rgb(104, 68, 120), 0.45f), 0.75f), castShadow * patch * 0.8f);
        }
        // Canvases leaning against the wall on the right, their backs to us.
        for (int k = 0; k < 3; ++k)
        {
            float lx = 910 + k * 26, top = 380 + k * 22;
            float lean = (y - floorLine) * -0.12f;
            float board = sdBox(x + lean, y, lx, (top + floorLine) / 2, 62 - k * 6, (floorLine - top) / 2);
            if (board < 0)
            {
                c = mix(rgb(150, 130, 100), rgb(116, 98, 78), smoothstep(lx - 60, lx + 60, x));
                float bars = std::min(std::fabs(board + 6) - 3, std::fabs(x + lean - lx) - 3);
                c = mix(c, rgb(92, 70, 50), fill(bars, 1.5f));
            }
        }
        // An empty chair in the shadow on the left, facing us, her red shawl
        // left over its back.
        float seatTop = std::max(std::max(532 - y, y - 548), std::fabs(x - 492) - 42 - (y - 532) * 0.5f);
        float legs = std::min(std::min(sdBox(x, y, 447, 576, 3.5f, 28), sdBox(x, y, 538, 576, 3.5f, 28)),
                              std::min(sdBox(x, y, 462, 564, 3, 20), sdBox(x, y, 522, 564, 3, 20)));
        if (std::min(chairBack(x, y), std::min(seatTop, legs)) < 0)
            c = mix(rgb(58, 42, 34), rgb(104, 74, 52), smoothstep(530, 450, x) * (seatTop < 0 ? 1.2f : 1.f));
        // The shawl's folds: a hollow deep and dark, a ridge red, lit on
        // its side towards the window; the cloth bright where it rounds over
        // the rail and shaded just under it where it turns down, in shade on
        // the side away from the sun, and curling under into shadow at the
        // hem. One deep fold runs from the rail down into the hanging end.
        float cover = fill(shawlAt(x, y), 2.5f);
        if (cover > 0)
        {
            float phase = foldPhase(x, y);
            // Some folds are deep, some only a ripple.
            float depth = 1 - (0.45f + 0.55f * valueNoise(phase / 6.2832f, 0.5f, 718)) * (0.5f - 0.5f * std::cos(phase));
            float facing = 0.5f + 0.5f * std::cos(phase + 0.9f);
            float sunSide = smoothstep(520, 446, x);
            Colour cloth = mix(rgb(48, 8, 18), rgb(152, 32, 40), std::sqrt(depth));
            cloth = mix(cloth, rgb(228, 96, 76), facing * facing * facing * sunSide * 0.75f);
            Point from{470, 422}, to{444, 500};
            float valley = fill(sdSegment(x, y, from, to, 2.5f), 6) * smoothstep(0, 0.4f, segmentParam(x, y, from, to));
            cloth = mix(cloth, rgb(52, 8, 18), valley * 0.7f);
            float top = shawlTop(x);
            cloth = mix(cloth, rgb(216, 86, 70), smoothstep(top + 9, top + 1, y) * (0.25f + 0.4f * sunSide) * (x > post - 6 ? 1.f : 0.4f));
            cloth = scaled(cloth, 1 - 0.3f * smoothstep(top + 7, top + 12, y) * smoothstep(top + 20, top + 12, y));
            cloth = scaled(cloth, 1 - 0.4f * smoothstep(480, 516, x));
            float hem = shawlHem(x);
            cloth = scaled(cloth, 1 - 0.35f * smoothstep(hem - 8, hem, y));
            c = mix(c, cloth, cover);
        }
        // A stool by the easel with the palette, and a jar of brushes.
        float stool = std::min(sdBox(x, y, 790, 520, 36, 5), std::min(sdSegment(x, y, {765, 524}, {755, 600}, 3), sdSegment(x, y, {815, 524}, {825, 600}, 3)));
        if (stool < 0)
            c = rgb(76, 54, 40);
        float palette = sdEllipse(x, y, 780, 510, 30, 7);
        if (palette < 0)
        {
            c = rgb(168, 130, 90);
            const Colour dabs[] = {rgb(214, 170, 80), rgb(236, 230, 214), rgb(150, 30, 34), rgb(64, 82, 124)};
            for (int k = 0; k < 4; ++k)
                if (sdCircle(x, y, 762.f + k * 12, 509, 3) < 0)
                    c = dabs[k];
        }
        float jar = sdBox(x, y, 808, 500, 9, 14) - 2;
        if (jar < 0)
            c = mix(rgb(110, 126, 132), rgb(170, 180, 176), smoothstep(800, 814, x));
        for (int k = 0; k < 5; ++k)
            if (sdSegment(x, y, {804.f + k * 2, 488}, {796.f + k * 5, 452.f + k * 3}, 1.2f) < 0)
                c = rgb(110 + k * 14, 80, 50);
        // The easel and its empty canvas catching the last light.
        if (easelWood(x, y, easel) < 0)
            c = mix(rgb(86, 60, 38), rgb(150, 108, 66), smoothstep(easel.canvasX + 5, easel.canvasX - 10, x));
        float canvasEdge = sdBox(x, y, easel.canvasX, easel.canvasY, easel.canvasHalfW, easel.canvasHalfH);
        if (canvasEdge < 0)
        {
            // Primed linen with a faint charcoal line where a head will be
            // drawn. The low sun lays its light across it as a slanting
            // shape: hottest and palest on the side towards the window,
            // falling off to orange-rose, and beyond its soft edge the
            // canvas lies in the room's cool violet shade.
            float slantOn = x + (y - easel.canvasY) * 0.6f;
            float inSun = std::pow(smoothstep(easel.canvasX + 84, easel.canvasX - 26, slantOn), 0.7f);
            float hot = smoothstep(easel.canvasX + 40, easel.canvasX - easel.canvasHalfW, slantOn);
            Colour lit = mix(rgb(240, 176, 148), rgb(255, 232, 192), hot);
            c = mix(rgb(126, 114, 148), lit, inSun);
            // The raking light picks out the weave of the linen.
            c = scaled(c, 1 - 0.05f * inSun * fractalNoise(x / 2.f, y / 7.f, 2, 715));
            c = mix(c, rgb(150, 140, 124), smoothstep(-4, 0, canvasEdge) * 0.7f);
            float oval = std::fabs(sdEllipse(x, y, easel.canvasX - 4, easel.canvasY - 10, 22, 28)) - 0.6f;
            c = mix(c, rgb(120, 112, 104), fill(oval, 1.2f) * 0.35f * smoothstep(easel.canvasY + 20, easel.canvasY - 30, y));
        }
        // The easel's soft shadow on the floor, away from the window.
        float shadow = sdSegment(x, y, {easel.canvasX, 610}, {easel.canvasX + 240, 700}, 18);
        if (y > floorLine)
            c = scaled(c, 1 - 0.25f * fill(shadow, 20));
        return c;
    };
    return paintComposition(screenW, screenH, studio, noisyFlow(-0.6f, 0.25f, 180, 702),
                            brushStyle(701, 22, 1.6f, 6, 0.35f));
}

Canvas paintStudioCurtains()
{
    // Sheer curtains gathered at both sides of the view; only the middle
    // half of the picture is ever on screen, so they hang there.
    const PoemPool pool = poolRound(secondPoemInk);
    const float tieY = 470;
    // Each curtain's inner edge at the height y: it hangs straight from above
    // the view, is drawn in by a band of cloth at the tie-back, and flares
    // out again below it.
    auto curtainEdges = [=](float y) {
        float pull = std::exp(-std::pow((y - tieY) / 160.f, 2)) * 45 - 20 * smoothstep(tieY, 720, y);
        return std::pair<float, float>{470 + 14 * std::sin(y / 60.f) - pull, 810 - 14 * std::sin(y / 70.f + 1) + pull};
    };
    Composition curtains = [=](float x, float y) {
        auto [leftEdge, rightEdge] = curtainEdges(y);
        float inCurtain = std::max(fill(x - leftEdge, 10), fill(rightEdge - x, 10));
        // Folds of uneven width, gathered closer near the tie-back.
        float gather = 1 + 0.6f * std::exp(-std::pow((y - tieY) / 90.f, 2));
        float fromEdge = x < 640 ? leftEdge - x : x - rightEdge;
        float phase = fromEdge / 17.f * gather + 4 * fractalNoise(x / 90.f, y / 260.f, 2, 801);
        float folds = 0.5f + 0.5f * std::sin(phase);
        folds = folds * folds * (3 - 2 * folds);
        // The second poem shows this layer doubled about the centre, over
        // the paper's pool of lamplight: the cloth takes the same light,
        // warm as the paper so that it lies on it without glare, and hangs
        // in shadow beyond it, darkest at the frame's sides.
        float poemX = 640 + 2 * (x - 640), poemY = 360 + 2 * (y - 360);
        float shade = poolFalloff(pool, poemX, poemY, secondPoolSeed);
        shade = std::max(shade, awayFromLines(poemX, poemY, secondPoemInk, 16, 130, 160));
        Colour lit = mix(rgb(244, 236, 220), rgb(236, 232, 224), smoothstep(300, 980, x));
        Colour cloth = mix(scaled(lit, 0.95f), lit, folds);
        Colour dark = mix(rgb(14, 12, 15), rgb(30, 25, 28), folds);
        cloth = mix(cloth, dark, shade);
        float warm = 4 * shade * (1 - shade);
        cloth.r *= 1 + 0.07f * warm, cloth.b *= 1 - 0.12f * warm;
        float sheer = 0.5f + 0.35f * folds;
        // The right curtain hangs over the long lines' ends: where the lamp
        // reaches it, it thins to a veil, so that it neither glares over the
        // paper nor hides it.
        if (x > 640)
            sheer *= 0.25f + 0.75f * shade;
        Colour c = cloth;
        c.a = inCurtain * sheer;
        return c;
    };
    Canvas canvas = paintComposition(screenW, screenH, curtains, noisyFlow(1.5708f, 0.06f, 200, 804),
                                     brushStyle(803, 14, 2, 5, 0, Surface::none));

    // The tie-backs, laid on once the cloth is painted so that no stroke
    // drags them into a smear: each a band of the curtain's own cloth
    // wrapped round its gathered folds, a shade deeper than they are,
    // lighter along its top where it rounds over them, and casting a little
    // shadow under it where the folds are pinched. Its edges are soft and
    // its ends dip a little as it wraps round the bundle. On the cloth the
    // second poem's lamp lights it is lost, so that it lays no bar across
    // the poem's paper under its last line; on the dark cloth in the shadow
    // it shows as a deeper band, never a bright one.
    auto [leftAtTie, rightAtTie] = curtainEdges(tieY);
    for (float cx : {leftAtTie - 42, rightAtTie + 42})
        for (int y = int(tieY) - 20; y < int(tieY) + 28; ++y)
            for (int x = int(cx) - 46; x < int(cx) + 46; ++x)
            {
                float px = x + 0.5f, py = y + 0.5f, t = (px - cx) / 36;
                float middle = tieY + 3 * t * t;
                float band = fill(sdEllipse(px, py, cx, middle, 36, 9), 6);
                float under = fill(std::fabs(py - middle - 12) - 4, 5) * smoothstep(40, 28, std::fabs(px - cx));
                float round = clamp01(0.5f + (middle - py) / 18.f);
                Colour& c = at(canvas, x, y);
                float depth = 0.3f - 0.3f * smoothstep(0.12f, 0.4f, 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b);
                float crease = 0.5f + 0.5f * std::sin((px + 0.6f * py) / 19.f);
                float tone = 1 - depth * (0.35f * under + band * (1 - 1.5f * round * round + 0.15f * crease));
                c = scaled(c, tone);
                // Wrapped tight, the cloth is denser there than the sheer
                // folds round it.
                c.a += (std::min(1.f, c.a * 1.15f + 0.05f) - c.a) * band * depth / 0.3f;
            }
    return canvas;
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
        // The wall round the window takes a little of the moonlight.
        c = mix(c, rgb(70, 80, 110), std::exp(-std::max(window, 0.f) / 60.f) * 0.35f);
        if (window < 0)
        {
            // Night sky: deep at the top, paler low down, thin clouds across
            // the moon and its halo.
            c = mix(rgb(40, 52, 86), rgb(112, 126, 160), smoothstep(110, 400, y));
            float moon = length(x - 1180, y - 170);
            c = mix(c, rgb(150, 160, 190), std::exp(-moon / 45.f) * 0.7f);
            c = mix(c, rgb(226, 230, 236), fill(moon - 14, 2));
            float cloud = fractalNoise(x / 60.f, y / 14.f, 3, 908);
            c = mix(c, rgb(84, 92, 118), smoothstep(0.55f, 0.75f, cloud) * 0.6f);
            // Mullions and the frame's inner edge, dark against the sky.
            if (std::fabs(x - 1150) < 4 || std::fabs(y - 250) < 4 || window > -5)
                c = rgb(18, 20, 28);
        }
        // The sill catches the light.
        if (sdBox(x, y, 1150, 404, 80, 4) < 0)
            c = rgb(86, 94, 120);
        // The window laid on the floor as a slanting patch of moonlight with
        // soft edges, crossed by the shadows of its bars.
        float fx = x + (y - 560) * 1.1f;
        float pane = smoothstep(880, 910, fx) * smoothstep(1220, 1190, fx) * smoothstep(568, 598, y) * smoothstep(724, 694, y);
        float bars = clamp01(1 - 0.75f * (fill(std::fabs(fx - 1050) - 3, 4) + fill(std::fabs(y - 642) - 2, 4)));
        c = mix(c, rgb(100, 112, 146), 0.42f * pane * bars);
        // The moonlight the floor and the canvas throw back lifts the wall a
        // little behind the painter, so that his head and shoulders stand
        // against it as a dark mass even when the view blurs him.
        float behindHim = std::exp(-std::pow(length((x - 400) / 190.f, (y - 340) / 170.f), 2));
        c = mix(c, rgb(70, 80, 112), behindHim * smoothstep(640, 520, x) * 0.55f);
        // Closest round his head and shoulders, and under his raised arm,
        // the light is strongest, so their shapes outlast the blur longest.
        float roundHead = std::exp(-std::pow(length((x - 410) / 120.f, (y - 360) / 110.f), 2));
        c = mix(c, rgb(84, 96, 130), roundHead * 0.35f);
        // The canvas's shadow, cast away from the moon: faint and soft on the
        // wall down to its left, dark across the moonlit floor, where it
        // slants as the panes of light do.
        float onWall = sdBox(x + 22, y - 26, easel.canvasX, easel.canvasY, easel.canvasHalfW, easel.canvasHalfH);
        c = scaled(c, 1 - 0.1f * fill(onWall, 26) * smoothstep(566, 556, y));
        float onFloor = sdBox(x + (y - 560) * 1.1f, y, easel.canvasX + 10, 650, easel.canvasHalfW - 10, 42);
        c = scaled(c, 1 - 0.45f * fill(onFloor, 24) * smoothstep(556, 576, y));
        // A table at the left with jars of brushes and a rag, in the dark.
        float table = std::min(sdBox(x, y, 150, 520, 150, 7), std::min(sdBox(x, y, 40, 600, 6, 80), sdBox(x, y, 260, 600, 6, 80)));
        if (table < 0)
            c = rgb(36, 28, 26);
        // The easel, its mast and legs edged on the side towards the moon,
        // so that they stand out from the wall above and below the canvas.
        if (easelWood(x, y, easel) < 0)
        {
            c = mix(rgb(40, 32, 28), rgb(70, 60, 60), smoothstep(easel.canvasX - 10, easel.canvasX + 20, x));
            if (easelWood(x + 3, y - 2, easel) > -0.5f)
                c = mix(c, rgb(100, 108, 136), 0.45f);
        }
        return c;
    };
    Canvas room = paintComposition(screenW, screenH, night, noisyFlow(-0.8f, 0.3f, 200, 902), brushStyle(901, 24, 2, 6, 0.45f));

    // The jars of brushes, painted small with a fine brush and laid on the
    // table, so that their lips and stems stay drawn.
    {
        const int jarsLeft = 56, jarsTop = 400, jarsW = 200, jarsH = 126;
        Composition jars = [=](float x, float y) { return brushJars(x + jarsLeft, y + jarsTop); };
        Canvas painted = paintComposition(jarsW, jarsH, jars, [](float, float) { return 1.5708f; },
                                          brushStyle(909, 6, 1.2f, 4, 0, Surface::none));
        for (int y = 0; y < jarsH; ++y)
            for (int x = 0; x < jarsW; ++x)
            {
                const Colour& paint = at(painted, x, y);
                blendOver(at(room, jarsLeft + x, jarsTop + y), paint, 1);
            }
    }

    // The unfinished portrait, painted on its own canvas with a finer brush
    // and set on the easel, so its paint stops at the canvas's edge: the
    // bare ground with her first drawing faint on it, her head and hair
    // finished and the left of the picture painted, room and all; dim in the
    // moonlight, which stays the brightest light in the room.
    const int w = int(easel.canvasHalfW * 2), h = int(easel.canvasHalfH * 2);
    const float left = easel.canvasX - easel.canvasHalfW, top = easel.canvasY - easel.canvasHalfH;
    const Sitter onCanvas{unfinished.x - left, unfinished.y - top, unfinished.rx, unfinished.ry};
    const float shoulders = 56, bottom = easel.canvasY + 110 - top;
    auto doneAt = [=](float x, float y) {
        float leftSide = smoothstep(onCanvas.x + 12, onCanvas.x - 18, x + 0.4f * (y - onCanvas.y) +
                                    24 * (fractalNoise((x + left) / 14.f, (y + top) / 14.f, 2, 905) - 0.5f));
        return std::max(leftSide, std::max(sitterSkin(x, y, onCanvas).a, sitterHair(x, y, onCanvas).a));
    };
    Composition portrait = [=](float x, float y) {
        // The bare canvas takes the moonlight from the window's side.
        Colour c = mix(rgb(70, 68, 68), rgb(96, 96, 102), std::pow(smoothstep(0, float(w), x), 1.4f));
        // The first drawing, thin and light under the paint still to come.
        blendOver(c, scaled(sitterUnderdrawing(x, y, onCanvas, shoulders, bottom), 0.7f), 0.3f);
        Colour painted = sitterBackground(x, y, onCanvas);
        blendOver(painted, sitterSkin(x, y, onCanvas), 1);
        blendOver(painted, sitterHair(x, y, onCanvas), 1);
        blendOver(painted, sitterDress(x, y, onCanvas, shoulders, bottom), 1);
        return mix(c, scaled(painted, 0.52f), doneAt(x, y));
    };
    // Where the brush has been the strokes follow her form; on the bare
    // ground the first drawing's lines are laid in straight strokes.
    FlowField flow = [=](float x, float y) {
        return doneAt(x, y) > 0.5f ? sitterFlow(x, y, onCanvas) : 1.5708f;
    };
    // As small as the portrait in the frame and as finely painted, so that
    // her eyes stay open and her face oval.
    PaintStyle fine = brushStyle(906, 8, 1.2f, 5, 0);
    fine.detailThreshold = 0.03f;
    Canvas painted = paintComposition(w, h, portrait, flow, fine);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            at(room, int(left) + x, int(top) + y) = at(painted, x, y);
    // Laid after the brushwork so that they stay clean: the moonlight along
    // the canvas's right edge, and beyond it the stretcher's side, turned
    // from us and darker than the face of the canvas, narrowing a little
    // towards the top.
    const float right = easel.canvasX + easel.canvasHalfW;
    for (int y = int(top); y < int(top) + h; ++y)
    {
        float along = (y + 0.5f - top) / float(h);
        at(room, int(right) - 1, y) = mix(at(room, int(right) - 1, y), rgb(150, 160, 190), 0.3f);
        float sideWidth = 5 + 2 * along;
        Colour side = mix(rgb(82, 86, 108), rgb(66, 70, 92), along);
        for (int x = int(right); x < int(right + sideWidth) + 1; ++x)
        {
            Colour& c = at(room, x, y);
            c = mix(c, side, clamp01(right + sideWidth - x));
        }
    }
    return room;
}

Canvas paintPainterShadow()
{
    // The painter from behind, a figure in shadow at the left in his shirt
    // and trousers, his right arm raised to the canvas with the brush.
    Composition figure = [=](float x, float y) {
        float d = painterShape(x, y);
        float cover = fill(d, 4);
        // Dark and matt, so that he stands dark against the wall; the moon,
        // high on the right, lays only a soft cool side along the head, the
        // back, the shoulder and the arm that face it, kept narrow so that
        // as the view blurs him his back and shoulders keep their dark width.
        float facingMoon = facingTheMoon(x, y, d);
        // Down his legs, below the window's height, it is fainter still.
        float belowTheSill = 1 - 0.6f * smoothstep(560, 640, y);
        float side = smoothstep(-16, -3, d) * smoothstep(0.3f, 0.9f, facingMoon) * belowTheSill;
        // The trousers are darker than the shirt, and the shirt's hem at
        // his hip a soft change between them, not a line.
        float trousers = smoothstep(painterHem(x) - 3, painterHem(x) + 5, y);
        Colour cloth = mix(rgb(9, 9, 14), rgb(15, 15, 22), fractalNoise(x / 40.f, y / 40.f, 2, 907));
        Colour c = mix(cloth, scaled(cloth, 0.62f), trousers);
        // Across the shoulders and the top of his back the shirt takes a
        // little of the light the wall throws back, so that blurred he stays
        // a figure with a back and shoulders, not a dark post.
        float shoulders = std::exp(-std::pow(length((x - 404) / 80.f, (y - 418) / 34.f), 2)) * smoothstep(372, 392, y);
        c = mix(c, rgb(34, 36, 48), shoulders * 0.75f);
        c = mix(c, rgb(46, 53, 74), side * 0.5f);
        // His ear, jaw and neck are skin, warmer than his clothes and in his
        // own shadow, only their edge on the window's side touched by the moon.
        float hair = painterHair(x, y);
        float skin = fill(-hair, 2) * smoothstep(392, 372, y) * smoothstep(328, 336, y + 10 * fill(-(x - 418), 6));
        Colour flesh = mix(rgb(28, 22, 24), rgb(62, 56, 64), smoothstep(0.45f, 0.95f, facingMoon) * smoothstep(-9, -2, d));
        c = mix(c, flesh, skin * fill(d + 1, 2));
        // The hair is a mass of its own, lighter round its edge where the
        // moon comes through it, most of all on the window's side.
        float hairEdge = smoothstep(-14, -3, hair) * smoothstep(6, -2, hair) * (0.4f + 0.6f * smoothstep(360, 430, x)) * smoothstep(340, 300, y);
        c = mix(c, rgb(66, 74, 100), hairEdge * 0.55f);
        c = mix(c, rgb(60, 66, 92), painterLights(x, y) * smoothstep(-2, -8, d));
        // A soft shadow on the boards round his heels, so that he stands on
        // the floor rather than over it.
        float underFeet = std::min(sdEllipse(x, y, 392, 710, 26, 5), sdEllipse(x, y, 460, 702, 20, 4));
        c.a = std::max(cover, fill(underFeet, 6) * 0.45f);
        return c;
    };
    Canvas painted = paintComposition(screenW, screenH, figure, noisyFlow(1.2f, 0.3f, 150, 904),
                                      brushStyle(903, 16, 2.5f, 4, 0, Surface::none));
    // The moon's edge, laid last with a fine brush so the strokes do not
    // smear it: a soft cool line just inside his outline on the window's
    // side, from the hair down the back and along the arm, matt rather than
    // a shine.
    for (int y = 240; y < screenH; ++y)
        for (int x = 260; x < 760; ++x)
        {
            float px = x + 0.5f, py = y + 0.5f;
            float d = painterShape(px, py);
            if (d > 1 || d < -7)
                continue;
            // Only where nothing of him stands between the edge and the
            // moon: not on the inner side of the hanging arm or of a leg.
            float open = smoothstep(-4, 4, painterShape(px + 30, py - 20));
            // Fainter down his legs, below the window's height.
            float rim = fill(std::fabs(d + 2.6f) - 1.6f, 1.6f) * smoothstep(0.35f, 0.8f, facingTheMoon(px, py, d)) * open *
                        (1 - 0.7f * smoothstep(560, 640, py));
            Colour& c = at(painted, x, y);
            if (rim > 0 && c.a > 0.5f)
                c = mix(c, rgb(96, 106, 134, c.a), rim * 0.3f);
        }
    return painted;
}

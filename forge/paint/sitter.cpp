// The sitter of the portrait. Everything is laid out in head units (u across,
// v down, -1 to 1 over the head oval) so that she keeps her features at any
// size; feathers are turned back into pixels so edges stay soft, not blurred.
#include "paint/sitter.h"
#include "paint/noise.h"
#include "paint/shapes.h"

#include <algorithm>
#include <cmath>

namespace
{
// The face: a skull oval narrower than the head's box, holding its width
// down past the mouth, and under it the jaw: the end of an egg, which
// narrows in one soft curve from under the cheekbones to a small round
// chin, with no corners on the way.
const float skullWidth = 0.86f;
const float jawTop = 0.25f, chinV = 1.f;   // where the jaw begins to turn in, and the chin's lowest point
const float jawWidth = 0.92f;               // the egg's half width at its top, a little wider than the skull
const float chinNarrowing = 0.6f;           // how much narrower the egg is at its end than at its top
const float cheekToJaw = 0.15f;             // how softly the cheek turns into the jaw

// The skull's half width at the height v: an egg, fuller in the lower
// cheeks than an ellipse, so that the face holds its width to the mouth;
// below that the jaw alone gives the outline.
float skullHalf(float v) { return skullWidth * (1 + 0.1f * smoothstep(0.1f, 0.7f, v)); }
float skullDistance(float u, float v) { return length(u / skullHalf(v), std::min(v, 0.3f)) - 1; }

// The jaw's egg: how far down it is (0 at its top, 1 at the chin) and its
// half width there. Its end is blunter than an ellipse's, so that the
// chin is a small round, not a point.
float jawDown(float v) { return clamp01((v - jawTop) / (chinV - jawTop)); }
float jawHalf(float t) { return jawWidth * (1 - chinNarrowing * t); }
float jawRound(float t)
{
    float t4 = t * t * t * t;
    return t4 * t4;
}
float jawOutline(float t) { return jawHalf(t) * std::sqrt(std::max(0.f, 1 - jawRound(t))); }
float jawDistance(float au, float v)
{
    float t = std::max(0.f, (v - jawTop) / (chinV - jawTop));
    float a = au / jawHalf(std::min(t, 1.f));
    return (std::sqrt(a * a + jawRound(t)) - 1) * skullWidth * 0.8f;
}

// Half the face's width at the height v, for shading: the front of the
// face turns to its sides a little inside the skull's outline, where the
// hair falls over it.
float faceHalfWidth(float v)
{
    float top = std::min(v, 0.3f), t = jawDown(v);
    float skull = skullHalf(v) * std::sqrt(std::max(0.f, 1 - top * top));
    float jaw = jawOutline(t);
    return std::max(0.02f, std::min(std::min(skull, jaw), 0.78f));
}

// How far down the jaw's underside reaches at au, in head units: where the
// egg's half width comes down to au, found by halving.
float jawBottom(float au)
{
    float lo = 0, hi = 1;
    for (int i = 0; i < 14; ++i)
    {
        float t = 0.5f * (lo + hi);
        (jawOutline(t) > au ? lo : hi) = t;
    }
    return jawTop + 0.5f * (lo + hi) * (chinV - jawTop);
}

// Distance to the head's outline in head units, negative inside.
float headDistance(float u, float v)
{
    return -smoothUnion(-skullDistance(u, v), -jawDistance(std::fabs(u), v), cheekToJaw);
}

// The dress's top line over the shoulders, which slope from the neck to
// their points (shoulder, in head units) and round off into the arms.
float shoulderTop(float au, float shoulder)
{
    return 1.18f + 0.1f * smoothstep(0.3f, 0.7f, au) + 0.22f * smoothstep(0.5f, shoulder, au) +
           1.4f * std::pow(std::max(0.f, au - shoulder * 0.82f), 2);
}

// The dress's scooped neckline, a little off centre where it has slipped.
float necklineDistance(float u, float v)
{
    return length((u - 0.02f) / 0.78f, (v - 1.16f) / 0.4f) - 1;
}

// The neck, rising from under the jaw and widening a little at its base,
// and the bare chest inside the neckline. It reaches a little wider than
// the hair's opening shows, so that the hair overlaps its edges.
const float neckHalf = 0.4f;

// The hands folded at her waist, in head widths: the wrists, and for
// each hand the back from its wrist to the knuckles and the fingers from
// there, given as if running from the picture's left towards its right.
// The near hand, on the candle's side, lies over the far one, flatter, so
// that the far one's fingertips show below it beside its own.
const float wristU = 0.78f, wristV = 4.62f;
const float nearWristDrop = 0.1f;   // the near wrist a little lower, in head widths
const Point nearBack{0.8f, 0.26f}, nearFingers{0.34f, 0.58f};
const Point farBack{0.8f, 0.44f}, farFingers{0.3f, 0.5f};

float neckDistance(float u, float v)
{
    float neck = std::max(std::max(std::fabs(u) - neckHalf - 0.1f * smoothstep(1.0f, 1.3f, v), 0.45f - v), v - 1.5f);
    float chest = std::max(necklineDistance(u, v) - 0.06f, shoulderTop(std::fabs(u - 0.03f), 1.6f) - 0.03f - v);
    return std::min(neck, chest);
}

// The one light is the candle's, on her left (the picture's right), a little
// above her eyes and well in front, so that the face turns softly through a
// terminator into a shadow side a step darker, not into the dark. Light and
// shade are laid out across her in lu, which runs from the lit side (lu < 0)
// to the shadow side; the light's own x is towards negative lu.
const float lightSide = 1;   // the candle stands on the picture's right
const float lightX = -0.5f, lightY = -0.17f, lightZ = 0.74f;

float towardsShade(float u) { return -lightSide * u; }

float lightOn(float nx, float ny)
{
    float nz = std::sqrt(std::max(0.f, 1 - nx * nx - ny * ny));
    return lightX * nx + lightY * ny + lightZ * nz;
}

// How much a point of a rounded mass (nx, ny) faces the light, 0 to 1,
// softened for the hair, which scatters it.
float facing(float nx, float ny)
{
    return clamp01(0.2f + 0.8f * lightOn(nx, ny));
}

// Skin by how squarely it faces the light (-1 to 1): a flat shadow side,
// a short half-tone at the terminator, the light rising to its peak.
Colour skinTone(float lit)
{
    Colour shade = rgb(92, 58, 54), turn = rgb(150, 100, 84), middle = rgb(196, 140, 112), light = rgb(236, 194, 160),
           peak = rgb(250, 218, 188);
    if (lit < -0.04f)
        return mix(shade, rgb(104, 66, 60), smoothstep(-0.6f, -0.04f, lit));
    if (lit < 0.3f)
        return mix(mix(rgb(104, 66, 60), turn, smoothstep(-0.04f, 0.1f, lit)), middle, smoothstep(0.1f, 0.3f, lit));
    if (lit < 0.75f)
        return mix(middle, light, smoothstep(0.3f, 0.75f, lit));
    return mix(light, peak, smoothstep(0.75f, 0.95f, lit));
}

// A soft round blob, 1 at its centre.
float blob(float u, float v, float cu, float cv, float ru, float rv)
{
    float du = (u - cu) / ru, dv = (v - cv) / rv;
    return std::exp(-(du * du + dv * dv));
}

// One eye, centred at (eu, ev): the upper lid over the top of the iris, its
// shadow on the eyeball, the white, iris, pupil and a catchlight, laid over
// the skin colour c; dim darkens all but the catchlight on the shadow side.
// px is one pixel in head units across, k the head's height over its width
// (so that the iris is round in pixels).
Colour eye(Colour c, float u, float v, float eu, float ev, float px, float k, float dim)
{
    float a = (u - eu) / 0.19f;
    float open = std::max(0.f, 1 - a * a);
    // The eye's axis rises a little to its outer corner. Small, the eye is
    // opened a touch wider than it would be, so that it still reads as open
    // (at least five pixels between the lids).
    float inward = eu < 0 ? a : -a, outward = -inward;
    float axis = ev - 0.012f * outward;
    const float lidUp = 0.08f, lidDown = 0.05f;
    float wide = std::max(1.f, 5.2f * px / k / (lidUp + lidDown));
    // The lids: the upper one arched highest a little towards the nose and
    // over the top of the iris, the lower one shallower.
    float upper = axis - lidUp * wide * std::pow(open, 0.6f) * (1 + 0.1f * inward);
    float lower = axis + lidDown * wide * std::pow(open, 0.8f);
    // The upper lid itself, a band of skin over the eyeball that catches a
    // little light, and its crease above it, where the socket's shade begins.
    float crease = upper - 0.04f * open;
    float lid = std::min(fill(crease - v, px * 1.5f), fill(v - upper, px)) * open;
    c = mix(c, scaled(rgb(204, 152, 126), dim), lid * 0.4f);
    float fold = fill(std::fabs(v - crease) - 0.006f, px * 2) * open;
    c = mix(c, scaled(rgb(118, 76, 66), dim), fold * 0.7f);
    float inside = std::min(fill(upper - v, px * 1.2f), fill(v - lower, px * 1.2f)) * (std::fabs(a) < 1 ? 1.f : 0.f);
    if (inside > 0)
    {
        // The white, never pure, in the upper lid's shadow at the top and
        // greyer in the corners.
        Colour white = mix(rgb(132, 108, 98), rgb(206, 188, 172), smoothstep(upper, upper + 0.05f, v));
        white = mix(white, rgb(150, 122, 112), smoothstep(0.5f, 1.f, std::fabs(a)) * 0.6f);
        // The iris, a fifth of it under the upper lid, its foot touching the
        // lower: no white shows above or below it, and she does not stare.
        float iu = eu, iv = ev - 0.032f * wide;
        float ir = length(u - iu, (v - iv) * k);
        Colour iris = mix(rgb(46, 30, 24), rgb(108, 76, 50), smoothstep(iv - 0.03f, iv + 0.05f, v));
        iris = mix(iris, rgb(30, 20, 16), smoothstep(0.067f, 0.1f, ir));   // the dark rim
        white = mix(white, iris, fill(ir - 0.1f * std::min(wide, 1.1f), px * 1.2f));
        white = mix(white, rgb(12, 8, 8), fill(ir - 0.036f, px));
        // The lid's shadow falls across the top of the iris too, down to
        // about the middle of the opening, so that the lid sits over the
        // eye and she does not stare.
        float opening = std::max(lower - upper, px);
        white = scaled(white, dim * (1 - 0.6f * smoothstep(upper + 0.55f * opening, upper, v)));
        float catchlight = length(u - (iu - 0.03f), (v - (iv - 0.022f)) * k);
        white = mix(white, rgb(248, 244, 234), fill(catchlight - 0.016f, px) * (dim > 0.9f ? 1.f : 0.6f));
        c = mix(c, white, inside);
    }
    // The lash line along the upper lid, a little heavier at the outer
    // corner, ending there.
    float lash = fill(std::fabs(v - upper + 0.004f) - 0.008f - 0.004f * smoothstep(0, 1, outward), px * 1.2f) *
                 smoothstep(1.02f, 0.88f, std::fabs(a));
    c = mix(c, rgb(34, 22, 18), lash * 0.92f);
    float lowerLine = fill(std::fabs(v - lower) - 0.005f, px * 1.5f) * open;
    c = mix(c, rgb(128, 84, 72), lowerLine * 0.45f);
    return c;
}

// A brow arching over the eye at eu, thinning towards its tail.
float brow(float u, float v, float eu, float px)
{
    float a = (u - eu) / 0.25f;
    if (std::fabs(a) > 1.1f)
        return 0;
    float outward = eu > 0 ? a : -a;
    float line = -0.19f - 0.055f * (1 - a * a) + 0.03f * outward;
    float thickness = 0.032f * (1 - 0.55f * smoothstep(-0.6f, 1.f, outward));
    return fill(std::fabs(v - line) - thickness, px * 2) * smoothstep(1.1f, 0.8f, std::fabs(a));
}

// The nose's half width at the height v: narrow at the bridge, widening to
// the wings at its foot.
float noseHalf(float v)
{
    return 0.03f + 0.1f * smoothstep(0.05f, 0.36f, v);
}
}

Colour sitterSkin(float x, float y, const Sitter& s)
{
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float px = 1 / s.rx, k = s.ry / s.rx;
    float head = headDistance(u, v), neck = neckDistance(u, v);
    float ears = length((std::fabs(u) - 0.83f) / 0.12f, (v - 0.08f) / 0.19f) - 1;
    float cover = std::max(std::max(fill(head, px * 2.5f), fill(neck, px * 2.5f)), fill(ears * 0.12f, px * 2));
    if (cover <= 0)
        return rgb(196, 146, 116, 0);
    // The outline above is her drawing, the same whichever side the light
    // comes from; the light below is laid out from the candle's side.
    const float lu = towardsShade(u);

    // The form in planes: a broad front that turns sharply at the sides,
    // the forehead leaning back, the cheeks turning down under the
    // cheekbones, the chin and the jaw's underside facing the floor.
    float across = clamp01(std::fabs(u) / faceHalfWidth(v));
    float nx = (lu < 0 ? -1.f : 1.f) * std::pow(across, 1.7f) * 0.96f;
    float ny = -0.45f * smoothstep(-0.15f, -0.8f, v) + 0.22f * smoothstep(0.2f, 0.5f, v) * smoothstep(0.3f, 0.7f, across) +
               0.55f * smoothstep(-0.28f, 0.f, v - jawBottom(std::fabs(u)));
    float tilt = length(nx, ny);
    if (tilt > 0.98f)
        nx *= 0.98f / tilt, ny *= 0.98f / tilt;
    float lit = lightOn(nx, ny);
    // The candle stands well to the side, so the face does not merely shade
    // off round its edge: the lit front rounds over in a short half-tone,
    // then turns through a soft but definite terminator into a shadow plane
    // a step darker, which holds its value out to the contour, lifted a
    // little there by the warm room's reflected light. The line runs down
    // the far temple, in a little over the cheek and out again round the
    // chin, which faces the light; a small lit patch stays on the far cheek
    // under the eye, between the nose's shadow and the cheek's.
    float acrossSigned = lu / faceHalfWidth(v);
    float terminator = 0.53f + 0.07f * smoothstep(-0.1f, -0.6f, v) - 0.04f * smoothstep(0.2f, 0.5f, v) + 0.22f * smoothstep(0.55f, 0.95f, v);
    float soft = std::max(0.06f, 2 * px / faceHalfWidth(v));
    float turning = smoothstep(terminator - 0.2f, terminator, acrossSigned);
    lit = mix(lit, std::min(lit, 0.45f), turning);
    float patch = blob(lu, v, 0.36f, 0.19f, 0.09f, 0.07f);
    float plane = smoothstep(terminator - soft, terminator + soft, acrossSigned) * (1 - 0.75f * patch);
    // The shadow is deepest just past the terminator, where the form has
    // turned away and the room's light has not yet come round to it.
    Colour shadowSide = mix(rgb(164, 110, 90), rgb(178, 122, 98), smoothstep(terminator + soft, terminator + soft + 0.16f, acrossSigned));
    shadowSide = mix(shadowSide, rgb(190, 132, 106), smoothstep(0.72f, 0.95f, acrossSigned));
    float farSide = smoothstep(-0.1f, 0.6f, lu);
    if (head > 0)
    {
        // The neck a cylinder, the chest a slope facing a little upward;
        // the jaw throws its shadow down the neck, longest on the far side.
        float nxNeck = std::max(-1.f, std::min(1.f, lu / (neckHalf + 0.5f * std::max(0.f, v - 1.1f)))) * 0.9f;
        lit = lightOn(nxNeck, v > 1.15f ? -0.3f : 0.05f);
        float below = v - jawBottom(std::fabs(u));
        lit = mix(lit, -0.3f, smoothstep(0.3f + 0.25f * lu, 0.1f + 0.25f * lu, below));
        // The neck sits back under the face, a step below the lit cheek.
        lit = lit * 0.75f - 0.12f;
    }
    Colour c = skinTone(lit);
    c = mix(c, shadowSide, plane * fill(head, px * 2.5f));
    // The lit contour turns away just before it meets the hair: a narrow
    // step down, so the face's edge is not a cut-out against the dark.
    float rim = smoothstep(-0.08f - 4 * px, -0.08f, std::min(head, neck)) * (1 - farSide);
    c = scaled(c, 1 - 0.12f * rim);
    // The flame warms the near cheek most, where it faces the candle.
    c = mix(c, rgb(255, 190, 128), blob(lu, v, -0.5f, 0.15f, 0.3f, 0.24f) * 0.35f * (head < 0 ? 1.f : 0.f));

    if (head < 0.05f)
    {
        // The brow's ridge shades both sockets: the near one in a half-tone,
        // the far one, which the light hardly reaches, in shadow; the lit
        // cheekbone and the forehead catch the light.
        c = mix(c, rgb(128, 84, 72), blob(lu, v, -0.34f, -0.09f, 0.24f, 0.11f) * 0.34f);
        c = mix(c, rgb(106, 68, 60), blob(lu, v, 0.34f, -0.08f, 0.27f, 0.12f) * 0.52f);
        // The socket sinks in under the brow, deepest beside the bridge of
        // the nose where the brow overhangs most; on the near side the light
        // reaches in, so the bridge is no pale strip between two dark pits.
        c = mix(c, rgb(104, 66, 58), blob(lu, v, -0.2f, -0.12f, 0.08f, 0.07f) * 0.15f + blob(lu, v, 0.19f, -0.11f, 0.09f, 0.08f) * 0.55f);
        c = mix(c, rgb(226, 136, 116), blob(lu, v, -0.46f, 0.28f, 0.2f, 0.12f) * 0.2f);
        c = mix(c, rgb(252, 224, 196), blob(lu, v, -0.3f, -0.5f, 0.28f, 0.14f) * 0.3f);
        c = mix(c, rgb(252, 224, 196), blob(lu, v, -0.52f, 0.1f, 0.14f, 0.07f) * 0.35f);

        // The eyes and brows, the far eye in the shadow of the brow.
        c = eye(c, lu, v, -0.36f, -0.04f, px, k, 1);
        c = eye(c, lu, v, 0.36f, -0.04f, px, k, 0.8f);
        c = mix(c, rgb(64, 40, 30), std::max(brow(lu, v, -0.36f, px), brow(lu, v, 0.36f, px)) * 0.85f);

        // The nose stands out of the face: its lit side and ridge, the side
        // turned from the light in shade, its shadow cast down across the far
        // cheek (leaving a small lit patch under the far eye), the ball of the
        // tip, the wings and nostrils, and the underside in shade.
        float half = noseHalf(v);
        float along = smoothstep(-0.14f, 0.02f, v) * smoothstep(0.42f, 0.33f, v);
        // The light catches the ridge only where it stands out: on the
        // bridge between the eyes and at the tip, not all the way down.
        float ridge = fill(std::fabs(lu + 0.015f) - 0.016f, px * 2.5f) * along *
                      std::max(std::exp(-std::pow((v - 0.02f) / 0.06f, 2)), std::exp(-std::pow((v - 0.27f) / 0.05f, 2)));
        c = mix(c, rgb(250, 220, 192), ridge * 0.35f);
        // Between them the ridge is in a half-tone, a step below the cheek.
        c = mix(c, rgb(164, 112, 92), fill(std::fabs(lu + 0.01f) - 0.03f, px * 3) * smoothstep(0.06f, 0.12f, v) * smoothstep(0.24f, 0.18f, v) * 0.55f);
        // The side turned from the light is a plane in shadow from just past
        // the ridge, and the nose casts its shadow on down and away from the
        // candle: narrow beside the bridge, widening over the wing onto the
        // cheek and the upper lip, its edge soft but clear.
        float side = smoothstep(0.01f, 0.05f, lu) * smoothstep(half + 0.03f, half - 0.02f, lu) * along;
        c = mix(c, rgb(124, 80, 70), side * (0.55f + 0.25f * smoothstep(0.f, 0.2f, v)));
        float castWidth = 0.04f + 0.14f * smoothstep(0.05f, 0.38f, v);
        float cast = smoothstep(half + castWidth + 0.03f, half + castWidth - 0.03f, lu) * smoothstep(half - 0.04f, half, lu) *
                     smoothstep(-0.05f, 0.1f, v) * smoothstep(0.5f, 0.42f, v);
        c = mix(c, rgb(126, 82, 70), cast * 0.55f);
        c = mix(c, rgb(112, 72, 62), blob(lu, v, 0.17f, 0.41f, 0.09f, 0.045f) * 0.5f);
        c = mix(c, rgb(244, 206, 176), blob(lu, v, -0.03f, 0.3f, 0.07f, 0.045f) * 0.7f);
        c = mix(c, rgb(255, 236, 214), blob(lu, v, -0.045f, 0.285f, 0.022f, 0.016f) * 0.6f);
        c = mix(c, rgb(126, 82, 70), blob(lu, v, 0.1f, 0.34f, 0.05f, 0.04f) * 0.55f);
        c = mix(c, rgb(150, 100, 84), fill(std::fabs(length(lu + 0.1f, (v - 0.34f) * 1.6f) - 0.05f) - 0.006f, px * 2) *
                                          smoothstep(0.3f, 0.36f, v) * 0.5f);
        float nostrils = std::min(length((lu + 0.06f) / 0.036f, (v - 0.378f) / 0.016f), length((lu - 0.07f) / 0.036f, (v - 0.378f) / 0.016f)) - 1;
        c = mix(c, rgb(72, 40, 36), fill(nostrils * 0.02f, px * 1.5f) * 0.85f);
        // The nose's underside, turned from the light: a dark band at its foot.
        c = mix(c, rgb(100, 62, 54), fill(std::fabs(v - 0.4f) - 0.018f, px * 1.5f) * smoothstep(0.17f, 0.09f, std::fabs(lu - 0.01f)) * 0.7f);
        // The nose's shadow cast down on the lip and towards the far cheek.
        c = mix(c, rgb(112, 72, 62), blob(lu, v, 0.09f, 0.445f, 0.12f, 0.045f) * 0.55f);
        c = mix(c, rgb(150, 100, 86), blob(lu, v, 0.02f, 0.47f, 0.04f, 0.035f) * 0.35f);   // the groove above the lip

        // The mouth: a dark parting line with a faint smile, the upper lip in
        // shade, the fuller lower lip catching the light, the shadow beneath.
        float m = lu / 0.26f;
        if (std::fabs(m) < 1.15f)
        {
            float taper = smoothstep(1.15f, 0.6f, std::fabs(m));
            float parting = 0.56f - 0.02f * m * m;
            float bow = 0.5f + 0.02f * std::fabs(std::sin(m * 3.1416f));
            float upperLip = std::min(fill(bow + 0.012f * m * m - v, px * 1.5f), fill(v - parting, px)) * taper;
            c = mix(c, scaled(rgb(132, 46, 52), 1 - 0.35f * farSide), upperLip * 0.95f);
            float lowerLip = std::min(fill(parting - v, px), fill(v - parting - 0.075f * (1 - 0.7f * m * m), px * 2)) * taper;
            Colour lipLit = mix(rgb(176, 66, 66), rgb(222, 128, 114), blob(lu, v, -0.08f, parting + 0.03f, 0.12f, 0.03f));
            c = mix(c, scaled(lipLit, 1 - 0.35f * farSide), lowerLip * 0.95f);
            c = mix(c, rgb(70, 28, 30), fill(std::fabs(v - parting) - 0.008f, px * 1.3f) * smoothstep(1.1f, 0.8f, std::fabs(m)));
        }
        // Shadow under the lower lip, the lit ball of the chin.
        c = mix(c, rgb(118, 76, 64), blob(lu, v, 0.06f, 0.675f, 0.16f, 0.04f) * 0.7f);
        c = mix(c, rgb(240, 202, 170), blob(lu, v, -0.08f, 0.83f, 0.13f, 0.06f) * 0.35f);

        // The hair shades the temples and the cheeks where it falls close,
        // less where the candle reaches in under it.
        float temples = blob(u, v, -0.78f, -0.3f, 0.2f, 0.4f) * 0.6f + blob(u, v, 0.74f, -0.15f, 0.26f, 0.55f);
        c = mix(c, rgb(92, 58, 52), clamp01(temples) * (0.2f + 0.2f * farSide));
    }
    else if (v > 1.2f)
    {
        // The pit of the throat and the collarbones, lightly.
        c = mix(c, rgb(130, 88, 76), blob(lu, v, 0.02f, 1.42f, 0.12f, 0.06f) * 0.5f);
        c = mix(c, rgb(236, 196, 164), (blob(lu, v, -0.5f, 1.5f, 0.32f, 0.04f) + blob(lu, v, 0.5f, 1.5f, 0.3f, 0.04f) * 0.4f) * 0.35f);
    }
    c.a = cover;
    return c;
}

namespace
{
// The hair is combed from a parting on her right: across the crown the
// strands run sideways and down round the head, below its middle they
// fall straight. Where a point lies in that combing, in head units:
// across is which strand (the same all along one), along how far down it.
struct Combing
{
    float across, along;
    float side;   // -1 left of the parting, 1 right of it
};

const float partingU = -0.22f, turnV = -0.15f;

Combing combingAt(float u, float v)
{
    float side = u < partingU ? -1.f : 1.f;
    float reach = side < 0 ? 0.98f : 1.38f;   // parting to the crown's edge
    // The falls wave more the further down they hang.
    float wave = 0.07f * std::sin((v - turnV) * 4.6f + side * 1.3f) * smoothstep(turnV, turnV + 0.6f, v);
    float du = std::fabs(u + wave * side - partingU) / reach;
    if (v < turnV)
    {
        float dv = (v - turnV) / (turnV + 1.2f);
        return {length(du, dv), std::atan2(dv, du) + 1.5708f, side};
    }
    return {du, 1.5708f + (v - turnV), side};
}
}

Colour sitterHair(float x, float y, const Sitter& s)
{
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float px = 1 / s.rx;
    Combing comb = combingAt(u, v);
    // Locks: bands across the combing, each its own width and length.
    float lockPos = comb.across * 9 + 0.6f * (valueNoise(comb.along * 2, comb.side * 5, 1613) - 0.5f);
    float lockIndex = std::floor(lockPos), inLock = lockPos - lockIndex;
    uint32_t lockSeed = uint32_t(int(lockIndex) + 50) * 2 + (comb.side < 0 ? 0 : 1);
    // The mass: round over the crown, falling in locks past the shoulders,
    // each lock ending in a rounded tip of its own, not a point: pointed
    // ends read as a saw's teeth where the dress fades in over them.
    float crown = length(u / 1.16f, (v + 0.12f) / 1.04f) - 1;
    float fallWidth = 1.12f + 0.2f * smoothstep(0.1f, 1.4f, v) + 0.07f * std::sin((v - turnV) * 4.6f + (u > 0 ? 1.3f : -1.3f)) +
                      0.05f * (fractalNoise(u * 2, v * 4, 2, 1612) - 0.5f);
    float fromMiddle = std::fabs(inLock - 0.5f) * 2;
    float lockEnd = 1.6f + 0.24f * hashUnit(lockSeed, 1614) - 0.1f * (1 - std::sqrt(std::max(0.f, 1 - fromMiddle * fromMiddle)));
    float fall = std::max(std::fabs(u) - fallWidth, std::max(-0.3f - v, v - lockEnd));
    float mass = smoothUnion(crown, fall, 0.15f);
    // The face shows through an oval under the hairline, the neck below it.
    // The hairline arches up to the parting and the hair falls away from it
    // either side, so that even small the forehead reads as parted hair, not
    // a fringe cut straight across; it sweeps low over her left temple.
    float fromParting = u - partingU;
    float hairline = -0.72f + 0.28f * fromParting * fromParting + 0.02f * std::fabs(fromParting) +
                     0.3f * smoothstep(-0.1f, 0.9f, u) * smoothstep(-0.75f, -0.2f, v);
    // Both openings lie a little inside the skin's own edges, so the hair
    // overlaps the jaw and the neck and no ground shows between them.
    float sides = length(u / (u > 0 ? 0.76f : 0.82f), (v - 0.2f) / 0.92f) - 1;
    float opening = std::max(std::max(headDistance(u, v) + 0.05f, sides), hairline - v);
    float neck = std::max(std::fabs(u) - (neckHalf - 0.05f) - 1.3f * std::max(0.f, v - 1.25f), 0.45f - v);
    float hole = std::min(opening, neck);
    float cover = std::min(fill(mass, px * 3), fill(-hole, px * 2.5f));
    // Towards its tip a lock thins to a few strands and falls into shade.
    float tip = smoothstep(lockEnd - 0.28f, lockEnd, v) * smoothstep(0.6f, 1.2f, v);
    cover *= 1 - 0.55f * tip;
    if (cover <= 0)
        return rgb(60, 36, 26, 0);

    // Light on the whole mass as on a larger head, darkest behind the neck.
    float lu = towardsShade(u);
    float lit = facing(clamp01(std::fabs(u / 1.25f)) * (lu < 0 ? -1 : 1), clamp01(std::fabs((v + 0.3f) / 1.5f)) * (v < -0.3f ? -1 : 1));
    float behind = smoothstep(0.4f, 0.8f, v) * smoothstep(1.3f, 0.7f, std::fabs(u));
    lit *= 1 - 0.8f * behind;
    // Each lock is round: full in its middle, dark in the gaps between
    // locks; single strands run along it.
    float round = std::sqrt(std::max(0.f, std::sin(inLock * 3.1416f)));
    float strands = 0.5f + 0.5f * std::sin(comb.across * 190 + 5 * valueNoise(comb.across * 30, comb.along * 2, 1611));
    float shade = (0.3f + 0.7f * round) * (0.78f + 0.4f * strands) * (0.8f + 0.4f * hashUnit(lockSeed, 1615));
    Colour c = mix(rgb(30, 18, 14), rgb(120, 70, 40), lit);
    c = scaled(c, shade);
    // Highlights run across the strands where each lock turns to the light,
    // broken from one lock to the next.
    float shift = 0.25f * (hashUnit(lockSeed, 1616) - 0.5f);
    float crownBand = v < turnV ? fill(std::fabs(comb.along - (comb.side < 0 ? 0.75f : 0.55f) - shift) - 0.12f, 0.16f) : 0.f;
    float fallBand = v >= turnV ? smoothstep(0.55f, 0.95f, std::sin((v - turnV) * 4.6f + comb.side * 1.3f + 1.2f + shift * 4)) : 0.f;
    float sheen = std::max(crownBand, fallBand * 0.8f) * round * (0.6f + 0.4f * strands) * smoothstep(0.15f, 0.6f, lit);
    c = mix(c, rgb(222, 172, 116), sheen * 0.9f);
    // The candle warms the locks on its own side.
    c = mix(c, rgb(206, 120, 60), smoothstep(0.3f, 1.1f, -lu) * (0.4f + 0.6f * round) * 0.3f);
    // At its outline the mass turns away from the light: a step darker all
    // round the crown, so its soft edge never lies as a light fringe against
    // the room.
    c = scaled(c, 1 - 0.4f * smoothstep(-0.14f, -0.02f, mass));
    // The parting: a fine line of scalp where the locks divide, never
    // thinner than a pixel, so that a small copy of her keeps it.
    float partingLine = fill(std::fabs(u - partingU) - std::max(0.012f, px * 0.5f), px * 1.5f) * smoothstep(-0.5f, -0.75f, v);
    c = mix(c, rgb(150, 104, 84), partingLine * 0.6f);
    // Shade where the hair meets the face, so the face sits inside it.
    c = mix(c, rgb(22, 14, 10), smoothstep(0.12f, 0.0f, -hole) * 0.4f);
    c = scaled(c, 1 - 0.35f * tip);
    c.a = cover;
    return c;
}

Colour sitterDress(float x, float y, const Sitter& s, float halfWidth, float bottom)
{
    float px = 1 / s.rx;
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float shoulder = halfWidth / s.rx;   // the shoulder points, in head units
    float au = std::fabs(u - 0.03f);
    // Shoulders slope from the neck and round off into the arms, which
    // widen a little going down, and more where her elbows sit.
    float top = shoulderTop(au, shoulder);
    float arm = shoulder * 1.04f + 0.25f * smoothstep(1.4f, 3.f, v) + 0.2f * smoothstep(3.f, 5.5f, v);
    float body = std::max(top - v, au - arm) * s.ry;
    float neckline = necklineDistance(u, v);
    float cover = std::min(fill(body, 2.5f), fill(-neckline * 0.4f, px * 2.5f));
    // Towards the bottom the painter lets the bust fade softly into the
    // room, in a curve that rises towards the arms, as a vignette; the
    // strokes only waver its edge a little.
    float streak = fractalNoise((x * 0.8f + y * 0.6f) / 9.f, (y * 0.8f - x * 0.6f) / 40.f, 2, 1712);
    float rise = 0.6f * s.ry * std::pow(clamp01(au / (shoulder * 1.3f)), 2);
    float loosen = smoothstep(bottom - 0.6f * s.ry, bottom + 0.5f * s.ry, y + rise + s.ry * 0.2f * (streak - 0.5f));
    cover *= 1 - loosen;
    if (cover <= 0)
        return rgb(110, 24, 28, 0);
    // Velvet: lit over the shoulder towards the candle, falling away into
    // deep shade, with folds running down from the shoulders and gathering
    // at the neckline, each fold lit on its left and shaded on its right.
    float lu = towardsShade(u);
    float lit = clamp01(0.55f - 0.75f * lu / shoulder - 0.3f * std::min(v - 1.4f, 0.9f));
    Colour c = lit > 0.5f ? mix(rgb(136, 28, 32), rgb(200, 56, 50), (lit - 0.5f) * 2) : mix(rgb(48, 9, 15), rgb(136, 28, 32), lit * 2);
    float foldPhase = u * 7 / (1 + 0.25f * std::max(0.f, v - 1.3f)) + 2.2f * fractalNoise(u * 1.5f, v * 1.2f, 2, 1711);
    float fold = std::sin(foldPhase), foldSlope = std::cos(foldPhase);
    c = scaled(c, 0.85f + 0.2f * fold - 0.12f * foldSlope * smoothstep(1.3f, 2.f, v));
    c = mix(c, rgb(220, 96, 84), smoothstep(0.85f, 1.f, fold) * lit * 0.35f);
    // Her neck's shadow on the dress below the neckline, the hair's on the
    // shoulders, and a thin ochre trim along the neckline.
    c = mix(c, rgb(34, 6, 10), blob(lu, v, 0.25f, 1.62f, 0.45f, 0.12f) * 0.45f);
    c = mix(c, rgb(36, 6, 10), smoothstep(0.7f, 1.1f, au) * smoothstep(1.7f, 1.25f, v) * 0.45f);
    c = mix(c, scaled(rgb(204, 158, 88), 0.6f + 0.5f * lit), fill(std::fabs(neckline) * 0.4f - 0.025f, px * 2) * 0.8f);
    // Her arms, in pixels from her middle: the upper arms hang at her sides,
    // parted from the body by a crease of shade that opens a little where
    // the dress takes in her waist under the bust; the sleeve towards the
    // candle is lit down its outer side.
    float ax = (u - 0.03f) * s.rx, ay = v * s.ry, aax = std::fabs(ax);
    float outer = arm * s.rx, armWidth = 0.7f * s.rx;
    float waist = blob(0, v, 0, 3.2f, 1, 0.7f);
    float inner = outer - armWidth - 0.08f * s.rx * waist;
    float upper = smoothstep(1.7f, 2.3f, v) * smoothstep(4.1f, 3.6f, v);
    float across = clamp01((aax - inner) / (outer - inner));
    bool litArm = ax * lightSide > 0;
    if (aax > inner)
    {
        // Round like a sleeve over a limb: the edge by her body turns away
        // into the crease; the outer edge does too on the far arm, while the
        // near one's outer side faces the candle and keeps its light.
        float round = litArm ? smoothstep(0.f, 0.5f, across) : std::sin(3.1416f * across);
        float sheen = litArm ? smoothstep(0.35f, 0.85f, across) : 0.f;
        c = scaled(c, mix(1.f, 0.6f + 0.45f * round, upper));
        c = mix(c, rgb(206, 66, 56), sheen * upper * 0.55f);
        // The far sleeve takes a little warm light back from the wall down
        // its middle, so that even in shade it rounds away from her body.
        if (!litArm)
            c = mix(c, rgb(132, 34, 36), round * upper * 0.4f);
    }
    // The crease between arm and body: a dark core where the sleeve meets
    // the bodice, and the bodice turning away into it beside it, wide
    // enough to hold under the broad strokes of the dress.
    float creaseWidth = 0.1f * s.rx + 0.12f * s.rx * waist;
    float creaseAt = aax - inner + 0.02f * s.rx;
    float crease = std::exp(-std::pow(creaseAt / creaseWidth, 2));
    float turning = std::exp(-std::pow(std::min(0.f, creaseAt) / (2.5f * creaseWidth), 2)) * (creaseAt < 0 ? 1.f : 0.f);
    float creaseRun = smoothstep(1.75f, 2.2f, v) * smoothstep(4.2f, 3.7f, v);
    c = mix(c, rgb(40, 6, 12), turning * creaseRun * 0.45f);
    c = mix(c, rgb(16, 2, 5), crease * creaseRun);
    // The forearms come in from the elbows towards her waist, lying over the
    // dress and casting a soft shadow under them, each ending in a cuff at
    // the wrist; the hands lie loosely folded in front, the one on the
    // candle's side over the other.
    float side = ax < 0 ? -1.f : 1.f;
    bool nearSide = side == lightSide;
    float elbowX = side * (outer - 0.45f * s.rx), elbowY = 3.75f * s.ry;
    float wristX = side * wristU * s.rx, wristY = wristV * s.ry + (nearSide ? nearWristDrop * s.rx : 0.f);
    float ex = wristX - elbowX, ey = wristY - elbowY;
    float h = clamp01(((ax - elbowX) * ex + (ay - elbowY) * ey) / (ex * ex + ey * ey));
    float fx = ax - elbowX - h * ex, fy = ay - elbowY - h * ey;
    float cuffStart = 0.86f;
    float radius = (0.31f - 0.07f * h + 0.04f * smoothstep(cuffStart - 0.02f, cuffStart + 0.02f, h)) * s.rx;
    float sleeveD = length(fx, fy) - radius;
    float cast = std::exp(-std::pow(std::max(0.f, sleeveD) / (0.22f * s.rx), 2)) * smoothstep(0.f, 0.5f * radius, fy);
    c = mix(c, rgb(24, 4, 8), cast * 0.7f);
    float forearm = fill(sleeveD, 2.f);
    if (forearm > 0)
    {
        // Lit along its top, where it faces the candle's height; its
        // underside turns into shade, and the sleeve creases a little where
        // it bends at the elbow.
        float top = clamp01(0.5f - 0.5f * fy / radius);
        Colour cloth = mix(rgb(52, 9, 15), nearSide ? rgb(190, 52, 48) : rgb(130, 26, 32), std::pow(top, 0.8f));
        cloth = scaled(cloth, 1 - 0.3f * smoothstep(0.3f, 0.f, h) * (0.5f + 0.5f * std::sin(h * 40.f)));
        // The cuff: a turned band a little wider than the sleeve, edged with
        // the neckline's ochre at the wrist, its opening dark round the hand.
        float cuff = smoothstep(cuffStart - 0.01f, cuffStart + 0.01f, h);
        cloth = mix(cloth, scaled(cloth, 1.15f), cuff);
        cloth = mix(cloth, rgb(30, 5, 9), fill(std::fabs(h - cuffStart) * std::sqrt(ex * ex + ey * ey) - 0.5f, 1.5f) * 0.6f);
        cloth = mix(cloth, scaled(rgb(204, 158, 88), 0.5f + 0.5f * top), smoothstep(0.93f, 0.97f, h) * 0.75f);
        c = mix(c, cloth, forearm);
    }
    // Each hand runs on from its wrist towards the other side and down:
    // the back of the hand to the knuckles, then the fingers bending over
    // the other hand. A hand is about three quarters of her face's height.
    struct Hand
    {
        float d, along, acrossHand;
    };
    auto handAt = [&](float wx, float wy, float dir, Point back, Point fingers) {
        Point wrist{wx, wy}, knuckles{wx - dir * back.x * s.rx, wy + back.y * s.rx},
            tips{knuckles.x - dir * fingers.x * s.rx, knuckles.y + fingers.y * s.rx};
        float t1 = segmentParam(ax, ay, wrist, knuckles), t2 = segmentParam(ax, ay, knuckles, tips);
        float half1 = (0.21f + 0.09f * t1) * s.rx, half2 = (0.3f - 0.1f * t2 * t2) * s.rx;
        float d1 = sdSegment(ax, ay, wrist, knuckles, half1), d2 = sdSegment(ax, ay, knuckles, tips, half2);
        Hand hand{std::min(d1, d2), d1 < d2 ? 0.6f * t1 : 0.6f + 0.4f * t2, 0};
        // Across the hand, -1 at its upper edge to 1 at its lower.
        Point a = d1 < d2 ? wrist : knuckles, b = d1 < d2 ? knuckles : tips;
        float lx = b.x - a.x, ly = b.y - a.y, ll = length(lx, ly);
        hand.acrossHand = ((ax - a.x) * -ly + (ay - a.y) * lx) / ll / (d1 < d2 ? half1 : half2) * -dir;
        return hand;
    };
    const float nearWristY = wristV * s.ry + nearWristDrop * s.rx;
    Hand nearHand = handAt(lightSide * wristU * s.rx, nearWristY, lightSide, nearBack, nearFingers);
    Hand farHand = handAt(-lightSide * wristU * s.rx, wristV * s.ry, -lightSide, farBack, farFingers);
    // The near hand's soft shadow falls down and away from the candle, over
    // the far hand and the dress.
    Hand shadowOf = handAt(lightSide * (wristU - 0.12f) * s.rx, nearWristY + 0.14f * s.rx, lightSide, nearBack, nearFingers);
    float handShadow = fill(shadowOf.d, 0.18f * s.rx) * 0.55f;
    c = mix(c, rgb(26, 4, 8), handShadow * (1 - fill(farHand.d, 1.5f)) * 0.8f);
    float hand = 0;
    for (int k = 0; k < 2; ++k)
    {
        const Hand& hd = k == 0 ? farHand : nearHand;
        float cover = fill(hd.d, 1.5f);
        if (cover <= 0)
            continue;
        // Skin in the half-light under her arms: its upper edge and the
        // knuckles towards the candle, the fingers turning down into shade.
        float light = 0.55f - 0.3f * hd.acrossHand + 0.2f * smoothstep(-0.6f, 0.8f, lightSide * ax / s.rx) -
                      0.3f * smoothstep(0.7f, 1.f, hd.along);
        light *= k == 0 ? 0.6f : 1.f;
        Colour skin = mix(rgb(104, 56, 42), rgb(224, 152, 110), clamp01(light));
        skin = mix(skin, rgb(236, 174, 130), std::exp(-std::pow((hd.along - 0.6f) / 0.05f, 2)) * 0.4f * (k == 1 ? 1.f : 0.5f));
        // The fingers lie side by side: three partings along them, dark
        // enough to hold under the brush.
        float fingers = hd.along > 0.62f ? std::fabs(std::fmod(hd.acrossHand * 2 + 3.5f, 1.f) - 0.5f) : 1.f;
        float parting = smoothstep(0.2f, 0.06f, fingers) * smoothstep(0.62f, 0.7f, hd.along) * (std::fabs(hd.acrossHand) < 0.75f ? 1.f : 0.f);
        skin = mix(skin, rgb(66, 34, 28), parting * 0.7f);
        // The near hand's thumb lies along its upper edge, parted from the
        // back of the hand by a crease.
        float thumb = smoothstep(0.3f, 0.1f, std::fabs(hd.acrossHand + 0.45f)) * smoothstep(0.1f, 0.2f, hd.along) * smoothstep(0.5f, 0.42f, hd.along);
        skin = mix(skin, rgb(80, 42, 34), thumb * 0.6f * (k == 1 ? 1.f : 0.f));
        // The edge of the hand turns away from the light.
        skin = scaled(skin, 1 - 0.3f * smoothstep(-1.2f * s.rx * 0.1f, 0.f, hd.d));
        if (k == 0)
            skin = mix(skin, rgb(40, 20, 18), handShadow);
        c = mix(c, skin, cover);
        hand = std::max(hand, cover);
    }
    bool onSkin = hand > 0.5f;
    float overArm = std::max(forearm, onSkin ? 1.f : 0.f);
    // Below her breast the velvet falls in a few long folds, each with its
    // shadow, drifting a little apart as they hang.
    // Each valley has its ridge beside it on the candle's side, catching the
    // light; lower down the folds widen and soften as the cloth gathers in
    // her lap, which sinks into shade towards the foot of the picture.
    for (float fu : {-0.95f, -0.3f, 0.3f, 0.95f})
    {
        float centre = fu + 0.08f * fu * std::max(0.f, v - 2.4f) + 0.06f * std::sin(v * 1.7f + fu * 3);
        float spread = 0.05f + 0.03f * std::max(0.f, v - 2.4f);
        float shadow = fill(std::fabs(u - centre) - spread, px * 6 + 0.02f * std::max(0.f, v - 2.4f));
        float ridge = blob(u, v, centre + lightSide * (spread + 0.14f), v, 0.1f + 0.5f * spread, 1);
        float hangs = smoothstep(2.3f, 3.1f, v);
        hangs *= 1 - overArm;
        c = mix(c, rgb(30, 5, 9), shadow * hangs * 0.7f);
        c = mix(c, rgb(180, 48, 46), ridge * hangs * (0.2f + 0.4f * lit) * (1 - shadow));
    }
    // Under the hands the cloth gathers into a few soft folds fanning down
    // from where they rest, each shadow with its lit ridge on the candle's
    // side.
    for (float fu : {-0.85f, -0.3f, 0.25f, 0.8f})
    {
        float below = std::max(0.f, v - 5.2f);
        float centre = fu * (1 + 0.25f * below) + 0.05f * std::sin(v * 2.3f + fu * 5);
        float spread = 0.05f + 0.04f * below;
        float shadow = fill(std::fabs(u - centre) - spread, px * 4 + 0.05f * below);
        float ridge = blob(u, v, centre + lightSide * (spread + 0.12f), v, 0.08f + 0.4f * spread, 1);
        float falls = smoothstep(5.1f, 5.4f, v) * (1 - overArm) * (1 - handShadow);
        c = mix(c, rgb(24, 4, 8), shadow * falls * 0.75f);
        c = mix(c, rgb(178, 46, 44), ridge * falls * 0.35f * (1 - shadow));
    }
    c = scaled(c, 1 - 0.35f * smoothstep(4.3f, 6.2f, v));
    c.a = cover;
    return c;
}

namespace
{
// The key of the finished portrait's room, in which the drape's velvet is
// laid; smaller copies of the room in a lower key darken it with the rest.
const float roomKeyOfDrape = 6.2f;

// Each channel of the room's colour lifted by key, none past white.
Colour lifted(Colour c, float key)
{
    c = scaled(c, key);
    c.r = std::min(c.r, 1.f), c.g = std::min(c.g, 1.f), c.b = std::min(c.b, 1.f);
    return c;
}

// The candle beyond her left shoulder, in head units: a tapered stick of
// wax in a brass candlestick standing on a table, a small flame over it.
const float candleU = 2.3f, flameV = 0.2f, waxTop = 0.36f, waxFoot = 1.42f, tableV = 1.98f;

// The table the candle stands on, in head units: its top's back edge
// just behind the candlestick's foot, the top running forward and down to
// its front edge, then the table's front in shade; its near end
// lies behind her and sinks into the dark there.
const float tableBack = tableV - 0.12f, tableFront = 4.4f, tableEnd = 1.f;

// The table laid over the room colour c, lifted by key like the room; the
// candle's light spills warm over its top round the candlestick's foot.
Colour table(Colour c, float u, float v, float px, float key)
{
    if (v < tableBack - 0.1f || u < tableEnd - 1.2f)
        return c;
    float grain = fractalNoise(u * 0.5f, v * 6.f, 2, 1905);
    float near = smoothstep(tableEnd - 1.2f, tableEnd + 0.2f, u);
    // The top, dark polished wood, a little lighter towards the back where
    // it catches the wall's light; the spill of the flame round the foot.
    float top = fill(tableBack - v, px * 1.5f) * fill(v - tableFront, px * 1.5f) * near;
    if (top > 0)
    {
        Colour wood = lifted(mix(rgb(17, 12, 8), rgb(25, 17, 11), grain), key);
        wood = scaled(wood, 1.1f - 0.2f * smoothstep(tableBack, tableFront, v));
        float du = u - candleU, dv = v - tableV;
        float spill = std::exp(-(du * du / 6.f + dv * dv / 1.2f));
        wood = mix(wood, rgb(238, 166, 96), spill * 0.9f);
        // The candlestick's reflection in the polish, straight down.
        wood = mix(wood, rgb(226, 170, 100), std::exp(-std::pow(du / 0.12f, 2)) * smoothstep(tableV + 0.7f, tableV, v) * 0.4f * (v > tableV ? 1.f : 0.f));
        c = mix(c, wood, top);
    }
    // The front edge catches a faint line of light; the front below it is
    // in shade, darkest under the top's overhang.
    float lip = fill(std::fabs(v - tableFront - 0.03f) - 0.03f, px * 1.2f) * near;
    c = mix(c, lifted(rgb(26, 18, 12), key), lip * 0.6f);
    float front = fill(tableFront + 0.06f - v, px) * near;
    Colour shade = lifted(mix(rgb(13, 9, 7), rgb(17, 12, 9), grain), key);
    c = mix(c, scaled(shade, 0.8f + 0.2f * smoothstep(tableFront, tableFront + 0.6f, v)), front);
    return c;
}

// The candle's light on the room round it, 0 to 1: a small bright halo
// round the flame inside a wide, soft warmth.
float candleHalo(float u, float v)
{
    float r = length(u - candleU, (v - flameV) * 1.2f);
    return std::exp(-std::pow(r / 0.9f, 2)) * 0.5f + std::exp(-r / 1.1f) * 0.25f;
}

// The candle, its stick and its flame laid over the room colour c; px is
// one pixel in head units.
Colour candle(Colour c, float u, float v, float px)
{
    float du = u - candleU;
    if (std::fabs(du) > 0.8f || v < flameV - 0.4f || v > tableV + 0.2f)
        return c;
    // The candlestick: a drip pan under the wax, a stem with a knop, and a
    // domed foot on the table; brass, lit from the left and by the flame.
    float pan = sdBox(du, v, 0, waxFoot + 0.035f, 0.3f, 0.032f);
    float stem = sdBox(du, v, 0, 1.68f, 0.05f, 0.22f);
    float knop = length(du / 0.11f, (v - 1.64f) / 0.06f) - 1;
    float footHalf = 0.08f + 0.26f * smoothstep(1.84f, tableV, v);
    float foot = std::max(std::fabs(du) - footHalf, std::max(1.82f - v, v - tableV));
    float brassD = std::min(std::min(pan, stem), std::min(knop * 0.05f, foot));
    float brass = fill(brassD, px * 1.2f);
    if (brass > 0)
    {
        float side = clamp01(0.5f - 0.5f * du / std::max(0.04f, footHalf));
        Colour metal = mix(rgb(70, 46, 22), rgb(206, 160, 88), side);
        // A bright line where the flame shines on the top of the pan.
        metal = mix(metal, rgb(250, 214, 150), fill(std::fabs(v - waxFoot - 0.012f) - 0.008f, px) * smoothstep(0.3f, 0.08f, std::fabs(du)));
        c = mix(c, metal, brass);
    }
    // The wax, narrowing a little towards its top, lit on its left and
    // glowing warm just under the flame, where it is thin.
    float half = 0.1f + 0.02f * (v - waxTop) / (waxFoot - waxTop);
    float waxD = std::max(std::fabs(du) - half, std::max(waxTop - v, v - waxFoot));
    float wax = fill(waxD, px * 1.2f);
    if (wax > 0)
    {
        Colour stick = mix(rgb(242, 226, 192), rgb(150, 124, 96), smoothstep(-0.6f, 1.f, du / half));
        stick = mix(stick, rgb(252, 206, 146), smoothstep(waxTop + 0.2f, waxTop, v) * 0.6f);
        c = mix(c, stick, wax);
    }
    // The wick, and the flame: a small teardrop, white at its heart.
    c = mix(c, rgb(40, 26, 16), fill(std::fabs(du) - 0.008f, px * 0.8f) * (v > flameV + 0.05f && v < waxTop + 0.005f ? 1.f : 0.f));
    float t = (flameV + 0.12f - v) / 0.3f;   // 0 at the flame's foot, 1 at its tip
    if (t > 0 && t < 1)
    {
        float width = 0.1f * std::sin(3.1416f * std::pow(t, 0.6f)) + 1e-4f;
        float flame = fill(std::fabs(du) - width, px * 0.9f);
        Colour fire = mix(rgb(255, 170, 70), rgb(255, 248, 220), smoothstep(width, 0.f, std::fabs(du)) * smoothstep(0.9f, 0.2f, t));
        c = mix(c, fire, flame);
    }
    return c;
}
}

Colour sitterBackground(float x, float y, const Sitter& s, float key)
{
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float px = 1 / s.rx;
    // The dark ground, brushed, warmed behind her head on the candle's side;
    // the hair frames her face against it, and the candle's light stays a
    // lower key than her lit cheek.
    float mottle = fractalNoise(u * 0.6f, v * 0.6f, 3, 1901);
    Colour c = lifted(mix(rgb(26, 22, 20), rgb(44, 36, 30), mottle), key);
    float glow = std::exp(-(std::pow((u - 1.15f) / 2.8f, 2) + std::pow((v - 0.f) / 2.4f, 2)));
    Colour warmth = lifted(rgb(128, 102, 72), key);
    warmth = {std::min(warmth.r, 0.9f), std::min(warmth.g, 0.7f), std::min(warmth.b, 0.45f), 1};
    c = mix(c, warmth, glow * 0.95f);
    // A heavy drape on the left, in dark green, its folds caught by the
    // candle's light across the room.
    float drapeEdge = -2.45f + 0.25f * std::sin(v * 1.4f + 0.5f) - 0.35f * smoothstep(-1.f, 3.f, v);
    float drape = fill((u - drapeEdge) * s.rx, 3);
    // The candle is beyond her on the right, so the wall on her other side
    // lies in her own soft shadow and is no pale band round her; the drape
    // hangs close to the wall and casts a soft shadow a little way onto it.
    float offEdge = std::max(0.f, u - drapeEdge);
    // The two shadows meet in one soft half-shade over the strip of wall
    // between them, so no lit band outlines her against the drape.
    c = scaled(c, 1 - 0.32f * smoothstep(-1.f, -2.f, u));
    c = scaled(c, 1 - 0.4f * smoothstep(0.4f, 0.f, offEdge));
    c = scaled(c, 1 - 0.4f * smoothstep(-0.9f, -1.6f, u) * smoothstep(2.4f, 0.3f, offEdge));
    // The wall on the candle's side takes a little more of its light.
    c = lifted(c, 1 + 0.07f * smoothstep(0.8f, 2.8f, u));
    if (drape > 0)
    {
        // Folds of unequal widths from the edge inwards, each crest lit by
        // its own amount; they follow the edge's sway as they hang.
        // The folds hang straight down from the rod; only the ones near the
        // edge swing out with it as the cloth is gathered back.
        float straightEdge = -2.45f - 0.35f * smoothstep(-1.f, 3.f, v);
        float follows = smoothstep(-1.6f, 0.f, u - drapeEdge);
        float into = mix(straightEdge, drapeEdge, follows) - u + 0.1f * (fractalNoise(u * 0.7f, v * 0.25f, 2, 1902) - 0.5f);
        float start = 0, width = 1;
        int fold = 0;
        for (; fold < 16; ++fold)
        {
            width = 0.7f + 1.2f * hashUnit(uint32_t(fold + 200), 1904);
            if (into < start + width)
                break;
            start += width;
        }
        float across = clamp01((into - start) / width);
        float folds = 0.5f - 0.5f * std::cos(6.2832f * across);
        float crest = 0.45f + 0.55f * hashUnit(uint32_t(fold + 100), 1903);
        // The velvet is painted in the room's own key, never lifted past
        // its colour, so its lit crests stay soft ridges and not pale
        // streaks: a little more light towards the top, nearer the candle's
        // height, and the valleys deep.
        float light = 0.8f + 0.2f * smoothstep(-1.5f, 4.f, -v + 1.5f);
        float lift = std::min(1.f, key / roomKeyOfDrape);
        Colour cloth = mix(rgb(74, 88, 70), rgb(134, 148, 114), std::pow(folds, 1.3f) * light * (0.7f + 0.3f * crest));
        cloth = mix(cloth, rgb(164, 174, 136), smoothstep(0.75f, 1.f, folds) * 0.2f * light * crest);
        cloth = mix(rgb(12, 16, 13), cloth, 0.3f + 0.7f * lift);
        // Lower down, far from the candle's height, it sinks into shade.
        cloth = scaled(cloth, 1 - 0.2f * smoothstep(0.5f, 4.5f, v));
        // Its inner edge turns away into shade, no lit seam against the room.
        cloth = scaled(cloth, 1 - 0.6f * smoothstep(-0.6f, 0.f, u - drapeEdge));
        c = mix(c, cloth, drape);
    }
    // Far from her the room and the drape sink into the dark.
    c = mix(c, lifted(rgb(17, 12, 9), key), smoothstep(2.5f, 5.5f, length(u - 0.5f, (v - 0.5f) * 1.3f)) * (0.6f - 0.35f * drape));
    // The candle's own light round its flame, the table under it, then the
    // candle.
    c = mix(c, rgb(236, 170, 96), candleHalo(u, v) * (1 - drape));
    c = table(c, u, v, px, key);
    return candle(c, u, v, px);
}

Colour sitterUnderdrawing(float x, float y, const Sitter& s, float halfWidth, float bottom)
{
    // A faint warm grey chalk, pale and far from any red, so that it stays a
    // ghost under the paint and under words laid over it.
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float px = 1 / s.rx, k = s.ry / s.rx;
    Colour skin = sitterSkin(x, y, s), hair = sitterHair(x, y, s), dress = sitterDress(x, y, s, halfWidth, bottom);
    // A thin scumble where the shadows will go: the side of the face turned
    // from the light, the hair, the dress.
    float shadowSide = skin.a * smoothstep(0.1f, 0.7f, towardsShade(u) + 0.3f * std::max(0.f, v - 1.f)) * smoothstep(-1.f, 0.2f, v);
    float wash = std::max(std::max(shadowSide * 0.24f, hair.a * 0.11f), dress.a * 0.07f);
    Colour c = rgb(172, 156, 138, wash);
    // The contours, drawn where each part's edge lies. (Not along the
    // dress's loosened foot, which has no edge to draw.)
    float footless = smoothstep(bottom - 0.2f * s.ry, bottom - 0.7f * s.ry, y);
    float contour = std::max(std::max(skin.a * (1 - skin.a), hair.a * (1 - hair.a)), dress.a * (1 - dress.a) * footless) * 4;
    // The hair as the portrait combs it: the parting, and a few strands
    // from it over the crown and down past the shoulders.
    Combing comb = combingAt(u, v);
    float partingLine = fill(std::fabs(u - partingU) - 0.01f, px * 1.5f) * smoothstep(-0.62f, -0.82f, v) * hair.a;
    float strandPos = comb.across * 4.5f + 0.3f * valueNoise(comb.along * 1.5f, comb.side * 3, 1904);
    float strand = fill((0.5f - std::fabs(strandPos - std::floor(strandPos) - 0.5f)) / 4.5f - 0.008f, px * 1.5f);
    float strands = strand * hair.a * smoothstep(0.1f, 0.3f, comb.across) * 0.55f;
    // The features as the brush first finds them: brows; each eye open, the
    // upper lid's line over the top of the iris, the iris and its pupil
    // under it, the lower lid lighter; the shadow side of the nose; a calm
    // mouth with the shade under its lower lip.
    float features = 0;
    for (float eu : {-0.36f, 0.36f})
    {
        float a = (u - eu) / 0.19f;
        float open = std::max(0.f, 1 - a * a);
        float upper = -0.04f - 0.075f * std::pow(open, 0.6f), lower = -0.04f + 0.05f * std::pow(open, 0.8f);
        if (std::fabs(a) < 1.05f)
        {
            features = std::max(features, fill(std::fabs(v - upper) - 0.014f, px * 1.5f));
            features = std::max(features, fill(std::fabs(v - lower) - 0.008f, px * 1.5f) * 0.5f * open);
        }
        float ir = length(u - eu, (v + 0.05f) * k);
        float between = fill(upper - v, px) * fill(v - lower, px);
        features = std::max(features, fill(std::fabs(ir - 0.085f) - 0.01f, px * 1.2f) * between * 0.8f);
        features = std::max(features, fill(ir - 0.04f, px) * between * 0.9f);
        features = std::max(features, brow(u, v, eu, px) * 0.7f);
    }
    float nose = fill(std::fabs(u - noseHalf(v) - 0.01f) - 0.012f, px * 1.5f) * smoothstep(-0.1f, 0.05f, v) * smoothstep(0.4f, 0.32f, v);
    nose = std::max(nose, fill(std::fabs(v - 0.39f) - 0.012f, px * 1.5f) * smoothstep(0.16f, 0.1f, std::fabs(u - 0.01f)));
    float mouth = fill(std::fabs(v - 0.555f - 0.006f * (u / 0.2f) * (u / 0.2f)) - 0.01f, px * 1.5f) * smoothstep(0.21f, 0.15f, std::fabs(u));
    mouth = std::max(mouth, fill(std::fabs(v - 0.64f) - 0.008f, px * 2) * smoothstep(0.12f, 0.05f, std::fabs(u)) * 0.45f);
    float lines = std::max(std::max(contour, std::max(partingLine, strands)), std::max(features, std::max(nose, mouth)));
    // A hand's line: it wavers in weight along its length.
    lines *= 0.65f + 0.35f * valueNoise(x / 9.f, y / 9.f, 1903);
    blendOver(c, rgb(126, 108, 94), clamp01(lines) * 0.48f);
    return c;
}

namespace
{
// Strokes lie along lines, not arrows: directions are blended as doubled
// angles so that two strokes at nearly pi apart agree.
struct Direction
{
    float c = 0, s = 0;
};

void addDirection(Direction& d, float angle, float weight)
{
    d.c += weight * std::cos(2 * angle);
    d.s += weight * std::sin(2 * angle);
}
}

float sitterFlow(float x, float y, const Sitter& s)
{
    float dx = x - s.x, dy = y - s.y;
    float d = length(dx / s.rx, dy / s.ry);
    float around = std::atan2(dy, dx) + 1.5708f;
    float down = 1.45f + 0.25f * (fractalNoise(x / 80.f, y / 80.f, 2, 1801) - 0.5f);
    // Over the folded hands the strokes run along the back of each hand and
    // its fingers, the near hand's over the far one's.
    float hx = (dx / s.rx - 0.03f) * lightSide, hy = (dy - wristV * s.ry) / s.rx;
    if (std::fabs(hx) < wristU + 0.3f && hy > -0.35f && hy < 1.3f)
    {
        bool nearHand = hx > -0.45f;
        bool fingers = nearHand ? hx < -0.02f : hx > 0.02f;
        Point along = nearHand ? (fingers ? nearFingers : nearBack) : (fingers ? farFingers : farBack);
        return std::atan2(along.y, (nearHand ? -along.x : along.x) * lightSide);
    }
    if (d >= 1.1f)
        return down;
    // Inside the head the strokes follow its planes: down the forehead
    // (fanning a little), the nose and the neck; across the cheeks, sloping
    // towards the mouth; across the chin; round only along the contour.
    float u = dx / s.rx, v = dy / s.ry;
    float au = std::fabs(u), side = u < 0 ? -1.f : 1.f;
    float forehead = smoothstep(-0.12f, -0.3f, v);
    float nose = smoothstep(0.2f, 0.1f, au) * smoothstep(-0.3f, -0.15f, v) * smoothstep(0.45f, 0.36f, v);
    float chin = smoothstep(0.6f, 0.72f, v) * smoothstep(0.3f, 0.12f, headDistance(u, v) + 0.3f);
    float neck = smoothstep(0.8f, 1.f, v) * (headDistance(u, v) > 0 ? 1.f : 0.f);
    float contour = smoothstep(-0.16f, -0.04f, headDistance(u, v)) * (1 - neck);
    float cheeks = std::max(0.f, 1 - forehead - nose - chin) * (1 - neck);
    Direction dir;
    addDirection(dir, 1.5708f - 0.5f * u, forehead * (1 - contour));
    addDirection(dir, 1.5708f, std::max(nose, neck) * (1 - contour));
    addDirection(dir, -0.45f * side * smoothstep(0.05f, 0.3f, au), cheeks * (1 - contour));
    addDirection(dir, 0.1f * side, chin * (1 - contour));
    addDirection(dir, around, contour * 1.5f);
    // Beyond the head the long strokes down the body take over.
    addDirection(dir, down, smoothstep(0.95f, 1.1f, d) * 3);
    return 0.5f * std::atan2(dir.s, dir.c);
}

float sitterHairFlow(float x, float y, const Sitter& s)
{
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    if (v >= turnV)
        return 1.5708f + 0.3f * std::cos((v - turnV) * 4.6f) * smoothstep(turnV, turnV + 0.6f, v);
    // Across the crown, along the ellipse round the turn of the combing.
    float side = u < partingU ? -1.f : 1.f;
    float reach = side < 0 ? 0.98f : 1.38f;
    float du = (u - partingU) / reach * s.rx, dv = (v - turnV) / (turnV + 1.2f) * s.ry;
    return std::atan2(du, -dv) ;
}

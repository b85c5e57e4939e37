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
// The jaw narrows below the cheekbones.
float jawWidth(float v)
{
    return 1 - 0.2f * smoothstep(0.05f, 1.f, v);
}

// Distance to the head's outline in head units, negative inside.
float headDistance(float u, float v)
{
    return length(u / jawWidth(v), v) - 1;
}

float neckDistance(float u, float v)
{
    return std::max(std::max(std::fabs(u) - 0.36f - 0.08f * smoothstep(1.1f, 1.5f, v), 0.55f - v), v - 1.7f);
}

// Light on a rounded form: how much a point of the ellipsoid (nx, ny) faces
// the light from the upper left, 0 to 1.
float facing(float nx, float ny)
{
    float nz = std::sqrt(std::max(0.f, 1 - nx * nx - ny * ny));
    return clamp01(-0.5f * nx - 0.42f * ny + 0.76f * nz);
}

// A soft round blob, 1 at its centre.
float blob(float u, float v, float cu, float cv, float ru, float rv)
{
    float du = (u - cu) / ru, dv = (v - cv) / rv;
    return std::exp(-(du * du + dv * dv));
}

// One eye, centred at (eu, ev): lids, white, iris, pupil and a catchlight,
// laid over the skin colour c. px is one pixel in head units.
Colour eye(Colour c, float u, float v, float eu, float ev, float px)
{
    float a = (u - eu) / 0.2f;
    float open = std::max(0.f, 1 - a * a);
    float upper = ev - 0.085f * std::pow(open, 0.7f) - 0.01f;
    float lower = ev + 0.05f * std::pow(open, 0.9f);
    // The lid's crease and the socket's shade above the eye.
    float crease = fill(std::fabs(v - (upper - 0.055f * open)) - 0.01f, px * 2) * open;
    c = mix(c, rgb(150, 100, 84), crease * 0.5f);
    float inside = std::min(fill(upper - v, px * 1.5f), fill(v - lower, px * 1.5f)) * (std::fabs(a) < 1 ? 1.f : 0.f);
    if (inside > 0)
    {
        // The white, shaded by the upper lid.
        Colour white = mix(rgb(150, 128, 118), rgb(222, 210, 198), smoothstep(upper, lower, v));
        // The iris looks a little towards the light.
        float iu = eu - 0.03f, iv = ev - 0.012f;
        float ir = length(u - iu, (v - iv) * 0.78f);
        Colour iris = mix(rgb(52, 36, 28), rgb(112, 82, 56), smoothstep(iv - 0.04f, iv + 0.06f, v));
        white = mix(white, iris, fill(ir - 0.085f, px * 1.2f));
        white = mix(white, rgb(14, 10, 10), fill(ir - 0.035f, px));
        float catchlight = length(u - (iu - 0.03f), v - (iv - 0.03f));
        white = mix(white, rgb(250, 246, 236), fill(catchlight - 0.018f, px));
        c = mix(c, white, inside);
    }
    // Lashes along the upper lid, heavier at the outer corner.
    float lash = fill(std::fabs(v - upper) - 0.012f - 0.008f * smoothstep(0, 1, a * (eu > 0 ? 1 : -1)), px * 1.5f) *
                 smoothstep(1.1f, 0.85f, std::fabs(a));
    c = mix(c, rgb(38, 24, 20), lash * 0.9f);
    float lowerLine = fill(std::fabs(v - lower) - 0.006f, px * 1.5f) * open;
    c = mix(c, rgb(130, 84, 72), lowerLine * 0.5f);
    return c;
}

// A brow arching over the eye at eu, thinning towards its tail.
float brow(float u, float v, float eu, float px)
{
    float a = (u - eu) / 0.26f;
    if (std::fabs(a) > 1.1f)
        return 0;
    float outward = eu > 0 ? a : -a;
    float line = -0.24f - 0.07f * (1 - a * a) + 0.03f * outward;
    float thickness = 0.035f * (1 - 0.55f * smoothstep(-0.6f, 1.f, outward));
    return fill(std::fabs(v - line) - thickness, px * 2) * smoothstep(1.1f, 0.8f, std::fabs(a));
}
}

Colour sitterSkin(float x, float y, const Sitter& s)
{
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float px = 1 / s.rx;
    float head = headDistance(u, v), neck = neckDistance(u, v);
    float ears = std::min(length((u + 0.97f) / 0.14f, (v - 0.05f) / 0.2f), length((u - 0.97f) / 0.14f, (v - 0.05f) / 0.2f)) - 1;
    float cover = std::max(std::max(fill(head, px * 2.5f), fill(neck, px * 2.5f)), fill(ears * 0.15f, px * 2));
    if (cover <= 0)
        return rgb(196, 146, 116, 0);

    // The form: an ellipsoid head, the neck a cylinder in the jaw's shadow.
    float lit = facing(clamp01(std::fabs(u / jawWidth(v))) * (u < 0 ? -1 : 1) * 0.95f, v * 0.9f);
    if (head > 0)
        lit = clamp01(0.3f - 0.5f * u) * (1 - 0.6f * smoothstep(1.2f, 0.9f, v));
    Colour light = rgb(238, 200, 168), middle = rgb(186, 134, 106), shade = rgb(98, 70, 70);
    Colour c = lit > 0.5f ? mix(middle, light, (lit - 0.5f) * 2) : mix(shade, middle, lit * 2);
    // Warm light bounced back into the shadow side of the jaw.
    c = mix(c, rgb(168, 104, 84), smoothstep(0.6f, 0.95f, u) * smoothstep(-0.2f, 0.6f, v) * 0.35f);

    // Sockets, cheeks, temples: the large planes before the small features.
    float sockets = blob(u, v, -0.36f, -0.06f, 0.3f, 0.16f) + blob(u, v, 0.36f, -0.06f, 0.3f, 0.16f);
    c = mix(c, rgb(150, 104, 88), clamp01(sockets) * 0.35f);
    float blush = blob(u, v, -0.46f, 0.3f, 0.22f, 0.14f) + blob(u, v, 0.48f, 0.3f, 0.2f, 0.13f) * 0.7f;
    c = mix(c, rgb(222, 134, 116), clamp01(blush) * 0.3f);
    c = mix(c, rgb(246, 214, 186), blob(u, v, -0.25f, -0.5f, 0.3f, 0.16f) * 0.35f);   // lit forehead

    // The eyes and brows.
    c = eye(c, u, v, -0.37f, -0.04f, px);
    c = eye(c, u, v, 0.37f, -0.04f, px);
    c = mix(c, rgb(74, 48, 36), std::max(brow(u, v, -0.37f, px), brow(u, v, 0.37f, px)) * 0.85f);

    // The nose: a lit ridge, a shadowed flank on the right, the ball and the
    // nostrils, and the shade it casts down to the lip.
    float ridge = smoothstep(-0.08f, 0.3f, v) * smoothstep(0.36f, 0.2f, v);
    c = mix(c, rgb(244, 210, 180), fill(std::fabs(u + 0.03f) - 0.025f, px * 3) * ridge * 0.5f);
    c = mix(c, rgb(150, 100, 84), fill(std::fabs(u - 0.1f) - 0.03f, px * 4) * ridge * 0.55f);
    c = mix(c, rgb(238, 196, 166), blob(u, v, -0.03f, 0.3f, 0.08f, 0.05f) * 0.5f);
    float nostrils = std::min(length((u + 0.09f) / 0.05f, (v - 0.37f) / 0.025f), length((u - 0.1f) / 0.05f, (v - 0.37f) / 0.025f)) - 1;
    c = mix(c, rgb(92, 52, 46), fill(nostrils * 0.03f, px * 1.5f) * 0.85f);
    c = mix(c, rgb(150, 98, 84), blob(u, v, 0.06f, 0.43f, 0.12f, 0.035f) * 0.5f);

    // The mouth: a dark parting line with a faint smile, the upper lip in
    // shade, the fuller lower lip catching the light, the shadow beneath.
    float m = u / 0.26f;
    if (std::fabs(m) < 1.15f)
    {
        float taper = smoothstep(1.15f, 0.6f, std::fabs(m));
        float parting = 0.56f - 0.02f * m * m;
        float bow = 0.5f + 0.02f * std::fabs(std::sin(m * 3.1416f));
        float upperLip = std::min(fill(bow + 0.012f * m * m - v, px * 1.5f), fill(v - parting, px)) * taper;
        c = mix(c, rgb(148, 54, 58), upperLip * 0.95f);
        float lowerLip = std::min(fill(parting - v, px), fill(v - parting - 0.075f * (1 - 0.7f * m * m), px * 2)) * taper;
        Colour lipLit = mix(rgb(176, 66, 66), rgb(214, 118, 108), blob(u, v, -0.06f, parting + 0.03f, 0.12f, 0.03f));
        c = mix(c, lipLit, lowerLip * 0.95f);
        c = mix(c, rgb(80, 34, 36), fill(std::fabs(v - parting) - 0.008f, px * 1.3f) * smoothstep(1.1f, 0.8f, std::fabs(m)));
    }
    c = mix(c, rgb(160, 108, 90), blob(u, v, 0.02f, 0.7f, 0.16f, 0.04f) * 0.45f);
    c = mix(c, rgb(236, 196, 164), blob(u, v, -0.06f, 0.84f, 0.16f, 0.06f) * 0.35f);   // chin

    // The hair shades the temples and the far cheek; the jaw casts its
    // shadow on the neck, which stays a step darker than the face.
    float temples = blob(u, v, -0.85f, -0.25f, 0.22f, 0.45f) + blob(u, v, 0.8f, -0.1f, 0.3f, 0.6f);
    c = mix(c, rgb(112, 74, 66), clamp01(temples) * 0.45f);
    if (head > 0 && neck < 0.02f)
    {
        c = scaled(c, 0.86f);
        c = mix(c, rgb(104, 68, 62), smoothstep(1.3f, 0.95f, v) * 0.75f);
    }
    c.a = cover;
    return c;
}

Colour sitterHair(float x, float y, const Sitter& s)
{
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float px = 1 / s.rx;
    // The mass: round over the crown, falling in long waves past the shoulders.
    float crown = length(u / 1.16f, (v + 0.12f) / 1.04f) - 1;
    float fallWidth = 1.1f + 0.22f * smoothstep(0.1f, 1.4f, v) + 0.06f * std::sin(v * 6 + (u > 0 ? 1.f : 0.f)) +
                      0.08f * (fractalNoise(u * 2, v * 4, 2, 1612) - 0.5f);
    float fall = std::max(std::fabs(u) - fallWidth, std::max(-0.3f - v, v - 1.85f));
    float mass = smoothUnion(crown, fall, 0.15f);
    // The face shows through an oval under the hairline, the neck below it.
    float parting = -0.18f;
    // Parted on her right: the hair sweeps low over the other temple.
    float hairline = -0.6f + 0.05f * std::fabs(u - parting) + 0.3f * smoothstep(-0.1f, 0.9f, u) * smoothstep(-0.75f, -0.2f, v);
    float opening = std::max(length(u / (u > 0 ? 0.8f : 0.88f), (v - 0.22f) / 0.84f) - 1, hairline - v);
    float neck = std::max(std::fabs(u) - 0.4f, 0.5f - v);
    float hole = std::min(opening, neck);
    float cover = std::min(fill(mass, px * 3), fill(-hole, px * 2.5f));
    if (cover <= 0)
        return rgb(60, 36, 26, 0);

    // Strands: from the parting over the crown, then down the falls.
    float angle = std::atan2(v + 1.0f, u - parting);
    float wave = fractalNoise(u * 3, v * 2, 2, 1611);
    float phase = v < -0.2f ? angle * 46 : u * 30 + 3 * std::sin(v * 4 + u);
    float strands = 0.5f + 0.5f * std::sin(phase + 5 * wave);
    // Lit on the crown's upper left, darkest behind the neck and under the jaw.
    float lit = facing(clamp01(std::fabs(u / 1.2f)) * (u < 0 ? -1 : 1), clamp01(std::fabs((v + 0.3f) / 1.4f)) * (v < -0.3f ? -1 : 1));
    float behind = smoothstep(0.45f, 0.75f, v) * smoothstep(1.3f, 0.8f, std::fabs(u));
    lit *= 1 - 0.75f * behind;
    Colour c = mix(rgb(34, 20, 16), rgb(112, 64, 38), lit);
    c = scaled(c, 0.8f + 0.35f * strands);
    // A sheen band where the crown turns towards the light.
    float sheen = fill(std::fabs(length(u - parting, v + 1.0f) - 0.55f) - 0.08f, 0.12f) * smoothstep(0.3f, -0.6f, u);
    c = mix(c, rgb(184, 128, 82), sheen * strands * 0.6f);
    // Shade where the hair meets the face, so the face sits inside it.
    c = mix(c, rgb(26, 16, 12), smoothstep(0.12f, 0.0f, -hole) * 0.35f);
    c.a = cover;
    return c;
}

Colour sitterDress(float x, float y, const Sitter& s, float halfWidth, float bottom)
{
    float px = 1 / s.rx;
    float dx = x - (s.x + 0.03f * s.rx), u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    // Shoulders slope from the neck and round off into the arms.
    float slopeTop = s.y + s.ry * (1.1f + 0.55f * smoothstep(0.2f * halfWidth, halfWidth, std::fabs(dx)));
    float shoulderY = s.y + s.ry * 1.65f;
    float reach = halfWidth * (0.86f + 0.14f * smoothstep(shoulderY - 10, shoulderY + 40, y));
    float body = std::max(std::max(slopeTop - y, std::fabs(dx) - reach), y - bottom);
    // A scooped neckline.
    float neckline = length(u / 0.5f, (v - 1.1f) / 0.36f) - 1;
    float cover = std::min(fill(body, 2.5f), fill(-neckline * 0.4f, px * 2.5f));
    // The paint thins out at the bottom, where the painter stopped.
    cover *= smoothstep(bottom + 2, bottom - 14, y + 10 * (fractalNoise(x / 9.f, 0.5f, 2, 1712) - 0.5f));
    if (cover <= 0)
        return rgb(110, 24, 28, 0);
    // Velvet: lit over the left shoulder, falling away into deep shade, with
    // soft folds running down from the shoulders.
    float lit = clamp01(0.55f - 0.7f * u / (halfWidth / s.rx) - 0.4f * (v - 1.3f));
    Colour c = lit > 0.5f ? mix(rgb(128, 24, 30), rgb(176, 44, 44), (lit - 0.5f) * 2) : mix(rgb(52, 10, 16), rgb(128, 24, 30), lit * 2);
    float folds = 0.5f + 0.5f * std::sin(u * 9 + 2.5f * fractalNoise(u * 2, v * 2, 2, 1711) + v * 2);
    c = scaled(c, 0.82f + 0.3f * folds);
    // The hair's shadow on the shoulders, and a thin ochre trim at the neckline.
    c = mix(c, rgb(40, 8, 12), smoothstep(0.7f, 1.1f, std::fabs(u)) * smoothstep(1.6f, 1.2f, v) * 0.5f);
    c = mix(c, rgb(196, 150, 84), fill(std::fabs(neckline) * 0.4f - 0.03f, px * 2) * 0.8f);
    c.a = cover;
    return c;
}

float sitterFlow(float x, float y, const Sitter& s)
{
    float dx = x - s.x, dy = y - s.y;
    float d = length(dx / s.rx, dy / s.ry);
    float around = std::atan2(dy, dx) + 1.5708f;
    float down = 1.45f + 0.25f * (fractalNoise(x / 80.f, y / 80.f, 2, 1801) - 0.5f);
    // Round the face within the head, blending to long downward strokes.
    float t = smoothstep(0.8f, 1.4f, d);
    return t < 0.5f ? around : down;
}

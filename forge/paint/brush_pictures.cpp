// The brush lying on the palette, its bristles where the glints will spark;
// and the two strands hanging in the light where the glints come to rest.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/shapes.h"
#include "paint/sitter.h"

#include <algorithm>
#include <cmath>

namespace
{
// Where the glints come to rest, in the order they fly there.
const Point strandPoints[74] = {
    {715, 8}, {715, 18}, {714, 26}, {712, 34}, {708, 40}, {704, 48}, {703, 59}, {703, 71}, {704, 79}, {711, 82},
    {720, 83}, {727, 87}, {735, 96}, {736, 104}, {738, 114}, {738, 123}, {736, 131}, {730, 136}, {723, 144}, {719, 152},
    {714, 156}, {708, 163}, {703, 175}, {699, 182}, {695, 191}, {692, 202}, {691, 211}, {690, 222}, {687, 234}, {687, 244},
    {687, 258}, {687, 268}, {687, 282}, {687, 291}, {688, 303}, {690, 312}, {692, 323}, {696, 331}, {699, 338}, {703, 347},
    {923, 294}, {923, 284}, {920, 272}, {919, 263}, {915, 255}, {911, 247}, {910, 238}, {904, 218}, {903, 207}, {898, 198},
    {895, 188}, {892, 180}, {888, 174}, {886, 166}, {882, 159}, {878, 152}, {871, 146}, {866, 136}, {862, 127}, {855, 118},
    {851, 110}, {844, 106}, {836, 100}, {828, 92}, {823, 86}, {818, 83}, {818, 74}, {818, 64}, {818, 55}, {818, 46},
    {816, 36}, {814, 30}, {811, 20}, {810, 12}};

// The brush's spine from the end of its handle (lower left) to the tip of
// its bristles (upper right), inside the loop the glints trace.
const Point handleEnd{512, 404}, bristleTip{697, 253};

// The two strands hang from the top edge through the points where the glints
// settle: the first down from (715, 8), the second up from (923, 294).
std::vector<Point> strandPath(int first, int last)
{
    std::vector<Point> points;
    int step = first < last ? 1 : -1;
    for (int i = first; i != last + step; i += step)
        points.push_back(strandPoints[i]);
    points.insert(points.begin(), Point{points.front().x, -4});
    return smoothPath(points, 3);
}

// The shaft of light the two locks hang in, 0 to 1: it falls from the upper
// right across both of them.
float beamAt(float x, float y)
{
    return smoothstep(340, 0, std::fabs((x - 805) + (y - 200) * 0.35f));
}

// Between the locks, as she is remembered: the sitter of the portrait, her
// head and shoulders, the locks the lit edges of her hair. She is warm and
// dim, lit by the shaft of light from the upper right and fading into the
// dark away from her face and down past her shoulders, so that she comes
// out of the haze as a figure of light while the hairs stay the brightest.
// Her head sits low and a little small, where the locks hang widest apart,
// so that dark hair lies between each lock and her cheek.
const Sitter remembered{797, 150, 46, 63};

// The top of her hair, where the shaft of light comes down onto her.
const float crownTop = remembered.y - 1.16f * remembered.ry;

// The shaft of light between the locks above her, 0 to 1: its edges are the
// locks themselves, and it comes down in long soft rays onto her crown and
// fades out over the top of her hair.
float shaftBetween(float x, float y, const std::vector<float>& left, const std::vector<float>& right)
{
    int row = std::min(std::max(int(y), 0), int(left.size()) - 1);
    float l = left[size_t(row)], r = right[size_t(row)];
    if (l < 0 || r < 0)
        return 0;
    // Fullest down its middle and thinning towards the locks, as light in
    // haze does: filled to its edges it would read as a pale solid.
    float across = clamp01((x - l) / std::max(r - l, 1.f));
    float haze = std::pow(std::max(0.f, std::sin(3.1416f * across)), 1.5f) * smoothstep(2, 8, std::min(x - l, r - x));
    float rays = 0.8f + 0.4f * fractalNoise(x / 12.f, y / 240.f, 2, 2608);
    // Thinning as it falls from the top of the frame, so it reaches her
    // crown as a glow and stops nowhere in an edge.
    float fall = smoothstep(crownTop + 0.5f * remembered.ry, -20, y);
    return haze * fall * rays;
}

// Where a lock crosses each row of the picture, for the rows it reaches (-1
// below its loose end).
std::vector<float> lockAcrossRows(const std::vector<Point>& path, int rows)
{
    std::vector<float> across(size_t(rows), -1.f);
    for (size_t i = 1; i < path.size(); ++i)
    {
        Point a = path[i - 1], b = path[i];
        for (int y = int(std::ceil(std::min(a.y, b.y))); y <= int(std::max(a.y, b.y)) && y < rows; ++y)
            if (y >= 0 && b.y != a.y)
                across[size_t(y)] = a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y);
    }
    return across;
}

// Her hair between the two locks: a dark chestnut mass, warmer towards the
// locks at its edges and where the beam falls, combed down in streaks, its
// ends thinning out below the locks' loose ends.
Colour hairBetweenLocks(float x, float y, const std::vector<float>& left, const std::vector<float>& right)
{
    int row = std::min(std::max(int(y), 0), int(left.size()) - 1);
    // Past a lock's loose end the mass keeps to where that lock ended.
    auto reach = [&](const std::vector<float>& lock, float& fade) {
        int r = row;
        while (r > 0 && lock[size_t(r)] < 0)
            --r;
        fade = smoothstep(float(r) + 40, float(r), y);
        return lock[size_t(r)];
    };
    float fadeL, fadeR;
    float l = reach(left, fadeL), r = reach(right, fadeR);
    float inside = std::min(x - l, r - x);
    // Above the chin it fills the space round her face; below, it falls
    // over her shoulders along the locks and leaves the dress between;
    // above her crown the shaft of light comes down between the locks.
    float chin = remembered.y + remembered.ry;
    float beside = std::max(smoothstep(chin + 22, chin - 18, y), smoothstep(40, 16, inside));
    float below = smoothstep(crownTop - 6, crownTop + 18, y);
    float cover = fill(-inside, 3) * std::min(fadeL, fadeR) * beside * below;
    if (cover <= 0)
        return rgb(0, 0, 0, 0);
    float edge = std::exp(-std::max(inside, 0.f) / 14.f);
    float streak = fractalNoise(x / 3.f, y / 60.f, 2, 2607);
    Colour c = mix(rgb(84, 52, 32), rgb(196, 136, 80), clamp01(0.3f * streak + 0.3f * edge + 0.4f * beamAt(x, y) - 0.25f));
    c.a = cover;
    return c;
}

// How much the light from the upper right reaches her face, 1 lit to about
// a half in shade: a shadow side down her far cheek, whose edge comes in
// under the cheekbone and goes out again round the chin, and the shadow
// her jaw throws down her neck, longest on the far side.
float faceInTheLight(float x, float y)
{
    float u = (x - remembered.x) / remembered.rx, v = (y - remembered.y) / remembered.ry;
    float terminator = -0.4f + 0.1f * smoothstep(0.f, 0.45f, v) - 0.14f * smoothstep(0.55f, 0.95f, v);
    float farCheek = smoothstep(terminator + 0.07f, terminator - 0.07f, u);
    float underJaw = v - (1 - 0.9f * u * u);
    float neck = smoothstep(-0.03f, 0.04f, underJaw) * smoothstep(0.42f - 0.2f * u, 0.2f - 0.2f * u, underJaw);
    return 1 - 0.4f * farCheek - 0.3f * neck * (1 - 0.4f * farCheek);
}

Colour herInTheLight(float x, float y, Colour dark, const std::vector<float>& left, const std::vector<float>& right)
{
    // Her skin fades below the throat, so that the light gathers in her face
    // and the neckline does not read as a collar.
    Colour skin = sitterSkin(x, y, remembered);
    skin.a *= 1 - 0.6f * smoothstep(remembered.y + 1.03f * remembered.ry, remembered.y + 1.5f * remembered.ry, y);
    Colour hair = sitterHair(x, y, remembered);
    Colour c = dark;
    float body = 0;
    Colour dress = sitterDress(x, y, remembered, 112, 470);
    for (Colour part : {dress, hairBetweenLocks(x, y, left, right), skin, hair})
    {
        blendOver(c, part, 1);
        body = std::max(body, part.a);
    }
    // Memory keeps her values and loses most of the colour: everything goes
    // towards one warm amber, a little of the dress's red left, and more of
    // her lips' red, so that her mouth still reads;
    float value = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
    Colour amber = scaled(rgb(255, 196, 136), value);
    float lips = skin.a * smoothstep(0.3f, 0.45f, (c.r - c.g) / std::max(c.r, 1e-3f));
    c = mix(amber, c, 0.3f + 0.5f * lips);
    // the shaft's light lies on the top of her hair,
    c = mix(c, rgb(232, 184, 124), 0.4f * hair.a * shaftBetween(x, y, left, right));
    // her face turns from the one light into shade,
    float face = skin.a * (1 - hair.a);
    c = scaled(c, 1 - (1 - faceInTheLight(x, y)) * face);
    // and a veil of the beam's light over all of her lifts the dress out of
    // the dark, so that her shoulders still show through the haze; thinner
    // over her face, so that its values stay clear.
    c = mix(c, rgb(150, 112, 84), 0.22f * (1 - 0.8f * skin.a));
    // The beam catches the tops of her shoulders and the folds below them.
    c = mix(c, rgb(196, 140, 96), 0.35f * dress.a * beamAt(x, y) * smoothstep(remembered.y + 3.1f * remembered.ry, remembered.y + 1.5f * remembered.ry, y));
    float lit = 0.45f + 0.55f * beamAt(x, y);
    float near = std::exp(-length((x - remembered.x) / 150.f, (y - remembered.y - 40) / 230.f));
    float presence = body * smoothstep(0.12f, 0.6f, near) * lit;
    return mix(dark, scaled(c, 0.95f), 0.85f * presence);
}

// The strokes that repaint her face: along the curve of the forehead, down
// the nose and the neck, down the cheeks and in towards the chin, across
// the chin; round the head the hair's own combing. Directions are blended
// as doubled angles, since a stroke runs both ways.
float faceFlow(float x, float y, const Sitter& s)
{
    float u = (x - s.x) / s.rx, v = (y - s.y) / s.ry;
    float side = u < 0 ? -1.f : 1.f, au = std::fabs(u);
    float d = length(u / 0.86f, v);
    float around = std::atan2((y - s.y) * s.rx / s.ry, x - s.x) + 1.5708f;
    float forehead = smoothstep(-0.2f, -0.4f, v);
    float nose = smoothstep(0.2f, 0.1f, au) * smoothstep(-0.3f, -0.15f, v) * smoothstep(0.5f, 0.4f, v);
    float chin = smoothstep(0.65f, 0.8f, v) * smoothstep(0.45f, 0.3f, au);
    float cheeks = std::max(0.f, 1 - forehead - nose - chin);
    float inHead = smoothstep(1.1f, 0.95f, d);
    float c = 0, sn = 0;
    auto add = [&](float angle, float weight) {
        c += weight * std::cos(2 * angle);
        sn += weight * std::sin(2 * angle);
    };
    add(around, forehead * inHead);
    add(1.5708f, nose * inHead + smoothstep(0.9f, 1.1f, v) * smoothstep(0.6f, 0.4f, au));
    add(1.5708f + side * 0.45f * smoothstep(0.1f, 0.85f, v), cheeks * inHead);
    add(around, chin * inHead);
    add(sitterHairFlow(x, y, s), 1 - inHead);
    return 0.5f * std::atan2(sn, c);
}

// Lays one lock of hair over the canvas: many fine hairs close together
// where it hangs from the top, each waving a little on its own, fanning out
// and thinning towards the loose end, some ending early; the middle hair
// keeps to the path itself. Each hair is gold where the beam catches it and
// chestnut in the shade.
void layLock(Canvas& canvas, const std::vector<Point>& path, int count, uint32_t seed)
{
    std::vector<float> walked(path.size(), 0.f);
    for (size_t i = 1; i < path.size(); ++i)
        walked[i] = walked[i - 1] + length(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    float total = std::max(walked.back(), 1.f);
    // The way the lock runs at each point of its path, turning smoothly from
    // one point to the next, so that the hairs laid out to its sides bend
    // with it instead of jumping across at each corner of the path.
    std::vector<Point> heading(path.size());
    for (size_t i = 0; i < path.size(); ++i)
    {
        Point a = path[i == 0 ? 0 : i - 1], b = path[std::min(i + 1, path.size() - 1)];
        float d = std::max(length(b.x - a.x, b.y - a.y), 1e-3f);
        heading[i] = {(b.x - a.x) / d, (b.y - a.y) / d};
    }
    // Coverage of the hair being laid, kept per pixel so that a hair covers
    // each pixel once however many of its steps fall there.
    std::vector<float> cover(canvas.pixels.size(), 0.f);
    std::vector<size_t> touched;
    for (int k = 0; k < count; ++k)
    {
        float lane = count > 1 ? 2.f * k / (count - 1) - 1 : 0;
        bool middle = k == count / 2;
        if (middle)
            lane = 0;
        lane += middle ? 0 : 0.15f * (hashUnit(k, seed) - 0.5f);
        float endsAt = middle || std::fabs(lane) < 0.25f ? 1.f : 1 - 0.3f * hashUnit(k, seed, 1);
        float phase = 6.2832f * hashUnit(k, seed, 2), period = 22 + 16 * hashUnit(k, seed, 3);
        float thickness = middle ? 1.4f : 0.55f + 0.45f * hashUnit(k, seed, 4);
        float strength = middle ? 1.f : 0.55f + 0.45f * hashUnit(k, seed, 5) - 0.25f * std::fabs(lane);
        touched.clear();
        size_t segment = 0;
        for (float along = 0; along <= total * endsAt; along += 0.4f)
        {
            while (segment + 2 < path.size() && walked[segment + 1] < along)
                ++segment;
            Point a = path[segment], b = path[segment + 1];
            float span = std::max(walked[segment + 1] - walked[segment], 1e-3f);
            float t = clamp01((along - walked[segment]) / span);
            Point h{mix(heading[segment].x, heading[segment + 1].x, t), mix(heading[segment].y, heading[segment + 1].y, t)};
            float turn = std::max(length(h.x, h.y), 1e-3f);
            float dx = h.x / turn, dy = h.y / turn;
            float s = along / total;
            // Close at the root, fanning out and waving more towards the end.
            float spread = lane * (3.5f + 16 * s * s) + (middle ? 0 : (0.8f + 4.5f * s) * std::sin(along / period + phase));
            float cx = a.x + (b.x - a.x) * t - dy * spread, cy = a.y + (b.y - a.y) * t + dx * spread;
            float half = 0.5f * thickness * (1 - (middle ? 0.f : 0.6f) * smoothstep(0.6f, 1.f, along / (total * endsAt)));
            for (int py = int(cy - 2); py <= int(cy + 2); ++py)
                for (int px = int(cx - 2); px <= int(cx + 2); ++px)
                {
                    if (px < 0 || py < 0 || px >= canvas.width || py >= canvas.height)
                        continue;
                    // A soft edge wider than a pixel, so that a fine hair
                    // at a slant shows no steps, a little stronger for it.
                    float c = fill(length(px + 0.5f - cx, py + 0.5f - cy) - half, 1.8f) * strength * 1.2f;
                    size_t i = size_t(py) * canvas.width + px;
                    if (c > cover[i])
                    {
                        if (cover[i] == 0)
                            touched.push_back(i);
                        cover[i] = c;
                    }
                }
        }
        for (size_t i : touched)
        {
            float x = float(i % canvas.width), y = float(i / canvas.width);
            // A sheen that runs along the hair where its waves turn to the light.
            float sheen = 0.5f + 0.5f * std::sin(y / 19.f + phase);
            float light = 0.4f + 0.6f * beamAt(x, y) * (0.45f + 0.55f * sheen);
            Colour hair = light < 0.6f ? mix(rgb(120, 70, 38), rgb(214, 150, 86), light / 0.6f)
                                       : mix(rgb(214, 150, 86), rgb(255, 232, 178), (light - 0.6f) / 0.4f);
            Colour& under = canvas.pixels[i];
            under = mix(under, Colour{hair.r, hair.g, hair.b, 1}, clamp01(cover[i]));
            cover[i] = 0;
        }
    }
}
}

Canvas paintBrushOnPalette()
{
    Composition still = [](float x, float y) {
        // A dark table, the wooden palette on it lit from the upper left.
        Colour c = mix(rgb(30, 25, 24), rgb(56, 44, 36), fractalNoise(x / 200.f, y / 30.f, 3, 2501));
        c = mix(c, rgb(74, 60, 48), std::exp(-length(x - 420, y - 160) / 380.f) * 0.5f);
        float palette = sdEllipse(x, y, 640, 350, 360, 230) + 14 * (fractalNoise(x / 90.f, y / 90.f, 2, 2506) - 0.5f);
        float thumbHole = sdCircle(x, y, 392, 440, 26);
        float board = std::max(palette, -thumbHole);
        // The palette's shadow on the table.
        float dropped = std::max(sdEllipse(x - 14, y - 18, 640, 350, 360, 230), -sdCircle(x - 14, y - 18, 392, 440, 26));
        c = scaled(c, 1 - 0.4f * fill(dropped, 30));
        if (board < 0)
        {
            float grain = fractalNoise(x / 80.f + y / 300.f, y / 7.f, 3, 2502);
            c = mix(rgb(126, 92, 60), rgb(190, 150, 104), smoothstep(980, 360, x + 0.4f * y));
            c = scaled(c, 0.88f + 0.2f * grain);
            // Old paint worn into the wood near its rim, and its bevelled edge.
            c = mix(c, rgb(120, 110, 96), smoothstep(-40, -5, board) * 0.3f);
            c = mix(c, rgb(222, 190, 140), fill(std::fabs(board + 3) - 1.5f, 2) * smoothstep(700, 400, x + y * 0.5f) * 0.6f);
        }
        // Mounds of paint with smears pulled from them by the knife: ochre,
        // blue, white, umber, a grey green. The only red is on the brush.
        const Colour dabs[] = {rgb(214, 170, 80), rgb(64, 82, 124), rgb(236, 230, 214), rgb(104, 70, 44), rgb(110, 124, 104)};
        const Point places[] = {{430, 290}, {540, 212}, {720, 170}, {860, 250}, {870, 420}};
        for (int i = 0; i < 5; ++i)
        {
            float wobble = 10 * fractalNoise(x / 14.f, y / 14.f, 2, 2503 + i);
            float mound = sdCircle(x, y, places[i].x, places[i].y, 24 + wobble);
            Point smearEnd{places[i].x + 50 - 20.f * i, places[i].y + 46};
            float smear = sdSegment(x, y, places[i], smearEnd, 12 + wobble * 0.5f);
            float thin = segmentParam(x, y, places[i], smearEnd);
            c = mix(c, scaled(dabs[i], 0.9f), fill(smear, 8) * (0.8f - 0.5f * thin));
            if (mound < 0)
            {
                // Lit on the upper left, a glossy highlight, shade below.
                float lit = smoothstep(places[i].y + 24, places[i].y - 24, y + 0.6f * (x - places[i].x));
                c = mix(scaled(dabs[i], 0.72f), scaled(dabs[i], 1.15f), lit);
                c = mix(c, rgb(250, 246, 236), fill(sdCircle(x, y, places[i].x - 9, places[i].y - 9, 4), 3) * 0.7f);
            }
        }
        // The brush's soft shadow on the palette, below and to the right.
        float shadow = sdSegment(x, y, {handleEnd.x + 7, handleEnd.y + 10}, {bristleTip.x + 7, bristleTip.y + 10}, 7);
        c = scaled(c, 1 - 0.4f * fill(shadow, 10));
        // The brush: a crimson lacquered handle, a crimped brass ferrule,
        // a flat of bristles loaded with red paint at their tip.
        float s = segmentParam(x, y, handleEnd, bristleTip);
        float d = sdSegment(x, y, handleEnd, bristleTip, 0);
        const float ferruleStart = 0.55f, bristleStart = 0.68f;
        // Half width along the brush: a tapered handle, the ferrule, the
        // bristles swelling a little and closing to a point.
        float halfWidth = 5.5f + 2.5f * smoothstep(0.f, 0.45f, s);
        if (s >= ferruleStart && s < bristleStart)
            halfWidth = 8;
        else if (s >= bristleStart && s < 0.8f)
            halfWidth = mix(8.f, 11.f, (s - bristleStart) / (0.8f - bristleStart));
        else if (s >= 0.8f)
            halfWidth = 2 + 9 * std::sqrt(std::max(0.f, 1 - (s - 0.8f) * (s - 0.8f) / 0.04f));
        if (d < halfWidth + 0.5f)
        {
            float across = d / halfWidth;
            float round = std::sqrt(std::max(0.f, 1 - across * across));
            // Which side of the spine: the upper left side faces the light.
            float side = (bristleTip.x - handleEnd.x) * (y - handleEnd.y) - (bristleTip.y - handleEnd.y) * (x - handleEnd.x);
            float lit = side < 0 ? 0.7f + 0.4f * round : 0.45f + 0.45f * round;
            Colour part;
            if (s < ferruleStart)
            {
                part = rgb(168, 26, 36);
                // A long highlight along the lacquer.
                part = mix(part, rgb(246, 176, 170), (side < 0 ? 1.f : 0.f) * smoothstep(0.7f, 0.5f, std::fabs(across - 0.45f) * 3) * 0.5f);
            }
            else if (s < bristleStart)
            {
                float crimp = 0.5f + 0.5f * std::sin((s - ferruleStart) * 240);
                part = scaled(mix(rgb(150, 120, 64), rgb(226, 196, 126), crimp * 0.6f + 0.4f * round), 1.f);
            }
            else
            {
                float bristles = valueNoise(d * (side < 0 ? -1 : 1) / 1.6f, s * 30, 2507);
                part = mix(rgb(120, 86, 56), rgb(176, 134, 90), bristles);
                part = mix(part, rgb(176, 26, 32), smoothstep(0.8f, 0.9f, s + 0.04f * bristles));
            }
            c = mix(c, scaled(part, lit), fill(d - halfWidth, 1.5f));
        }
        return c;
    };
    PaintStyle style = brushStyle(2504, 24, 1.6f, 6, 0.45f);
    return paintComposition(screenW, screenH, still, noisyFlow(-0.65f, 0.2f, 200, 2505), style);
}

Canvas paintHangingStrands()
{
    std::vector<Point> first = strandPath(0, 39);
    std::vector<Point> second = strandPath(73, 40);
    std::vector<float> leftLock = lockAcrossRows(first, screenH), rightLock = lockAcrossRows(second, screenH);
    Composition darkness = [=](float x, float y) {
        // Darkness with a shaft of light falling from the upper right, dust
        // drifting in it.
        float beam = beamAt(x, y);
        Colour c = mix(rgb(16, 18, 28), rgb(62, 60, 76), beam * smoothstep(720, 0, y));
        float mote = hashUnit(uint32_t(x / 3), uint32_t(y / 3), 2605);
        c = mix(c, rgb(170, 160, 150), (mote > 0.9985f ? 0.6f : 0.f) * beam);
        // The shaft between the locks, warm under the glaze of its light.
        c = mix(c, rgb(150, 108, 70), 0.3f * shaftBetween(x, y, leftLock, rightLock));
        // A warm haze round each lock where the light catches it.
        float d = std::min(sdPolyline(x, y, first, 0), sdPolyline(x, y, second, 0));
        c = herInTheLight(x, y, c, leftLock, rightLock);
        return mix(c, rgb(150, 96, 52), std::exp(-d / 10.f) * 0.4f * (0.4f + 0.6f * beam));
    };
    PaintStyle style = brushStyle(2601, 26, 5, 4, 0.4f);
    style.detailThreshold = 0.08f;
    // The surface is finished once her face is in, so that it lies over
    // the fine brushwork as over the rest.
    PaintStyle unfinished = style;
    unfinished.surface = Surface::none;
    unfinished.vignette = 0;
    Canvas canvas = paintComposition(screenW, screenH, darkness, noisyFlow(1.3f, 0.25f, 200, 2602), unfinished);
    // Her face painted again with a small brush along its planes, as in the
    // portrait, so that her eyes, nose and mouth keep their drawing; it
    // fades into the first brushwork round her head.
    {
        const int faceW = 150, faceH = 200, faceLeft = int(remembered.x) - 75, faceTop = int(remembered.y) - 94;
        const Sitter local{remembered.x - faceLeft, remembered.y - faceTop, remembered.rx, remembered.ry};
        Composition face = [=](float x, float y) { return darkness(x + faceLeft, y + faceTop); };
        PaintStyle fine = brushStyle(2606, 8, 1.4f, 5, 0, Surface::none);
        fine.detailThreshold = 0.03f;
        fine.taperedStrokes = true;
        Canvas painted = paintComposition(faceW, faceH, face, [=](float x, float y) { return faceFlow(x, y, local); }, fine);
        for (int y = 0; y < faceH; ++y)
            for (int x = 0; x < faceW; ++x)
            {
                float head = sdEllipse(x + 0.5f, y + 0.5f, local.x, local.y + 8, local.rx + 8, local.ry + 16);
                float weight = fill(head, 10) * at(painted, x, y).a;
                Colour& under = at(canvas, faceLeft + x, faceTop + y);
                under = mix(under, Colour{at(painted, x, y).r, at(painted, x, y).g, at(painted, x, y).b, under.a}, weight);
                // Her eyes, lids and lashes are drawn last with the point of
                // the brush, so that the lids still lie over the irises.
                float eyes = 1e9f;
                for (float side : {-1.f, 1.f})
                    eyes = std::min(eyes, sdEllipse(x + 0.5f, y + 0.5f, local.x + side * 0.36f * local.rx, local.y - 0.05f * local.ry,
                                                    0.3f * local.rx, 0.14f * local.ry));
                if (eyes < 3)
                    under = mix(under, face(x + 0.5f, y + 0.5f), 0.85f * fill(eyes, 3));
            }
    }
    finishSurface(canvas, style);
    // The light of the shaft glazed over the brushwork, onto her crown.
    for (int y = 0; y < int(crownTop + 0.5f * remembered.ry) + 1; ++y)
        for (int x = int(remembered.x) - 120; x < int(remembered.x) + 120; ++x)
        {
            float shaft = shaftBetween(x + 0.5f, y + 0.5f, leftLock, rightLock);
            Colour& c = at(canvas, x, y);
            // Veiling the strokes beneath it, then shining through.
            Colour light = rgb(236, 184, 124);
            c = mix(c, scaled(light, 0.62f), 0.3f * shaft);
            float k = 0.25f * shaft;
            c = {c.r + (1 - c.r) * light.r * k, c.g + (1 - c.g) * light.g * k, c.b + (1 - c.b) * light.b * k, c.a};
        }
    // The hairs themselves, finer than any brush stroke.
    layLock(canvas, first, 61, 2603);
    layLock(canvas, second, 55, 2604);
    return canvas;
}

#include "paint/poem_page.h"

#include "paint/canvas.h"
#include "paint/noise.h"
#include "paint/shapes.h"

#include <algorithm>
#include <cmath>

// The ink of the show's bold hand at 75 px, each line 100 px below and 10 px
// to the right of the one before, from (40, 50).
const InkBox firstPoemInk[poemLines] = {
    {45, 70, 510, 146}, {55, 170, 474, 232}, {65, 270, 997, 346},
    {70, 370, 786, 431}, {80, 470, 1118, 546}, {92, 570, 399, 646},
};
const InkBox secondPoemInk[poemLines] = {
    {45, 70, 608, 146}, {50, 170, 1066, 246}, {65, 270, 1043, 346},
    {75, 370, 979, 446}, {80, 470, 620, 546}, {92, 570, 309, 646},
};

PoemPool poolRound(const InkBox (&lines)[poemLines])
{
    // The corners of every box, sorted, wrapped by the monotone chain.
    std::vector<Point> corners;
    for (const InkBox& box : lines)
        for (Point p : {Point{box.left, box.top}, Point{box.right, box.top}, Point{box.right, box.bottom},
                        Point{box.left, box.bottom}})
            corners.push_back(p);
    std::sort(corners.begin(), corners.end(),
              [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    auto turn = [](Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
    std::vector<Point> hull(2 * corners.size());
    size_t k = 0;
    for (size_t i = 0; i < corners.size(); ++i)
    {
        while (k >= 2 && turn(hull[k - 2], hull[k - 1], corners[i]) <= 0)
            --k;
        hull[k++] = corners[i];
    }
    for (size_t i = corners.size() - 1, lower = k + 1; i-- > 0;)
    {
        while (k >= lower && turn(hull[k - 2], hull[k - 1], corners[i]) <= 0)
            --k;
        hull[k++] = corners[i];
    }
    hull.resize(k);
    return PoemPool{hull};
}

float fromPool(const PoemPool& pool, float x, float y)
{
    float nearest = 1e9f;
    for (size_t i = 1; i < pool.outline.size(); ++i)
        nearest = std::min(nearest, sdSegment(x, y, pool.outline[i - 1], pool.outline[i], 0));
    return insidePolygon(x, y, pool.outline) ? -nearest : nearest;
}

float poolFalloff(const PoemPool& pool, float x, float y, uint32_t seed)
{
    float d = fromPool(pool, x, y);
    // Three to five broad lobes along the edge, reaching out more than in,
    // so they never dim the ends of the lines; and the wash of the brush.
    float push = 90 * (fractalNoise(x / 300.f, y / 300.f, 2, seed) - 0.5f) +
                 30 * (fractalNoise(x / 150.f, y / 60.f, 3, seed + 1) - 0.5f) + 8 * (fractalNoise(x / 40.f, y / 9.f, 2, seed + 2) - 0.5f);
    d -= std::max(push, -5.f);
    // The glow beyond is laid in strokes running along the edge: streaks
    // that reach a little farther or stop a little short.
    float streak = fractalNoise(x / 90.f + y / 260.f, y / 22.f - x / 400.f, 2, seed + 3);
    float body = smoothstep(-4, 52, d);
    float glow = 1 - smoothstep(0, 170 + 70 * (streak - 0.5f), d);
    // Light falls off faster than a straight ramp would give in value, so
    // the glow stays dim however far it reaches.
    float light = 0.65f * (1 - body) + 0.35f * glow * glow;
    return 1 - std::pow(light, 1.6f);
}

float awayFromLines(float x, float y, const InkBox (&lines)[poemLines], float margin, float reach, float round)
{
    float nearest = 1e9f;
    for (const InkBox& box : lines)
    {
        float hw = (box.right - box.left) / 2, hh = (box.bottom - box.top) / 2;
        float d = sdBox(x, y, box.left + hw, box.top + hh, hw, hh);
        if (round <= 0 || nearest > 1e8f)
        {
            nearest = std::min(nearest, d);
            continue;
        }
        // A smooth minimum: never farther than the nearer box, closer where
        // two boxes are both near.
        float h = std::clamp(0.5f + 0.5f * (nearest - d) / round, 0.f, 1.f);
        nearest = nearest + (d - nearest) * h - round * h * (1 - h);
    }
    return smoothstep(margin, margin + reach, nearest);
}

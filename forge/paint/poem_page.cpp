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
    PoemPool pool{hull, {}};

    // The distance to the outline on a coarse grid, blurred: where the
    // distance runs straight the blur leaves it as it is, and at each corner
    // it rounds the outline off, so that the light has no corner to show.
    const int step = PoemPool::gridStep, w = PoemPool::gridW, h = PoemPool::gridH;
    std::vector<float> sharp(size_t(w) * h), across(sharp.size());
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
        {
            float x = PoemPool::gridLeft + i * step, y = PoemPool::gridTop + j * step;
            float nearest = 1e9f;
            for (size_t n = 1; n < hull.size(); ++n)
                nearest = std::min(nearest, sdSegment(x, y, hull[n - 1], hull[n], 0));
            sharp[size_t(j) * w + i] = insidePolygon(x, y, hull) ? -nearest : nearest;
        }
    const float sigma = 28.f / step;
    const int reach = int(3 * sigma);
    std::vector<float> kernel(2 * reach + 1);
    float total = 0;
    for (int n = -reach; n <= reach; ++n)
        total += kernel[n + reach] = std::exp(-0.5f * n * n / (sigma * sigma));
    for (float& weight : kernel)
        weight /= total;
    // The grid's border is held beyond its edge, where the distance still
    // runs straight away from the pool.
    auto blur = [&](const std::vector<float>& from, std::vector<float>& to, int di, int dj) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
            {
                float sum = 0;
                for (int n = -reach; n <= reach; ++n)
                {
                    int u = std::clamp(i + n * di, 0, w - 1), v = std::clamp(j + n * dj, 0, h - 1);
                    sum += kernel[n + reach] * from[size_t(v) * w + u];
                }
                to[size_t(j) * w + i] = sum;
            }
    };
    pool.rounded.resize(sharp.size());
    blur(sharp, across, 1, 0);
    blur(across, pool.rounded, 0, 1);
    return pool;
}

float fromPool(const PoemPool& pool, float x, float y)
{
    float gx = (x - PoemPool::gridLeft) / PoemPool::gridStep, gy = (y - PoemPool::gridTop) / PoemPool::gridStep;
    gx = std::clamp(gx, 0.f, PoemPool::gridW - 1.001f), gy = std::clamp(gy, 0.f, PoemPool::gridH - 1.001f);
    int i = int(gx), j = int(gy);
    float fx = gx - i, fy = gy - j;
    auto at = [&](int u, int v) { return pool.rounded[size_t(v) * PoemPool::gridW + u]; };
    return (at(i, j) * (1 - fx) + at(i + 1, j) * fx) * (1 - fy) + (at(i, j + 1) * (1 - fx) + at(i + 1, j + 1) * fx) * fy;
}

float poolFalloff(const PoemPool& pool, float x, float y, uint32_t seed)
{
    return lightFalloff(fromPool(pool, x, y), x, y, seed);
}

float lightFalloff(float fromEdge, float x, float y, uint32_t seed, float width)
{
    // The edge swells out by one or two broad, calm lobes, never a notch,
    // and hardly in at all, so that they never dim the lines' ends.
    float d = fromEdge - std::max(60 * (fractalNoise(x / 520.f, y / 520.f, 2, seed) - 0.5f), -3.f);
    // Lamplight on paper: full over the lines, then going into the dark
    // gently and ever more slowly over `width` pixels, with no knee where
    // the eye could find a cut; most of the light still goes in the first
    // sixty, so the lit area stays what the frame before the poem allows.
    float t = clamp01(d / width);
    float light = std::pow(1 - t * smoothstep(0, 0.12f, t), 4.2f);
    // Where the pool runs up to the frame's top and left edges the light
    // dims before them, as if the lamp stood inside the frame.
    light *= 1 - 0.8f * smoothstep(44, 0, std::min(x, y));
    return 1 - light;
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

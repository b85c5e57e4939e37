// The stroke renderer. Each pass lays strokes on a jittered grid in a
// shuffled order; after the first, a stroke is laid only where the canvas
// still differs from the composition, so fine brushes gather at edges and
// details while broad areas keep their broad strokes.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/shapes.h"

#include <algorithm>
#include <cmath>

Canvas renderComposition(int width, int height, const Composition& composition)
{
    Canvas canvas = makeCanvas(width, height, {0, 0, 0, 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            at(canvas, x, y) = composition(x + 0.5f, y + 0.5f);
    return canvas;
}

PaintStyle brushStyle(uint32_t seed, float coarseBrush, float fineBrush, int passes, float vignette, Surface surface)
{
    PaintStyle style;
    style.seed = seed;
    style.coarseBrush = coarseBrush;
    style.fineBrush = fineBrush;
    style.passes = passes;
    style.vignette = vignette;
    style.surface = surface;
    return style;
}

FlowField noisyFlow(float mainAngle, float swirl, float scale, uint32_t seed)
{
    return [=](float x, float y) {
        return mainAngle + swirl * (fractalNoise(x / scale, y / scale, 2, seed) - 0.5f) * 6.2832f;
    };
}

namespace
{
const float pi = 3.14159265f;

float difference(const Colour& a, const Colour& b)
{
    return (std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b)) / 3 +
           std::fabs(a.a - b.a) * 0.5f;
}

struct Stroke
{
    std::vector<Point> path;
    Colour colour;
    float radius;
    uint32_t seed;
};

// Follows the flow field both ways from the start, stopping early where the
// composition's colour leaves the stroke's colour (so strokes stop at edges).
void tracePath(Stroke& stroke, const Canvas& target, const FlowField& flow, float length, Point start)
{
    float step = std::max(stroke.radius * 0.9f, 1.f);
    int halfSteps = std::max(1, int(length / step / 2));
    std::vector<Point> back, ahead;
    for (int dir = 0; dir < 2; ++dir)
    {
        Point p = start;
        float previousAngle = flow(p.x, p.y) + (dir ? pi : 0);
        std::vector<Point>& out = dir ? back : ahead;
        for (int i = 0; i < halfSteps; ++i)
        {
            float angle = flow(p.x, p.y) + (dir ? pi : 0);
            // Keep heading the same way when the field's angle flips by pi.
            if (std::cos(angle - previousAngle) < 0)
                angle += pi;
            previousAngle = angle;
            Point next{p.x + std::cos(angle) * step, p.y + std::sin(angle) * step};
            if (next.x < -stroke.radius || next.y < -stroke.radius || next.x > target.width + stroke.radius ||
                next.y > target.height + stroke.radius)
                break;
            Colour there = sampleBilinear(target, next.x, next.y);
            if (i > 0 && difference(there, stroke.colour) > 0.12f)
                break;
            out.push_back(next);
            p = next;
        }
    }
    stroke.path.assign(back.rbegin(), back.rend());
    stroke.path.push_back(start);
    stroke.path.insert(stroke.path.end(), ahead.begin(), ahead.end());
}

// Rasterises one stroke: a tapered band with bristle streaks along it.
void layStroke(Canvas& canvas, const Stroke& stroke, float opacity, bool tapered)
{
    float r = stroke.radius;
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (const Point& p : stroke.path)
    {
        minX = std::min(minX, p.x); maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y); maxY = std::max(maxY, p.y);
    }
    int x0 = std::max(0, int(minX - r - 2)), x1 = std::min(canvas.width - 1, int(maxX + r + 2));
    int y0 = std::max(0, int(minY - r - 2)), y1 = std::min(canvas.height - 1, int(maxY + r + 2));
    if (x0 > x1 || y0 > y1)
        return;
    // Arc length at each path point, for the taper and the streaks.
    std::vector<float> arc(stroke.path.size(), 0.f);
    for (size_t i = 1; i < stroke.path.size(); ++i)
        arc[i] = arc[i - 1] + length(stroke.path[i].x - stroke.path[i - 1].x, stroke.path[i].y - stroke.path[i - 1].y);
    float total = std::max(arc.back(), 1e-3f);
    float feather = tapered ? std::max(1.5f, r * 0.3f) : std::max(1.2f, r * 0.25f);
    float bristleScale = std::max(0.8f, r * 0.35f);
    // Nearest point of the path for every pixel of the box, found segment by
    // segment over each segment's own small box.
    int boxW = x1 - x0 + 1, boxH = y1 - y0 + 1;
    struct Nearest { float distance = 1e9f, along = 0, side = 0; };
    std::vector<Nearest> nearest(size_t(boxW) * boxH);
    float reach = r + feather + 1;
    size_t segments = std::max<size_t>(1, stroke.path.size() - 1);
    for (size_t i = 0; i < segments; ++i)
    {
        Point a = stroke.path[i], b = stroke.path[std::min(i + 1, stroke.path.size() - 1)];
        int sx0 = std::max(x0, int(std::min(a.x, b.x) - reach)), sx1 = std::min(x1, int(std::max(a.x, b.x) + reach));
        int sy0 = std::max(y0, int(std::min(a.y, b.y) - reach)), sy1 = std::min(y1, int(std::max(a.y, b.y) + reach));
        float arcA = arc[i], arcB = arc[std::min(i + 1, arc.size() - 1)];
        for (int y = sy0; y <= sy1; ++y)
            for (int x = sx0; x <= sx1; ++x)
            {
                float px = x + 0.5f, py = y + 0.5f;
                float t = segmentParam(px, py, a, b);
                float dx = px - (a.x + (b.x - a.x) * t), dy = py - (a.y + (b.y - a.y) * t);
                float squared = dx * dx + dy * dy;
                Nearest& n = nearest[size_t(y - y0) * boxW + (x - x0)];
                if (squared < n.distance * n.distance)
                {
                    float d = std::sqrt(squared);
                    float cross = (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
                    n = {d, arcA + (arcB - arcA) * t, cross < 0 ? -d : d};
                }
            }
    }
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            const Nearest& n = nearest[size_t(y - y0) * boxW + (x - x0)];
            if (n.distance > reach)
                continue;
            // The band: a ragged edge that wanders along the stroke, a blunt
            // start and a tail that breaks up into the marks of single bristles.
            float s = n.along / total;
            float wander = valueNoise(n.along / (r * 1.5f + 1), 0.5f, stroke.seed ^ 0x5A5Au);
            float width = r * (0.8f + 0.3f * wander) * (1 - 0.25f * smoothstep(0.6f, 1.f, s));
            if (tapered)
            {
                // Narrowing over the first and last stretch to a point.
                float ends = std::min(n.along, total - n.along);
                width = r * (0.85f + 0.2f * wander) * (0.15f + 0.85f * std::sqrt(smoothstep(0, std::min(total * 0.4f, r * 3), ends)));
            }
            float coverage = fill(n.distance - width, feather);
            if (coverage <= 0.003f)
                continue;
            float streak = valueNoise(n.side / bristleScale, n.along / (r * 5 + 4), stroke.seed);
            if (tapered)
            {
                // Bristle marks inside, fading out towards the edge, where
                // the paint thins evenly instead.
                float inner = 1 - smoothstep(0.5f, 1.f, n.distance / std::max(width, 0.5f));
                Colour paint = scaled(stroke.colour, 1 + 0.1f * (streak - 0.5f) * inner);
                paint.a = stroke.colour.a;
                coverage *= 1 - 0.25f * inner * (1 - streak);
                Colour& under = at(canvas, x, y);
                under = mix(under, paint, clamp01(coverage * opacity));
                continue;
            }
            float edge = n.distance / std::max(width, 0.5f);
            float ragged = smoothstep(0.55f, 1.f, edge) + smoothstep(0.65f, 1.f, s);
            coverage *= smoothstep(ragged * 0.7f - 0.1f, ragged * 0.7f + 0.15f, streak);
            coverage *= 0.7f + 0.3f * streak;
            // Bristles shade the paint a little, like ridges catching light.
            Colour paint = scaled(stroke.colour, 0.94f + 0.1f * streak);
            paint.a = stroke.colour.a;
            Colour& under = at(canvas, x, y);
            under = mix(under, paint, clamp01(coverage * opacity));
        }
}
}

Canvas paintComposition(int width, int height, const Composition& composition,
                        const FlowField& flow, const PaintStyle& style)
{
    Canvas target = renderComposition(width, height, composition);
    // The ground: the composition, heavily blurred, as an underpainting.
    Canvas canvas = blurred(target, int(style.coarseBrush));
    Dice dice{style.seed * 7919u + 13u};
    for (int pass = 0; pass < style.passes; ++pass)
    {
        float t = style.passes > 1 ? float(pass) / (style.passes - 1) : 1.f;
        float brush = style.coarseBrush * std::pow(style.fineBrush / style.coarseBrush, t);
        float radius = brush * 0.5f;
        Canvas reference = blurred(target, std::max(0, int(brush * 0.25f)));
        float spacing = std::max(1.f, brush * 0.8f);
        // Grid positions, then a shuffled order so that strokes interleave.
        std::vector<std::pair<uint32_t, Point>> places;
        for (float gy = 0; gy < height + spacing; gy += spacing)
            for (float gx = 0; gx < width + spacing; gx += spacing)
            {
                Point p{gx + dice.range(-0.5f, 0.5f) * spacing, gy + dice.range(-0.5f, 0.5f) * spacing};
                places.push_back({hash32(uint32_t(gx * 4), uint32_t(gy * 4), style.seed + pass), p});
            }
        std::sort(places.begin(), places.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& place : places)
        {
            Point p = place.second;
            float cx = std::min(std::max(p.x, 0.f), width - 1.f), cy = std::min(std::max(p.y, 0.f), height - 1.f);
            Colour wanted = sampleBilinear(reference, cx, cy);
            const Colour& now = at(canvas, int(cx), int(cy));
            if (pass > 0 && difference(now, at(target, int(cx), int(cy))) < style.detailThreshold)
                continue;
            // Nothing to lay where a layer stays empty.
            if (wanted.a < 0.004f && now.a < 0.004f)
                continue;
            Stroke stroke;
            stroke.radius = radius * dice.range(0.8f, 1.15f);
            stroke.seed = place.first;
            float jitter = style.colourJitter;
            float shade = dice.range(-jitter, jitter);
            stroke.colour = {clamp01(wanted.r + shade + dice.range(-jitter, jitter) * 0.5f),
                             clamp01(wanted.g + shade + dice.range(-jitter, jitter) * 0.5f),
                             clamp01(wanted.b + shade + dice.range(-jitter, jitter) * 0.5f), wanted.a};
            tracePath(stroke, reference, flow, brush * style.strokeLength * dice.range(0.6f, 1.4f), {cx, cy});
            layStroke(canvas, stroke, style.opacity, style.taperedStrokes);
        }
    }
    finishSurface(canvas, style);
    return canvas;
}

void finishSurface(Canvas& canvas, const PaintStyle& style)
{
    float cx = canvas.width * 0.5f, cy = canvas.height * 0.5f;
    float reach = length(cx, cy);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
        {
            float grain = 0;
            if (style.surface == Surface::canvas)
            {
                // Linen: threads in two directions with uneven thickness.
                float warp = std::sin(x * 1.9f + 3 * valueNoise(x * 0.05f, y * 0.6f, 71)) * 0.5f;
                float weft = std::sin(y * 1.9f + 3 * valueNoise(x * 0.6f, y * 0.05f, 72)) * 0.5f;
                grain = (warp * weft) * 0.8f + (valueNoise(x * 0.7f, y * 0.7f, 73) - 0.5f) * 0.6f;
            }
            else if (style.surface == Surface::paper)
            {
                // Paper: a soft cloud of tooth and a few longer fibres.
                grain = (fractalNoise(x * 0.35f, y * 0.35f, 3, 81) - 0.5f) * 1.2f +
                        (valueNoise(x * 0.04f, y * 0.9f, 82) - 0.5f) * 0.4f;
            }
            float edge = length(x - cx, y - cy) / reach;
            float light = 1 + style.grain * grain - style.vignette * smoothstep(0.45f, 1.15f, edge);
            Colour& c = at(canvas, x, y);
            c.r = clamp01(c.r * light);
            c.g = clamp01(c.g * light);
            c.b = clamp01(c.b * light);
        }
}

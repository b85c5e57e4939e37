// Polyline and polygon helpers for the compositions.
#include "paint/shapes.h"

float sdPolyline(float x, float y, const std::vector<Point>& path, float radius, float* along)
{
    float best = 1e9f, bestAlong = 0, walked = 0;
    for (size_t i = 1; i < path.size(); ++i)
    {
        Point a = path[i - 1], b = path[i];
        float t = segmentParam(x, y, a, b);
        float span = length(b.x - a.x, b.y - a.y);
        float d = length(x - (a.x + (b.x - a.x) * t), y - (a.y + (b.y - a.y) * t));
        if (d < best)
        {
            best = d;
            bestAlong = walked + span * t;
        }
        walked += span;
    }
    if (along)
        *along = bestAlong;
    return best - radius;
}

bool insidePolygon(float x, float y, const std::vector<Point>& polygon)
{
    bool inside = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
    {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

std::vector<Point> smoothPath(const std::vector<Point>& points, int steps)
{
    std::vector<Point> out;
    if (points.size() < 2)
        return points;
    for (size_t i = 0; i + 1 < points.size(); ++i)
    {
        Point p0 = points[i ? i - 1 : 0], p1 = points[i], p2 = points[i + 1];
        Point p3 = points[i + 2 < points.size() ? i + 2 : i + 1];
        for (int s = 0; s < steps; ++s)
        {
            float t = float(s) / steps, t2 = t * t, t3 = t2 * t;
            auto blend = [&](float a, float b, float c, float d) {
                return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
            };
            out.push_back({blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    out.push_back(points.back());
    return out;
}

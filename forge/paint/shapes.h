#pragma once
// Signed-distance shapes in pixels: negative inside, positive outside.
#include <cmath>

struct Point
{
    float x, y;
};

inline float length(float x, float y) { return std::sqrt(x * x + y * y); }

inline float sdCircle(float x, float y, float cx, float cy, float r)
{
    return length(x - cx, y - cy) - r;
}

// An ellipse, approximated by scaling a circle (good enough for soft edges).
inline float sdEllipse(float x, float y, float cx, float cy, float rx, float ry)
{
    float dx = (x - cx) / rx, dy = (y - cy) / ry;
    float k = std::sqrt(dx * dx + dy * dy);
    return (k - 1) * (rx < ry ? rx : ry);
}

inline float sdBox(float x, float y, float cx, float cy, float hw, float hh)
{
    float dx = std::fabs(x - cx) - hw, dy = std::fabs(y - cy) - hh;
    float ox = dx > 0 ? dx : 0, oy = dy > 0 ? dy : 0;
    float inside = dx > dy ? dx : dy;
    return length(ox, oy) + (inside < 0 ? inside : 0);
}

// Distance to the segment a-b, minus a radius (a capsule).
inline float sdSegment(float x, float y, Point a, Point b, float r)
{
    float px = x - a.x, py = y - a.y, bx = b.x - a.x, by = b.y - a.y;
    float t = (px * bx + py * by) / (bx * bx + by * by + 1e-9f);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return length(px - bx * t, py - by * t) - r;
}

// Where along the segment a-b the point falls, 0 to 1.
inline float segmentParam(float x, float y, Point a, Point b)
{
    float px = x - a.x, py = y - a.y, bx = b.x - a.x, by = b.y - a.y;
    float t = (px * bx + py * by) / (bx * bx + by * by + 1e-9f);
    return t < 0 ? 0 : (t > 1 ? 1 : t);
}

// Soft coverage of a shape: 1 well inside, 0 well outside, over a feather.
inline float fill(float distance, float feather)
{
    float t = 0.5f - distance / feather;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return t * t * (3 - 2 * t);
}

// Smooth union of two distances.
inline float smoothUnion(float a, float b, float k)
{
    float h = 0.5f + 0.5f * (b - a) / k;
    h = h < 0 ? 0 : (h > 1 ? 1 : h);
    return b + (a - b) * h - k * h * (1 - h);
}

#include <vector>

// Distance to an open polyline, minus a radius; along gets the arc length of
// the nearest point (if not null).
float sdPolyline(float x, float y, const std::vector<Point>& path, float radius, float* along = nullptr);

// Whether a point lies inside a closed polygon (even-odd rule).
bool insidePolygon(float x, float y, const std::vector<Point>& polygon);

// A Catmull-Rom curve through the points, with steps points per span.
std::vector<Point> smoothPath(const std::vector<Point>& points, int steps);

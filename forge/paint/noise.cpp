// Integer-hash value noise: cheap, smooth and the same on every run.
#include "paint/noise.h"

#include <cmath>

uint32_t hash32(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float hashUnit(uint32_t a, uint32_t b, uint32_t c)
{
    return (hash32(a, b, c) >> 8) * (1.0f / 16777216.0f);
}

namespace
{
float fade(float t)
{
    return t * t * (3 - 2 * t);
}

float latticeNoise(float x, float y, int period, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = fade(x - fx), ty = fade(y - fy);
    auto corner = [&](int cx, int cy) {
        if (period > 0)
        {
            cx = ((cx % period) + period) % period;
            cy = ((cy % period) + period) % period;
        }
        return hashUnit(uint32_t(cx), uint32_t(cy), seed);
    };
    float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}
}

float valueNoise(float x, float y, uint32_t seed)
{
    return latticeNoise(x, y, 0, seed);
}

float tiledNoise(float x, float y, int period, uint32_t seed)
{
    return latticeNoise(x, y, period, seed);
}

float fractalNoise(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0, weight = 0, amplitude = 1;
    for (int i = 0; i < octaves; ++i)
    {
        sum += valueNoise(x, y, seed + uint32_t(i) * 101u) * amplitude;
        weight += amplitude;
        amplitude *= 0.5f;
        // Rotate a little per octave so the lattice does not show.
        float nx = x * 1.6f - y * 1.2f, ny = x * 1.2f + y * 1.6f;
        x = nx + 17.3f;
        y = ny + 5.1f;
    }
    return sum / weight;
}

float Dice::unit()
{
    state = hash32(state, 0x51ED270Bu);
    return (state >> 8) * (1.0f / 16777216.0f);
}

float Dice::range(float low, float high)
{
    return low + (high - low) * unit();
}

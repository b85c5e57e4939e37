#pragma once
// Deterministic noise: the same seed and position give the same value on
// every machine (integer hashing, no library random numbers).
#include <cstdint>

uint32_t hash32(uint32_t a, uint32_t b = 0, uint32_t c = 0);
// A hash as a float in [0, 1).
float hashUnit(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// Smooth value noise in [0, 1], one unit per lattice cell.
float valueNoise(float x, float y, uint32_t seed);
// Value noise that repeats every period cells in x and y.
float tiledNoise(float x, float y, int period, uint32_t seed);
// Fractal sum of octaves of value noise, in about [0, 1].
float fractalNoise(float x, float y, int octaves, uint32_t seed);

// A small deterministic random stream for placing strokes.
struct Dice
{
    uint32_t state;
    float unit();                     // [0, 1)
    float range(float low, float high);
};

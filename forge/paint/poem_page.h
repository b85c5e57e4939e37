#pragma once
// Where the two poems' red lines lie over the pictures beneath them, so that
// those pictures can be light right under the lines and darker away from
// them: the red only reads on a light ground, and a frame that is light all
// over would flash after the darker picture before it.
#include "paint/shapes.h"

#include <cstdint>
#include <vector>

// A line's ink, in window pixels (right and bottom exclusive).
struct InkBox
{
    float left, top, right, bottom;
};

const int poemLines = 6;
extern const InkBox firstPoemInk[poemLines];
extern const InkBox secondPoemInk[poemLines];

// The one shape a poem's light takes: the outline drawn tight round all of
// its lines (their convex hull), so that its edge runs smoothly from line to
// line and never steps in and out with each line's end.
struct PoemPool
{
    std::vector<Point> outline; // counter-clockwise, closed: the first corner again at the end
    // The distance from it with its corners rounded off, on a grid of
    // gridStep pixels that reaches half a frame beyond the window each way
    // (a layer shown doubled about the centre samples that far).
    std::vector<float> rounded;
    static constexpr int gridStep = 4, gridLeft = -640, gridTop = -360, gridW = 641, gridH = 361;
};
PoemPool poolRound(const InkBox (&lines)[poemLines]);

// Signed distance from the pool's edge, its corners rounded off: negative
// inside, positive outside.
float fromPool(const PoemPool& pool, float x, float y);

// How far the lamplight has fallen off at (x, y), 0 in the pool to 1 in the
// dark: full light to the pool's edge, then a soft fall over about 200 px
// that slows as it goes, dimming too before the frame's top and left
// edges, the edge swelling out and in a little over its length, so it
// reads as light dying away on the paper rather than a cut-out. `seed` picks the swells; the layers lit by one pool share it so
// they stay aligned.
float poolFalloff(const PoemPool& pool, float x, float y, uint32_t seed);
// The same fall over `width` pixels, from a distance `fromEdge` (negative
// inside) to an edge of the caller's own.
float lightFalloff(float fromEdge, float x, float y, uint32_t seed, float width = 200);
// The second poem's paper and the curtains over it share one pool.
const uint32_t secondPoolSeed = 1002;

// 0 on and near a poem's lines (within `margin` pixels of any of them),
// rising smoothly to 1 at `reach` pixels beyond that margin. With `round`,
// the lines' boxes melt into one another over that many pixels.
float awayFromLines(float x, float y, const InkBox (&lines)[poemLines], float margin, float reach, float round = 0);

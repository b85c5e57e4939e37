#pragma once
// The stroke renderer: a picture is described as a composition (a colour,
// with alpha, at every point) and a flow field (the direction a brush
// follows at every point), then painted with thousands of oriented strokes
// from a coarse brush to a fine one, each stroke taking its colour from the
// composition. Grain and vignette finish the surface.
#include "paint/canvas.h"

#include <cstdint>
#include <functional>

using Composition = std::function<Colour(float x, float y)>;
using FlowField = std::function<float(float x, float y)>;   // stroke angle in radians

enum class Surface
{
    none,
    canvas,   // woven linen: a fine cross-hatch
    paper,    // drawing paper: soft fibres and tooth
};

struct PaintStyle
{
    float coarseBrush = 26;     // brush width of the first pass, pixels
    float fineBrush = 3;        // brush width of the last pass
    int passes = 5;
    float strokeLength = 4.5f;  // stroke length in brush widths
    float colourJitter = 0.025f;
    float detailThreshold = 0.05f; // later passes paint where the canvas still differs this much
    float opacity = 0.8f;
    Surface surface = Surface::canvas;
    float grain = 0.05f;
    float vignette = 0.25f;
    // Strokes drawn to a point at both ends, their edges soft and their
    // bristle marks kept off the rim, so a pale, even passage like a sky
    // shows no outline round each stroke.
    bool taperedStrokes = false;
    uint32_t seed = 1;
};

// A style in one line: the seed, the brush narrowing from coarse to fine
// over the passes, the vignette, and the surface (none for a layer laid over
// other pictures); the rest as PaintStyle has it.
PaintStyle brushStyle(uint32_t seed, float coarseBrush, float fineBrush, int passes, float vignette,
                      Surface surface = Surface::canvas);

// The composition sampled at every pixel, with no brushwork (for masks and
// pictures that need none).
Canvas renderComposition(int width, int height, const Composition& composition);

// The composition painted with strokes along the flow field.
Canvas paintComposition(int width, int height, const Composition& composition,
                        const FlowField& flow, const PaintStyle& style);

// Surface grain and vignette over a finished canvas (colour only).
void finishSurface(Canvas& canvas, const PaintStyle& style);

// A flow field that swirls gently with value noise around a main angle.
FlowField noisyFlow(float mainAngle, float swirl, float scale, uint32_t seed);

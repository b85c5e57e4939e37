#pragma once
// The two pencil sketches: where scene 3 lays its 288 stamps, and where
// scene 4 moves them.
#include "draw/tween.h"

#include <vector>

const int sketchStampCount = 288;

extern const TweenPoint headOutline[sketchStampCount];
extern const TweenPoint bustOutline[sketchStampCount];

// The bust sketch's strokes as runs of its table: the first head pass and
// the shoulders close on themselves, the rest are open.
struct SketchStroke
{
    int first, last;
    bool closed;
};
const int bustStrokeCount = 5;
const SketchStroke bustStrokes[bustStrokeCount] = {
    {0, 54, true},     // head pass
    {55, 115, true},   // shoulders
    {116, 130, false}, // cross line
    {131, 153, false}, // centre line
    {154, 287, false}, // further head passes
};

// A stroke as the pencil travels it: from each of its points to the next,
// and for a closed one from the last back to the first.
struct SketchSegment
{
    TweenPoint from, to;
};
std::vector<SketchSegment> strokeSegments(const SketchStroke& stroke);

#pragma once
// The two outlines of scene 9: the loop on which the glints appear, and the
// two strands hanging from the top edge to which they glide.
#include "draw/tween.h"

const int glintCount = 74;

// One closed loop around a diagonal shape, lower edge first (x 500-704,
// y 242-422); the glints stand 8 px right of and below these points.
extern const TweenPoint glintLoop[glintCount];

// Two open strokes: entries 0-39 run down the first strand from the top
// edge, entries 40-73 up the second strand from its lower end.
extern const TweenPoint glintStrands[glintCount];

#pragma once
// The two pencil sketches: where scene 3 lays its 288 stamps, and where
// scene 4 moves them.
#include "draw/tween.h"

const int sketchStampCount = 288;

extern const TweenPoint headOutline[sketchStampCount];
extern const TweenPoint bustOutline[sketchStampCount];

// The sketch outlines: not drawn yet.
#include "scenes/outlines.h"

const TweenPoint headOutline[sketchStampCount] = {};
const TweenPoint bustOutline[sketchStampCount] = {};

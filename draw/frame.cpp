// The frame's time step, owned here so that the drawing helpers and the
// scenes both look down to it.
#include "draw/frame.h"

float frameDelta = 0.0f;

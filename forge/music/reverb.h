#pragma once
// The room: a Freeverb-style network of eight damped combs and four
// all-passes per side, the right side's delays a little longer for width.
#include "music/synth.h"

struct ReverbSettings
{
    float roomSize = 0.82f;   // 0..1, the combs' feedback
    float damping = 0.3f;     // 0..1, how fast the highs die away
    float preDelaySeconds = 0.025f;
};

// Returns the wet signal for send (same length), both sides computed at once
// on two threads.
Stereo reverberate(const Stereo& send, const ReverbSettings& settings);

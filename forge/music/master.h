#pragma once
// The master bus: a high-pass against rumble and DC, a gentle glue
// compressor, loudness normalisation and a true-peak limiter.
#include "music/synth.h"

const double targetLoudness = -16.0;   // LUFS, integrated
const double peakCeiling = -1.6;       // dBTP, leaving room for the encoder

struct MasterReport
{
    double loudness = 0.0;   // LUFS after mastering
    double truePeak = 0.0;   // dBTP after mastering
};

// Masters the mix in place and reports what it measured at the end.
MasterReport masterTrack(Stereo& mix);

#pragma once
// The master bus: a high-pass against rumble and DC, a broad lift for
// presence, a slow leveller, a gentle glue compressor, loudness normalisation and
// a true-peak limiter.
#include "music/synth.h"

#include <vector>

const double targetLoudness = -16.0;   // LUFS, integrated
const double peakCeiling = -1.6;       // dBTP, leaving room for the encoder

struct MasterReport
{
    double loudness = 0.0;   // LUFS after mastering
    double truePeak = 0.0;   // dBTP after mastering
};

// Masters the mix in place and reports what it measured at the end. The
// leveller rides each moment towards the track's loudness moved by `arc`
// there, so that the score's valleys and its climax survive it. Where
// busGain is given, it receives the gain the bus applied to each sample after
// its filters (the leveller's, the compressor's, the normalisation's and
// the limiter's together), so that each voice can be given the same treatment.
MasterReport masterTrack(Stereo& mix, std::vector<float>* busGain = nullptr,
                         const std::vector<ArcPoint>& arc = {});

// A broad peaking lift of `db` decibels round `hz`, in place.
void peakingLift(std::vector<float>& channel, double hz, double db, double octaves);

// The master bus's fixed filters (the high-pass and the lift) on their own,
// for a voice heard apart.
void masterFilters(std::vector<float>& channel);

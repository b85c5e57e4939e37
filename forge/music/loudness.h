// Measuring the track as a broadcaster would: EBU R128 integrated loudness and
// true peak (libebur128), and the true-peak envelope the limiter steers by.
#pragma once
#include "music/synth.h"

// Integrated loudness in LUFS: K-weighted, 400 ms blocks overlapping by 75%,
// gated at -70 LUFS and 10 LU below the ungated mean. -70 for silence.
double integratedLoudness(const Stereo& track, int sampleRate = musicSampleRate);

// The short-term (3 s) loudness in LUFS every hopSeconds, each value measured
// over the three seconds that end there (less at the start).
std::vector<double> shortTermLoudness(const Stereo& track, double hopSeconds, int sampleRate = musicSampleRate);

// The loudness range in LU: how far apart the quieter and the louder
// stretches of the track lie, from its 3 s loudness (libebur128's LRA).
double loudnessRange(const Stereo& track, int sampleRate = musicSampleRate);

// The peak between the samples as well as at them, in dBTP (-200 for silence).
double truePeak(const Stereo& track);

// The same per sample, as a linear magnitude: the largest of the sample and of
// the three points a windowed-sinc interpolator finds after it (four times
// oversampled), on either side. Below floor the envelope may hold just the
// sample's own magnitude.
std::vector<float> truePeakEnvelope(const Stereo& track, float floor = 0.0f);

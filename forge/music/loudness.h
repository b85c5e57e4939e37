// Measuring the track as a broadcaster would: EBU R128 integrated loudness and
// true peak.
#pragma once
#include "music/synth.h"

// Integrated loudness in LUFS: K-weighted, 400 ms blocks overlapping by 75%,
// gated at -70 LUFS and 10 LU below the ungated mean. -70 for silence.
double integratedLoudness(const Stereo& track, int sampleRate = musicSampleRate);

// The loudest of every 400 ms block (momentary loudness), in LUFS.
double maxMomentaryLoudness(const Stereo& track, int sampleRate = musicSampleRate);

// Peaks between the samples as well: the signal upsampled four times with a
// windowed-sinc interpolator. Returns the peak in dBTP.
double truePeak(const Stereo& track);

// The same per sample, as a linear magnitude: the largest of the sample and of
// the three interpolated points after it, on either side. Below floor the
// envelope may hold just the sample's own magnitude.
std::vector<float> truePeakEnvelope(const Stereo& track, float floor = 0.0f);

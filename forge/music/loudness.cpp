// Measuring the track as a broadcaster would: EBU R128 integrated loudness and
// true peak, by libebur128. The true-peak envelope the limiter steers by is
// our own: the library reports one peak per channel, not where it falls.
#include "music/loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <thread>

namespace {

const double pi = 3.141592653589793;
const double silenceLoudness = -70.0;
const int interpolationHalfTaps = 12;
const int oversampling = 4;

// A meter fed the whole track, or null with a line on standard error when
// the library cannot make one.
using Meter = std::unique_ptr<ebur128_state, void (*)(ebur128_state*)>;

void destroyMeter(ebur128_state* state)
{
    ebur128_destroy(&state);
}

Meter measure(const Stereo& track, int sampleRate, int mode)
{
    Meter meter(ebur128_init(2, static_cast<unsigned long>(sampleRate), mode), destroyMeter);
    if (!meter) {
        std::cerr << "ostralis-forge: the loudness meter cannot start" << std::endl;
        return meter;
    }
    // Interleaved, a second at a time, so that a long track needs no second copy.
    size_t length = std::min(track.left.size(), track.right.size());
    size_t chunk = static_cast<size_t>(sampleRate);
    std::vector<float> frames(chunk * 2);
    for (size_t start = 0; start < length; start += chunk) {
        size_t count = std::min(chunk, length - start);
        for (size_t i = 0; i < count; ++i) {
            frames[i * 2] = track.left[start + i];
            frames[i * 2 + 1] = track.right[start + i];
        }
        if (ebur128_add_frames_float(meter.get(), frames.data(), count) != EBUR128_SUCCESS) {
            std::cerr << "ostralis-forge: the loudness meter failed" << std::endl;
            return Meter(nullptr, destroyMeter);
        }
    }
    return meter;
}

// The interpolator's three fractional phases (1/4, 1/2, 3/4), Blackman-windowed sincs.
std::vector<std::vector<double>> interpolationPhases()
{
    std::vector<std::vector<double>> phases;
    for (int k = 1; k < oversampling; ++k) {
        std::vector<double> taps;
        double sum = 0.0;
        for (int j = -interpolationHalfTaps + 1; j <= interpolationHalfTaps; ++j) {
            double x = j - double(k) / oversampling;
            double sinc = std::sin(pi * x) / (pi * x);
            double w = (x + interpolationHalfTaps) / (2.0 * interpolationHalfTaps);
            double window = 0.42 - 0.5 * std::cos(2 * pi * w) + 0.08 * std::cos(4 * pi * w);
            taps.push_back(sinc * window);
            sum += sinc * window;
        }
        for (double& t : taps) t /= sum;
        phases.push_back(taps);
    }
    return phases;
}

}

double integratedLoudness(const Stereo& track, int sampleRate)
{
    Meter meter = measure(track, sampleRate, EBUR128_MODE_I);
    double loudness = -HUGE_VAL;
    if (!meter || ebur128_loudness_global(meter.get(), &loudness) != EBUR128_SUCCESS)
        return silenceLoudness;
    // Nothing above the gate (silence, or shorter than a block) reads as the gate.
    return std::isfinite(loudness) ? std::max(loudness, silenceLoudness) : silenceLoudness;
}

std::vector<double> shortTermLoudness(const Stereo& track, double hopSeconds, int sampleRate)
{
    std::vector<double> curve;
    Meter meter(ebur128_init(2, static_cast<unsigned long>(sampleRate), EBUR128_MODE_S), destroyMeter);
    if (!meter) {
        std::cerr << "ostralis-forge: the loudness meter cannot start" << std::endl;
        return curve;
    }
    size_t length = std::min(track.left.size(), track.right.size());
    size_t hop = std::max<size_t>(1, static_cast<size_t>(std::lround(hopSeconds * sampleRate)));
    std::vector<float> frames(hop * 2);
    for (size_t start = 0; start + hop <= length; start += hop) {
        for (size_t i = 0; i < hop; ++i) {
            frames[i * 2] = track.left[start + i];
            frames[i * 2 + 1] = track.right[start + i];
        }
        double loudness = -HUGE_VAL;
        if (ebur128_add_frames_float(meter.get(), frames.data(), hop) != EBUR128_SUCCESS
            || ebur128_loudness_shortterm(meter.get(), &loudness) != EBUR128_SUCCESS)
            loudness = silenceLoudness;
        curve.push_back(std::isfinite(loudness) ? std::max(loudness, silenceLoudness) : silenceLoudness);
    }
    return curve;
}

double loudnessRange(const Stereo& track, int sampleRate)
{
    Meter meter = measure(track, sampleRate, EBUR128_MODE_LRA);
    double range = 0.0;
    if (!meter || ebur128_loudness_range(meter.get(), &range) != EBUR128_SUCCESS) return 0.0;
    return range;
}

double truePeak(const Stereo& track)
{
    Meter meter = measure(track, musicSampleRate, EBUR128_MODE_TRUE_PEAK);
    double peak = 0.0;
    for (unsigned channel = 0; meter && channel < 2; ++channel) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(meter.get(), channel, &channelPeak) == EBUR128_SUCCESS)
            peak = std::max(peak, channelPeak);
    }
    return peak > 0.0 ? 20.0 * std::log10(peak) : -200.0;
}

namespace {

// One channel's true-peak envelope. Points between samples are worked out only
// where the samples around them could reach floor: the interpolator can lift
// a peak by at most the sum of its taps' magnitudes.
void channelPeaks(const std::vector<float>& x, size_t length, float floor, std::vector<float>& envelope)
{
    static const std::vector<std::vector<double>> phases = interpolationPhases();
    const int taps = 2 * interpolationHalfTaps;
    float taps32[oversampling - 1][2 * interpolationHalfTaps];
    float gainBound = 0.0f;
    for (int k = 0; k < oversampling - 1; ++k) {
        float sum = 0.0f;
        for (int j = 0; j < taps; ++j) {
            taps32[k][j] = static_cast<float>(phases[k][j]);
            sum += std::fabs(taps32[k][j]);
        }
        gainBound = std::max(gainBound, sum);
    }
    // The channel with silence around it, and the loudest sample of each block.
    const size_t block = 16;
    std::vector<float> padded(length + 2 * taps, 0.0f);
    std::copy(x.begin(), x.begin() + length, padded.begin() + taps);
    std::vector<float> blockPeak(length / block + 2, 0.0f);
    for (size_t i = 0; i < length; ++i)
        blockPeak[i / block] = std::max(blockPeak[i / block], std::fabs(x[i]));

    envelope.assign(length, 0.0f);
    for (size_t i = 0; i < length; ++i) {
        float peak = std::fabs(x[i]);
        size_t firstBlock = i >= size_t(taps) ? (i - taps) / block : 0;
        size_t lastBlock = std::min(blockPeak.size() - 1, (i + taps) / block);
        float nearby = 0.0f;
        for (size_t b = firstBlock; b <= lastBlock; ++b) nearby = std::max(nearby, blockPeak[b]);
        if (nearby * gainBound >= floor) {
            // The points between x[i] and x[i + 1], from the samples around them.
            const float* from = &padded[i + taps - interpolationHalfTaps + 1];
            for (int k = 0; k < oversampling - 1; ++k) {
                float y = 0.0f;
                for (int j = 0; j < taps; ++j) y += taps32[k][j] * from[j];
                peak = std::max(peak, std::fabs(y));
            }
        }
        envelope[i] = peak;
    }
}

}

std::vector<float> truePeakEnvelope(const Stereo& track, float floor)
{
    // One channel on a thread of its own, the other here.
    size_t length = std::min(track.left.size(), track.right.size());
    std::vector<float> left, right;
    std::thread rightThread(channelPeaks, std::cref(track.right), length, floor, std::ref(right));
    channelPeaks(track.left, length, floor, left);
    rightThread.join();
    for (size_t i = 0; i < length; ++i) left[i] = std::max(left[i], right[i]);
    return left;
}

// Measuring the track as a broadcaster would: EBU R128 integrated loudness and
// true peak.
#include "music/loudness.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

const double pi = 3.141592653589793;
const double absoluteGate = -70.0;
const double relativeGate = -10.0;
const int interpolationHalfTaps = 12;
const int oversampling = 4;

struct Biquad
{
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double run(double x)
    {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1; x1 = x; y2 = y1; y1 = y;
        return y;
    }
};

// The K-weighting of the loudness standard at any sample rate: a high shelf
// of about +4 dB above 1.7 kHz, then a high-pass at 38 Hz.
void kWeighting(int sampleRate, Biquad& shelf, Biquad& highPass)
{
    double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(pi * f0 / sampleRate);
    double vh = std::pow(10.0, gain / 20.0);
    double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    shelf = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
             2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    f0 = 38.13547087602444;
    q = 0.5003270373238773;
    k = std::tan(pi * f0 / sampleRate);
    a0 = 1.0 + k / q + k * k;
    highPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// Mean square of the K-weighted signal (both channels summed) in every 400 ms
// block, the blocks starting 100 ms apart.
std::vector<double> blockPowers(const Stereo& track, int sampleRate)
{
    size_t length = std::min(track.left.size(), track.right.size());
    std::vector<double> squares(length);
    const std::vector<float>* channels[2] = {&track.left, &track.right};
    for (const std::vector<float>* channel : channels) {
        Biquad shelf, highPass;
        kWeighting(sampleRate, shelf, highPass);
        for (size_t i = 0; i < length; ++i) {
            double y = highPass.run(shelf.run((*channel)[i]));
            squares[i] += y * y;
        }
    }
    size_t hop = sampleRate / 10, block = hop * 4;
    std::vector<double> powers;
    if (length < block) return powers;
    // A running sum over 100 ms steps keeps this linear in the length.
    std::vector<double> stepSums;
    for (size_t start = 0; start + hop <= length; start += hop) {
        double sum = 0.0;
        for (size_t i = start; i < start + hop; ++i) sum += squares[i];
        stepSums.push_back(sum);
    }
    for (size_t s = 0; s + 4 <= stepSums.size(); ++s)
        powers.push_back((stepSums[s] + stepSums[s + 1] + stepSums[s + 2] + stepSums[s + 3]) / block);
    return powers;
}

double powerToLufs(double power)
{
    return power > 0.0 ? -0.691 + 10.0 * std::log10(power) : -200.0;
}

double meanOfBlocksAbove(const std::vector<double>& powers, double gate)
{
    double sum = 0.0;
    size_t count = 0;
    for (double p : powers)
        if (powerToLufs(p) > gate) {
            sum += p;
            ++count;
        }
    return count ? sum / count : 0.0;
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
    std::vector<double> powers = blockPowers(track, sampleRate);
    double ungated = meanOfBlocksAbove(powers, absoluteGate);
    if (ungated <= 0.0) return absoluteGate;
    double gated = meanOfBlocksAbove(powers, powerToLufs(ungated) + relativeGate);
    return gated > 0.0 ? powerToLufs(gated) : absoluteGate;
}

double maxMomentaryLoudness(const Stereo& track, int sampleRate)
{
    std::vector<double> powers = blockPowers(track, sampleRate);
    double loudest = 0.0;
    for (double p : powers) loudest = std::max(loudest, p);
    return powerToLufs(loudest);
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

double truePeak(const Stereo& track)
{
    // Only points that could beat the loudest sample matter.
    float samplePeak = 0.0f;
    for (float s : track.left) samplePeak = std::max(samplePeak, std::fabs(s));
    for (float s : track.right) samplePeak = std::max(samplePeak, std::fabs(s));
    std::vector<float> envelope = truePeakEnvelope(track, samplePeak);
    float peak = 0.0f;
    for (float e : envelope) peak = std::max(peak, e);
    return peak > 0.0f ? 20.0 * std::log10(peak) : -200.0;
}

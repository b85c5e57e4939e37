// The master bus: a high-pass against rumble and DC, a gentle glue
// compressor, loudness normalisation and a true-peak limiter.
#include "music/master.h"
#include "music/loudness.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

const double pi = 3.141592653589793;
const double highPassHz = 24.0;
const double limiterLookSeconds = 0.0015;
const double limiterReleaseSeconds = 0.12;
const int normalisePasses = 3;

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

void scale(Stereo& mix, double gain, std::vector<float>* busGain)
{
    if (busGain)
        for (float& g : *busGain) g = static_cast<float>(g * gain);
    for (float& s : mix.left) s = static_cast<float>(s * gain);
    for (float& s : mix.right) s = static_cast<float>(s * gain);
}

// Second-order Butterworth high-pass, run forwards: removes DC and sub-audio rumble.
void highPass(std::vector<float>& x)
{
    double k = std::tan(pi * highPassHz / musicSampleRate);
    double norm = 1.0 / (1.0 + std::sqrt(2.0) * k + k * k);
    double b0 = norm, b1 = -2.0 * norm, b2 = norm;
    double a1 = 2.0 * (k * k - 1.0) * norm, a2 = (1.0 - std::sqrt(2.0) * k + k * k) * norm;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (float& s : x) {
        double y = b0 * s + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1; x1 = s; y2 = y1; y1 = y;
        s = static_cast<float>(y);
    }
}

// A slow stereo-linked RMS compressor, 2:1 above a threshold 8 dB over the
// mix's loudness: it holds the swells together without pumping.
void compress(Stereo& mix, double loudness, std::vector<float>* busGain)
{
    double threshold = dbToGain(loudness + 8.0);
    double ratio = 2.0;
    double detectorStep = std::exp(-1.0 / (0.05 * musicSampleRate));
    double attackStep = std::exp(-1.0 / (0.03 * musicSampleRate));
    double releaseStep = std::exp(-1.0 / (0.35 * musicSampleRate));
    double power = 0.0, gainDb = 0.0;
    for (size_t i = 0; i < mix.left.size(); ++i) {
        double l = mix.left[i], r = mix.right[i];
        power = power * detectorStep + (1.0 - detectorStep) * 0.5 * (l * l + r * r);
        double level = std::sqrt(power);
        double wantedDb = 0.0;
        if (level > threshold) wantedDb = -(1.0 - 1.0 / ratio) * 20.0 * std::log10(level / threshold);
        double step = wantedDb < gainDb ? attackStep : releaseStep;
        gainDb = wantedDb + (gainDb - wantedDb) * step;
        double gain = dbToGain(gainDb);
        mix.left[i] = static_cast<float>(l * gain);
        mix.right[i] = static_cast<float>(r * gain);
        if (busGain) (*busGain)[i] = static_cast<float>((*busGain)[i] * gain);
    }
}

// A look-ahead limiter working offline: the gain each sample needs is spread
// over the look-ahead on both sides and then recovers slowly, so it never
// exceeds what any sample nearby allows and never steps.
void limit(Stereo& mix, double ceilingDb, std::vector<float>* busGain)
{
    double ceiling = dbToGain(ceilingDb);
    std::vector<float> peaks = truePeakEnvelope(mix, static_cast<float>(ceiling));
    size_t length = peaks.size();
    std::vector<double> needed(length);
    for (size_t i = 0; i < length; ++i)
        needed[i] = peaks[i] > ceiling ? ceiling / peaks[i] : 1.0;

    // Smallest need within the look-ahead on either side (a sliding minimum).
    long look = static_cast<long>(limiterLookSeconds * musicSampleRate);
    std::vector<double> held(length);
    std::deque<long> window;
    for (long i = 0; i < static_cast<long>(length) + look; ++i) {
        if (i < static_cast<long>(length)) {
            while (!window.empty() && needed[window.back()] >= needed[i]) window.pop_back();
            window.push_back(i);
        }
        long centre = i - look;
        if (centre < 0) continue;
        while (window.front() < centre - look) window.pop_front();
        held[centre] = needed[window.front()];
    }
    // A moving average over the same span turns the steps into ramps.
    std::vector<double> gain(length);
    long span = 2 * look + 1;
    double sum = span;   // before the start the gain is 1
    for (long i = 0; i < static_cast<long>(length) + look; ++i) {
        sum += i < static_cast<long>(length) ? held[i] : 1.0;
        sum -= i - span >= 0 ? held[i - span] : 1.0;
        long centre = i - look;
        if (centre >= 0) gain[centre] = std::min(1.0, sum / span);
    }
    // Slow recovery after each reduction.
    double recover = 1.0 - std::exp(-1.0 / (limiterReleaseSeconds * musicSampleRate));
    double g = 1.0;
    for (size_t i = 0; i < length; ++i) {
        g = std::min(gain[i], g + (1.0 - g) * recover);
        mix.left[i] = static_cast<float>(mix.left[i] * g);
        mix.right[i] = static_cast<float>(mix.right[i] * g);
        if (busGain) (*busGain)[i] = static_cast<float>((*busGain)[i] * g);
    }
}

}

void masterHighPass(std::vector<float>& channel)
{
    highPass(channel);
}

MasterReport masterTrack(Stereo& mix, std::vector<float>* busGain)
{
    if (busGain) busGain->assign(mix.left.size(), 1.0f);
    // Clean the low end, then bring the mix near its target before compressing.
    highPass(mix.left);
    highPass(mix.right);
    scale(mix, dbToGain(targetLoudness - 2.0 - integratedLoudness(mix)), busGain);
    compress(mix, integratedLoudness(mix), busGain);

    // Normalise and limit, a few times over, since the limiter costs a little loudness.
    MasterReport report;
    for (int pass = 0; pass < normalisePasses; ++pass) {
        scale(mix, dbToGain(targetLoudness - integratedLoudness(mix)), busGain);
        limit(mix, peakCeiling - 0.1, busGain);
    }
    report.loudness = integratedLoudness(mix);
    report.truePeak = truePeak(mix);
    return report;
}

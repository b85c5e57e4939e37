// The master bus: a high-pass against rumble and DC, a broad lift for
// presence, a slow leveller, a gentle glue compressor, loudness normalisation and
// a true-peak limiter.
#include "music/master.h"
#include "music/loudness.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

const double pi = 3.141592653589793;
const double highPassHz = 24.0;
const double presenceHz = 10000.0;
const double presenceDb = 8.0;
const double presenceOctaves = 1.3;
const double limiterLookSeconds = 0.0015;
const double limiterReleaseSeconds = 0.12;
const int normalisePasses = 3;
const double levellerShare = 0.45;
const double levellerFloor = 20.0;        // LU below the track's loudness that still count
const double levellerMostBoost = 8.0;     // dB
const double levellerMostCut = 6.0;       // dB
const double levellerSmoothSeconds = 2.0;
const double levellerHoldSeconds = 5.0;

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

// A slow leveller, as an engineer rides the faders with the score's
// dynamics before them: each moment is brought
// towards the whole track's loudness by a share of its distance from it
// and then moved by the arc's level there,
// steered by the 3 s loudness centred on that moment and smoothed over a few
// seconds more, so that quiet sections come up and loud ones down while a
// phrase keeps its own swell. The last seconds keep the gain they come in
// with, so that the final chord dies away as it was played.
// The arc's level at `seconds`, a straight line between its points.
double arcAt(const std::vector<ArcPoint>& arc, double seconds)
{
    if (arc.empty()) return 0.0;
    if (seconds <= arc.front().seconds) return arc.front().db;
    for (size_t i = 1; i < arc.size(); ++i)
        if (seconds <= arc[i].seconds) {
            const ArcPoint& a = arc[i - 1];
            const ArcPoint& b = arc[i];
            double x = b.seconds > a.seconds ? (seconds - a.seconds) / (b.seconds - a.seconds) : 1.0;
            return a.db + (b.db - a.db) * x;
        }
    return arc.back().db;
}

void level(Stereo& mix, double loudness, const std::vector<ArcPoint>& arc, std::vector<float>* busGain)
{
    const double hop = 0.1, window = 3.0;
    std::vector<double> curve = shortTermLoudness(mix, hop);
    size_t hops = curve.size();
    if (hops == 0) return;
    // The loudness centred on each hop's time, the edges holding their nearest full window.
    size_t firstFull = static_cast<size_t>(window / hop) - 1;
    double seconds = mix.left.size() / double(musicSampleRate);
    std::vector<double> gainDb(hops);
    for (size_t i = 0; i < hops; ++i) {
        double centre = (i + 1) * hop - window / 2;
        double held = std::min(centre, seconds - levellerHoldSeconds);
        long k = std::lround((held + window / 2) / hop) - 1;
        k = std::clamp<long>(k, static_cast<long>(firstFull), static_cast<long>(hops) - 1);
        double distance = std::max(curve[k] - loudness, -levellerFloor);
        gainDb[i] = std::clamp(-levellerShare * distance, -levellerMostCut, levellerMostBoost) + arcAt(arc, centre);
    }
    // Twice a moving average: a triangle a few seconds wide, with no steps.
    long half = static_cast<long>(levellerSmoothSeconds / hop / 2);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<double> smooth(hops);
        for (long i = 0; i < static_cast<long>(hops); ++i) {
            double sum = 0.0;
            for (long j = i - half; j <= i + half; ++j)
                sum += gainDb[std::clamp<long>(j, 0, static_cast<long>(hops) - 1)];
            smooth[i] = sum / (2 * half + 1);
        }
        gainDb = smooth;
    }
    for (size_t i = 0; i < mix.left.size(); ++i) {
        double t = i / double(musicSampleRate);
        double at = std::clamp((t + window / 2) / hop - 1.0, 0.0, double(hops - 1));
        size_t k = static_cast<size_t>(at);
        size_t next = std::min(k + 1, hops - 1);
        double db = gainDb[k] + (gainDb[next] - gainDb[k]) * (at - k);
        double gain = dbToGain(db);
        mix.left[i] = static_cast<float>(mix.left[i] * gain);
        mix.right[i] = static_cast<float>(mix.right[i] * gain);
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

// A peaking lift (the cookbook's), `octaves` wide.
void peakingLift(std::vector<float>& x, double hz, double db, double octaves)
{
    double a = std::pow(10.0, db / 40.0);
    double w = 2.0 * pi * hz / musicSampleRate;
    double alpha = std::sin(w) * std::sinh(std::log(2.0) / 2.0 * octaves * w / std::sin(w));
    double c = std::cos(w);
    double a0 = 1.0 + alpha / a;
    double b0 = (1.0 + alpha * a) / a0, b1 = -2.0 * c / a0, b2 = (1.0 - alpha * a) / a0;
    double a1 = -2.0 * c / a0, a2 = (1.0 - alpha / a) / a0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (float& s : x) {
        double y = b0 * s + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1; x1 = s; y2 = y1; y1 = y;
        s = static_cast<float>(y);
    }
}

void masterFilters(std::vector<float>& channel)
{
    highPass(channel);
    // A broad lift round 10 kHz: the presence a synthesised mix lacks.
    peakingLift(channel, presenceHz, presenceDb, presenceOctaves);
}

MasterReport masterTrack(Stereo& mix, std::vector<float>* busGain, const std::vector<ArcPoint>& arc)
{
    if (busGain) busGain->assign(mix.left.size(), 1.0f);
    // Clean the low end, then bring the mix near its target before compressing.
    masterFilters(mix.left);
    masterFilters(mix.right);
    scale(mix, dbToGain(targetLoudness - 2.0 - integratedLoudness(mix)), busGain);
    level(mix, integratedLoudness(mix), arc, busGain);
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

// The voices: a piano of decaying, slightly stretched partials, a soft pad of
// detuned saws through a low-pass, a bass of rounded-off harmonics, and
// tuned bells.
#include "music/synth.h"

#include <algorithm>
#include <cmath>

namespace {

const double twoPi = 6.283185307179586;
const double pianoReleaseSeconds = 0.9;
const double padReleaseSeconds = 2.5;
const double bassReleaseSeconds = 0.6;
const double bellRingSeconds = 6.0;
const double tailFadeSeconds = 0.01;

// Constant-power pan gains.
void panGains(float pan, float& left, float& right)
{
    double angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * 0.25 * 3.141592653589793;
    left = static_cast<float>(std::cos(angle));
    right = static_cast<float>(std::sin(angle));
}

// A raised-cosine rise over riseSeconds, so that nothing starts with a step.
double rise(double t, double riseSeconds)
{
    if (t >= riseSeconds) return 1.0;
    if (t <= 0.0) return 0.0;
    return 0.5 - 0.5 * std::cos(3.141592653589793 * t / riseSeconds);
}

// A linear fall to zero over the last tailFadeSeconds of a note.
double tailFade(double t, double total)
{
    double left = total - t;
    return left >= tailFadeSeconds ? 1.0 : std::max(0.0, left / tailFadeSeconds);
}

// The sample range a note covers inside a buffer of the given length.
bool noteSpan(const Note& note, size_t bufferLength, size_t& first, size_t& count)
{
    double begin = std::max(0.0, note.start);
    first = static_cast<size_t>(std::lround(begin * musicSampleRate));
    if (first >= bufferLength) return false;
    size_t wanted = static_cast<size_t>(soundingSeconds(note) * musicSampleRate);
    count = std::min(wanted, bufferLength - first);
    return count > 0;
}

void addStereo(const std::vector<float>& mono, size_t first, float pan, const Note& note,
               Stereo& dry, Stereo& send)
{
    float gainLeft, gainRight;
    panGains(pan, gainLeft, gainRight);
    for (size_t i = 0; i < mono.size(); ++i) {
        float l = mono[i] * gainLeft, r = mono[i] * gainRight;
        dry.left[first + i] += l;
        dry.right[first + i] += r;
        send.left[first + i] += l * note.send;
        send.right[first + i] += r * note.send;
    }
}

// Piano: each partial a pair of unequal strings a little out of tune with
// each other, struck together so that they beat slowly instead of
// cancelling, stretched by the string's stiffness, decaying in two stages (a
// quick fall after the hammer, then a long sustain), damped on release. A
// harder blow throws more energy into the upper partials, so the tone opens
// with the touch: a loud note rings up to the top octaves, a soft one is
// round. Under the hammer a soft knock of felt and a short breath of
// band-passed noise, both rising over a few milliseconds so that neither
// steps.
void renderPiano(const Note& note, Stereo& dry, Stereo& send)
{
    size_t first, count;
    if (!noteSpan(note, dry.left.size(), first, count)) return;
    Random random(note.seed);

    double f0 = pitchToHz(note.pitch);
    double velocity = std::clamp<double>(note.velocity, 0.0, 1.0);
    double inharmonicity = 0.00025 * std::pow(f0 / 261.6, 0.6);
    double strikePoint = 1.0 / 7.3;
    double sustainTau = 4.5 * std::pow(261.6 / f0, 0.55);
    // Where the tone rolls off: higher for a harder blow.
    double openHz = 500.0 + 18000.0 * velocity * velocity * velocity;
    const int maxPartials = 40;
    const double highestPartialHz = 13000.0;

    double level = 0.12 * (0.15 + 0.85 * velocity * velocity);
    double releaseAt = note.length;
    double releaseStep = std::exp(-1.0 / (std::max(0.001f, note.damperSeconds) * musicSampleRate));
    double total = count / double(musicSampleRate);
    // A partial is left out from where it has fallen below hearing.
    const double inaudible = 1e-6 / level;
    size_t releaseSample = static_cast<size_t>(std::max(0.0, releaseAt) * musicSampleRate);

    std::vector<double> sum(count, 0.0);
    double stringShare = 0.58 + 0.1 * random.uniform();
    for (int n = 1; n <= maxPartials; ++n) {
        double fn = n * f0 * std::sqrt(1.0 + inharmonicity * n * n);
        if (fn > highestPartialHz) break;
        double amplitude = std::exp(-(n - 1) * 0.02 - fn / openHz) / std::pow(n, 0.7);
        amplitude *= 0.35 + std::fabs(std::sin(3.141592653589793 * n * strikePoint));
        double tau = sustainTau / (1.0 + 0.22 * (n - 1));
        double fastTau = std::min(0.35, tau * 0.12);
        // The highest partials keep more of their first ring, so that the
        // top is not all in the attack.
        double fastShare = 0.6 - 0.35 * std::min(1.0, fn / 8000.0);
        double fast = amplitude * fastShare, slow = amplitude * (1.0 - fastShare);
        double fastStep = std::exp(-1.0 / (fastTau * musicSampleRate));
        double slowStep = std::exp(-1.0 / (tau * musicSampleRate));
        double phase = twoPi * random.uniform();
        double re[2], im[2], c[2], s[2];
        for (int k = 0; k < 2; ++k) {
            double cents = (k == 0 ? -1.0 : 1.0) * (0.3 + 0.5 * random.uniform());
            double f = fn * std::pow(2.0, cents / 1200.0);
            double share = k == 0 ? stringShare : 1.0 - stringShare;
            re[k] = std::cos(phase) * share;
            im[k] = std::sin(phase) * share;
            c[k] = std::cos(twoPi * f / musicSampleRate);
            s[k] = std::sin(twoPi * f / musicSampleRate);
        }
        if (amplitude < inaudible) continue;
        double damper = 1.0;
        for (size_t i = 0; i < count; ++i) {
            double r0 = re[0] * c[0] - im[0] * s[0];
            im[0] = re[0] * s[0] + im[0] * c[0];
            re[0] = r0;
            double r1 = re[1] * c[1] - im[1] * s[1];
            im[1] = re[1] * s[1] + im[1] * c[1];
            re[1] = r1;
            double envelope = (fast + slow) * damper;
            sum[i] += envelope * (im[0] + im[1]);
            fast *= fastStep;
            slow *= slowStep;
            if (i > releaseSample) damper *= releaseStep;
            if ((i & 255) == 0 && envelope < inaudible) break;
        }
    }

    double riseSeconds = 0.006 - 0.004 * velocity;
    double thump = 0.0, felt = 0.0, thumpLevel = 0.3 * velocity;
    double thumpStep = std::exp(-1.0 / (0.012 * musicSampleRate));
    double thumpPole = std::exp(-twoPi * (250.0 + 450.0 * velocity) / musicSampleRate);
    // The hammer's noise: a state-variable band-pass around 2 to 3 kHz,
    // about two octaves wide, its upper skirt rounded off by three more
    // poles so that it breathes rather than clicks; louder and a little
    // higher for a harder blow.
    double hammerLevel = 0.08 * velocity * velocity;
    double hammerG = 2.0 * std::sin(3.141592653589793 * (1700.0 + 1200.0 * velocity) / musicSampleRate);
    double hammerDamping = 1.4;
    double hammerLow = 0.0, hammerBand = 0.0, hammerSmooth[3] = {0.0, 0.0, 0.0};
    double hammerPole = std::exp(-twoPi * (4000.0 + 1500.0 * velocity) / musicSampleRate);
    const double hammerRise = 0.004, hammerSeconds = 0.06;
    double hammerStep = std::exp(-1.0 / (0.012 * musicSampleRate));
    double hammerDecay = 1.0;
    double release = 1.0;

    std::vector<float> mono(count);
    for (size_t i = 0; i < count; ++i) {
        double t = i / double(musicSampleRate);
        double x = sum[i];
        // The hammer's felt: noise low-passed twice, a soft knock gone in a few milliseconds.
        thump = thump * thumpPole + (1.0 - thumpPole) * random.signedUniform() * thumpLevel;
        felt = felt * thumpPole + (1.0 - thumpPole) * thump;
        thumpLevel *= thumpStep;
        double knock = felt;
        if (t < hammerSeconds) {
            hammerLow += hammerG * hammerBand;
            double high = random.signedUniform() - hammerLow - hammerDamping * hammerBand;
            hammerBand += hammerG * high;
            // Rises smoothly, then dies away and is gone before its window closes.
            double shape = rise(t, hammerRise) * hammerDecay * (1.0 - rise(t - 0.04, 0.02));
            hammerDecay *= hammerStep;
            double y = hammerBand;
            for (double& z : hammerSmooth) y = z = z * hammerPole + (1.0 - hammerPole) * y;
            knock += y * hammerLevel * shape;
        }
        // The strings carry their own damper; the knock is damped with them.
        if (i > releaseSample) release *= releaseStep;
        mono[i] = static_cast<float>((x + knock * release) * level * rise(t, riseSeconds) * tailFade(t, total));
    }
    // Low notes sit to the left and high notes to the right, as seen from the keys.
    float pan = std::clamp(static_cast<float>((note.pitch - 62.0) / 40.0) + note.pan, -1.0f, 1.0f);
    addStereo(mono, first, pan, note, dry, send);
}

// Pad: three saws a few cents apart (left, centre, right), band-limited with
// polyBLEP, through a two-pole low-pass that opens with the note and breathes
// slowly, a little of the saws' highs let past it; long attack and release.
double polyBlep(double phase, double step)
{
    if (phase < step) {
        double x = phase / step;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - step) {
        double x = (phase - 1.0) / step;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

void renderPad(const Note& note, Stereo& dry, Stereo& send)
{
    size_t first, count;
    if (!noteSpan(note, dry.left.size(), first, count)) return;
    Random random(note.seed);

    const int saws = 3;
    const double detuneCents[saws] = {-7.0, 0.3, 6.5};
    const float sawPans[saws] = {-0.7f, 0.0f, 0.7f};
    double f0 = pitchToHz(note.pitch);
    double phase[saws], step[saws];
    for (int s = 0; s < saws; ++s) {
        phase[s] = random.uniform();
        step[s] = f0 * std::pow(2.0, detuneCents[s] / 1200.0) / musicSampleRate;
    }
    // Out of silence a slow swell; after another chord, as quick as the
    // chord before lets go, so that the two cross without a dip.
    double attack = note.legato ? 0.3 : std::min(2.0, note.length * 0.4);
    double level = 0.014 * note.velocity;
    double total = count / double(musicSampleRate);
    double releaseStep = std::exp(-1.0 / (0.6 * musicSampleRate));
    double release = 1.0;
    double lfoRate = 0.11 + 0.05 * random.uniform();
    double lfoPhase = twoPi * random.uniform();
    double low[saws] = {0, 0, 0}, band[saws] = {0, 0, 0};
    double air = 0.25 * note.brightness * note.brightness;
    double airPole = std::exp(-twoPi * 9000.0 / musicSampleRate);
    double airLow[saws] = {0, 0, 0};

    std::vector<float> channel[saws];
    for (int s = 0; s < saws; ++s) channel[s].assign(count, 0.0f);
    for (size_t i = 0; i < count; ++i) {
        double t = i / double(musicSampleRate);
        // Taking over from a chord, the note rises as a quarter sine, so that
        // its power and the power of the chord letting go add up to an even
        // level; and it comes in with the filter as open as the chord's was,
        // the strings already sounding.
        double swell = note.legato ? std::sin(0.5 * 3.141592653589793 * std::min(1.0, t / attack))
                                   : rise(t, attack);
        double opening = note.legato ? 1.0 : swell;
        if (t > note.length) release *= releaseStep;
        double envelope = swell * release * tailFade(t, total);
        // The filter opens with the swell of the note and breathes with a
        // slow LFO; it stays open as the note lets go, so that the release
        // fades rather than darkens under the chord that follows.
        double cutoff = (250.0 + 2200.0 * note.brightness) * (0.6 + 0.4 * opening)
                        * (1.0 + 0.18 * std::sin(twoPi * lfoRate * t + lfoPhase));
        double g = 2.0 * std::sin(3.141592653589793 * std::min(cutoff, 8000.0) / musicSampleRate);
        for (int s = 0; s < saws; ++s) {
            double saw = 2.0 * phase[s] - 1.0 - polyBlep(phase[s], step[s]);
            phase[s] += step[s];
            if (phase[s] >= 1.0) phase[s] -= 1.0;
            // Chamberlin state-variable low-pass, gently resonant.
            low[s] += g * band[s];
            double high = saw - low[s] - 0.9 * band[s];
            band[s] += g * high;
            // A breath of the saw's own upper harmonics over the filtered
            // tone, the air of bowed strings, rounded off above 9 kHz so
            // that it shimmers rather than hisses.
            airLow[s] = airLow[s] * airPole + (1.0 - airPole) * (saw - low[s]);
            channel[s][i] = static_cast<float>((low[s] + air * airLow[s]) * level * envelope);
        }
    }
    for (int s = 0; s < saws; ++s)
        addStereo(channel[s], first, std::clamp(sawPans[s] + note.pan, -1.0f, 1.0f), note, dry, send);
}

// Bass: a sawtooth's first eight harmonics, rounded off above a few hundred
// hertz, so that small speakers that cannot play the fundamental still give
// the line; the upper harmonics fade faster, as a plucked string's do.
void renderBass(const Note& note, Stereo& dry, Stereo& send)
{
    size_t first, count;
    if (!noteSpan(note, dry.left.size(), first, count)) return;
    const int harmonics = 8;
    double f0 = pitchToHz(note.pitch);
    double cutoff = 320.0 + 380.0 * note.velocity;
    double re[harmonics], im[harmonics], c[harmonics], s[harmonics], sustain[harmonics], pluck[harmonics],
        pluckStep[harmonics];
    int used = 0;
    for (int n = 1; n <= harmonics; ++n) {
        double fn = n * f0;
        if (fn > 4000.0) break;
        double ratio = fn / cutoff;
        double amplitude = (1.0 / n) / std::sqrt(1.0 + ratio * ratio * ratio * ratio);
        re[used] = 1.0;
        im[used] = 0.0;
        c[used] = std::cos(twoPi * fn / musicSampleRate);
        s[used] = std::sin(twoPi * fn / musicSampleRate);
        sustain[used] = amplitude * (n == 1 ? 1.0 : 0.55);
        pluck[used] = amplitude - sustain[used];
        pluckStep[used] = std::exp(-1.0 / ((0.5 / n) * musicSampleRate));
        ++used;
    }
    double level = 0.085 * note.velocity;
    double total = count / double(musicSampleRate);
    double releaseStep = std::exp(-1.0 / (0.12 * musicSampleRate));
    double decayStep = std::exp(-1.0 / (6.0 * musicSampleRate));
    double release = 1.0, decay = 1.0;
    std::vector<float> mono(count);
    for (size_t i = 0; i < count; ++i) {
        double t = i / double(musicSampleRate);
        if (t > note.length) release *= releaseStep;
        decay *= decayStep;
        double x = 0.0;
        for (int h = 0; h < used; ++h) {
            double r = re[h] * c[h] - im[h] * s[h];
            im[h] = re[h] * s[h] + im[h] * c[h];
            re[h] = r;
            x += im[h] * (sustain[h] + pluck[h]);
            pluck[h] *= pluckStep[h];
        }
        mono[i] = static_cast<float>(x * level * (0.6 + 0.4 * decay) * release * rise(t, 0.02)
                                     * tailFade(t, total));
    }
    addStereo(mono, first, note.pan, note, dry, send);
}

// Bell: a tuned bell's partials (the hum an octave below, the prime, the
// minor third, the fifth, the nominal an octave above and the upper partials),
// each with its own length, the lowest ringing longest, two of them beating
// slowly against a twin a fraction of a hertz away.
void renderBell(const Note& note, Stereo& dry, Stereo& send)
{
    size_t first, count;
    if (!noteSpan(note, dry.left.size(), first, count)) return;
    struct Partial { double ratio, offsetHz, amplitude, length; };
    const double minorThird = 1.189207115002721;
    const Partial partials[] = {
        {0.5, 0.0, 0.8, 1.0},         {1.0, 0.0, 1.0, 0.75},  {1.0, 0.6, 0.6, 0.65},
        {minorThird, 0.0, 1.2, 0.45}, {1.5, 0.0, 0.9, 0.35},  {2.0, 0.0, 1.3, 0.3},
        {2.0, 0.9, 0.5, 0.25},        {3.0, 0.0, 0.6, 0.18},  {4.0, 0.0, 0.22, 0.12},
        {5.0, 0.0, 0.14, 0.08}};
    Random random(note.seed);
    double f0 = pitchToHz(note.pitch);
    double ring = note.length;
    double level = 0.028 * note.velocity;
    double total = count / double(musicSampleRate);
    std::vector<float> mono(count, 0.0f);
    for (const Partial& p : partials) {
        double f = f0 * p.ratio + p.offsetHz;
        if (f > 12000.0) continue;
        double step = twoPi * f / musicSampleRate;
        double phase = twoPi * random.uniform();
        double decayStep = std::exp(-4.6 / (p.length * ring * musicSampleRate));
        double envelope = p.amplitude;
        double c = std::cos(step), s = std::sin(step);
        double re = std::cos(phase), im = std::sin(phase);
        for (size_t i = 0; i < count; ++i) {
            double r = re * c - im * s;
            im = re * s + im * c;
            re = r;
            mono[i] += static_cast<float>(im * envelope);
            envelope *= decayStep;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        double t = i / double(musicSampleRate);
        mono[i] = static_cast<float>(mono[i] * level * rise(t, 0.002) * tailFade(t, total));
    }
    addStereo(mono, first, note.pan, note, dry, send);
}

}

double pitchToHz(double pitch)
{
    return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0);
}

double soundingSeconds(const Note& note)
{
    switch (note.voice) {
    case Voice::Piano: return note.length + std::max(pianoReleaseSeconds, 8.0 * note.damperSeconds);
    case Voice::Pad: return note.length + padReleaseSeconds;
    case Voice::Bass: return note.length + bassReleaseSeconds;
    case Voice::Bell: return std::min(note.length, bellRingSeconds);
    }
    return note.length;
}

void renderNote(const Note& note, Stereo& dry, Stereo& send)
{
    switch (note.voice) {
    case Voice::Piano: renderPiano(note, dry, send); break;
    case Voice::Pad: renderPad(note, dry, send); break;
    case Voice::Bass: renderBass(note, dry, send); break;
    case Voice::Bell: renderBell(note, dry, send); break;
    }
}

// Listening to the music as a test can: decoding the MP3, levels and spectra
// of stretches of it, and a detector for clicks.
#include "support/music_test.h"
#include "support/show_test.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>

namespace {

const size_t frameSize = 4096;
const size_t clickBlock = 88;          // 2 ms
const size_t clickNeighbourhood = 50;  // blocks on each side, 100 ms
const double clickRatio = 6.0;
const float clickFloor = 2e-3f;

void fft(std::vector<std::complex<double>>& a)
{
    size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        std::complex<double> step = std::polar(1.0, -2.0 * M_PI / len);
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (size_t k = 0; k < len / 2; ++k) {
                std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

size_t sampleAt(double seconds, int sampleRate, size_t length)
{
    return std::min(length, static_cast<size_t>(std::max(0.0, seconds) * sampleRate));
}

// Largest third difference in each 2 ms block of one channel.
std::vector<float> blockJumps(const std::vector<float>& x)
{
    std::vector<float> jumps(x.size() / clickBlock + 1, 0.0f);
    for (size_t i = 3; i < x.size(); ++i) {
        float d = x[i] - 3.0f * x[i - 1] + 3.0f * x[i - 2] - x[i - 3];
        jumps[i / clickBlock] = std::max(jumps[i / clickBlock], std::fabs(d));
    }
    return jumps;
}

double parseAfter(const std::string& text, const std::string& key, bool& found)
{
    size_t at = text.rfind(key);
    found = at != std::string::npos;
    return found ? std::atof(text.c_str() + at + key.size()) : 0.0;
}

}

DecodedTrack decodeMp3(const std::string& file)
{
    DecodedTrack decoded;
    mpg123_init();
    int error = 0;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle) return decoded;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0.0);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open(handle, file.c_str()) != MPG123_OK || mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
        mpg123_delete(handle);
        return decoded;
    }
    mpg123_format_none(handle);
    mpg123_format(handle, rate, channels, MPG123_ENC_FLOAT_32);
    decoded.sampleRate = static_cast<int>(rate);
    decoded.channels = channels;
    std::vector<float> buffer(16384);
    size_t done = 0;
    int result;
    do {
        result = mpg123_read(handle, reinterpret_cast<unsigned char*>(buffer.data()), buffer.size() * sizeof(float), &done);
        size_t count = done / sizeof(float);
        for (size_t i = 0; i + channels <= count; i += channels) {
            decoded.samples.left.push_back(buffer[i]);
            decoded.samples.right.push_back(buffer[i + (channels > 1 ? 1 : 0)]);
        }
    } while (result == MPG123_OK || result == MPG123_NEW_FORMAT);
    decoded.ok = result == MPG123_DONE;
    mpg123_close(handle);
    mpg123_delete(handle);
    return decoded;
}

double levelDb(const Stereo& track, double from, double to, int sampleRate)
{
    size_t begin = sampleAt(from, sampleRate, track.left.size());
    size_t end = sampleAt(to, sampleRate, track.left.size());
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i)
        sum += 0.5 * (double(track.left[i]) * track.left[i] + double(track.right[i]) * track.right[i]);
    return 10.0 * std::log10(sum / std::max<size_t>(1, end - begin) + 1e-12);
}

std::vector<size_t> findClicks(const Stereo& track)
{
    std::vector<size_t> clicks;
    for (const std::vector<float>* channel : {&track.left, &track.right}) {
        std::vector<float> jumps = blockJumps(*channel);
        for (size_t b = 0; b < jumps.size(); ++b) {
            if (jumps[b] < clickFloor) continue;
            // The typical jump of the music around it, leaving out the block's own neighbours.
            std::vector<float> around;
            size_t first = b >= clickNeighbourhood ? b - clickNeighbourhood : 0;
            size_t last = std::min(jumps.size() - 1, b + clickNeighbourhood);
            for (size_t n = first; n <= last; ++n)
                if (n + 2 < b || n > b + 2) around.push_back(jumps[n]);
            if (around.empty()) continue;
            std::nth_element(around.begin(), around.begin() + around.size() / 2, around.end());
            if (jumps[b] > clickRatio * around[around.size() / 2]) clicks.push_back(b * clickBlock);
        }
    }
    std::sort(clicks.begin(), clicks.end());
    return clicks;
}

FfmpegLoudness ffmpegLoudness(const std::string& file)
{
    FfmpegLoudness measured;
    ProcessResult result = runProcess({"ffmpeg", "-nostats", "-hide_banner", "-i", file,
                                       "-af", "ebur128=peak=true", "-f", "null", "-"},
                                      {}, SHOW_DIR, 300.0);
    if (result.exitCode != 0) return measured;
    // The summary comes last: "I: -16.0 LUFS" and, under "True peak:", "Peak: -1.2 dBFS".
    bool foundLoudness = false, foundPeak = false;
    measured.integrated = parseAfter(result.err, "I:", foundLoudness);
    measured.truePeak = parseAfter(result.err, "Peak:", foundPeak);
    measured.ran = foundLoudness && foundPeak;
    return measured;
}

namespace {

// Power per bin of a stretch, averaged over Hann-windowed frames of the given size.
std::vector<double> powerSpectrum(const Stereo& track, double from, double to, int sampleRate, size_t size)
{
    std::vector<double> power(size / 2, 0.0);
    size_t begin = sampleAt(from, sampleRate, track.left.size());
    size_t end = sampleAt(to, sampleRate, track.left.size());
    for (size_t start = begin; start + size <= end; start += size / 2) {
        std::vector<std::complex<double>> frame(size);
        for (size_t i = 0; i < size; ++i) {
            double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / size);
            frame[i] = hann * 0.5 * (track.left[start + i] + track.right[start + i]);
        }
        fft(frame);
        for (size_t bin = 1; bin < size / 2; ++bin) power[bin] += std::norm(frame[bin]);
    }
    return power;
}

}

std::vector<double> octaveLevels(const Stereo& track, double from, double to, int sampleRate)
{
    // Octave bands from 22 Hz, summed from the spectrum's bins.
    const int bands = 10;
    std::vector<double> power = powerSpectrum(track, from, to, sampleRate, frameSize);
    std::vector<double> bandPower(bands, 1e-12);
    for (size_t bin = 1; bin < power.size(); ++bin) {
        double hz = double(bin) * sampleRate / frameSize;
        int band = static_cast<int>(std::floor(std::log2(hz / 22.0)));
        if (band >= 0 && band < bands) bandPower[band] += power[bin];
    }
    std::vector<double> levels;
    for (double p : bandPower) levels.push_back(10.0 * std::log10(p));
    return levels;
}

double shareBelow(const Stereo& track, double hz, int sampleRate)
{
    std::vector<double> power = powerSpectrum(track, 0.0, track.left.size() / double(sampleRate), sampleRate, frameSize);
    double below = 0.0, all = 0.0;
    for (size_t bin = 1; bin < power.size(); ++bin) {
        all += power[bin];
        if (bin * double(sampleRate) / frameSize < hz) below += power[bin];
    }
    return all > 0.0 ? below / all : 0.0;
}

double shareOffPitch(const Stereo& track, double from, double to, double cents, int sampleRate)
{
    const size_t size = 32768;   // bins of 1.3 Hz: a few cents at the bells' pitches
    std::vector<double> power = powerSpectrum(track, from, to, sampleRate, size);
    double off = 0.0, all = 0.0;
    for (size_t bin = 1; bin < power.size(); ++bin) {
        double hz = bin * double(sampleRate) / size;
        if (hz < 400.0) continue;
        double semitones = 12.0 * std::log2(hz / 440.0);
        double away = 100.0 * std::fabs(semitones - std::round(semitones));
        all += power[bin];
        if (away > cents) off += power[bin];
    }
    return all > 0.0 ? off / all : 0.0;
}

std::vector<BandDeviation> tiltDeviations(const Stereo& track, double dbPerOctave, int sampleRate)
{
    const size_t size = 16384;   // bins of 2.7 Hz: a few dozen even in the 1 kHz band
    std::vector<double> power = powerSpectrum(track, 0.0, track.left.size() / double(sampleRate), sampleRate, size);
    auto bandDb = [&](double centre) {
        double sum = 1e-30;
        for (size_t bin = 1; bin < power.size(); ++bin) {
            double hz = bin * double(sampleRate) / size;
            if (hz >= centre * std::pow(2.0, -1.0 / 6.0) && hz < centre * std::pow(2.0, 1.0 / 6.0)) sum += power[bin];
        }
        return 10.0 * std::log10(sum);
    };
    double reference = bandDb(1000.0);
    std::vector<BandDeviation> deviations;
    for (int third = 3; third <= 10; ++third) {
        double centre = 1000.0 * std::pow(2.0, third / 3.0);
        deviations.push_back({centre, bandDb(centre) - (reference - dbPerOctave * third / 3.0)});
    }
    return deviations;
}

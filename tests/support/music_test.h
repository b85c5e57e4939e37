#pragma once
// Listening to the music as a test can: decoding the MP3, levels and spectra
// of stretches of it, and a detector for clicks.
#include "forge/music/synth.h"

#include <string>
#include <vector>

struct DecodedTrack
{
    bool ok = false;
    int sampleRate = 0;
    int channels = 0;
    Stereo samples;
};

// Decodes an MP3 file with libmpg123 (gapless, as floats).
DecodedTrack decodeMp3(const std::string& file);

// Mean power of both channels from second `from` to second `to`, in dB.
double levelDb(const Stereo& track, double from, double to, int sampleRate = musicSampleRate);

// Power in octave bands (31 Hz to 16 kHz, ten bands) over a stretch, in dB,
// averaged over Hann-windowed 4096-sample frames.
std::vector<double> octaveLevels(const Stereo& track, double from, double to, int sampleRate = musicSampleRate);

// Sample positions (of either channel) where a click stands out: a jump whose
// third difference is far above that of the music in the tenth of a second
// around it.
std::vector<size_t> findClicks(const Stereo& track);

struct FfmpegLoudness
{
    bool ran = false;
    double integrated = 0.0;   // LUFS
    double truePeak = 0.0;     // dBTP
};

// ffmpeg's EBU R128 measurement of a file, when ffmpeg is installed.
FfmpegLoudness ffmpegLoudness(const std::string& file);

// The share of a track's power below hz.
double shareBelow(const Stereo& track, double hz, int sampleRate = musicSampleRate);

// The share of a stretch's power above 400 Hz that lies more than `cents`
// from every note of the equal-tempered scale: how far out of tune it is.
double shareOffPitch(const Stereo& track, double from, double to, double cents, int sampleRate = musicSampleRate);

// How far each 1/3-octave band from 2 to 10 kHz lies from a line falling
// dbPerOctave through the 1 kHz band, in dB (below the line is negative),
// over the whole track: the brightness of the mix against a natural tilt.
struct BandDeviation
{
    double hz = 0.0;
    double db = 0.0;
};
std::vector<BandDeviation> tiltDeviations(const Stereo& track, double dbPerOctave, int sampleRate = musicSampleRate);

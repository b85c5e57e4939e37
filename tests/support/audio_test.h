#pragma once
// What the audio tests share: small MP3s made with LAME, other files to put
// under the music's name, and a way to read what OpenAL's wave writer heard.
#include "audio/mp3_stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A sine tone of the given length, interleaved, at about a third of full scale;
// the right channel (if any) a fifth higher, so that a swap would show.
std::vector<int16_t> testTone(int sampleRate, int channelCount, double seconds, double frequency = 440.0);

// Encodes interleaved 16-bit samples as MP3 (constant 128 kbit/s, with the
// LAME header that tells the decoder how much padding to drop).
Bytes encodeTestMp3(const std::vector<int16_t>& samples, int sampleRate, int channelCount);

// Random bytes, the same for the same seed.
Bytes randomBytes(size_t size, unsigned seed);

// Random bytes with a plausible MPEG-1 Layer III frame header (44.1 kHz,
// 128 kbit/s, stereo) at every frame start: the decoder takes them as audio.
Bytes fakeFrames(size_t frameCount, unsigned seed);

// A 16-bit PCM WAV file holding the samples.
Bytes waveFile(const std::vector<int16_t>& samples, int sampleRate, int channelCount);

void writeBytes(const std::string& path, const Bytes& bytes);
Bytes readBytes(const std::string& path);

// Reads a stream from its current position to its end.
std::vector<int16_t> decodeToEnd(Mp3Stream& stream);

// The 16-bit samples of a WAV file written by OpenAL Soft's wave driver. The
// sizes in its header are only filled in when the device closes, so the data
// is taken to the end of the file.
struct WaveRecording
{
    int sampleRate = 0;
    int channelCount = 0;
    std::vector<int16_t> samples;
};
WaveRecording readWaveRecording(const std::string& path);

// Writes an OpenAL Soft configuration whose only driver is the wave writer,
// recording to wavePath (none: a driver that cannot open, so no device).
std::string writeWaveDriverConfig(const std::string& configPath, const std::string& wavePath);

// A fresh, empty directory under /tmp for one test.
std::string scratchDirectory(const std::string& name);

// Runs a routine with standard error redirected, and returns what it wrote.
std::string captureStderr(const std::function<void()>& routine);

// Test material for the audio layer.
#include "audio_test.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <stdexcept>
#include <unistd.h>

std::vector<int16_t> testTone(int sampleRate, int channelCount, double seconds, double frequency)
{
    size_t frames = static_cast<size_t>(seconds * sampleRate);
    std::vector<int16_t> samples(frames * channelCount);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channelCount; ++c) {
            double f = frequency * (c == 0 ? 1.0 : 1.5);
            samples[i * channelCount + c] = static_cast<int16_t>(10000.0 * std::sin(2.0 * M_PI * f * i / sampleRate));
        }
    return samples;
}

Bytes encodeTestMp3(const std::vector<int16_t>& samples, int sampleRate, int channelCount)
{
    lame_t encoder = lame_init();
    lame_set_in_samplerate(encoder, sampleRate);
    lame_set_out_samplerate(encoder, sampleRate);
    lame_set_num_channels(encoder, channelCount);
    lame_set_mode(encoder, channelCount == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(encoder, 128);
    lame_set_quality(encoder, 5);
    if (lame_init_params(encoder) < 0)
        throw std::runtime_error("lame_init_params failed");

    int frames = static_cast<int>(samples.size() / channelCount);
    Bytes out(frames * 5 / 4 + 7200 + 16384);
    std::vector<int16_t> left(frames), right(frames);
    for (int i = 0; i < frames; ++i) {
        left[i] = samples[i * channelCount];
        right[i] = samples[i * channelCount + channelCount - 1];
    }
    int used = lame_encode_buffer(encoder, left.data(), right.data(), frames, out.data(), static_cast<int>(out.size()));
    if (used < 0)
        throw std::runtime_error("lame_encode_buffer failed");
    int flushed = lame_encode_flush(encoder, out.data() + used, static_cast<int>(out.size()) - used);
    out.resize(used + std::max(flushed, 0));
    // The LAME header in the first frame carries the delay and padding.
    unsigned char tag[2880];
    size_t tagSize = lame_get_lametag_frame(encoder, tag, sizeof tag);
    if (tagSize > 0 && tagSize <= out.size())
        std::memcpy(out.data(), tag, tagSize);
    lame_close(encoder);
    return out;
}

Bytes randomBytes(size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    Bytes bytes(size);
    for (unsigned char& byte : bytes)
        byte = static_cast<unsigned char>(generator());
    return bytes;
}

Bytes fakeFrames(size_t frameCount, unsigned seed)
{
    // 144 * 128000 / 44100 = 417 bytes per frame without padding.
    const size_t frameBytes = 417;
    Bytes bytes = randomBytes(frameCount * frameBytes, seed);
    for (size_t i = 0; i < frameCount; ++i) {
        unsigned char* header = bytes.data() + i * frameBytes;
        header[0] = 0xFF;
        header[1] = 0xFB;  // MPEG-1, Layer III, no CRC
        header[2] = 0x90;  // 128 kbit/s, 44.1 kHz, no padding
        header[3] = 0x04;  // stereo, original
    }
    return bytes;
}

namespace
{
void put32(Bytes& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void put16(Bytes& bytes, uint16_t value)
{
    bytes.push_back(static_cast<unsigned char>(value));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
}

uint32_t get32(const Bytes& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}
}

Bytes waveFile(const std::vector<int16_t>& samples, int sampleRate, int channelCount)
{
    Bytes bytes;
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    for (char c : std::string("RIFF")) bytes.push_back(c);
    put32(bytes, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) bytes.push_back(c);
    put32(bytes, 16);
    put16(bytes, 1);
    put16(bytes, static_cast<uint16_t>(channelCount));
    put32(bytes, static_cast<uint32_t>(sampleRate));
    put32(bytes, static_cast<uint32_t>(sampleRate * channelCount * 2));
    put16(bytes, static_cast<uint16_t>(channelCount * 2));
    put16(bytes, 16);
    for (char c : std::string("data")) bytes.push_back(c);
    put32(bytes, dataBytes);
    for (int16_t sample : samples)
        put16(bytes, static_cast<uint16_t>(sample));
    return bytes;
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<int16_t> decodeToEnd(Mp3Stream& stream)
{
    std::vector<int16_t> all;
    std::vector<int16_t> block(4096);
    while (!stream.finished) {
        size_t got = readMp3Block(stream, block.data(), block.size());
        all.insert(all.end(), block.begin(), block.begin() + got);
    }
    return all;
}

WaveRecording readWaveRecording(const std::string& path)
{
    WaveRecording recording;
    Bytes bytes = readBytes(path);
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return recording;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        uint32_t chunkBytes = get32(bytes, at + 4);
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && at + 24 <= bytes.size()) {
            recording.channelCount = bytes[at + 10] | bytes[at + 11] << 8;
            recording.sampleRate = static_cast<int>(get32(bytes, at + 12));
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            for (size_t i = at + 8; i + 1 < bytes.size(); i += 2)
                recording.samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
            break;
        }
        at += 8 + chunkBytes + (chunkBytes & 1);
    }
    return recording;
}

std::string writeWaveDriverConfig(const std::string& configPath, const std::string& wavePath)
{
    std::ofstream config(configPath, std::ios::trunc);
    config << "[general]\ndrivers = wave\nfrequency = 44100\nchannels = stereo\n"
           << "sample-type = int16\ndither = false\n\n[wave]\n";
    if (!wavePath.empty())
        config << "file = " << wavePath << "\n";
    return configPath;
}

namespace
{
std::vector<std::string> scratchDirectories;

void removeScratchDirectories()
{
    for (const std::string& path : scratchDirectories)
        std::system(("rm -rf '" + path + "'").c_str());
}
}

std::string scratchDirectory(const std::string& name)
{
    std::string path = "/tmp/ostralis-audio-test-" + std::to_string(getpid()) + "-" + name;
    std::string command = "rm -rf '" + path + "' && mkdir -p '" + path + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot make " + path);
    if (scratchDirectories.empty())
        std::atexit(removeScratchDirectories);
    scratchDirectories.push_back(path);
    return path;
}

std::string captureStderr(const std::function<void()>& routine)
{
    std::fflush(stderr);
    char path[] = "/tmp/ostralis-stderr-XXXXXX";
    int capture = mkstemp(path);
    int saved = dup(STDERR_FILENO);
    dup2(capture, STDERR_FILENO);
    routine();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(capture);
    std::string written;
    for (unsigned char byte : readBytes(path))
        written.push_back(static_cast<char>(byte));
    unlink(path);
    return written;
}

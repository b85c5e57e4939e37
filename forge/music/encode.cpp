// Writing the finished track: 16-bit PCM through LAME into an MP3 file, and
// a voice on its own as a 32-bit float WAV file.
#include "music/encode.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace {

const int framesPerChunk = 8192;

// Little-endian fields of a WAV header, whatever the machine's own order.
void put16(std::string& out, uint32_t v)
{
    out += char(v & 0xff);
    out += char((v >> 8) & 0xff);
}

void put32(std::string& out, uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

short toPcm16(float sample)
{
    float scaled = std::round(sample * 32767.0f);
    return static_cast<short>(std::clamp(scaled, -32768.0f, 32767.0f));
}

}

bool encodeMp3(const std::vector<float>& stereo, int sampleRate, const std::string& mp3File)
{
    // Set up a 192 kbit/s constant-rate stereo encoder.
    lame_t lame = lame_init();
    if (!lame) {
        std::cerr << "ostralis-forge: cannot start the MP3 encoder" << std::endl;
        return false;
    }
    lame_set_in_samplerate(lame, sampleRate);
    lame_set_out_samplerate(lame, sampleRate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_brate(lame, 192);
    lame_set_quality(lame, 2);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        std::cerr << "ostralis-forge: the MP3 encoder refuses its settings" << std::endl;
        lame_close(lame);
        return false;
    }

    std::FILE* file = std::fopen(mp3File.c_str(), "wb");
    if (!file) {
        std::cerr << "ostralis-forge: cannot write " << mp3File << std::endl;
        lame_close(lame);
        return false;
    }

    // Feed the samples in chunks, as 16-bit PCM.
    std::vector<short> pcm(framesPerChunk * 2);
    std::vector<unsigned char> out(framesPerChunk * 5 / 4 + 7200);
    bool ok = true;
    size_t frames = stereo.size() / 2;
    for (size_t start = 0; start < frames && ok; start += framesPerChunk) {
        int count = static_cast<int>(std::min<size_t>(framesPerChunk, frames - start));
        for (int i = 0; i < count * 2; ++i)
            pcm[i] = toPcm16(stereo[start * 2 + i]);
        int bytes = lame_encode_buffer_interleaved(lame, pcm.data(), count, out.data(),
                                                   static_cast<int>(out.size()));
        ok = bytes >= 0 && std::fwrite(out.data(), 1, bytes, file) == static_cast<size_t>(bytes);
    }

    // Flush the encoder's last frames and write the header LAME fills in.
    if (ok) {
        int bytes = lame_encode_flush(lame, out.data(), static_cast<int>(out.size()));
        ok = bytes >= 0 && std::fwrite(out.data(), 1, bytes, file) == static_cast<size_t>(bytes);
    }
    if (ok) {
        unsigned char header[2880];
        size_t headerBytes = lame_get_lametag_frame(lame, header, sizeof header);
        if (headerBytes > 0 && headerBytes <= sizeof header && std::fseek(file, 0, SEEK_SET) == 0)
            ok = std::fwrite(header, 1, headerBytes, file) == headerBytes;
    }
    ok = (std::fclose(file) == 0) && ok;
    lame_close(lame);
    if (!ok) {
        std::cerr << "ostralis-forge: failed to encode " << mp3File << std::endl;
        std::remove(mp3File.c_str());
    }
    return ok;
}

bool writeWav(const std::vector<float>& stereo, int sampleRate, const std::string& wavFile)
{
    const uint32_t channels = 2, bytesPerSample = 4;
    uint32_t dataBytes = static_cast<uint32_t>(stereo.size() * bytesPerSample);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 3);   // IEEE float
    put16(out, channels);
    put32(out, sampleRate);
    put32(out, sampleRate * channels * bytesPerSample);
    put16(out, channels * bytesPerSample);
    put16(out, bytesPerSample * 8);
    out += "data";
    put32(out, dataBytes);
    for (float sample : stereo) {
        uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        put32(out, bits);
    }
    std::ofstream file(wavFile, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    file.close();
    if (!file) {
        std::cerr << "ostralis-forge: cannot write " << wavFile << std::endl;
        return false;
    }
    return true;
}

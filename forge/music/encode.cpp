// Writing the finished track: 16-bit PCM through LAME into an MP3 file.
#include "music/encode.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace {

const int framesPerChunk = 8192;

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

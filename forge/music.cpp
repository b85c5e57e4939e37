// The music: a quiet placeholder tone of the show's length.
#include "forge.h"
#include "music/encode.h"

#include <algorithm>
#include <cmath>
#include <vector>

int forgeMusic(const std::string& mp3File)
{
    const int sampleRate = 44100;
    const double seconds = 156.0;
    size_t frames = static_cast<size_t>(seconds * sampleRate);
    std::vector<float> stereo(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / sampleRate;
        double fade = std::min({1.0, t / 2.0, (seconds - t) / 2.0});
        float s = static_cast<float>(0.05 * fade * std::sin(2.0 * M_PI * 220.0 * t));
        stereo[i * 2] = s;
        stereo[i * 2 + 1] = s;
    }
    return encodeMp3(stereo, sampleRate, mp3File) ? 0 : 1;
}

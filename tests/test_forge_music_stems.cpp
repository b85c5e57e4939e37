// The music's voices as the forge renders them apart: they sum to the track
// and are written as WAV files a maker can open.
#include "music/encode.h"
#include "music/render.h"
#include "support/music_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The track rendered with its voices apart, once per process.
const RenderedMusic& withStems()
{
    static const RenderedMusic music = renderMusic({}, true);
    return music;
}

const Stem* stemNamed(const std::string& name)
{
    for (const Stem& stem : withStems().stems)
        if (stem.name == name) return &stem;
    return nullptr;
}

}

TEST(MusicStems, SumToTheTrackAndWriteAsWav)
{
    const RenderedMusic& music = withStems();
    ASSERT_NE(stemNamed("piano"), nullptr);
    ASSERT_GE(music.stems.size(), 3u);
    size_t length = music.track.left.size();
    double signal = 0.0, error = 0.0;
    for (size_t i = 0; i < length; ++i) {
        double l = 0.0, r = 0.0;
        for (const Stem& stem : music.stems) {
            ASSERT_EQ(stem.samples.left.size(), length) << stem.name;
            l += stem.samples.left[i];
            r += stem.samples.right[i];
        }
        signal += double(music.track.left[i]) * music.track.left[i] + double(music.track.right[i]) * music.track.right[i];
        error += (l - music.track.left[i]) * (l - music.track.left[i]) + (r - music.track.right[i]) * (r - music.track.right[i]);
    }
    EXPECT_LT(10.0 * std::log10(error / signal), -30.0);

    // A stem written and read back: a float WAV whose samples are the stem's.
    const Stem& piano = *stemNamed("piano");
    std::vector<float> stereo;
    for (size_t i = 0; i < 1000; ++i) {
        stereo.push_back(piano.samples.left[musicSampleRate * 30 + i]);
        stereo.push_back(piano.samples.right[musicSampleRate * 30 + i]);
    }
    std::filesystem::path file = std::filesystem::temp_directory_path() / "ostralis-stem-test.wav";
    ASSERT_TRUE(writeWav(stereo, musicSampleRate, file.string()));
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    ASSERT_EQ(bytes.size(), 44 + stereo.size() * 4);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    uint32_t rate = 0;
    for (int b = 3; b >= 0; --b) rate = rate << 8 | static_cast<unsigned char>(bytes[24 + b]);
    EXPECT_EQ(rate, uint32_t(musicSampleRate));
    for (size_t i = 0; i < stereo.size(); i += 397) {
        uint32_t bits = 0;
        for (int b = 3; b >= 0; --b) bits = bits << 8 | static_cast<unsigned char>(bytes[44 + i * 4 + b]);
        float sample;
        std::memcpy(&sample, &bits, sizeof sample);
        EXPECT_EQ(sample, stereo[i]) << "sample " << i;
    }
}

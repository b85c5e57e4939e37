// The music as the viewer hears it: the player, run with OpenAL Soft's wave
// writer as its sound device, records "angel6.mp3" from its first sample on,
// starting once the opening's black pre-roll is over, and only once.
#include "audio/mp3_stream.h"
#include "support/audio_test.h"
#include "support/player_control.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
const int sampleRate = 44100;
const int channelCount = 2;

// The first sample that is not silence, or the size when there is none.
size_t firstSound(const std::vector<int16_t>& samples)
{
    auto sound = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
    return static_cast<size_t>(sound - samples.begin());
}

// The first `seconds` of the show's music file, decoded.
std::vector<int16_t> musicStart(double seconds)
{
    Mp3Stream stream;
    std::vector<int16_t> samples(static_cast<size_t>(seconds * sampleRate) * channelCount);
    if (!openMp3File(stream, SHOW_DIR "/angel6.mp3"))
        return {};
    size_t got = 0;
    while (got < samples.size() && !stream.finished)
        got += readMp3Block(stream, samples.data() + got, samples.size() - got);
    closeMp3(stream);
    samples.resize(got);
    return samples;
}
}

TEST(MusicHeard, StartsAfterThePrerollFromTheFilesFirstSampleAndPlaysOnce)
{
    std::string dir = scratchDirectory("music-heard");
    std::string config = writeWaveDriverConfig(dir + "/wave.conf", dir + "/heard.wav");

    // Seven seconds of the show: the pre-roll, the fade-in, part of the hold.
    ProcessResult result = runProcess({playerPath}, {{"ALSOFT_CONF", config}, {"ALSOFT_LOGLEVEL", ""}},
                                      SHOW_DIR, 7.0);
    EXPECT_TRUE(result.timedOut) << "the player ended early: " << result.exitCode << "\n" << result.err;
    EXPECT_NE(result.out.find("scene 01 loaded"), std::string::npos) << result.out;

    WaveRecording heard = readWaveRecording(dir + "/heard.wav");
    ASSERT_EQ(heard.sampleRate, sampleRate);
    ASSERT_EQ(heard.channelCount, channelCount);
    std::vector<int16_t> music = musicStart(8.0);
    size_t musicStart = firstSound(music);
    ASSERT_LT(musicStart, music.size()) << "the music file is silent";

    // Silence while the screen is black, then the music about 1.25 s after
    // the device opened (start-up and the first frames take a few
    // milliseconds more).
    size_t start = firstSound(heard.samples);
    ASSERT_LT(start, heard.samples.size()) << "nothing was heard";
    double onset = double(start - musicStart) / channelCount / sampleRate;
    std::cout << "music heard from " << onset << " s" << std::endl;
    EXPECT_GE(onset, 1.25);
    EXPECT_LE(onset, 2.5);

    // From there on the recording is the file itself, sample for sample: a
    // second start would mix in and show.
    size_t heardLength = heard.samples.size() - start;
    size_t musicLength = music.size() - musicStart;
    size_t common = std::min(heardLength, musicLength);
    EXPECT_GE(common, size_t(3 * sampleRate * channelCount)) << "less than three seconds were heard";
    auto mismatch = std::mismatch(music.begin() + musicStart, music.begin() + musicStart + common,
                                  heard.samples.begin() + start);
    EXPECT_EQ(mismatch.first - music.begin() - musicStart, long(common))
        << "the recording leaves the file after "
        << double(mismatch.first - music.begin() - musicStart) / channelCount / sampleRate << " s";
}

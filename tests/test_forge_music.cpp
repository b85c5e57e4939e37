// The forge's music: the same track every time, the show's length, mastered
// to its loudness without clipping, clicks or offset, and changing with every
// scene.
#include "music/loudness.h"
#include "music/render.h"
#include "music/score.h"
#include "support/music_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace {

const double loudnessTarget = -16.0;
const double loudnessTolerance = 1.5;
const double truePeakLimit = -1.0;

// A sine in both channels.
Stereo tone(double hz, double amplitude, double seconds, double phase = 0.0)
{
    Stereo s;
    size_t length = static_cast<size_t>(seconds * musicSampleRate);
    for (size_t i = 0; i < length; ++i) {
        float x = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * i / musicSampleRate + phase));
        s.left.push_back(x);
        s.right.push_back(x);
    }
    return s;
}

void append(Stereo& to, const Stereo& more)
{
    to.left.insert(to.left.end(), more.left.begin(), more.left.end());
    to.right.insert(to.right.end(), more.right.begin(), more.right.end());
}

double channelMean(const std::vector<float>& x)
{
    double sum = 0.0;
    for (float s : x) sum += s;
    return sum / x.size();
}

// The track as the show plays it, decoded once per process.
const DecodedTrack& showTrack()
{
    static const DecodedTrack track = decodeMp3(SHOW_DIR "/angel6.mp3");
    return track;
}

}

// The meter against signals whose loudness and peaks are known: it is fed
// both channels at the show's rate.
TEST(MusicMeter, MeasuresKnownSignals)
{
    // A 997 Hz sine at -20 dBFS in both channels reads -20 LUFS.
    EXPECT_NEAR(integratedLoudness(tone(997.0, 0.1, 10.0)), -20.0, 0.1);

    // Silence and passages 20 dB quieter are gated out.
    Stereo gated = tone(997.0, 0.1, 10.0);
    append(gated, tone(997.0, 0.0, 10.0));
    append(gated, tone(997.0, 0.01, 10.0));
    EXPECT_NEAR(integratedLoudness(gated), -20.0, 0.1);
    EXPECT_LE(integratedLoudness(tone(997.0, 0.0, 5.0)), -70.0);

    // Low rumble counts for little, presence a little more.
    EXPECT_LT(integratedLoudness(tone(30.0, 0.1, 5.0)), -28.0);
    EXPECT_GT(integratedLoudness(tone(4000.0, 0.1, 5.0)), -20.0 + 2.0);

    // A quarter-rate sine sampled at 45 degrees peaks 3 dB above its samples.
    Stereo between = tone(musicSampleRate / 4.0, 0.5, 1.0, M_PI / 4.0);
    EXPECT_NEAR(truePeak(between), 20.0 * std::log10(0.5), 0.2);
    EXPECT_NEAR(truePeak(tone(440.0, 0.25, 1.0)), 20.0 * std::log10(0.25), 0.05);
    EXPECT_LE(truePeak(tone(997.0, 0.0, 1.0)), -100.0);

    // The limiter's own envelope finds the same peak between the samples.
    std::vector<float> envelope = truePeakEnvelope(between);
    double envelopePeak = 20.0 * std::log10(*std::max_element(envelope.begin(), envelope.end()));
    EXPECT_NEAR(envelopePeak, truePeak(between), 0.1);
}

TEST(MusicRender, IsTheSameEveryTime)
{
    RenderedMusic first = renderMusic();
    RenderedMusic second = renderMusic();
    ASSERT_EQ(first.track.left.size(), second.track.left.size());
    EXPECT_EQ(0, std::memcmp(first.track.left.data(), second.track.left.data(), first.track.left.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(first.track.right.data(), second.track.right.data(), first.track.right.size() * sizeof(float)));
}

// The track before encoding: the show's length, mastered, clean.
TEST(MusicRender, IsMasteredAndClean)
{
    RenderedMusic music = renderMusic();
    const Stereo& track = music.track;
    ASSERT_EQ(track.left.size(), track.right.size());
    EXPECT_EQ(track.left.size(), static_cast<size_t>(trackSeconds * musicSampleRate));

    double loudness = integratedLoudness(track);
    double peak = truePeak(track);
    std::printf("rendered: %.2f LUFS, %.2f dBTP\n", loudness, peak);
    EXPECT_NEAR(loudness, loudnessTarget, 0.5);
    EXPECT_LE(peak, truePeakLimit - 0.3);
    EXPECT_NEAR(music.report.loudness, loudness, 0.01);

    // No offset in either channel, and nothing out of range.
    EXPECT_LT(std::fabs(channelMean(track.left)), 1e-4);
    EXPECT_LT(std::fabs(channelMean(track.right)), 1e-4);
    for (const std::vector<float>* channel : {&track.left, &track.right})
        for (float s : *channel) ASSERT_TRUE(std::isfinite(s) && std::fabs(s) < 1.0f);

    // No clicks, while a small step put into the music is heard at once,
    // in quiet passages (-40 dBFS) and in full ones (-26 dBFS).
    std::vector<size_t> clicks = findClicks(track);
    EXPECT_TRUE(clicks.empty()) << clicks.size() << " clicks, the first at "
                                << (clicks.empty() ? 0.0 : clicks[0] / double(musicSampleRate)) << " s";
    Stereo damaged = track;
    const double damageSeconds[] = {4.0, 60.0, 48.0, 125.0};
    const float damageSteps[] = {0.01f, 0.01f, 0.05f, 0.05f};
    for (size_t d = 0; d < std::size(damageSeconds); ++d) {
        size_t from = static_cast<size_t>(damageSeconds[d] * musicSampleRate);
        for (size_t i = from; i < from + 400; ++i) damaged.left[i] += damageSteps[d];
    }
    std::vector<size_t> found = findClicks(damaged);
    for (double at : damageSeconds) {
        size_t from = static_cast<size_t>(at * musicSampleRate);
        bool heard = std::any_of(found.begin(), found.end(), [&](size_t c) { return c + 500 >= from && c <= from + 900; });
        EXPECT_TRUE(heard) << "a step at " << at << " s goes unnoticed";
    }

    // The last chord rings out into the room rather than being cut off:
    // from its loudest moment to the last few tenths of a second it dies
    // away smoothly, a quarter second never more than a few decibels under
    // the one before, and is far down before the very end closes it.
    const double quarter = 0.25, closing = 0.3;
    double chordPeak = -200.0, chordAt = 0.0;
    for (double t = trackSeconds - 8.0; t < trackSeconds - 2.0; t += quarter) {
        double db = levelDb(track, t, t + quarter);
        if (db > chordPeak) chordPeak = db, chordAt = t;
    }
    double steepest = 0.0, steepestAt = 0.0;
    double before = chordPeak;
    for (double t = chordAt + quarter; t + quarter <= trackSeconds - closing + 1e-9; t += quarter) {
        double db = levelDb(track, t, t + quarter);
        if (before - db > steepest) steepest = before - db, steepestAt = t;
        before = db;
    }
    double ringing = levelDb(track, trackSeconds - closing - quarter, trackSeconds - closing);
    std::printf("the last chord: %.1f dB at its loudest (%.2f s), %.1f dB at %.2f s; steepest fall %.1f dB "
                "a quarter second, at %.2f s\n",
                chordPeak, chordAt, ringing, trackSeconds - closing - quarter, steepest, steepestAt);
    EXPECT_LE(steepest, 6.0) << "the last chord is choked at " << steepestAt << " s";
    EXPECT_LE(ringing, chordPeak - 30.0) << "the last chord is still sounding when the track ends";

    // The track ends in silence, as the credits end in black.
    size_t end = track.left.size();
    EXPECT_LT(levelDb(track, trackSeconds - 0.05, trackSeconds), -70.0);
    EXPECT_EQ(track.left[end - 1], 0.0f);
}

// The file the show plays, decoded: its format, length, loudness and peaks,
// also as ffmpeg measures them.
TEST(MusicTrack, ShowFileMeasures)
{
    const DecodedTrack& decoded = showTrack();
    ASSERT_TRUE(decoded.ok) << "cannot decode angel6.mp3";
    EXPECT_EQ(decoded.sampleRate, musicSampleRate);
    EXPECT_EQ(decoded.channels, 2);
    double seconds = decoded.samples.left.size() / double(decoded.sampleRate);
    EXPECT_NEAR(seconds, trackSeconds, 0.1);
    EXPECT_NEAR(std::filesystem::file_size(SHOW_DIR "/angel6.mp3") * 8.0 / seconds / 1000.0, 192.0, 8.0);

    double loudness = integratedLoudness(decoded.samples);
    double peak = truePeak(decoded.samples);
    std::printf("decoded: %.1f s, %.2f LUFS, %.2f dBTP\n", seconds, loudness, peak);
    // The limiter steers by its own envelope: it must not see less than the meter.
    std::vector<float> envelope = truePeakEnvelope(decoded.samples);
    double envelopePeak = 20.0 * std::log10(*std::max_element(envelope.begin(), envelope.end()));
    EXPECT_NEAR(envelopePeak, peak, 0.2);
    EXPECT_NEAR(loudness, loudnessTarget, loudnessTolerance);
    EXPECT_LE(peak, truePeakLimit);
    EXPECT_LT(std::fabs(channelMean(decoded.samples.left)), 1e-4);
    EXPECT_LT(std::fabs(channelMean(decoded.samples.right)), 1e-4);
    std::vector<size_t> clicks = findClicks(decoded.samples);
    EXPECT_TRUE(clicks.empty()) << clicks.size() << " clicks, the first at "
                                << (clicks.empty() ? 0.0 : clicks[0] / double(musicSampleRate)) << " s";

    FfmpegLoudness ffmpeg = ffmpegLoudness(SHOW_DIR "/angel6.mp3");
    if (!ffmpeg.ran) GTEST_SKIP() << "ffmpeg is not installed; our own measurement stands";
    std::printf("ffmpeg: %.1f LUFS, %.1f dBTP\n", ffmpeg.integrated, ffmpeg.truePeak);
    EXPECT_NEAR(ffmpeg.integrated, loudnessTarget, loudnessTolerance);
    EXPECT_LE(ffmpeg.truePeak, truePeakLimit);
    // Both follow the same standard; ffmpeg prints tenths, and finds peaks
    // between the samples by resampling rather than by libebur128's filter.
    EXPECT_NEAR(ffmpeg.integrated, loudness, 0.1);
    EXPECT_NEAR(ffmpeg.truePeak, peak, 0.2);
}

// Each scene brings a change of level or of colour, heard in the two
// seconds either side of its start; and the music changes more at the scene
// starts than it does in mid-scene.
TEST(MusicTrack, ChangesWithEveryScene)
{
    const DecodedTrack& decoded = showTrack();
    ASSERT_TRUE(decoded.ok) << "cannot decode angel6.mp3";
    const std::vector<double>& starts = sectionStarts();
    auto change = [&](double at, double& levelChange, double& colourChange) {
        double before = levelDb(decoded.samples, at - 2.2, at - 0.2, decoded.sampleRate);
        double after = levelDb(decoded.samples, at + 0.2, at + 2.2, decoded.sampleRate);
        std::vector<double> bandsBefore = octaveLevels(decoded.samples, at - 2.2, at - 0.2, decoded.sampleRate);
        std::vector<double> bandsAfter = octaveLevels(decoded.samples, at + 0.2, at + 2.2, decoded.sampleRate);
        levelChange = after - before;
        // Colour: how the balance of the bands moves, the overall level taken out.
        colourChange = 0.0;
        for (size_t b = 2; b < bandsBefore.size(); ++b)
            colourChange = std::max(colourChange, std::fabs((bandsAfter[b] - after) - (bandsBefore[b] - before)));
    };

    double atStarts = 0.0, midScene = 0.0;
    for (size_t s = 1; s < starts.size(); ++s) {
        double level, colour;
        change(starts[s], level, colour);
        std::printf("scene %zu at %5.1f s: level %+5.1f dB, colour %4.1f dB\n", s, starts[s], level, colour);
        EXPECT_TRUE(std::fabs(level) >= 2.0 || colour >= 6.0)
            << "nothing changes at " << starts[s] << " s: level " << level << " dB, colour " << colour << " dB";
        atStarts += std::fabs(level) + colour;
        // The same measure halfway through the scene before, for comparison.
        double midLevel, midColour;
        change(0.5 * (starts[s - 1] + starts[s]), midLevel, midColour);
        midScene += std::fabs(midLevel) + midColour;
    }
    std::printf("mean change at scene starts %.1f dB, in mid-scene %.1f dB\n",
                atStarts / (starts.size() - 1), midScene / (starts.size() - 1));
    EXPECT_GT(atStarts, 1.5 * midScene);
}

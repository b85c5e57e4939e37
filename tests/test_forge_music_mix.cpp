// The music as a listener hears its balance: the piano carrying the line on
// top of the other voices, a low end that does not swamp the rest, one arc of
// loudness without cliffs, and bells in tune.
#include "music/loudness.h"
#include "music/render.h"
#include "music/score.h"
#include "support/music_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const RenderedMusic& withStems()
{
    static const RenderedMusic music = renderMusic({}, true);
    return music;
}

const Stem& stemNamed(const std::string& name)
{
    for (const Stem& stem : withStems().stems)
        if (stem.name == name) return stem;
    static const Stem none;
    return none;
}

// Power in the octaves where a melody lies (176 Hz to 5.6 kHz), in linear units.
double melodyBandPower(const Stereo& samples, double from, double to)
{
    std::vector<double> bands = octaveLevels(samples, from, to);
    double power = 0.0;
    for (size_t b = 3; b <= 7; ++b) power += std::pow(10.0, bands[b] / 10.0);
    return power;
}

const DecodedTrack& showTrack()
{
    static const DecodedTrack track = decodeMp3(SHOW_DIR "/angel6.mp3");
    return track;
}

}

// In every scene the piano carries a line (all but the glints', which the
// bells carry), it is at least as strong in the melody's octaves as all the
// other voices together.
TEST(MusicMix, PianoOnTopInEveryScene)
{
    ASSERT_FALSE(stemNamed("piano").samples.left.empty());
    const std::vector<double>& starts = sectionStarts();
    const size_t glints = 9;
    for (size_t s = 0; s < starts.size(); ++s) {
        if (s == glints) continue;
        double from = starts[s], to = s + 1 < starts.size() ? starts[s + 1] : trackSeconds;
        double piano = 0.0, rest = 0.0;
        for (const Stem& stem : withStems().stems)
            (stem.name == "piano" ? piano : rest) += melodyBandPower(stem.samples, from, to);
        double margin = 10.0 * std::log10(piano / rest);
        std::printf("scene %zu at %5.1f s: piano %+5.1f dB over the rest\n", s, from, margin);
        EXPECT_GE(margin, 0.0) << "the piano is buried in the scene at " << from << " s";
    }
}

// The bells' partials lie on the scale's notes: little of their sound is
// more than 30 cents from one.
TEST(MusicMix, BellsInTune)
{
    const Stem& bell = stemNamed("bell");
    ASSERT_FALSE(bell.samples.left.empty());
    const std::vector<double>& starts = sectionStarts();
    double off = shareOffPitch(bell.samples, starts[9], starts[10], 30.0);
    std::printf("bells: %.1f %% of their sound more than 30 cents off\n", 100.0 * off);
    EXPECT_LT(off, 0.05);
}

// The show's file: at most half its power below 120 Hz; the top octaves
// (the 1/3-octave bands from 2 to 10 kHz) within 8 dB of a natural fall of
// 4.5 dB an octave from 1 kHz, neither muffled nor shrill; a loudness range
// a hall can carry; and no cliff, the 3 s loudness never falling by more
// than 10 LU within two seconds before the last chord dies away.
TEST(MusicMix, BalancedAndOneArc)
{
    const DecodedTrack& decoded = showTrack();
    ASSERT_TRUE(decoded.ok) << "cannot decode angel6.mp3";
    double low = shareBelow(decoded.samples, 120.0, decoded.sampleRate);
    double range = loudnessRange(decoded.samples, decoded.sampleRate);
    std::printf("%.1f %% of the power below 120 Hz, loudness range %.1f LU\n", 100.0 * low, range);
    EXPECT_LE(low, 0.5);
    EXPECT_LE(range, 10.0);

    for (const BandDeviation& band : tiltDeviations(decoded.samples, 4.5, decoded.sampleRate)) {
        std::printf("%5.0f Hz: %+5.1f dB from the line\n", band.hz, band.db);
        EXPECT_LE(std::fabs(band.db), 8.0) << "the band at " << band.hz << " Hz is " << band.db << " dB from the line";
    }

    const double hop = 0.1;
    std::vector<double> curve = shortTermLoudness(decoded.samples, hop, decoded.sampleRate);
    size_t window = static_cast<size_t>(2.0 / hop);
    size_t last = static_cast<size_t>((trackSeconds - 5.0) / hop);
    double worst = 0.0, worstAt = 0.0;
    for (size_t i = static_cast<size_t>(3.0 / hop); i < std::min(last, curve.size()); ++i)
        for (size_t j = i + 1; j <= i + window && j < curve.size(); ++j)
            if (curve[i] - curve[j] > worst) {
                worst = curve[i] - curve[j];
                worstAt = (i + 1) * hop;
            }
    std::printf("the steepest fall: %.1f LU from %.1f s\n", worst, worstAt);
    EXPECT_LE(worst, 10.0) << "the loudness falls by " << worst << " LU from " << worstAt << " s";
}

// The piano opens with the touch: the same note struck hard has a far larger
// share of its sound above 2.8 kHz than struck softly.
TEST(MusicVoices, PianoBrightensWithTouch)
{
    auto topShare = [](float velocity) {
        Note note;
        note.voice = Voice::Piano;
        note.start = 0.0;
        note.length = 1.0;
        note.pitch = 72.0;
        note.velocity = velocity;
        Stereo dry, send;
        size_t length = static_cast<size_t>(2.5 * musicSampleRate);
        dry.left.assign(length, 0.0f);
        dry.right.assign(length, 0.0f);
        send = dry;
        renderNote(note, dry, send);
        std::vector<double> bands = octaveLevels(dry, 0.0, 2.0);
        double top = 0.0, all = 0.0;
        for (size_t b = 0; b < bands.size(); ++b) {
            double power = std::pow(10.0, bands[b] / 10.0);
            all += power;
            if (b >= 7) top += power;
        }
        return 10.0 * std::log10(top / all);
    };
    double soft = topShare(0.3f), hard = topShare(0.9f);
    std::printf("above 2.8 kHz: %.1f dB struck softly, %.1f dB struck hard\n", soft, hard);
    EXPECT_GT(hard - soft, 15.0);
    EXPECT_GT(hard, -17.0) << "a hard blow is still dull";
}

// The pedal holds the layered picture's broken chords: every note of them
// rings on to the bar line, where the harmony changes.
TEST(MusicVoices, PedalHoldsTheBrokenChords)
{
    const double secondsPerBar = 4 * 60.0 / beatsPerMinute;
    const double from = sectionStarts()[6], to = sectionStarts()[7];
    int notes = 0, damped = 0;
    for (const Note& note : composeScore()) {
        if (note.voice != Voice::Piano || note.start < from - 0.05 || note.start >= to - 0.05) continue;
        double bar = std::floor((note.start + 0.05 - from) / secondsPerBar);
        double barLine = from + (bar + 1) * secondsPerBar;
        ++notes;
        if (note.start + note.length < barLine - 0.05) ++damped;
    }
    EXPECT_GT(notes, 60);
    EXPECT_EQ(damped, 0) << damped << " of " << notes << " notes are damped before the bar line";
}

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

    // No scene is hollow in the low middle (the octaves from 88 to 352 Hz,
    // where the left hand and the bass's harmonics lie): its share of the
    // scene's sound stays within 6 dB of the scenes' median share.
    const std::vector<double>& starts = sectionStarts();
    std::vector<double> shares;
    for (size_t s = 0; s < starts.size(); ++s) {
        double to = s + 1 < starts.size() ? starts[s + 1] : trackSeconds;
        std::vector<double> bands = octaveLevels(decoded.samples, starts[s], to, decoded.sampleRate);
        double all = 0.0;
        for (double db : bands) all += std::pow(10.0, db / 10.0);
        double lowMiddle = std::pow(10.0, bands[2] / 10.0) + std::pow(10.0, bands[3] / 10.0);
        shares.push_back(10.0 * std::log10(lowMiddle / all));
    }
    std::vector<double> sorted = shares;
    std::sort(sorted.begin(), sorted.end());
    double median = sorted[sorted.size() / 2];
    for (size_t s = 0; s < starts.size(); ++s) {
        std::printf("scene %zu at %5.1f s: the low middle %+5.1f dB of its sound (median %+5.1f)\n", s, starts[s],
                    shares[s], median);
        EXPECT_GE(shares[s], median - 6.0) << "the scene at " << starts[s] << " s is hollow in the low middle";
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

    // One climax, in the layered picture's last bars: its loudest 3 s stand
    // clear of the loudest anywhere else, away from its own rise and fall.
    double climax = -200.0, elsewhere = -200.0, elsewhereAt = 0.0;
    for (size_t i = static_cast<size_t>(3.0 / hop); i < std::min(last, curve.size()); ++i) {
        double end = (i + 1) * hop;
        if (end >= 80.0 && end <= 90.0) climax = std::max(climax, curve[i]);
        else if ((end < 76.0 || end > 94.0) && curve[i] > elsewhere) {
            elsewhere = curve[i];
            elsewhereAt = end;
        }
    }
    std::printf("the climax: %.1f LUFS, %.1f LU over the loudest elsewhere (at %.1f s)\n", climax,
                climax - elsewhere, elsewhereAt);
    EXPECT_GE(climax - elsewhere, 3.0) << "the climax is no louder than the music at " << elsewhereAt << " s";
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

namespace {

struct Onset
{
    double at;
    double pitch;
    float velocity;
};

// The piano's notes struck from `from` to `to`, in pitch bounds, in order.
std::vector<Onset> pianoOnsets(const std::vector<Note>& score, double from, double to, double lowest, double highest)
{
    std::vector<Onset> onsets;
    for (const Note& note : score)
        if (note.voice == Voice::Piano && note.start >= from && note.start < to && note.pitch >= lowest
            && note.pitch <= highest)
            onsets.push_back({note.start, note.pitch, note.velocity});
    std::sort(onsets.begin(), onsets.end(), [](const Onset& a, const Onset& b) { return a.at < b.at; });
    return onsets;
}

}

// The scenes that would start cold are led into: two or more piano strokes
// (a chord's notes counting as one) in the second and a half before the
// downbeat. Over the poems the piano sings a line, its upper voice never
// silent for two seconds, breaths and all.
TEST(MusicScore, LeadsInAndSingsOverThePoems)
{
    const std::vector<Note> score = composeScore();
    for (double start : {22.0, 104.0, 134.0}) {
        std::vector<Onset> onsets = pianoOnsets(score, start - 1.5, start - 0.05, 0.0, 127.0);
        int strokes = 0;
        for (size_t i = 0; i < onsets.size(); ++i)
            if (i == 0 || onsets[i].at - onsets[i - 1].at > 0.03) ++strokes;
        std::printf("%zu piano strokes lead into %.0f s\n", size_t(strokes), start);
        EXPECT_GE(strokes, 2) << "the scene at " << start << " s starts cold";
    }

    const std::vector<double>& starts = sectionStarts();
    const double step = 0.02;
    for (size_t s : {5u, 7u}) {
        // The line lies above the chords, from G4 up.
        std::vector<Note> line;
        for (const Note& note : score)
            if (note.voice == Voice::Piano && note.pitch >= 67.0) line.push_back(note);
        double longest = 0.0, silent = 0.0, longestAt = 0.0;
        for (double t = starts[s]; t < starts[s + 1] - 0.5; t += step) {
            bool sounding = std::any_of(line.begin(), line.end(),
                                        [&](const Note& n) { return n.start <= t && t < n.start + n.length; });
            silent = sounding ? 0.0 : silent + step;
            if (silent > longest) {
                longest = silent;
                longestAt = t - silent;
            }
        }
        std::printf("the poem at %.0f s: the line's longest silence %.2f s\n", starts[s], longest);
        EXPECT_LT(longest, 2.0) << "the line over the poem at " << starts[s] << " s stops for " << longest
                                << " s from " << longestAt << " s";
    }
}

// The theme is played, not typed: its line sounds a little ahead of the left
// hand where they strike together, its high note (F5) is the phrase's
// loudest, and its cadence broadens, the last note coming after the bass.
TEST(MusicScore, PhrasedAsAPianistPlays)
{
    const std::vector<Note> score = composeScore();
    const double from = sectionStarts()[2] - 0.05, to = sectionStarts()[3] - 0.05;
    std::vector<Onset> line = pianoOnsets(score, from, to, 69.0, 127.0);
    std::vector<Onset> left = pianoOnsets(score, from, to, 0.0, 57.0);
    ASSERT_GE(line.size(), 10u);
    double lead = 0.0;
    int together = 0;
    for (size_t i = 0; i + 1 < line.size(); ++i)
        for (const Onset& l : left)
            if (std::fabs(l.at - line[i].at) < 0.04) {
                lead += l.at - line[i].at;
                ++together;
            }
    ASSERT_GT(together, 4);
    lead /= together;
    std::printf("the line leads the left hand by %.1f ms on average\n", 1000.0 * lead);
    EXPECT_GE(lead, 0.005);

    auto high = std::max_element(line.begin(), line.end(), [](const Onset& a, const Onset& b) { return a.pitch < b.pitch; });
    const Onset& end = line.back();
    std::printf("the high note at %.2f s: %.2f; the last note: %.2f\n", high->at, high->velocity, end.velocity);
    EXPECT_GE(high->velocity - end.velocity, 0.05) << "the phrase does not fall away from its high note";
    auto under = std::find_if(left.begin(), left.end(), [&](const Onset& l) { return std::fabs(l.at - end.at) < 0.04; });
    ASSERT_NE(under, left.end());
    std::printf("the last note comes %.1f ms after the bass\n", 1000.0 * (end.at - under->at));
    EXPECT_GE(end.at - under->at, 0.005) << "the cadence does not broaden";
}

// The pad changes chord at the bar line without a dip: a chord that takes
// over from another swells in as the one before lets go, so the level across
// the join stays within a decibel and a half of the level either side.
TEST(MusicVoices, PadCrossesTheBarLineWithoutADip)
{
    Stereo dry, send;
    size_t length = static_cast<size_t>(8.0 * musicSampleRate);
    dry.left.assign(length, 0.0f);
    dry.right.assign(length, 0.0f);
    send = dry;
    // Two bars of B flat, then two of F, the F's notes coming in as the B
    // flat's others let go, as the title voices them.
    const double first[] = {46.0, 53.0, 62.0}, second[] = {41.0, 60.0, 69.0};
    for (int bar = 0; bar < 2; ++bar)
        for (double pitch : bar == 0 ? first : second) {
            Note note;
            note.voice = Voice::Pad;
            note.start = 2.0 * bar;
            note.length = 2.0;
            note.pitch = pitch;
            note.velocity = 0.8f;
            note.brightness = 0.4f;
            note.legato = bar == 1;
            note.seed = static_cast<uint32_t>(pitch);
            renderNote(note, dry, send);
        }
    double before = levelDb(dry, 1.4, 1.9), after = levelDb(dry, 2.8, 3.3);
    double join = 0.0;
    for (double t = 1.95; t < 2.6; t += 0.05) join = std::min(join, levelDb(dry, t, t + 0.1) - std::min(before, after));
    std::printf("the pad: %.1f dB before the bar line, %.1f dB after, %.1f dB at its lowest across it\n", before, after,
                join);
    EXPECT_GT(join, -1.5) << "the pad dips " << -join << " dB at the bar line";
}

// Neither poem sinks into a hole before the section after it, and that
// section arrives out of the poem rather than bursting in: the poem's
// quietest 3 s in its last bars stay within 7 LU of the track, and the level
// climbs into the next section by no more than 10 dB over the quietest
// 0.4 s just before it.
TEST(MusicScore, PoemsLeadIntoWhatFollows)
{
    const DecodedTrack& decoded = showTrack();
    ASSERT_TRUE(decoded.ok) << "cannot decode angel6.mp3";
    const double hop = 0.1;
    std::vector<double> curve = shortTermLoudness(decoded.samples, hop, decoded.sampleRate);
    double track = integratedLoudness(decoded.samples, decoded.sampleRate);
    // The layered picture after the first poem, the night studio after the second.
    for (double next : {72.0, 104.0}) {
        double lowest = 0.0;
        for (size_t i = static_cast<size_t>((next - 3.0) / hop); i < static_cast<size_t>((next + 0.5) / hop) && i < curve.size(); ++i)
            lowest = std::min(lowest, curve[i]);
        std::printf("the poem's end before %.0f s: %.1f LUFS at its quietest, the track %.1f LUFS\n", next, lowest,
                    track);
        EXPECT_GE(lowest, track - 7.0) << "the poem sinks into a hole before " << next << " s";

        double quietest = 0.0, step = -200.0;
        for (double t = next - 3.0; t < next + 1.5; t += 0.1) {
            double now = levelDb(decoded.samples, t, t + 0.4, decoded.sampleRate);
            if (t < next) quietest = std::min(quietest, now);
            if (t + 0.4 >= next - 1.0) step = std::max(step, now - quietest);
        }
        std::printf("into %.0f s: %.1f dB over the quietest 0.4 s just before\n", next, step);
        EXPECT_LE(step, 10.0) << "the section at " << next << " s bursts in";
    }
}

// The last chord rings out on the piano: in the last second and a half the
// bass has let go, 20 dB down from under the chord, and neither it nor the
// pad comes within 12 dB of the piano still ringing there.
TEST(MusicScore, TheLastChordRingsOnThePianoAlone)
{
    const Stem& piano = stemNamed("piano");
    ASSERT_FALSE(piano.samples.left.empty());
    const double chordAt = trackSeconds - 6.0, lateAt = trackSeconds - 2.0;
    double pianoLate = levelDb(piano.samples, lateAt, lateAt + 1.5);
    for (const char* name : {"bass", "pad"}) {
        const Stem& stem = stemNamed(name);
        double under = levelDb(stem.samples, chordAt, chordAt + 1.0);
        double late = levelDb(stem.samples, lateAt, lateAt + 1.5);
        std::printf("%s: %.1f dB under the last chord, %.1f dB at its end (the piano %.1f dB)\n", name, under, late,
                    pianoLate);
        if (std::string(name) == "bass") {
            EXPECT_LE(late, under - 20.0) << "the bass holds on to the very end";
        }
        EXPECT_LE(late, pianoLate - 12.0) << "the " << name << " covers the piano's last chord";
    }
}

namespace {

// The level of one frequency over a stretch of the track, both channels
// together: its power averaged over Hann-windowed frames of about 0.19 s,
// short enough that a note a cent or two off its pitch is still found.
double toneLevelDb(const Stereo& track, double from, double to, double hz)
{
    const size_t frame = 8192, hop = 2048;
    size_t begin = static_cast<size_t>(from * musicSampleRate);
    size_t end = std::min(static_cast<size_t>(to * musicSampleRate), track.left.size());
    double step = 2.0 * M_PI * hz / musicSampleRate, power = 0.0, weight = 0.0;
    int frames = 0;
    for (size_t start = begin; start + frame <= end; start += hop, ++frames) {
        double re = 0.0, im = 0.0, c = 1.0, s = 0.0, dc = std::cos(step), ds = std::sin(step);
        weight = 0.0;
        for (size_t i = 0; i < frame; ++i) {
            double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(frame));
            double x = 0.5 * (track.left[start + i] + track.right[start + i]) * w;
            re += x * c;
            im -= x * s;
            weight += w;
            double nc = c * dc - s * ds;
            s = c * ds + s * dc;
            c = nc;
        }
        power += (re * re + im * im) / (weight * weight);
    }
    return 10.0 * std::log10(power / std::max(1, frames) + 1e-24);
}

// The strongest level within 20 cents of a pitch.
double pitchLevelDb(const Stereo& track, double from, double to, double pitch)
{
    double best = -240.0;
    for (double cents : {-20.0, -10.0, 0.0, 10.0, 20.0})
        best = std::max(best, toneLevelDb(track, from, to, pitchToHz(pitch + cents / 100.0)));
    return best;
}

}

// The climax sings: the line's high F6 in the layered picture's last bar is
// heard over the broken chords, the pad and the bass, its fundamental within
// 3 dB of the strongest pitch sounding under it between 100 Hz and 2 kHz.
TEST(MusicMix, ClimaxHighNoteSingsOverTheChords)
{
    const Stereo& track = withStems().track;
    ASSERT_FALSE(track.left.empty());
    std::vector<Note> score = composeScore();
    std::vector<Note> high;
    for (const Note& note : score)
        if (note.voice == Voice::Piano && note.pitch >= 89.0 /* F6 */ && note.start >= 84.0 && note.start < 88.0)
            high.push_back(note);
    ASSERT_FALSE(high.empty()) << "the climax has no F6";
    for (const Note& note : high) {
        double from = note.start + 0.05, to = std::min(note.start + 1.4, note.start + note.length);
        double own = pitchLevelDb(track, from, to, note.pitch), under = -240.0, underPitch = 0.0;
        for (double pitch = 44.0; pitch <= 95.0; pitch += 1.0) {
            if (std::fabs(pitch - note.pitch) < 0.5) continue;
            double db = pitchLevelDb(track, from, to, pitch);
            if (db > under) under = db, underPitch = pitch;
        }
        std::printf("pitch %.0f at %.2f s: %+.1f dB over the strongest under it (pitch %.0f)\n", note.pitch, note.start,
                    own - under, underPitch);
        EXPECT_GE(own - under, -3.0) << "the climax's note at " << note.start << " s is masked";
    }
}

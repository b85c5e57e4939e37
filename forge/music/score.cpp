// The score, written as code: D minor, 120 beats a minute, four beats a bar.
// One section per scene: a quiet opening under the quotation, a swell for the
// title, the theme over the shrinking picture, a pulsing ostinato under the
// pencil and its sketch, space for the first poem, a piece built in layers,
// space again for the second poem, a dark heartbeat under the two captions,
// bells for the glints, the theme pulling back to white, and a resolution to
// D major under the credits.
#include "music/score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>
#include <string>

namespace {

const double secondsPerBeat = 60.0 / beatsPerMinute;
const int beatsPerBar = 4;

struct Writer
{
    std::vector<Note> notes;
    Random random{20240611u};
};

// "D4" is 62, "Bb3" 58, "F#5" 78.
double pitchOf(const std::string& name)
{
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};   // A B C D E F G
    int pitch = steps[std::toupper(name[0]) - 'A'];
    size_t at = 1;
    for (; at < name.size() && (name[at] == 'b' || name[at] == '#'); ++at)
        pitch += name[at] == '#' ? 1 : -1;
    int octave = std::stoi(name.substr(at));
    return pitch + 12 * (octave + 1);
}

std::vector<double> pitchesOf(const std::string& names)
{
    std::vector<double> pitches;
    std::istringstream words(names);
    std::string name;
    while (words >> name) pitches.push_back(pitchOf(name));
    return pitches;
}

// A player's small unevenness: a few milliseconds early or late, a little
// softer or harder.
void humanise(Writer& w, Note& note, double timing, double touch)
{
    note.start += w.random.signedUniform() * timing;
    note.velocity = static_cast<float>(std::clamp(note.velocity + w.random.signedUniform() * touch, 0.05, 1.0));
    note.seed = w.random.next();
}

void add(Writer& w, Voice voice, double beat, double beats, double pitch, double velocity,
         float send, float pan = 0.0f)
{
    Note note;
    note.voice = voice;
    note.start = beat * secondsPerBeat;
    note.length = beats * secondsPerBeat;
    note.pitch = pitch;
    note.velocity = static_cast<float>(velocity);
    note.send = send;
    note.pan = pan;
    bool played = voice == Voice::Piano || voice == Voice::Bell;
    humanise(w, note, played ? 0.005 : voice == Voice::Bass ? 0.004 : 0.0, played ? 0.04 : 0.0);
    if (note.start < 0.0) note.start = 0.0;
    w.notes.push_back(note);
}

void piano(Writer& w, double beat, double beats, const std::string& name, double velocity, float send = 0.3f)
{
    add(w, Voice::Piano, beat, beats, pitchOf(name), velocity, send);
}

// A chord rolled from the bottom up, as a pianist spreads it.
void pianoChord(Writer& w, double beat, double beats, const std::string& names, double velocity,
                double rollSeconds = 0.025, float send = 0.35f)
{
    std::vector<double> pitches = pitchesOf(names);
    for (size_t i = 0; i < pitches.size(); ++i)
        add(w, Voice::Piano, beat + i * rollSeconds / secondsPerBeat, beats - i * rollSeconds / secondsPerBeat,
            pitches[i], velocity * (i + 1 == pitches.size() ? 1.05 : 0.9), send);
}

// A melody in "name:beats" words; "r:2" rests for two beats. It is played
// as a pianist phrases it: each phrase (the notes between rests) swells to
// its highest note and falls away after it; the line sounds a hair ahead of
// the accompaniment; and a phrase's last notes broaden, coming a little late
// and held into the breath after them.
double melody(Writer& w, double beat, const std::string& line, double velocity, float send = 0.3f)
{
    struct Word { std::string name; double beats; };
    std::vector<Word> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word) {
        size_t colon = word.find(':');
        words.push_back({word.substr(0, colon), std::stod(word.substr(colon + 1))});
    }
    const double lead = 0.01, broaden[2] = {0.012, 0.03};
    size_t from = 0;
    while (from < words.size()) {
        if (words[from].name == "r") {
            beat += words[from++].beats;
            continue;
        }
        size_t to = from;
        while (to < words.size() && words[to].name != "r") ++to;
        size_t peak = from;
        for (size_t k = from; k < to; ++k)
            if (pitchOf(words[k].name) > pitchOf(words[peak].name)) peak = k;
        double rest = to < words.size() ? words[to].beats : 0.0;
        for (size_t k = from; k < to; ++k) {
            // From a little under the marked touch up to a little over it at
            // the high note, then down to a tenth under it at the last.
            double shape = 1.06;
            if (to - from == 1) shape = 1.0;
            else if (k < peak) shape = 0.92 + 0.14 * double(k - from) / double(peak - from);
            else if (k > peak) shape = 1.06 - 0.16 * double(k - peak) / double(to - 1 - peak);
            double length = words[k].beats * 0.95;
            if (k + 1 == to) length = words[k].beats + 0.5 * rest;
            piano(w, beat, length, words[k].name, velocity * shape, send);
            // A figure of one or two notes is not long enough to broaden.
            double late = to - from <= 2 ? 0.0 : k + 2 == to ? broaden[0] : k + 1 == to ? broaden[1] : 0.0;
            w.notes.back().start = std::max(0.0, w.notes.back().start - lead + late);
            beat += words[k].beats;
        }
        from = to;
    }
    return beat;
}

// A pad chord. A note the chord before already holds is held on across the
// bar line rather than struck again, as strings would tie it; the others
// come in as the chord before lets go.
void pad(Writer& w, double beat, double beats, const std::string& names, double velocity, float brightness)
{
    std::vector<double> pitches = pitchesOf(names);
    double start = beat * secondsPerBeat;
    for (size_t i = 0; i < pitches.size(); ++i) {
        auto held = std::find_if(w.notes.rbegin(), w.notes.rend(), [&](const Note& n) {
            return n.voice == Voice::Pad && n.pitch == pitches[i] && std::fabs(n.start + n.length - start) < 1e-6;
        });
        if (held != w.notes.rend()) {
            held->length += beats * secondsPerBeat;
            continue;
        }
        float pan = static_cast<float>(i) / std::max<size_t>(1, pitches.size() - 1) * 0.6f - 0.3f;
        bool follows = std::any_of(w.notes.begin(), w.notes.end(), [&](const Note& n) {
            return n.voice == Voice::Pad && std::fabs(n.start + n.length - start) < 1e-6;
        });
        add(w, Voice::Pad, beat, beats, pitches[i], velocity, 0.5f, pan);
        w.notes.back().brightness = brightness;
        w.notes.back().legato = follows;
    }
}

// The bass line. Its lowest notes go up an octave: below G1 they would be
// felt more than heard, and small speakers would lose them.
void bass(Writer& w, double beat, double beats, const std::string& name, double velocity)
{
    double pitch = pitchOf(name);
    if (pitch < pitchOf("G1")) pitch += 12.0;
    add(w, Voice::Bass, beat, beats, pitch, velocity, 0.05f);
}

void bell(Writer& w, double beat, const std::string& name, double velocity, double ringBeats = 8.0)
{
    float pan = static_cast<float>(w.random.signedUniform() * 0.8);
    add(w, Voice::Bell, beat, ringBeats, pitchOf(name), velocity, 0.55f, pan);
}

// Eight quavers a bar over a chord, the pencil's pulse. Its shape changes
// from bar to bar (root, fifth, third, fifth; or climbing to the octave; or
// turning round the third) and its quavers trade between the hands, left
// and right, by `width`: narrow while the pencil draws, wide once the
// picture fills out.
void ostinato(Writer& w, double beat, const std::string& names, double velocity, int shape, float width)
{
    std::vector<double> p = pitchesOf(names);
    p.push_back(p[0] + 12.0);
    const int orders[3][8] = {{0, 2, 1, 2, 0, 2, 1, 2}, {0, 1, 2, 3, 2, 1, 2, 1}, {0, 2, 3, 2, 1, 2, 3, 1}};
    const int* order = orders[shape % 3];
    for (int i = 0; i < 8; ++i) {
        double accent = (i % 2 == 0) ? 1.0 : 0.8;
        float pan = (i % 2 == 0 ? -1.0f : 1.0f) * width;
        add(w, Voice::Piano, beat + i * 0.5, 0.4, p[order[i]], velocity * accent, 0.25f, pan);
    }
}

// The sustain pedal, down from beat `from` to beat `to` and lifted where the
// harmony changes, every `every` beats: the piano's notes struck in that
// span ring on until the next lift, the dampers off the strings.
void sustainPedal(Writer& w, double from, double to, double every)
{
    for (Note& note : w.notes) {
        if (note.voice != Voice::Piano) continue;
        double beat = note.start / secondsPerBeat;
        if (beat < from - 0.1 || beat >= to) continue;
        // A note struck a hair before the lift belongs to the next harmony.
        double lift = std::min(to, from + std::ceil((beat - from + 0.1) / every) * every);
        note.length = std::max(note.length, lift * secondsPerBeat - note.start);
    }
}

// A rising broken chord in quavers across one bar.
void arpeggio(Writer& w, double beat, const std::string& names, double velocity)
{
    std::vector<double> p = pitchesOf(names);
    const int order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    for (int i = 0; i < 8; ++i)
        add(w, Voice::Piano, beat + i * 0.5, 1.2, p[order[i] % p.size()], velocity * (i == 0 ? 1.1 : 0.9), 0.35f);
}

double barBeat(double sectionBeat, int bar) { return sectionBeat + bar * beatsPerBar; }

// 0 to 8 s: the quotation. A dark pad alone, a few far-apart notes.
void quotation(Writer& w, double at)
{
    pad(w, at, 16, "D3 A3 E4 F4", 0.35, 0.15f);
    piano(w, at + 2, 6, "A4", 0.44, 0.5f);
    piano(w, at + 8, 2, "F4", 0.4, 0.5f);
    piano(w, at + 10, 2, "E4", 0.38, 0.5f);
    piano(w, at + 12, 4, "D4", 0.42, 0.5f);
}

// 8 to 22 s: the title. The pad swells and opens, the bass comes in, rolled
// chords climb to the title picture and settle.
void title(Writer& w, double at)
{
    const char* chords[7] = {"Bb2 F3 D4 F4", "F2 C4 F4 A4", "C3 G3 E4 G4", "D3 A3 F4 A4",
                             "Bb2 F3 D4 F4", "C3 G3 E4 G4", "D3 A3 F4 A4"};
    const char* roots[7] = {"Bb1", "F1", "C2", "D2", "Bb1", "C2", "D2"};
    const char* tops[7] = {"D5", "C5", "E5", "F5", "D5", "G5", "A5"};
    for (int bar = 0; bar < 7; ++bar) {
        double swell = bar < 4 ? 0.55 + 0.15 * bar : 1.0 - 0.08 * (bar - 4);
        double beat = barBeat(at, bar);
        pad(w, beat, 4, chords[bar], swell, static_cast<float>(0.25 + 0.12 * bar));
        bass(w, beat, 3.8, roots[bar], 0.45 + 0.4 * swell);
        pianoChord(w, beat, 4, chords[bar], 0.35 + 0.35 * swell);
        // The last bar's top note comes a beat sooner, leaving the theme room
        // to lead in.
        piano(w, beat + (bar == 6 ? 1 : 2), 2, tops[bar], 0.3 + 0.35 * swell);
    }
    sustainPedal(w, at, barBeat(at, 7), 4);
}

// The theme's upbeat, three notes climbing into its first note.
const char* const themeUpbeat = "E4:1 F4:0.5 G4:0.5 ";

// 22 to 32 s: the first picture shrinking. The theme on the piano, led in
// from the title's last bar by its upbeat, the left hand in half notes, the
// pad withdrawn.
void theme(Writer& w, double at)
{
    melody(w, at - 2, std::string(themeUpbeat) + "A4:2 D5:1 E5:1 F5:3 E5:1 D5:2 Bb4:2 C#5:2 E5:2 D5:4", 0.55);
    const char* left[5] = {"D3 A3", "Bb2 F3", "G2 D3", "A2 E3", "D3 A3"};
    for (int bar = 0; bar < 5; ++bar) {
        std::vector<double> p = pitchesOf(left[bar]);
        double beat = barBeat(at, bar);
        add(w, Voice::Piano, beat, 2, p[0], 0.42, 0.3f);
        add(w, Voice::Piano, beat + 2, 2, p[1], 0.36, 0.3f);
    }
    pad(w, at, 20, "D3 F3 A3", 0.3, 0.12f);
    sustainPedal(w, at, barBeat(at, 5), 4);
}

// 32 to 42 s: the pencil. A pulsing ostinato with a heartbeat in the bass,
// and over it the theme turned upside down, climbing at the end into the
// next scene's first note.
void sketch(Writer& w, double at)
{
    const char* chords[5] = {"D4 F4 A4", "D4 F4 A4", "D4 G4 Bb4", "C4 E4 G4", "C#4 E4 A4"};
    const char* roots[5] = {"D2", "D2", "G1", "C2", "A1"};
    for (int bar = 0; bar < 5; ++bar) {
        double beat = barBeat(at, bar);
        // The last bar draws back, so that the next scene arrives.
        double velocity = bar == 4 ? 0.42 : 0.55 + 0.03 * bar;
        ostinato(w, beat, chords[bar], velocity, bar == 4 ? 1 : 0, 0.3f + 0.06f * bar);
        for (int b = 0; b < 4; ++b) bass(w, beat + b, 0.45, roots[bar], b == 0 ? 0.9 : 0.6);
    }
    melody(w, at, "G5:2 D5:1 C5:1 Bb4:1 A4:2 C5:1 D5:2 G5:2 E5:2 C5:2", 0.5, 0.35f);
    melody(w, barBeat(at, 4), "C#5:2 E5:1 G5:1", 0.42, 0.35f);
}

// 42 to 56 s: the sketch becomes head and shoulders. The ostinato goes on,
// the pad and the theme join it, a bell for the gliding stamps.
void shoulders(Writer& w, double at)
{
    const char* chords[7] = {"D4 F4 A4", "D4 F4 Bb4", "C4 F4 A4", "C4 E4 G4", "D4 G4 Bb4", "D4 F4 Bb4", "C#4 E4 A4"};
    const char* padChords[7] = {"D3 A3 F4", "Bb2 F3 D4", "F3 C4 A4", "C3 G3 E4", "G2 D3 Bb3", "Bb2 F3 D4", "A2 E3 C#4"};
    const char* roots[7] = {"D2", "Bb1", "F1", "C2", "G1", "Bb1", "A1"};
    for (int bar = 0; bar < 7; ++bar) {
        double beat = barBeat(at, bar);
        ostinato(w, beat, chords[bar], 0.54, bar, 0.75f);
        pad(w, beat, 4, padChords[bar], 0.8, 0.55f);
        bass(w, beat, 2.8, roots[bar], 0.85);
        bass(w, beat + 3, 0.5, roots[bar], 0.6);
    }
    melody(w, at, "A5:2 D6:1 E6:1 F6:3 E6:1 D6:2 Bb5:2 C6:2 G5:2 D6:2 Bb5:2 A5:2 G5:1 F5:1 E5:4", 0.62);
    // The arrival: deep octaves under the first bar.
    pianoChord(w, at, 4, "D2 D3 A3", 0.7, 0.01, 0.3f);
    bell(w, barBeat(at, 2), "A6", 0.5);
    bell(w, barBeat(at, 4), "F6", 0.45);
}

// 56 to 72 s and 88 to 104 s: the poems. Room for the words: one rolled
// chord every two bars, a soft pad, and over them a slow singing line in
// phrases with breaths between, quiet enough to speak over.
void poem(Writer& w, double at, const char* const chords[4], const char* const pads[4], double padLevel,
          float brightness, const std::string& line, double lineLevel)
{
    for (int pair = 0; pair < 4; ++pair) {
        double beat = barBeat(at, pair * 2);
        pianoChord(w, beat, 7, chords[pair], 0.38, 0.06, 0.5f);
        pad(w, beat, 8, pads[pair], padLevel, brightness);
    }
    // The pedal holds the chords; the line is played clean over them.
    sustainPedal(w, at, barBeat(at, 8), 8);
    melody(w, at, line, lineLevel, 0.5f);
}

void firstPoem(Writer& w, double at)
{
    const char* const chords[4] = {"D3 A3 D4 F4", "Bb2 F3 D4", "G2 D3 Bb3 D4", "A2 E3 C#4"};
    const char* const pads[4] = {"D3 A3", "Bb2 F3", "G2 D3", "A2 E3"};
    // The theme answered: it fell from F, now it falls to A and climbs back
    // through G minor to the dominant.
    poem(w, at, chords, pads, 0.42, 0.15f,
         "F5:2 E5:1 D5:1 A4:3 Bb4:1 D5:2 C5:1 Bb4:1 A4:3 r:1 "
         "G4:2 Bb4:1 D5:1 G5:3 F5:1 E5:2 D5:1 C#5:1 A4:3 r:1", 0.4);
    // The low D gives way to the dominant's A under the last chord, which
    // rings on to the bar line; under the line's last note the left hand
    // climbs through the dominant seventh, so the layered picture arrives
    // out of the poem rather than bursting in after a silence.
    bass(w, at, 24, "D2", 0.25);
    bass(w, barBeat(at, 6), 8, "A1", 0.28);
    pianoChord(w, barBeat(at, 7) + 2, 2, "A2 E3", 0.3, 0.03, 0.45f);
    melody(w, barBeat(at, 7) + 2, "A3:0.5 C#4:0.5 E4:0.5 G4:0.5", 0.38, 0.4f);
}

// 72 to 88 s: a picture built up in layers, so is the music: a broken chord,
// then the bass, then the pad, then the theme.
void layers(Writer& w, double at)
{
    const char* chords[8] = {"D3 A3 D4 F4 A4", "D3 A3 D4 F4 A4", "F2 C3 F3 A3 C4", "F2 C3 F3 A3 C4",
                             "C3 G3 C4 E4 G4", "C3 G3 C4 E4 G4", "F3 Bb3 D4 F4", "E3 A3 C#4 E4"};
    const char* roots[8] = {"D2", "D2", "F1", "F1", "C2", "C2", "Bb1", "A1"};
    const char* pads[8] = {"D4 F4 A4", "D4 F4 A4", "C4 F4 A4", "C4 F4 A4",
                           "C4 E4 G4", "C4 E4 G4", "D3 F3 Bb3", "C#3 E3 A3"};
    for (int bar = 0; bar < 8; ++bar) {
        double beat = barBeat(at, bar);
        // The broken chord grows over its first bars out of the poem's level,
        // and stands back under the climax's last two bars, its low root left
        // to the bass and the pad dropping an octave below it, so that the
        // line's high notes sing over them.
        bool peak = bar >= 6;
        arpeggio(w, beat, chords[bar], bar < 2 ? 0.46 + 0.07 * bar : peak ? 0.52 : 0.6 + 0.02 * bar);
        if (bar >= 2) bass(w, beat, 3.8, roots[bar], peak ? 0.6 : 0.7);
        if (bar >= 4) pad(w, beat, 4, pads[bar], peak ? 0.5 : 0.7, 0.5f);
    }
    // The theme's opening climbs in sequence, a step higher each time, to
    // the climax of the track: F6 leaning on the dominant, falling to E6,
    // doubled an octave below.
    melody(w, barBeat(at, 4), "G4:2 C5:1 D5:1 E5:3 D5:1", 0.62);
    melody(w, barBeat(at, 6), "F5:1 Bb5:1 D6:1 E6:1", 0.78);
    melody(w, barBeat(at, 7), "F6:3 E6:1", 0.86);
    melody(w, barBeat(at, 6), "F4:1 Bb4:1 D5:1 E5:1", 0.5);
    melody(w, barBeat(at, 7), "F5:3 E5:1", 0.56);
    sustainPedal(w, at, barBeat(at, 8), 4);
}

void secondPoem(Writer& w, double at)
{
    // The climax's dominant resolves on the downbeat to D minor, held, and
    // the line falls from it and sings on, higher than the first poem's,
    // so the music does not stop dead as the words come in.
    const char* const chords[4] = {"D3 A3 D4 F4 A4", "C3 G3 E4", "Bb2 F3 D4", "D3 A3 F4"};
    const char* const pads[4] = {"A4 D5 F5", "G4 C5 E5", "F4 Bb4 D5", "F4 A4 D5"};
    poem(w, at, chords, pads, 0.34, 0.3f,
         "D6:2 A5:1 F5:1 G5:1 r:1 A5:1 G5:1 E5:3 F5:1 G5:2 r:2 "
         "F5:2 D5:1 F5:1 Bb5:3 A5:1 A5:2 G5:1 F5:1 E5:1 F5:1 D5:1 r:1", 0.44);
}

// 104 to 118 s: "Guilt ... resentment ...". Low octaves, a heartbeat in the
// bass, a dark pad leaning on E flat, and over them a lament.
void guilt(Writer& w, double at)
{
    // Led in from the dominant below: low octaves climbing A, C sharp, into
    // the first D; under the poem's last bar the dark pad already swells in.
    pianoChord(w, at - 1, 0.5, "A1 A2", 0.5, 0.01, 0.3f);
    pianoChord(w, at - 0.5, 0.5, "C#2 C#3", 0.62, 0.01, 0.3f);
    pad(w, at - 8, 8, "D3 F3 A3", 0.7, 0.12f);
    const char* octaves[7] = {"D2 D3", "Eb2 Eb3", "D2 D3", "G1 G2", "Bb1 Bb2", "A1 A2", "A1 A2"};
    const char* pads[7] = {"D3 F3 A3", "Eb3 G3 Bb3", "D3 F3 A3", "G2 Bb2 D3", "Bb2 D3 F3", "A2 C#3 E3", "A2 C#3 E3"};
    const char* roots[7] = {"D1", "Eb1", "D1", "G1", "Bb1", "A1", "A1"};
    for (int bar = 0; bar < 7; ++bar) {
        double beat = barBeat(at, bar);
        // The octaves and the heartbeat grow over the first bars out of the
        // poem's quiet; the last octave rings on into the bells, which take
        // over from it.
        double grow = std::min(1.0, 0.6 + 0.2 * bar);
        pianoChord(w, beat, bar == 6 ? 7.0 : 3.5, octaves[bar], 0.75 * grow, 0.01, 0.3f);
        pad(w, beat, 4, pads[bar], 0.55, 0.08f);
        // The heartbeat's second stroke rings on through the bar.
        bass(w, beat, 0.6, roots[bar], grow);
        bass(w, beat + 0.75, 2.8, roots[bar], 0.7 * grow);
    }
    // The lament, an octave over the low hands: the theme's falling half,
    // slowed and darkened.
    melody(w, barBeat(at, 1), "G5:3 F5:1 F5:2 A5:2 Bb5:3 A5:1 D6:2 F6:2 E6:3 C#6:1 A5:7", 0.62, 0.4f);
}

// 118 to 134 s: the glints. The bells chime the theme high above a bright,
// thin pad, softer bells on quavers around it, the left hand's open fifths
// below; a cascade when the glints glide to the strands.
void glints(Writer& w, double at)
{
    const char* chords[8] = {"D6 A5 F5 A6", "D6 Bb5 F5 F6", "D6 Bb5 G5 G6", "C#6 A5 E5 A6",
                             "D6 A5 F5 A6", "D6 Bb5 F5 F6", "D6 Bb5 G5 G6", "C#6 A5 E5 A6"};
    const char* pads[8] = {"A4 D5 F5", "Bb4 D5 F5", "Bb4 D5 G5", "A4 C#5 E5",
                           "A4 D5 F5", "Bb4 D5 F5", "Bb4 D5 G5", "A4 C#5 E5"};
    // The theme, its notes and their lengths in beats.
    const char* tune[10] = {"A5", "D6", "E6", "F6", "E6", "D6", "Bb5", "C#6", "E6", "D6"};
    const double lengths[10] = {2, 1, 1, 3, 1, 2, 2, 2, 2, 4};
    double t = at;
    for (int n = 0; n < 10; ++n) {
        bell(w, t, tune[n], 0.7, 10.0);
        t += lengths[n];
    }
    // The tune's note sounding a given number of beats into the section, or
    // none once it has ended.
    auto tuneAt = [&](double beats) -> std::string {
        double from = 0.0;
        for (int n = 0; n < 10; ++n) {
            if (beats < from + lengths[n]) return tune[n];
            from += lengths[n];
        }
        return "";
    };
    const char* lows[8] = {"D3 A3", "Bb2 F3", "G2 D3", "A2 E3", "D3 A3", "Bb2 F3", "G2 D3", "A2 E3"};
    const char* roots[8] = {"D2", "Bb1", "G1", "A1", "D2", "Bb1", "G1", "A1"};
    for (int bar = 0; bar < 8; ++bar) {
        double beat = barBeat(at, bar);
        pad(w, beat, 4, pads[bar], 0.5, 0.7f);
        std::vector<std::string> names;
        std::istringstream words(chords[bar]);
        std::string name;
        while (words >> name) names.push_back(name);
        // Five or six soft, short bells a bar, on quavers, never two at once,
        // and never on the note the tune is holding, in any octave, so that
        // the tune's bells ring clear of them.
        for (int q = 0; q < 8; ++q) {
            bool glide = bar == 3 || bar == 4;
            if (!glide && w.random.uniform() < 0.35 && q != 0) continue;
            std::string held = tuneAt(bar * beatsPerBar + q * 0.5);
            std::vector<std::string> free;
            for (const std::string& n : names)
                if (held.empty() || std::fmod(pitchOf(n) - pitchOf(held) + 120.0, 12.0) != 0.0) free.push_back(n);
            bell(w, beat + q * 0.5, free[w.random.next() % free.size()], glide ? 0.4 : 0.25, 4.0);
        }
        // Under them the left hand's open fifths and a soft bass on the
        // chords' roots, so that the middle of the sound is not hollow.
        std::vector<double> low = pitchesOf(lows[bar]);
        add(w, Voice::Piano, beat, 4, low[0], 0.34, 0.45f);
        add(w, Voice::Piano, beat + 2, 2, low[1], 0.3, 0.45f);
        bass(w, beat, 3.8, roots[bar], 0.25);
    }
}

// 134 to 146 s: the receding picture. The theme once more, the pad swelling
// and opening towards the white, then letting go so that the credits can
// come out of it.
void recede(Writer& w, double at)
{
    melody(w, at - 2, std::string(themeUpbeat) + "A4:2 D5:1 E5:1 F5:3 E5:1 D5:2 Bb4:2 C#5:2 E5:2 D5:2 r:2 E5:4",
           0.6, 0.4f);
    const char* pads[6] = {"D3 A3 F4", "Bb2 F3 D4", "G2 D3 Bb3", "A2 E3 C#4", "Bb2 F3 D4 F4", "C3 G3 E4 G4"};
    const char* roots[6] = {"D2", "Bb1", "G1", "A1", "Bb1", "C2"};
    for (int bar = 0; bar < 6; ++bar) {
        double beat = barBeat(at, bar);
        const double swells[6] = {0.5, 0.6, 0.7, 0.75, 0.65, 0.5};
        pad(w, beat, 4, pads[bar], swells[bar], static_cast<float>(0.25 + 0.1 * bar));
        bass(w, beat, 3.8, roots[bar], swells[bar]);
    }
    sustainPedal(w, at, barBeat(at, 6), 4);
}

// 146 to 156 s: the credits. Out of the white, the piano alone resolves to D
// major, slowing as it goes, and the last chord rings out into the room: the
// low D and the pad let go under it well before the end, and the pedal comes
// up slowly, so that the strings and the room die away on their own.
void credits(Writer& w, double at)
{
    // Each chord comes a little later than the one before; times in seconds.
    const double chordAt[4] = {0.0, 0.9, 1.95, 3.2};
    const char* chords[4] = {"D3 A3 F4 D5", "G2 D3 Bb3 G4 Bb4", "A2 E3 C#4 G4 C#5", "D2 A2 F#3 D4 F#4 A4 D5"};
    const char* passing[3] = {"C5", "D5", "E5"};
    auto beatAt = [&](double seconds) { return at + seconds / secondsPerBeat; };
    for (int c = 0; c < 3; ++c) {
        double gap = (chordAt[c + 1] - chordAt[c]) / secondsPerBeat;
        pianoChord(w, beatAt(chordAt[c]), gap, chords[c], 0.52 - 0.03 * c, 0.05, 0.45f);
        piano(w, beatAt(chordAt[c]) + gap * 0.5, gap * 0.5, passing[c], 0.42, 0.45f);
    }
    double last = beatAt(chordAt[3]);
    size_t struck = w.notes.size();
    pianoChord(w, last, 7, chords[3], 0.45, 0.09, 0.55f);
    for (size_t i = struck; i < w.notes.size(); ++i) w.notes[i].damperSeconds = 1.1f;
    pad(w, last, 5, "D3 F#3 A3", 0.3, 0.2f);
    bass(w, last, 5, "D2", 0.3);
}

}

const std::vector<double>& sectionStarts()
{
    static const std::vector<double> starts = {0, 8, 22, 32, 42, 56, 72, 88, 104, 118, 134, 146};
    return starts;
}

const std::vector<ArcPoint>& dynamicArc()
{
    // Held flat through each section, turning over the bar or two around its
    // start; the climax rises through the layered picture's second half and
    // lets go into the second poem's first chord.
    static const std::vector<ArcPoint> arc = {
        {0, 0},     {7, 0},     {9, -1.5},  {21, -1.5},   {23, 0},    {41, 0},    {43, -2},   {54, -2},   {57, -2.5},
        {68, -2.5}, {72, -1.5}, {74, -1},   {79, -1},   {84, 4},    {86.5, 4},  {90, 0},    {94, -2.5},
        {102, -2.5}, {105, -3.5}, {116, -3.5},  {119, 0},   {156, 0}};
    return arc;
}

std::vector<Note> composeScore()
{
    Writer w;
    const std::vector<double>& s = sectionStarts();
    auto beatOf = [](double seconds) { return seconds / secondsPerBeat; };
    void (*const sections[])(Writer&, double) = {quotation, title,   theme,      sketch, shoulders, firstPoem,
                                                 layers,    secondPoem, guilt, glints, recede,    credits};
    for (size_t i = 0; i < s.size(); ++i) {
        // Each section humanised by its own hand, so that rewriting one
        // leaves the others as they were.
        w.random = Random(20240611u + 7919u * static_cast<uint32_t>(i));
        sections[i](w, beatOf(s[i]));
    }
    return w.notes;
}

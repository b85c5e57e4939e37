#pragma once
// The forge's synthesiser: the notes of the score and the voices that play them.
#include <cstdint>
#include <vector>

const int musicSampleRate = 44100;

enum class Voice { Piano, Pad, Bass, Bell };

// One note of the score. Times in seconds from the start of the track, pitch
// in MIDI numbers (69 is A 440 Hz), velocity from 0 to 1, pan from -1 (left)
// to 1 (right), send the share that goes to the reverb.
struct Note
{
    Voice voice = Voice::Piano;
    double start = 0.0;
    double length = 1.0;
    double pitch = 69.0;
    float velocity = 0.7f;
    float pan = 0.0f;
    float send = 0.3f;
    // Pad only: brightness of its filter, 0 dark to 1 open; and whether it
    // takes over from a chord the pad was holding (a quicker swell in, so
    // that the change of chord does not dip).
    float brightness = 0.5f;
    bool legato = false;
    // Piano only: how quickly the dampers quiet the strings once the key
    // and the pedal are up, as a time constant in seconds; a pianist lifts
    // the pedal slowly off a last chord to let it die away.
    float damperSeconds = 0.09f;
    uint32_t seed = 1;
};

// A point of the track's dynamics as the score marks them: at `seconds`
// into the track, `db` above or below the even level the master bus rides
// towards; straight lines between the points.
struct ArcPoint
{
    double seconds = 0.0;
    double db = 0.0;
};

// A stereo buffer at musicSampleRate.
struct Stereo
{
    std::vector<float> left;
    std::vector<float> right;
};

// A small deterministic random source (xorshift), so that every render of the
// track is the same.
struct Random
{
    uint32_t state;
    explicit Random(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in [0, 1).
    double uniform() { return (next() >> 8) * (1.0 / 16777216.0); }
    // Uniform in [-1, 1).
    double signedUniform() { return uniform() * 2.0 - 1.0; }
};

double pitchToHz(double pitch);

// How long a note sounds, its release tail included.
double soundingSeconds(const Note& note);

// Renders one note and adds it into dry and, scaled by its send, into send.
// Both buffers must be long enough for the track.
void renderNote(const Note& note, Stereo& dry, Stereo& send);

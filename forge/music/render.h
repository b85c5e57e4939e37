#pragma once
// The whole track: the score played by the voices, the room, the master bus.
#include "music/master.h"
#include "music/synth.h"

#include <functional>
#include <string>
#include <vector>

// One voice of the track heard on its own, as the master bus treated it.
struct Stem
{
    std::string name;   // "piano", "pad", "bass", "bell"
    Stereo samples;
};

struct RenderedMusic
{
    Stereo track;              // mastered, trackSeconds long, at musicSampleRate
    MasterReport report;       // loudness and true peak as mastered
    std::vector<Stem> stems;   // only when asked for: they sum to the track
};

// The share of the rendering done so far, 0 to 1, for a progress line.
using RenderProgress = std::function<void(double share)>;

// Renders the finished track (before encoding), on two threads; with stems,
// each voice also on its own, with the room and the master bus's gain applied.
RenderedMusic renderMusic(const RenderProgress& onProgress = {}, bool withStems = false);

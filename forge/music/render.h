#pragma once
// The whole track: the score played by the voices, the room, the master bus.
#include "music/master.h"
#include "music/synth.h"

#include <functional>

struct RenderedMusic
{
    Stereo track;           // mastered, trackSeconds long, at musicSampleRate
    MasterReport report;    // loudness and true peak as mastered
};

// The share of the rendering done so far, 0 to 1, for a progress line.
using RenderProgress = std::function<void(double share)>;

// Renders the finished track (before encoding), on two threads.
RenderedMusic renderMusic(const RenderProgress& onProgress = {});

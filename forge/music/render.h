#pragma once
// The whole track: the score played by the voices, the room, the master bus.
#include "music/master.h"
#include "music/synth.h"

struct RenderedMusic
{
    Stereo track;           // mastered, trackSeconds long, at musicSampleRate
    MasterReport report;    // loudness and true peak as mastered
};

// Renders the finished track (before encoding), on two threads.
RenderedMusic renderMusic();

#pragma once
// The score, written as code: D minor, 120 beats a minute, four beats a bar,
// one section for each scene of the show.
#include "music/synth.h"

#include <vector>

const double beatsPerMinute = 120.0;
const double trackSeconds = 156.0;

// Where each section starts, in seconds into the track: the scenes' starts as
// the show plays them, the music having started 1.25 s into the show.
const std::vector<double>& sectionStarts();

// The track's dynamics: quiet valleys for the poems and the night studio,
// one climax in the layered picture.
const std::vector<ArcPoint>& dynamicArc();

// Every note of the track, humanised a little (the same every time).
std::vector<Note> composeScore();

// The whole track: the score played by the voices, the room, the master bus.
#include "music/render.h"
#include "music/reverb.h"
#include "music/score.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

const int renderThreads = 2;
const float wetLevel = 0.9f;
const double endFadeSeconds = 2.5;
const double edgeFadeSeconds = 0.005;

Stereo silence(size_t length)
{
    Stereo s;
    s.left.assign(length, 0.0f);
    s.right.assign(length, 0.0f);
    return s;
}

// Rough shares of the rendering time, for the progress line only: the notes,
// then the room, then the master bus.
const double notesShare = 0.5;
const double roomShare = 0.2;

// Every renderThreads-th note, starting at offset, into its own buffers. The
// first share reports how far it has come.
void renderShare(const std::vector<Note>& notes, int offset, Stereo& dry, Stereo& send,
                 const RenderProgress& onProgress)
{
    for (size_t i = offset; i < notes.size(); i += renderThreads) {
        renderNote(notes[i], dry, send);
        if (onProgress) onProgress(notesShare * double(i + 1) / double(notes.size()));
    }
}

// A smooth fade over the last seconds, and a few milliseconds at each edge.
void fadeEdges(Stereo& mix, double fadeOutSeconds)
{
    size_t length = mix.left.size();
    size_t fadeOut = static_cast<size_t>(fadeOutSeconds * musicSampleRate);
    for (size_t i = 0; i < fadeOut && i < length; ++i) {
        double x = double(i) / fadeOut;
        float gain = static_cast<float>(0.5 - 0.5 * std::cos(3.141592653589793 * x));
        mix.left[length - 1 - i] *= gain;
        mix.right[length - 1 - i] *= gain;
    }
}

}

RenderedMusic renderMusic(const RenderProgress& onProgress)
{
    std::vector<Note> notes = composeScore();
    size_t length = static_cast<size_t>(trackSeconds * musicSampleRate);

    // The notes, shared out between the threads, each summing into its own buffers.
    std::vector<Stereo> dry(renderThreads, silence(length)), send(renderThreads, silence(length));
    std::vector<std::thread> threads;
    for (int t = 1; t < renderThreads; ++t)
        threads.emplace_back(renderShare, std::cref(notes), t, std::ref(dry[t]), std::ref(send[t]),
                             RenderProgress());
    renderShare(notes, 0, dry[0], send[0], onProgress);
    for (std::thread& thread : threads) thread.join();
    // Summed in a fixed order, so every render gives the same samples.
    for (int t = 1; t < renderThreads; ++t)
        for (size_t i = 0; i < length; ++i) {
            dry[0].left[i] += dry[t].left[i];
            dry[0].right[i] += dry[t].right[i];
            send[0].left[i] += send[t].left[i];
            send[0].right[i] += send[t].right[i];
        }

    // The room, mixed under the dry voices.
    Stereo wet = reverberate(send[0], ReverbSettings());
    RenderedMusic music;
    music.track = std::move(dry[0]);
    for (size_t i = 0; i < length; ++i) {
        music.track.left[i] += wet.left[i] * wetLevel;
        music.track.right[i] += wet.right[i] * wetLevel;
    }

    if (onProgress) onProgress(notesShare + roomShare);

    // Fade out under the credits' last seconds, then master.
    fadeEdges(music.track, endFadeSeconds);
    music.report = masterTrack(music.track);
    fadeEdges(music.track, edgeFadeSeconds);
    size_t fadeIn = static_cast<size_t>(edgeFadeSeconds * musicSampleRate);
    for (size_t i = 0; i < fadeIn; ++i) {
        float gain = float(i) / fadeIn;
        music.track.left[i] *= gain;
        music.track.right[i] *= gain;
    }
    return music;
}

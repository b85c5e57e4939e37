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
const double endFadeSeconds = 0.3;   // only closes what the last chord's dying away leaves
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

// A smooth fade over the last seconds, into the gain of each sample.
void fadeOut(std::vector<float>& gain, double fadeOutSeconds)
{
    size_t length = gain.size();
    size_t fade = static_cast<size_t>(fadeOutSeconds * musicSampleRate);
    for (size_t i = 0; i < fade && i < length; ++i) {
        double x = double(i) / fade;
        gain[length - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(3.141592653589793 * x));
    }
}

// A few milliseconds' fade in at the start, into the gain of each sample.
void fadeIn(std::vector<float>& gain, double seconds)
{
    size_t fade = static_cast<size_t>(seconds * musicSampleRate);
    for (size_t i = 0; i < fade && i < gain.size(); ++i) gain[i] *= float(i) / fade;
}

void applyGain(Stereo& mix, const std::vector<float>& gain)
{
    for (size_t i = 0; i < mix.left.size(); ++i) {
        mix.left[i] *= gain[i];
        mix.right[i] *= gain[i];
    }
}

// The notes into dry and send buffers of the given length, shared out
// between the threads and summed in a fixed order, so every render gives the
// same samples.
void renderNotes(const std::vector<Note>& notes, size_t length, Stereo& dryOut, Stereo& sendOut,
                 const RenderProgress& onProgress)
{
    std::vector<Stereo> dry(renderThreads, silence(length)), send(renderThreads, silence(length));
    std::vector<std::thread> threads;
    for (int t = 1; t < renderThreads; ++t)
        threads.emplace_back(renderShare, std::cref(notes), t, std::ref(dry[t]), std::ref(send[t]),
                             RenderProgress());
    renderShare(notes, 0, dry[0], send[0], onProgress);
    for (std::thread& thread : threads) thread.join();
    for (int t = 1; t < renderThreads; ++t)
        for (size_t i = 0; i < length; ++i) {
            dry[0].left[i] += dry[t].left[i];
            dry[0].right[i] += dry[t].right[i];
            send[0].left[i] += send[t].left[i];
            send[0].right[i] += send[t].right[i];
        }
    dryOut = std::move(dry[0]);
    sendOut = std::move(send[0]);
}

// The dry voices with the room mixed under them.
Stereo withRoom(Stereo dry, const Stereo& send)
{
    Stereo wet = reverberate(send, ReverbSettings());
    for (size_t i = 0; i < dry.left.size(); ++i) {
        dry.left[i] += wet.left[i] * wetLevel;
        dry.right[i] += wet.right[i] * wetLevel;
    }
    return dry;
}

const char* voiceName(Voice voice)
{
    switch (voice) {
    case Voice::Piano: return "piano";
    case Voice::Pad: return "pad";
    case Voice::Bass: return "bass";
    case Voice::Bell: return "bell";
    }
    return "voice";
}

}

RenderedMusic renderMusic(const RenderProgress& onProgress, bool withStems)
{
    std::vector<Note> notes = composeScore();
    size_t length = static_cast<size_t>(trackSeconds * musicSampleRate);
    RenderedMusic music;

    if (!withStems) {
        Stereo dry, send;
        renderNotes(notes, length, dry, send, onProgress);
        music.track = withRoom(std::move(dry), send);
    } else {
        // Each voice with its own room; the rooms are linear, so the voices
        // summed are the whole mix.
        const Voice voices[] = {Voice::Piano, Voice::Pad, Voice::Bass, Voice::Bell};
        music.track = silence(length);
        for (Voice voice : voices) {
            std::vector<Note> own;
            for (const Note& note : notes)
                if (note.voice == voice) own.push_back(note);
            Stereo dry, send;
            renderNotes(own, length, dry, send, RenderProgress());
            Stem stem{voiceName(voice), withRoom(std::move(dry), send)};
            for (size_t i = 0; i < length; ++i) {
                music.track.left[i] += stem.samples.left[i];
                music.track.right[i] += stem.samples.right[i];
            }
            music.stems.push_back(std::move(stem));
            if (onProgress) onProgress(notesShare * music.stems.size() / 4.0);
        }
    }

    if (onProgress) onProgress(notesShare + roomShare);

    // Fade out under the credits' last seconds, then master; a few
    // milliseconds' fade at each edge after.
    std::vector<float> gain(length, 1.0f);
    fadeOut(gain, endFadeSeconds);
    applyGain(music.track, gain);
    std::vector<float> bus;
    music.report = masterTrack(music.track, withStems ? &bus : nullptr, dynamicArc());
    std::vector<float> edges(length, 1.0f);
    fadeOut(edges, edgeFadeSeconds);
    fadeIn(edges, edgeFadeSeconds);
    applyGain(music.track, edges);

    // Each voice through the same filters and the same gains as the bus.
    for (Stem& stem : music.stems) {
        masterFilters(stem.samples.left);
        masterFilters(stem.samples.right);
        for (size_t i = 0; i < length; ++i) {
            float g = gain[i] * bus[i] * edges[i];
            stem.samples.left[i] *= g;
            stem.samples.right[i] *= g;
        }
    }
    return music;
}

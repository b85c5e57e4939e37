// The music: "angel6.mp3", composed, played, mastered and encoded by the forge.
#include "forge.h"
#include "music/encode.h"
#include "music/render.h"

#include "common/progress.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

int forgeMusic(const std::string& mp3File, const std::string& stemsDir)
{
    // Render the track, then interleave it for the encoder.
    auto started = std::chrono::steady_clock::now();
    Progress progress;
    startProgress(progress, "ostralis-forge: composing, ", 1.0);
    RenderedMusic music = renderMusic([&](double share) { reportProgress(progress, share); }, !stemsDir.empty());
    finishProgress(progress, "");
    size_t frames = music.track.left.size();
    std::vector<float> stereo(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        stereo[i * 2] = music.track.left[i];
        stereo[i * 2 + 1] = music.track.right[i];
    }
    if (!encodeMp3(stereo, musicSampleRate, mp3File)) return 1;

    if (!stemsDir.empty()) {
        std::error_code failed;
        std::filesystem::create_directories(stemsDir, failed);
        for (const Stem& stem : music.stems) {
            for (size_t i = 0; i < frames; ++i) {
                stereo[i * 2] = stem.samples.left[i];
                stereo[i * 2 + 1] = stem.samples.right[i];
            }
            std::string file = (std::filesystem::path(stemsDir) / (stem.name + ".wav")).string();
            if (!writeWav(stereo, musicSampleRate, file)) return 1;
        }
    }

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char line[160];
    std::snprintf(line, sizeof line, "music: %.1f s, %.1f LUFS, %.1f dBTP, made in %.1f s",
                  double(frames) / musicSampleRate, music.report.loudness, music.report.truePeak, seconds);
    std::cout << line << std::endl;
    return 0;
}

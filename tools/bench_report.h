#pragma once
// The bench's figures and the three ways it reports them: a table on
// standard output, JSON, and a plot of frame time over the show.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct StartupStep
{
    std::string name;
    double ms = 0;
};

struct SceneFigures
{
    int index = 0;
    long frames = 0;
    long blackFrames = 0;  // frames at the scene's start on a wholly black screen
    double blackMaxMs = 0; // the longest of them: they show nothing, so they are reported apart
    double firstMs = 0;    // the first frame that shows anything
    double medianMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
    double copyMs = 0;  // the median copy floor frame among the scene's own frames
};

struct BenchResults
{
    int fps = 60;
    std::string renderer;
    bool shaderCacheDisabled = false;

    std::vector<StartupStep> steps;    // in start-up order
    size_t stepsBeforeFirstFrame = 0;  // the rest (the warm-up) run after it, in the black opening
    double firstFrameMs = 0;           // from the first step to the first frame finished
    double windowToFirstFrameMs = 0;   // from the window opened to the first frame finished
    double pictureDecodeMs = 0;      // decoding the catalogue's PNG files alone
    std::string copyPicture;         // the picture the copy floor draws

    // The floors measured on their own after the show: a frame that only
    // clears and presents, and one that copies a full-screen picture through
    // an off-screen target.
    double nullMs = 0;
    double copyMs = 0;
    long floorFrames = 0;

    std::vector<SceneFigures> scenes;
    std::vector<double> frameMs;   // every frame of the show, in order
    std::vector<int> frameScene;   // the scene of each

    std::uint64_t windowRssBytes = 0;  // resident once the window is open: the GL driver and libraries
    std::uint64_t peakRssBytes = 0;    // the show's peak, before the bench decodes the pictures again
    std::uint64_t textureBytes = 0;

    // A jump to the last scene in the preview: from its start to the landing
    // frame by its own account, and its whole run. Empty jumpNote: measured.
    int jumpScene = 0;
    double jumpLandingSeconds = 0;
    double jumpWallSeconds = 0;
    std::string jumpNote;
};

// Median (the mean of the two middle values for an even count), p99 by
// nearest rank, and maximum of a scene's frame times; the first that shows
// anything (frame number shownFrom of the scene, or its first when none
// does) on its own, and the black ones before it; and the median of the copy
// floor frames run among them.
SceneFigures sceneFigures(int index, const std::vector<double>& frameMs, const std::vector<double>& copyMs,
                          long shownFrom);

// The median of a list of times (0 for none).
double medianOf(std::vector<double> values);

void printBenchTable(const BenchResults& results, std::ostream& out);
std::string benchJson(const BenchResults& results);
// Draws the frame times as a PNG at path; a failure names shownPath.
bool writeFramePlot(const BenchResults& results, const std::string& path, const std::string& shownPath,
                    std::string& error);

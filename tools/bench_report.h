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
    double firstMs = 0;
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

    std::vector<StartupStep> steps;  // in start-up order
    double firstFrameMs = 0;         // from the first step to the first frame finished
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
};

// Median (the mean of the two middle values for an even count), p99 by
// nearest rank, and maximum of a scene's frame times; the first on its own;
// and the median of the copy floor frames run among them.
SceneFigures sceneFigures(int index, const std::vector<double>& frameMs, const std::vector<double>& copyMs);

// The median of a list of times (0 for none).
double medianOf(std::vector<double> values);

void printBenchTable(const BenchResults& results, std::ostream& out);
std::string benchJson(const BenchResults& results);
bool writeFramePlot(const BenchResults& results, const std::string& path, std::string& error);

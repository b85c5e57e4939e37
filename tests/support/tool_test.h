#pragma once
// What the tests of the capture tool and the bench share: running the tools,
// reading the timeline they print, scratch directories and ffprobe's view of
// a video.
#include "support/show_test.h"

#include <SFML/Graphics/Image.hpp>
#include <string>
#include <vector>

// The path of a tool in the build directory ("ostralis-capture").
std::string toolPath(const std::string& tool);

// Runs a tool with its arguments from the show directory, with a generous timeout.
ProcessResult runTool(const std::string& tool, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env = {});

struct TimelineEvent
{
    std::string what;  // "scene 3", "music", "end"
    long frame = -1;
    double seconds = -1;
};

// The rows of the table that --timeline prints on standard output.
std::vector<TimelineEvent> parseTimeline(const std::string& out);

// The frame of one event, or -1.
long timelineFrame(const std::vector<TimelineEvent>& timeline, const std::string& what);

// A new empty directory under /tmp, removed with everything in it by the destructor.
struct ScratchDir
{
    std::string path;
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
};

// The names in a directory, sorted, without "." and "..".
std::vector<std::string> listDir(const std::string& dir);

bool fileExists(const std::string& path);

// While it lives, no file this process or its children write may grow past
// `bytes` (RLIMIT_FSIZE, with SIGXFSZ ignored so that a write fails with
// EFBIG instead): a disk that fills up while a picture is written.
struct FileSizeLimit
{
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    unsigned long savedSoft = 0;
    void (*savedHandler)(int) = nullptr;
};

// One value from ffprobe's stream description (e.g. "codec_name" of "v:0").
std::string probeStream(const std::string& file, const std::string& stream, const std::string& entry);

// Where the first sound begins, in seconds, as ffprobe's silence detector
// hears it (0 when the file starts with sound), or -1 when it cannot tell.
double soundOnsetSeconds(const std::string& file);

// The largest difference of any colour channel between two images of one
// size, and how many pixels differ by more than `tolerance` in a channel.
struct ImageDifference
{
    int largest = 0;
    long pixelsBeyond = 0;
};
ImageDifference compareImages(const sf::Image& a, const sf::Image& b, int tolerance);

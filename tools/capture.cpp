// ostralis-capture: runs the show from its start at a fixed step instead of
// the clock, renders every frame off screen as the player would draw it at
// that steady rate, and writes a video with the music, single frames, a
// timeline or a contact sheet.
#include "tools/contact_sheet.h"
#include "tools/tool_common.h"
#include "tools/video_writer.h"

#include "app/display_check.h"
#include "app/startup.h"
#include "assets/render_target.h"
#include "audio/audio.h"
#include "scenes/scene.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace
{
const char* toolName = "ostralis-capture";

const char* usageText =
    "usage: ostralis-capture [options]\n"
    "Runs the show from its start at a fixed step and renders every frame off screen.\n"
    "  --fps N               frames per second of show time (1 to 240, default 60)\n"
    "  --video FILE.mp4      H.264 video with the music, in sync as in the player\n"
    "  --frames DIR          a PNG per frame, frame-NNNNNN.png by frame number\n"
    "  --from S --to S       only the frames shown from S up to (not including) S seconds\n"
    "  --every N             only every N-th of those frames\n"
    "  --timeline            print when each scene and the music start, and the length\n"
    "  --contact-sheet FILE.png  a grid of thumbnails, one every few seconds\n"
    "  --sheet-every S       seconds between thumbnails (default 5)\n"
    "  --show-dir DIR        the show's files (default: show/ beside this program)\n"
    "Without an output it only renders, and says how long that took.\n"
    "It needs an X display for its GL context (Xvfb where there is none).\n";

// Exit codes: a user's mistake in the options, a failure while working, Ctrl-C.
const int usageFailure = 2;
const int workFailure = 1;
const int interruptedExit = 130;

// A show that never hands over to its end is stopped after this much show time.
const double longestShowSeconds = 30 * 60;

// The show's nominal length, for the progress line's estimate only.
const double nominalShowSeconds = 157.25;

struct Options
{
    int fps = 60;
    std::string video;
    std::string framesDir;
    double fromSeconds = 0;
    double toSeconds = -1;  // -1: to the end
    long every = 1;
    bool selectionGiven = false;
    bool timeline = false;
    std::string contactSheet;
    double sheetEvery = 5.0;
    std::string showDir;
};

// The frames the show ran, and when what started.
struct Timeline
{
    std::vector<int> frameScene;       // the scene each frame dispatched (12 for the last black frame)
    long sceneStart[sceneCount + 1];   // the first frame of each scene, and of the end
    long musicFrame = -1;              // the frame in which scene 0 asked for the music
};

bool parseNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::isfinite(value);
}

bool parseWhole(const std::string& text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0';
}

// Reads the options; on a mistake fills error with one line.
bool parseOptions(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        std::string name = argv[i], value;
        bool hasValue = false;
        size_t equals = name.find('=');
        if (name.compare(0, 2, "--") == 0 && equals != std::string::npos)
        {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        auto takeValue = [&]() {
            if (hasValue)
                return true;
            if (i + 1 >= argc)
            {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto flagOnly = [&]() {
            if (hasValue)
                error = name + " takes no value";
            return !hasValue;
        };

        if (name == "--help" || name == "-h")
        {
            if (!flagOnly())
                return false;
            std::cout << usageText;
            std::exit(0);
        }
        else if (name == "--fps")
        {
            long fps = 0;
            if (!takeValue())
                return false;
            if (!parseWhole(value, fps) || fps < 1 || fps > 240)
            {
                error = "--fps takes a whole number from 1 to 240, not '" + value + "'";
                return false;
            }
            options.fps = int(fps);
        }
        else if (name == "--video" || name == "--frames" || name == "--contact-sheet" || name == "--show-dir")
        {
            if (!takeValue())
                return false;
            if (value.empty())
            {
                error = name + " needs a non-empty value";
                return false;
            }
            if (name == "--video")
                options.video = value;
            else if (name == "--frames")
                options.framesDir = value;
            else if (name == "--contact-sheet")
                options.contactSheet = value;
            else
                options.showDir = value;
        }
        else if (name == "--from" || name == "--to" || name == "--sheet-every")
        {
            double seconds = 0;
            if (!takeValue())
                return false;
            if (!parseNumber(value, seconds) || seconds < 0 || seconds > longestShowSeconds ||
                (name == "--sheet-every" && seconds <= 0))
            {
                error = name + " takes seconds of show time, not '" + value + "'";
                return false;
            }
            if (name == "--from")
                options.fromSeconds = seconds;
            else if (name == "--to")
                options.toSeconds = seconds;
            else
                options.sheetEvery = seconds;
            options.selectionGiven = options.selectionGiven || name != "--sheet-every";
        }
        else if (name == "--every")
        {
            if (!takeValue())
                return false;
            if (!parseWhole(value, options.every) || options.every < 1)
            {
                error = "--every takes a whole number of frames from 1 up, not '" + value + "'";
                return false;
            }
            options.selectionGiven = true;
        }
        else if (name == "--timeline")
        {
            if (!flagOnly())
                return false;
            options.timeline = true;
        }
        else
        {
            error = "unknown option '" + std::string(argv[i]) + "' (see --help)";
            return false;
        }
    }

    if (options.selectionGiven && options.framesDir.empty())
        error = "--from, --to and --every choose the frames of --frames, which is not given";
    else if (options.toSeconds >= 0 && options.toSeconds <= options.fromSeconds)
        error = "--to must come after --from";
    else if (!options.video.empty() && !endsWith(options.video, ".mp4"))
        error = "--video writes an MP4: give a file name ending in .mp4";
    else if (!options.contactSheet.empty() && !endsWith(options.contactSheet, ".png"))
        error = "--contact-sheet writes a PNG: give a file name ending in .png";
    return error.empty();
}

// The first frame shown at or after a time: frame k is shown at k / fps.
long firstFrameAt(double seconds, int fps)
{
    return long(std::ceil(seconds * fps - 1e-6));
}

bool frameSelected(const Options& options, long frame)
{
    long first = firstFrameAt(options.fromSeconds, options.fps);
    if (frame < first || (frame - first) % options.every != 0)
        return false;
    return options.toSeconds < 0 || frame < firstFrameAt(options.toSeconds, options.fps);
}

// Creates the frames directory (one level) and proves it is writable.
bool prepareFramesDir(const std::string& dir, std::string& error)
{
    struct stat info;
    if (stat(dir.c_str(), &info) != 0 && mkdir(dir.c_str(), 0755) != 0)
    {
        error = "cannot create the frames directory '" + dir + "': " + std::strerror(errno);
        return false;
    }
    PendingOutput probe;
    if (!preparePendingOutput(probe, dir + "/frame-probe.png", error))
        return false;
    discardOutput(probe);
    return true;
}

std::string frameFileName(long frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06ld.png", frame);
    return name;
}

// Writes one frame as a PNG, under its name only once it is complete.
bool saveFramePng(const std::string& dir, long frame, const std::vector<std::uint8_t>& pixels,
                  unsigned width, unsigned height, std::string& error)
{
    // Opaque, as on the screen.
    std::vector<std::uint8_t> opaque(pixels);
    for (size_t i = 3; i < opaque.size(); i += 4)
        opaque[i] = 255;
    sf::Image image;
    image.create(width, height, opaque.data());

    PendingOutput output;
    if (!preparePendingOutput(output, dir + "/" + frameFileName(frame), error))
        return false;
    if (!image.saveToFile(output.tempPath))
    {
        discardOutput(output);
        error = "cannot write '" + output.finalPath + "'";
        return false;
    }
    return commitOutput(output, error);
}

// The progress line: live on a terminal, a plain line now and then otherwise.
struct Progress
{
    bool terminal = false;
    std::chrono::steady_clock::time_point start, lastLine;
    double expectedSeconds = nominalShowSeconds;
};

std::string clockText(double seconds)
{
    char text[32];
    long whole = std::lround(seconds);
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

void reportProgress(Progress& progress, long frames, int fps, bool last)
{
    auto now = std::chrono::steady_clock::now();
    double sinceLine = std::chrono::duration<double>(now - progress.lastLine).count();
    if (!last && sinceLine < (progress.terminal ? 0.25 : 10.0))
        return;
    progress.lastLine = now;
    double elapsed = std::chrono::duration<double>(now - progress.start).count();
    double showSeconds = double(frames) / fps;
    double rate = elapsed > 0 ? frames / elapsed : 0;
    char line[160];
    if (last)
        std::snprintf(line, sizeof line, "%s: %ld frames (%.2f s of show) in %.1f s, %.1f frames per second",
                      toolName, frames, showSeconds, elapsed, rate);
    else
    {
        double left = (progress.expectedSeconds - showSeconds) * fps / (rate > 0 ? rate : 1);
        std::snprintf(line, sizeof line, "%s: frame %ld, %.1f s of show, %.1f frames per second, %s left",
                      toolName, frames, showSeconds, rate,
                      left > 0 ? ("about " + clockText(left)).c_str() : "a little");
    }
    if (progress.terminal)
        std::cerr << "\r\033[K" << line << (last ? "\n" : "") << std::flush;
    else
        std::cerr << line << std::endl;
}

void printTimeline(const Timeline& timeline, int fps)
{
    auto row = [&](const std::string& what, long frame) {
        char line[96];
        std::snprintf(line, sizeof line, "%-9s %7ld %10.3f", what.c_str(), frame, double(frame) / fps);
        std::cout << line << "\n";
    };
    std::cout << "\ntimeline at " << fps << " frames per second (event, frame, seconds)\n";
    std::vector<std::pair<long, std::string>> events;
    for (int scene = 0; scene < sceneCount; ++scene)
        if (timeline.sceneStart[scene] >= 0)
            events.push_back({timeline.sceneStart[scene], "scene " + std::to_string(scene)});
    if (timeline.musicFrame >= 0)
        events.push_back({timeline.musicFrame, "music"});
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [frame, what] : events)
        row(what, frame);
    row("end", long(timeline.frameScene.size()));
    std::cout << std::flush;
}

// Everything the run writes, so that a failure can remove what is unfinished.
struct Outputs
{
    PendingOutput video;       // the final MP4
    PendingOutput videoOnly;   // the picture alone, before the music is muxed in
    std::string ffmpegLog;
    std::string ffmpeg;
    VideoWriter writer;
    bool videoStarted = false;
    PendingOutput sheetFile;
    ContactSheet sheet;
};

void discardAll(Outputs& outputs)
{
    if (outputs.videoStarted)
        abandonVideo(outputs.writer);
    outputs.videoStarted = false;
    discardOutput(outputs.video);
    discardOutput(outputs.videoOnly);
    discardOutput(outputs.sheetFile);
    if (!outputs.ffmpegLog.empty())
        unlink(outputs.ffmpegLog.c_str());
}

int fail(Outputs& outputs, const std::string& message, int code = workFailure)
{
    discardAll(outputs);
    toolError(toolName, message);
    return code;
}
}

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error))
    {
        toolError(toolName, error);
        return usageFailure;
    }

    // Output paths are the user's, relative to where the tool was started.
    if (!options.video.empty())
        options.video = absolutePath(options.video);
    if (!options.framesDir.empty())
        options.framesDir = absolutePath(options.framesDir);
    if (!options.contactSheet.empty())
        options.contactSheet = absolutePath(options.contactSheet);
    std::string showDir = options.showDir.empty() ? defaultShowDir() : absolutePath(options.showDir);
    if (showDir.empty())
    {
        toolError(toolName, "no show directory beside the program: give --show-dir");
        return usageFailure;
    }

    // Everything that can go wrong before the show starts is checked first.
    Outputs outputs;
    if (!displayAvailable())
    {
        const char* display = std::getenv("DISPLAY");
        toolError(toolName, std::string("no X display for a GL context (DISPLAY is '") + (display ? display : "") +
                                "'): run it under Xvfb, e.g. xvfb-run -s '-screen 0 1280x720x24'");
        return workFailure;
    }
    if (!options.video.empty())
    {
        outputs.ffmpeg = findProgram("ffmpeg");
        if (outputs.ffmpeg.empty())
            return fail(outputs, "--video needs ffmpeg, which is not on PATH (apt-get install ffmpeg)");
        if (!preparePendingOutput(outputs.video, options.video, error) ||
            !preparePendingOutput(outputs.videoOnly, options.video + ".picture.mp4", error))
            return fail(outputs, error);
        outputs.ffmpegLog = outputs.video.tempPath + ".log";
    }
    if (!options.contactSheet.empty() && !preparePendingOutput(outputs.sheetFile, options.contactSheet, error))
        return fail(outputs, error);
    if (!options.framesDir.empty() && !prepareFramesDir(options.framesDir, error))
        return fail(outputs, error);
    if (!enterShowDir(showDir, error))
        return fail(outputs, error, usageFailure);
    installInterruptHandler();

    // The off-screen target stands in for the player's window, antialiased like it.
    sf::RenderTexture target;
    if (!target.create(screenWidth, screenHeight, sf::ContextSettings(0, 0, 4)))
        return fail(outputs, "cannot create the 1280 x 720 off-screen target");
    std::cout << "created render window" << std::endl;

    loadShowData();
    if (!loadShowShaders())
        return fail(outputs, "the show could not start");
    std::cout << std::endl << "generic data loaded" << std::endl;
    // No audio output: the music goes into the video file instead.
    std::cout << "BASS loaded" << std::endl;
    target.setActive(true);
    std::cout << "Window is active for OpenGL rendering" << std::endl;
    std::cout << "Clock restarted" << std::endl;
    std::cout << "Playing SYNC module" << std::endl;

    const unsigned width = target.getSize().x, height = target.getSize().y;
    const bool wantVideo = !options.video.empty();
    const bool wantFrames = !options.framesDir.empty();
    const bool wantSheet = !options.contactSheet.empty();
    // With only single frames to write, the run can stop after the last one.
    const bool wholeShow = wantVideo || wantSheet || options.timeline || !wantFrames;
    const long lastFrameWanted = options.toSeconds < 0 ? -1 : firstFrameAt(options.toSeconds, options.fps) - 1;

    FrameReadback readback;
    if ((wantVideo || wantFrames || wantSheet) && !createFrameReadback(readback, target))
        return fail(outputs, "cannot create the read-back buffers");
    if (wantVideo && !startVideo(outputs.writer, outputs.ffmpeg, outputs.videoOnly.tempPath, outputs.ffmpegLog,
                                 width, height, options.fps, error))
        return fail(outputs, error);
    outputs.videoStarted = wantVideo;
    outputs.sheet.everySeconds = options.sheetEvery;
    outputs.sheet.fps = options.fps;

    Timeline timeline;
    for (long& start : timeline.sceneStart)
        start = -1;
    Progress progress;
    progress.terminal = isatty(2);
    progress.start = progress.lastLine = std::chrono::steady_clock::now();
    if (!wholeShow && lastFrameWanted >= 0)
        progress.expectedSeconds = double(lastFrameWanted + 1) / options.fps;

    // What a frame read back is used for, two frames after it was rendered.
    auto frameNeeded = [&](long frame) {
        return wantVideo || (wantFrames && frameSelected(options, frame)) ||
               (wantSheet && wantsThumbnail(outputs.sheet, frame));
    };
    auto deliver = [&](long frame) {
        if (wantVideo && !queueVideoFrame(outputs.writer, readback.topDown.data(), readback.topDown.size()))
        {
            std::string reason;
            finishVideo(outputs.writer, reason);
            outputs.videoStarted = false;
            error = reason;
            return false;
        }
        if (wantFrames && frameSelected(options, frame) &&
            !saveFramePng(options.framesDir, frame, readback.topDown, width, height, error))
            return false;
        if (wantSheet && wantsThumbnail(outputs.sheet, frame))
            addThumbnail(outputs.sheet, frame, timeline.frameScene[frame], readback.topDown.data(), width, height);
        return true;
    };

    // The frame loop of the player, at a steady rate: clear to opaque black,
    // run the scene (nothing once the show has ended), present.
    const float step = float(1.0 / options.fps);
    const long frameLimit = long(longestShowSeconds * options.fps);
    int sceneIndex = 0;
    int musicRequests = musicStreamRequests();
    for (long frame = 0;; ++frame)
    {
        if (interruptRequested())
            return fail(outputs, "interrupted; nothing was kept", interruptedExit);
        if (frame >= frameLimit)
            return fail(outputs, "the show did not end within " + clockText(longestShowSeconds) + " of show time");

        frameDelta = step;
        target.clear(sf::Color(0, 0, 0, 255));
        int shownScene = sceneIndex;
        if (sceneIndex != showEndIndex)
            sceneIndex = dispatchScene(sceneIndex, target);
        target.display();

        timeline.frameScene.push_back(shownScene);
        if (shownScene >= 0 && shownScene <= sceneCount && timeline.sceneStart[shownScene] < 0)
            timeline.sceneStart[shownScene] = frame;
        if (timeline.musicFrame < 0 && musicStreamRequests() != musicRequests)
            timeline.musicFrame = frame;

        if (frameNeeded(frame))
        {
            long ready = startFrameReadback(readback, target, frame);
            if (ready >= 0 && !deliver(ready))
                return fail(outputs, error);
        }
        reportProgress(progress, frame + 1, options.fps, false);

        // The frame after the last scene is the player's last, black one.
        if (shownScene == showEndIndex || (!wholeShow && lastFrameWanted >= 0 && frame >= lastFrameWanted))
            break;
    }
    for (long ready; (ready = finishFrameReadback(readback, target)) >= 0;)
        if (!deliver(ready))
            return fail(outputs, error);
    releaseFrameReadback(readback);
    releaseShowGroups();
    reportProgress(progress, long(timeline.frameScene.size()), options.fps, true);

    if (wantVideo)
    {
        // The picture is complete; now the music, delayed to the frame it starts in.
        outputs.videoStarted = false;
        if (!finishVideo(outputs.writer, error))
            return fail(outputs, error);
        double length = double(timeline.frameScene.size()) / options.fps;
        std::string music = showDir + "/angel6.mp3";
        bool haveMusic = access(music.c_str(), R_OK) == 0 && timeline.musicFrame >= 0;
        if (!haveMusic)
        {
            toolError(toolName, timeline.musicFrame < 0 ? "the show never started its music: the video is silent"
                                                        : "no angel6.mp3 in the show directory: the video is silent");
            if (rename(outputs.videoOnly.tempPath.c_str(), outputs.video.tempPath.c_str()) != 0)
                return fail(outputs, "cannot write '" + options.video + "'");
            outputs.videoOnly.tempPath.clear();
        }
        else if (!muxMusic(outputs.ffmpeg, outputs.videoOnly.tempPath, music,
                           double(timeline.musicFrame) / options.fps, length, outputs.video.tempPath,
                           outputs.ffmpegLog, error))
            return fail(outputs, error);
        discardOutput(outputs.videoOnly);
        if (!commitOutput(outputs.video, error))
            return fail(outputs, error);
    }
    if (wantSheet)
    {
        if (!saveContactSheet(outputs.sheet, outputs.sheetFile.tempPath, error) ||
            !commitOutput(outputs.sheetFile, error))
            return fail(outputs, error);
    }
    if (!outputs.ffmpegLog.empty())
        unlink(outputs.ffmpegLog.c_str());
    if (options.timeline)
        printTimeline(timeline, options.fps);
    return 0;
}

// ostralis-capture: runs the show from its start at a fixed step instead of
// the clock, renders every frame off screen as the player would draw it at
// that steady rate, and writes a video with the music, single frames, a
// timeline or a contact sheet.
#include "common/progress.h"
#include "tools/contact_sheet.h"
#include "tools/options.h"
#include "tools/tool_common.h"
#include "tools/video_writer.h"

#include "system/display.h"
#include "app/startup.h"
#include "assets/graphics_objects.h"
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
#include <sstream>
#include <string>
#include <vector>

namespace
{
const char* toolName = "ostralis-capture";

// Exit codes: a user's mistake in the options, a failure while working, Ctrl-C.
const int usageFailure = 2;
const int workFailure = 1;
const int interruptedExit = 130;

// A show that never hands over to its end is stopped after this much show time.
const double longestShowSeconds = 30 * 60;

struct Options
{
    FrameRate rate;
    double fps = 60;  // rate.perSecond()
    std::string video;
    unsigned videoWidth = 0, videoHeight = 0;  // 0: the show's own size
    bool lossless = false;
    std::string framesDir;
    double fromSeconds = 0;
    double toSeconds = -1;  // -1: to the end
    int scene = -1;         // -1: every scene
    long every = 1;
    bool timeline = false;
    std::string contactSheet;
    bool drawAll = false;
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

// Reads "WxH": even sizes (the video's colours are halved both ways) from
// 16 to 7680 wide and 4320 high.
bool parseVideoSize(const std::string& text, unsigned& width, unsigned& height)
{
    unsigned w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%u%c%u%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (w < 16 || h < 16 || w > 7680 || h > 4320 || w % 2 || h % 2)
        return false;
    width = w;
    height = h;
    return true;
}

// Reads the options: the run's end status when it ends here, else -1.
int parseOptions(int argc, char** argv, Options& options)
{
    CLI::App app("Runs the show from its start at a fixed step and renders every frame off screen, "
                 "exactly as the player draws it at that steady rate.\n"
                 "It needs an X display for its GL context (Xvfb where there is none); "
                 "--help and --version do not.",
                 toolName);
    describeTool(app);
    std::string fps = "60", size;
    app.add_option("--fps", fps, "frames per second of show time, whole or a fraction such as 60000/1001 (1 to 240)")
        ->check([&](const std::string& text) {
            return parseFrameRate(text, options.rate) ? std::string()
                                                      : "takes frames per second from 1 to 240, whole or N/D, not '" + text + "'";
        });
    app.add_option("--video", options.video,
                   "a video with the music in step: H.264 in FILE.mp4, or with --lossless FFV1 in FILE.mkv")
        ->check(nonEmpty("FILE"));
    app.add_option("--size", size, "the video's size, WxH, scaled from 1280x720 with a Lanczos filter (e.g. 3840x2160)")
        ->check([&](const std::string& text) {
            return parseVideoSize(text, options.videoWidth, options.videoHeight)
                       ? std::string()
                       : "takes an even WxH from 16x16 to 7680x4320, not '" + text + "'";
        });
    app.add_flag("--lossless", options.lossless,
                 "a lossless video for editing: FFV1 in Matroska (FILE.mkv), the music in FLAC")->disable_flag_override();
    app.add_option("--frames", options.framesDir, "a PNG per frame, DIR/frame-NNNNNN.png by frame number")
        ->check(nonEmpty("DIR"));
    app.add_option("--from", options.fromSeconds, "frames and video from this show time in seconds")
        ->check(numberRange(0.0, longestShowSeconds));
    app.add_option("--to", options.toSeconds, "frames and video up to, not including, this show time; without it, to the end")
        ->check(numberRange(0.0, longestShowSeconds));
    app.add_option("--scene", options.scene, "frames and video of this scene only (0 to 11); without it, every scene")
        ->check(CLI::Range(0, sceneCount - 1));
    app.add_option("--every", options.every, "only every N-th of the chosen frames")->check(CLI::Range(1L, 1000000L));
    app.add_flag("--timeline", options.timeline, "print when each scene and the music start, and the show's length: the table alone on standard output, the show's own lines on standard error")->disable_flag_override();
    app.add_option("--contact-sheet", options.contactSheet, "a grid of thumbnails, one every few seconds, as FILE.png")
        ->check(nonEmpty("FILE"));
    app.add_option("--sheet-every", options.sheetEvery, "seconds of show between thumbnails")
        ->check(numberRange(1e-3, longestShowSeconds));
    app.add_flag("--draw-all", options.drawAll,
                 "draw every frame, also those no output takes, as the player does (slower: a check on the quick way)")
        ->disable_flag_override();
    addShowDirOption(app, options.showDir);
    app.footer("Without an output it only renders, and says how long that took. Frames before and between\n"
               "the ones written are run without drawing, so a span far into the show is reached in seconds.\n"
               "Upload sites: --size 3840x2160 gets a 2160p video a far better encoding than 720p.");
    int status = readOptions(app, argc, argv);
    if (status >= 0)
        return status;
    options.fps = options.rate.perSecond();

    // What the options allow only together.
    std::string error;
    const bool chosen = app.count("--from") || app.count("--to") || app.count("--scene");
    if (chosen && options.framesDir.empty() && options.video.empty())
        error = "--from, --to and --scene choose the frames of --frames or --video, neither of which is given";
    else if (app.count("--every") && options.framesDir.empty())
        error = "--every chooses the frames of --frames, which is not given";
    else if (options.toSeconds >= 0 && options.toSeconds <= options.fromSeconds)
        error = "--to must come after --from";
    else if (options.fromSeconds >= nominalShowSeconds)
    {
        std::ostringstream text;
        text << "--from " << options.fromSeconds << " is past the show's end at " << nominalShowSeconds << " s";
        error = text.str();
    }
    else if ((options.videoWidth || options.lossless) && options.video.empty())
        error = "--size and --lossless shape the video of --video, which is not given";
    else if (!options.video.empty() && !options.lossless && !endsWith(options.video, ".mp4"))
        error = "--video writes an MP4: give a file name ending in .mp4 (or .mkv with --lossless)";
    else if (!options.video.empty() && options.lossless && !endsWith(options.video, ".mkv"))
        error = "--lossless writes Matroska: give --video a file name ending in .mkv";
    else if (!options.contactSheet.empty() && !endsWith(options.contactSheet, ".png"))
        error = "--contact-sheet writes a PNG: give a file name ending in .png";
    if (error.empty())
        return -1;
    toolError(toolName, error);
    return usageFailure;
}

// The first frame shown at or after a time: frame k is shown at k / fps.
long firstFrameAt(double seconds, double fps)
{
    return long(std::ceil(seconds * fps - 1e-6));
}

// Whether a frame, which shows the scene, is in the span --from, --to and
// --scene choose for the frames and the video.
bool frameChosen(const Options& options, long frame, int scene)
{
    if (frame < firstFrameAt(options.fromSeconds, options.fps))
        return false;
    if (options.scene >= 0 && scene != options.scene)
        return false;
    return options.toSeconds < 0 || frame < firstFrameAt(options.toSeconds, options.fps);
}

// Creates the frames directory (one level) and proves it is writable;
// created tells whether it was made here, so a failed run removes it again.
bool prepareFramesDir(const std::string& dir, bool& created, std::string& error)
{
    struct stat info;
    created = false;
    if (stat(dir.c_str(), &info) != 0)
    {
        if (mkdir(dir.c_str(), 0755) != 0)
        {
            error = "cannot create the frames directory '" + dir + "': " + std::strerror(errno);
            return false;
        }
        created = true;
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
    if (!writeOpaquePng(image, output.tempPath, output.finalPath, error))
    {
        discardOutput(output);
        return false;
    }
    return commitOutput(output, error);
}

// The progress line: frames rendered against those the run should take.
void reportFrames(Progress& progress, long frames, double fps)
{
    double elapsed = progressSeconds(progress);
    char note[128];
    std::snprintf(note, sizeof note, "frame %ld, %.1f s of show, %.1f frames per second", frames,
                  double(frames) / fps, elapsed > 0 ? frames / elapsed : 0.0);
    reportProgress(progress, double(frames), note);
}

void finishFrames(Progress& progress, long frames, double fps)
{
    double elapsed = progressSeconds(progress);
    char line[160];
    double showSeconds = double(frames) / fps;
    std::snprintf(line, sizeof line,
                  "%s: %ld frames (%.2f s of show) in %.1f s, %.1f frames per second, %.2fx real time", toolName,
                  frames, showSeconds, elapsed, elapsed > 0 ? frames / elapsed : 0.0,
                  elapsed > 0 ? showSeconds / elapsed : 0.0);
    finishProgress(progress, line);
}

// Prints the table on tableOut, the standard output the tool was started with.
void printTimeline(const Timeline& timeline, double fps, int tableOut)
{
    std::cout << std::flush;
    dup2(tableOut, 1);
    close(tableOut);
    auto row = [&](const std::string& what, long frame) {
        char line[96];
        std::snprintf(line, sizeof line, "%-9s %7ld %10.3f", what.c_str(), frame, double(frame) / fps);
        std::cout << line << "\n";
    };
    std::cout << "timeline at " << fps << " frames per second (event, frame, seconds)\n";
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
    std::string framesDir;
    bool framesDirCreated = false;
    std::vector<std::string> framesWritten;  // the PNGs in place so far
};

void discardAll(Outputs& outputs)
{
    if (outputs.videoStarted)
        abandonVideo(outputs.writer);
    outputs.videoStarted = false;
    discardOutput(outputs.video);
    discardOutput(outputs.videoOnly);
    discardOutput(outputs.sheetFile);
    for (const std::string& frame : outputs.framesWritten)
        unlink(frame.c_str());
    outputs.framesWritten.clear();
    if (outputs.framesDirCreated)
        rmdir(outputs.framesDir.c_str());
    outputs.framesDirCreated = false;
    if (!outputs.ffmpegLog.empty())
        unlink(outputs.ffmpegLog.c_str());
}

int fail(Outputs& outputs, const std::string& message, int code = workFailure)
{
    discardAll(outputs);
    toolError(toolName, message);
    return code;
}

// Ctrl-C or SIGTERM at any point before the run ends takes everything back.
bool interruptedNow(Outputs& outputs, int& status)
{
    if (!interruptRequested())
        return false;
    status = fail(outputs, "interrupted; nothing was kept", interruptedExit);
    return true;
}
}

int main(int argc, char** argv)
{
    Options options;
    int optionsStatus = parseOptions(argc, argv, options);
    if (optionsStatus >= 0)
        return optionsStatus;
    std::string error;

    // With --timeline the table stands alone on standard output: the show's
    // own lines go to standard error meanwhile.
    int tableOut = -1;
    if (options.timeline)
    {
        tableOut = dup(1);
        dup2(2, 1);
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
    createGraphicsObjects();
    if (!options.video.empty())
    {
        outputs.ffmpeg = findProgram("ffmpeg");
        if (outputs.ffmpeg.empty())
            return fail(outputs, "--video needs ffmpeg, which is not on PATH (apt-get install ffmpeg)");
        if (!preparePendingOutput(outputs.video, options.video, error) ||
            !preparePendingOutput(outputs.videoOnly, options.video + (options.lossless ? ".picture.mkv" : ".picture.mp4"), error))
            return fail(outputs, error, usageFailure);
        outputs.ffmpegLog = outputs.video.tempPath + ".log";
    }
    if (!options.contactSheet.empty() && !preparePendingOutput(outputs.sheetFile, options.contactSheet, error))
        return fail(outputs, error, usageFailure);
    outputs.framesDir = options.framesDir;
    if (!options.framesDir.empty() && !prepareFramesDir(options.framesDir, outputs.framesDirCreated, error))
        return fail(outputs, error, usageFailure);
    if (!enterShowDir(showDir, error))
        return fail(outputs, error, usageFailure);
    installInterruptHandler();

    // The off-screen target stands in for the player's window, antialiased like it.
    sf::RenderTexture target;
    if (!target.create(screenWidth, screenHeight, sf::ContextSettings(0, 0, 4)))
        return fail(outputs, "cannot create the 1280 x 720 off-screen target");
    // The player's start-up without audio output: the music goes into the video file instead.
    if (!startShow(target, false))
        return fail(outputs, "the show could not start");
    playOffScreenOpening(target);

    const unsigned width = target.getSize().x, height = target.getSize().y;
    const bool wantVideo = !options.video.empty();
    const bool wantFrames = !options.framesDir.empty();
    const bool wantSheet = !options.contactSheet.empty();
    // With only frames or a span of video to write, the run can stop after
    // the last frame wanted.
    const bool wholeShow = wantSheet || options.timeline || (!wantFrames && !wantVideo);
    const long lastFrameWanted = options.toSeconds < 0 ? -1 : firstFrameAt(options.toSeconds, options.fps) - 1;
    VideoFormat videoFormat;
    videoFormat.width = options.videoWidth;
    videoFormat.height = options.videoHeight;
    videoFormat.lossless = options.lossless;

    FrameReadback readback;
    if ((wantVideo || wantFrames || wantSheet) && !createFrameReadback(readback, target))
        return fail(outputs, "cannot create the read-back buffers");
    if (wantVideo && !startVideo(outputs.writer, outputs.ffmpeg, outputs.videoOnly.tempPath, outputs.ffmpegLog,
                                 width, height, options.rate.text(), videoFormat, error))
        return fail(outputs, error);
    outputs.videoStarted = wantVideo;
    outputs.sheet.everySeconds = options.sheetEvery;
    outputs.sheet.fps = options.fps;

    Timeline timeline;
    for (long& start : timeline.sceneStart)
        start = -1;
    Progress progress;
    double expectedSeconds = nominalShowSeconds;
    if (!wholeShow && lastFrameWanted >= 0)
        expectedSeconds = double(lastFrameWanted + 1) / options.fps;
    startProgress(progress, std::string(toolName) + ": ", expectedSeconds * options.fps);

    // What each frame is read back for, decided before it is rendered and used
    // two frames later: the video's span, and every N-th frame of it as a PNG.
    std::vector<char> toVideo, toPng;
    long chosenFrames = 0, firstVideoFrame = -1, videoFrames = 0;
    auto frameNeeded = [&](long frame) {
        return toVideo[frame] || toPng[frame] || (wantSheet && wantsThumbnail(outputs.sheet, frame));
    };
    auto deliver = [&](long frame) {
        if (toVideo[frame] && !queueVideoFrame(outputs.writer, readback.topDown.data(), readback.topDown.size()))
        {
            std::string reason;
            finishVideo(outputs.writer, reason);
            outputs.videoStarted = false;
            error = reason;
            return false;
        }
        if (toPng[frame])
        {
            if (!saveFramePng(options.framesDir, frame, readback.topDown, width, height, error))
                return false;
            outputs.framesWritten.push_back(options.framesDir + "/" + frameFileName(frame));
        }
        if (wantSheet && wantsThumbnail(outputs.sheet, frame))
            addThumbnail(outputs.sheet, frame, timeline.frameScene[frame], readback.topDown.data(), width, height);
        return true;
    };

    // The frame loop of the player, at a steady rate, on the off-screen
    // target: the player's frame, then presented.
    const float step = float(1.0 / options.fps);
    const long frameLimit = long(longestShowSeconds * options.fps);
    int sceneIndex = 0;
    int musicRequests = musicStreamRequests();
    // Frames outside every output are not drawn: a span or a scene far into
    // the show is reached in seconds. Without an output every frame is
    // drawn, since timing that is the point.
    const bool anyOutput = (wantVideo || wantFrames || wantSheet || options.timeline) && !options.drawAll;
    DiscardingTarget discarding;
    for (long frame = 0;; ++frame)
    {
        if (interruptRequested())
            return fail(outputs, "interrupted; nothing was kept", interruptedExit);
        if (frame >= frameLimit)
            return fail(outputs, "the show did not end within " + clockText(longestShowSeconds) + " of show time");

        int shownScene = sceneIndex;
        bool chosen = frameChosen(options, frame, shownScene);
        toVideo.push_back(wantVideo && chosen);
        toPng.push_back(wantFrames && chosen && chosenFrames % options.every == 0);
        if (chosen)
            ++chosenFrames;
        if (toVideo[frame])
        {
            if (firstVideoFrame < 0)
                firstVideoFrame = frame;
            ++videoFrames;
        }

        // A frame that no output takes runs on a target that keeps nothing.
        const bool drawn = !anyOutput || frameNeeded(frame);
        sf::RenderTarget& frameTarget = drawn ? static_cast<sf::RenderTarget&>(target) : discarding;
        if (!drawn)
        {
            target.setActive(true);
            limitDrawing(true);
        }
        sceneIndex = drawShowFrame(frameTarget, sceneIndex, step);
        target.setActive(true);
        if (drawn)
            target.display();
        else
            limitDrawing(false);

        timeline.frameScene.push_back(shownScene);
        if (shownScene >= 0 && shownScene <= sceneCount && timeline.sceneStart[shownScene] < 0)
            timeline.sceneStart[shownScene] = frame;
        if (timeline.musicFrame < 0 && musicStreamRequests() != musicRequests)
            timeline.musicFrame = frame;
        // Past the chosen scene nothing more is wanted.
        const bool pastScene = options.scene >= 0 && shownScene > options.scene;

        if (frameNeeded(frame))
        {
            long ready = startFrameReadback(readback, target, frame);
            if (ready >= 0 && !deliver(ready))
                return fail(outputs, error);
        }
        reportFrames(progress, frame + 1, options.fps);

        // The frame after the last scene is the player's last, black one.
        if (shownScene == showEndIndex || (!wholeShow && ((lastFrameWanted >= 0 && frame >= lastFrameWanted) || pastScene)))
            break;
    }
    for (long ready; (ready = finishFrameReadback(readback, target)) >= 0;)
        if (!deliver(ready))
            return fail(outputs, error);
    releaseFrameReadback(readback);
    releaseShowGroups();
    finishFrames(progress, long(timeline.frameScene.size()), options.fps);
    int status = 0;
    if (interruptedNow(outputs, status))
        return status;

    if (wantVideo)
    {
        // The picture is complete; now the music, delayed to the frame it starts in.
        outputs.videoStarted = false;
        if (!finishVideo(outputs.writer, error))
            return interruptedNow(outputs, status) ? status : fail(outputs, error);
        if (videoFrames == 0)
            return fail(outputs, "no frame of the show falls in the span chosen for the video");
        // The music is cut to the video's span: it starts as many frames
        // after the video's first as it did in the show.
        double length = double(videoFrames) / options.fps;
        std::string music = showDir + "/angel6.mp3";
        // A run stopped at the end of its span before the music began has
        // it begin just after the video: a silent track of the video's length.
        const bool showEnded = timeline.frameScene.back() == showEndIndex;
        long musicFrame = timeline.musicFrame >= 0 ? timeline.musicFrame
                                                   : showEnded ? -1 : long(timeline.frameScene.size());
        bool haveMusic = access(music.c_str(), R_OK) == 0 && musicFrame >= 0;
        if (!haveMusic)
        {
            toolError(toolName, musicFrame < 0 ? "the show never started its music: the video is silent"
                                                        : "no angel6.mp3 in the show directory: the video is silent");
            if (rename(outputs.videoOnly.tempPath.c_str(), outputs.video.tempPath.c_str()) != 0)
                return fail(outputs, "cannot write '" + options.video + "'");
            outputs.videoOnly.tempPath.clear();
        }
        else if (!muxMusic(outputs.ffmpeg, outputs.videoOnly.tempPath, music,
                           double(musicFrame - firstVideoFrame) / options.fps, length, options.lossless,
                           outputs.video.tempPath,
                           outputs.ffmpegLog, error))
            return interruptedNow(outputs, status) ? status : fail(outputs, error);
        discardOutput(outputs.videoOnly);
    }
    if (wantSheet)
    {
        if (!saveContactSheet(outputs.sheet, outputs.sheetFile.tempPath, outputs.sheetFile.finalPath, error))
            return fail(outputs, error);
    }
    // Everything is complete: an interrupt until here keeps nothing.
    if (interruptedNow(outputs, status))
        return status;
    if ((wantVideo && !commitOutput(outputs.video, error)) || (wantSheet && !commitOutput(outputs.sheetFile, error)))
        return fail(outputs, error);
    if (!outputs.ffmpegLog.empty())
        unlink(outputs.ffmpegLog.c_str());
    if (options.timeline)
        printTimeline(timeline, options.fps, tableOut);
    return 0;
}

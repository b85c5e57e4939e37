// ostralis-bench: times the show's start-up step by step, every frame of the
// show at a fixed step on the player's own window, drawn by the player's own
// routines (each frame finished on the GPU side before the clock is read;
// on a screen of another size, scaled as the player shows it), two floor
// frames to compare them with, the PNG decoding alone, the memory the show
// holds, and a jump to the last scene in the preview. A copy floor frame
// follows each frame of the show, so that every scene is compared with the
// floor as the machine ran while it played: on a shared host the floor
// drifts by half within one run.
#include "common/progress.h"
#include "tools/bench_report.h"
#include "tools/options.h"
#include "tools/tool_common.h"

#include "system/display.h"
#include "app/startup.h"
#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/graphics_objects.h"
#include "assets/fonts.h"
#include "assets/render_target.h"
#include "assets/shaders.h"
#include "scenes/scene.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/Window/Event.hpp>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <regex>
#include <sstream>

namespace
{
const char* toolName = "ostralis-bench";

const int usageFailure = 2;
const int workFailure = 1;

// A show that never hands over to its end is stopped after this much show time.
const double longestShowSeconds = 30 * 60;

// Frames run before a floor is measured, so that it is the steady cost.
const int floorWarmUpFrames = 10;

// The character sizes the show draws its captions at.
const unsigned captionSizes[] = {36, 56, 57, 75, 86};

struct Options
{
    int fps = 60;
    std::string json;
    std::string plot;
    long floorFrames = 240;
    std::string showDir;
};

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Reads the options: the run's end status when it ends here, else -1.
int parseOptions(int argc, char** argv, Options& options)
{
    CLI::App app("Times the show's start-up, every frame of the show at a fixed step on the player's window, "
                 "and two floor frames; a copy floor frame follows each frame of the show.\n"
                 "It opens the player's window: it needs an X display (Xvfb where there is none); "
                 "--help and --version do not.",
                 toolName);
    describeTool(app);
    app.add_option("--fps", options.fps, "frames per second of show time")->check(CLI::Range(1, 240));
    app.add_option("--json", options.json, "the figures as JSON in FILE")
        ->check(nonEmpty("FILE"));
    app.add_option("--plot", options.plot, "frame time over the show, scene boundaries marked, as FILE.png")
        ->check(nonEmpty("FILE"));
    app.add_option("--floor-frames", options.floorFrames, "frames measured for each floor")
        ->check(CLI::Range(1L, 100000L));
    addShowDirOption(app, options.showDir);
    int status = readOptions(app, argc, argv);
    if (status >= 0)
        return status;
    if (!options.plot.empty() && !endsWith(options.plot, ".png"))
    {
        toolError(toolName, "--plot writes a PNG: give a file name ending in .png");
        return usageFailure;
    }
    return -1;
}

// The window's frame, finished: presented, and the GL work done.
void finishFrame(sf::RenderWindow& window)
{
    window.display();
    glFinish();
}

// Events are taken as the player takes them, so that the window stays served.
void drainEvents(sf::RenderWindow& window)
{
    sf::Event event;
    while (window.pollEvent(event))
    {
    }
}

// Runs a start-up step and records its time, GL work included.
void timeStep(BenchResults& results, const char* name, const std::function<void()>& step)
{
    Clock::time_point start = Clock::now();
    step();
    glFinish();
    results.steps.push_back({name, millisecondsSince(start)});
}

// The copy floor's frame: a full-screen picture through an off-screen target
// of the show's size. The target is the bench's own, so that the floor frames
// run between the show's leave the show's target as the show left it. Picture
// and target are opaque and drawn unblended, as the scenes draw them.
struct CopyFloor
{
    sf::RenderTexture target;
    sf::Sprite picture;
    sf::Sprite shown;
};

std::uint64_t textureBytes(const sf::Texture& texture)
{
    return std::uint64_t(texture.getSize().x) * texture.getSize().y * 4;
}

// Every texture the show holds: the pictures, the distortion map, the
// off-screen target, the blur's targets and canvas, and the glyph pages of
// both fonts at the caption sizes; and the copy floor's target, which is
// resident beside them while the show runs.
std::uint64_t residentTextureBytes(const CopyFloor& floor)
{
    std::uint64_t bytes = textureBytes(floor.target.getTexture());
    for (int i = 0; i < catalogueSize; ++i)
        if (const sf::Sprite* sprite = catalogueSprite(i))
            if (sprite->getTexture())
                bytes += textureBytes(*sprite->getTexture());
    bytes += textureBytes(distortionTexture);
    bytes += textureBytes(renderTexture.getTexture());
    bytes += textureBytes(halfCanvas.getTexture());
    for (const sf::RenderTexture& small : blurTargets)
        bytes += textureBytes(small.getTexture());
    for (unsigned size : captionSizes)
        bytes += textureBytes(textFont.getTexture(size)) + textureBytes(boldFont.getTexture(size));
    return bytes;
}

// The pictures' PNG files decoded one after another, with no upload.
double decodePictures()
{
    Clock::time_point start = Clock::now();
    for (int i = 0; i < catalogueSize; ++i)
    {
        sf::Image image;
        image.loadFromFile(catalogueFile(i));
    }
    return millisecondsSince(start);
}

// One floor frame: cleared, drawn, presented and finished, in ms.
double floorFrame(sf::RenderWindow& window, const std::function<void()>& draw)
{
    Clock::time_point start = Clock::now();
    drainEvents(window);
    window.clear(sf::Color(0, 0, 0, 255));
    draw();
    finishFrame(window);
    return millisecondsSince(start);
}

// The median time of a floor frame, after a few frames to settle.
double measureFloor(sf::RenderWindow& window, long frames, const std::function<void()>& draw)
{
    std::vector<double> times;
    for (long frame = -floorWarmUpFrames; frame < frames; ++frame)
    {
        double ms = floorFrame(window, draw);
        if (frame >= 0)
            times.push_back(ms);
    }
    return medianOf(times);
}

// The first full-screen picture of the catalogue, for the copy floor.
int fullScreenPicture()
{
    for (int i = 0; i < catalogueSize; ++i)
    {
        const sf::Sprite* sprite = catalogueSprite(i);
        if (sprite && sprite->getTexture() &&
            sprite->getTexture()->getSize() == sf::Vector2u(screenWidth, screenHeight))
            return i;
    }
    return -1;
}

// Gives the floor the catalogue's first full-screen picture, once loaded;
// without one it copies only the target.
void chooseCopyPicture(CopyFloor& floor, BenchResults& results)
{
    int index = fullScreenPicture();
    if (index < 0)
        return;
    floor.picture.setTexture(*catalogueSprite(index)->getTexture(), true);
    results.copyPicture = catalogueFile(index);
}

void drawCopyFloor(sf::RenderWindow& window, CopyFloor& floor)
{
    floor.target.draw(floor.picture, sf::BlendNone);
    floor.target.display();
    window.draw(floor.shown, sf::BlendNone);
}

// Whether what the frame has drawn so far on the window, before it is
// presented, holds any pixel that is not black.
bool frameShowsAnything(const sf::RenderWindow& window, std::vector<std::uint8_t>& pixels)
{
    sf::Vector2u size = window.getSize();
    pixels.resize(size_t(size.x) * size.y * 4);
    glReadPixels(0, 0, GLsizei(size.x), GLsizei(size.y), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (size_t i = 0; i < pixels.size(); i += 4)
        if (pixels[i] | pixels[i + 1] | pixels[i + 2])
            return true;
    return false;
}

// A jump to the last scene as a demo maker makes one in the preview: the
// preview started anew at that scene, replaying the show up to it, and
// ending on the frame it lands on. Its own figure runs from its start to
// that frame; the wall time adds its exit.
void timeJump(const std::string& showDir, BenchResults& results)
{
    results.jumpScene = sceneCount - 1;
    std::string preview = besideThisProgram("ostralis-preview");
    if (preview.empty())
    {
        results.jumpNote = "no ostralis-preview beside the bench";
        return;
    }
    char logPath[] = "/tmp/ostralis-bench-jump-XXXXXX";
    int log = mkstemp(logPath);
    if (log < 0)
    {
        results.jumpNote = "no temporary file for the preview's messages";
        return;
    }
    close(log);
    Clock::time_point start = Clock::now();
    pid_t pid = spawnProgram({preview, "--show-dir", showDir, "--scene", std::to_string(results.jumpScene),
                              "--quit-after", "0"},
                             -1, logPath);
    bool ended = pid > 0 && waitSucceeded(pid);
    results.jumpWallSeconds = millisecondsSince(start) / 1000;
    std::ostringstream messages;
    messages << std::ifstream(logPath).rdbuf();
    unlink(logPath);

    // "at M:SS.hh (frame F, scene S) X.XX s after starting"
    std::string text = messages.str();
    std::smatch landed;
    if (!ended || !std::regex_search(text, landed, std::regex(R"(scene (\d+)\) ([0-9.]+) s after starting)")) ||
        std::stoi(landed[1]) != results.jumpScene)
    {
        // Its last line says why.
        std::string last = "no message";
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty())
                last = line;
        results.jumpNote = "the preview did not land: " + last;
        return;
    }
    results.jumpLandingSeconds = std::stod(landed[2]);
}

bool writeTextFile(const std::string& path, const std::string& text, std::string& error)
{
    PendingOutput output;
    if (!preparePendingOutput(output, path, error))
        return false;
    std::ofstream file(output.tempPath, std::ios::binary);
    file << text;
    file.close();
    if (!file)
    {
        discardOutput(output);
        error = "cannot write '" + path + "'";
        return false;
    }
    return commitOutput(output, error);
}
}

int main(int argc, char** argv)
{
    Options options;
    int optionsStatus = parseOptions(argc, argv, options);
    if (optionsStatus >= 0)
        return optionsStatus;
    std::string error;
    if (!options.json.empty())
        options.json = absolutePath(options.json);
    if (!options.plot.empty())
        options.plot = absolutePath(options.plot);
    std::string showDir = options.showDir.empty() ? defaultShowDir() : absolutePath(options.showDir);
    if (showDir.empty())
    {
        toolError(toolName, "no show directory beside the program: give --show-dir");
        return usageFailure;
    }
    if (!displayAvailable())
    {
        toolError(toolName, "no X display to open the show's window on: run it under Xvfb");
        return workFailure;
    }
    createGraphicsObjects();

    // Prove the outputs writable now rather than after the whole show.
    PendingOutput jsonProbe, plotProbe;
    if ((!options.json.empty() && !preparePendingOutput(jsonProbe, options.json, error)) ||
        (!options.plot.empty() && !preparePendingOutput(plotProbe, options.plot, error)))
    {
        discardOutput(jsonProbe);
        toolError(toolName, error);
        return usageFailure;
    }
    discardOutput(jsonProbe);
    discardOutput(plotProbe);
    if (!enterShowDir(showDir, error))
    {
        toolError(toolName, error);
        return usageFailure;
    }

    // The show's own lines go to standard error: standard output is the table's.
    std::streambuf* tableOut = std::cout.rdbuf(std::cerr.rdbuf());

    BenchResults results;
    results.fps = options.fps;
    const char* cacheSetting = std::getenv("MESA_SHADER_CACHE_DISABLE");
    results.shaderCacheDisabled = cacheSetting && std::string(cacheSetting) == "true";

    // The copy floor's target, made before the show's start-up is timed.
    CopyFloor copyFloor;
    if (!copyFloor.target.create(screenWidth, screenHeight))
    {
        std::cout.rdbuf(tableOut);
        toolError(toolName, "cannot create the copy floor's off-screen target");
        return workFailure;
    }
    copyFloor.shown.setTexture(copyFloor.target.getTexture(), true);

    // Start-up, step by step, in the player's order.
    Clock::time_point startupBegins = Clock::now();
    sf::RenderWindow window;
    timeStep(results, "window", [&] { openShowWindow(window); });
    Clock::time_point windowOpened = Clock::now();
    results.windowRssBytes = peakResidentBytes();
    // Frames are timed as fast as they go, not paced by the display.
    window.setVerticalSyncEnabled(false);
    results.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    // The player's own start-up, each step timed; its lines go to standard error.
    auto timedStep = [&](const char* name, const std::function<void()>& run) { timeStep(results, name, run); };
    if (!startShow(window, true, timedStep))
    {
        std::cout.rdbuf(tableOut);
        toolError(toolName, "the show could not start");
        return workFailure;
    }
    results.stepsBeforeFirstFrame = results.steps.size();

    chooseCopyPicture(copyFloor, results);
    auto drawCopy = [&] { drawCopyFloor(window, copyFloor); };

    // The show, frame by frame, as the player runs it at a steady rate, each
    // frame followed by a copy floor frame. Its opening is the player's: a
    // black frame first, then the show's first frame, then the warm-up.
    const float step = float(1.0 / options.fps);
    const long frameLimit = long(longestShowSeconds * options.fps);
    std::vector<std::vector<double>> sceneTimes(sceneCount);
    std::vector<std::vector<double>> sceneCopyTimes(sceneCount);
    // Each scene's first frame that shows anything, counted among its own.
    std::vector<long> sceneShownFrom(sceneCount, -1);
    std::vector<std::uint8_t> pixels;
    int sceneIndex = 0;
    long frame = 0;
    Progress progress;
    // One frame of the show, as the player draws it, timed: the scene it
    // showed and its time.
    auto benchFrame = [&] {
        Clock::time_point start = Clock::now();
        drainEvents(window);
        int shownScene = sceneIndex;
        sceneIndex = drawWindowFrame(window, sceneIndex, step);
        // Until the scene has shown something, its frames are looked at
        // before they are presented; the look is left out of their time.
        double lookMs = 0;
        if (sceneShownFrom[shownScene] < 0)
        {
            glFinish();
            Clock::time_point look = Clock::now();
            if (frameShowsAnything(window, pixels))
                sceneShownFrom[shownScene] = long(sceneTimes[shownScene].size());
            lookMs = millisecondsSince(look);
        }
        finishFrame(window);
        double ms = millisecondsSince(start) - lookMs;
        return std::pair<int, double>(shownScene, ms);
    };
    // The copy floor frame that follows each, and both times kept.
    auto recordFrame = [&](int shownScene, double ms) {
        double copyMs = floorFrame(window, drawCopy);
        sceneTimes[shownScene].push_back(ms);
        sceneCopyTimes[shownScene].push_back(copyMs);
        results.frameMs.push_back(ms);
        results.frameScene.push_back(shownScene);
        reportProgress(progress, double(frame + 1), "frame " + std::to_string(frame + 1) + ", scene " +
                                                        std::to_string(shownScene));
    };
    // The black frame is the first one shown: start-up ends with it. The
    // warm-up comes after the show's first frame, whose copy floor frame
    // waits until after it, as the player's next frame does.
    auto openingStep = [&](const char* name, const std::function<void()>& run) {
        if (std::string(name) != "black_frame")
            return timeStep(results, name, run);
        run();
        glFinish();
        results.firstFrameMs = millisecondsSince(startupBegins);
        results.windowToFirstFrameMs = millisecondsSince(windowOpened);
        startProgress(progress, std::string(toolName) + ": ", nominalShowSeconds * options.fps);
    };
    std::pair<int, double> first;
    playOpening(window, [&] {
        first = benchFrame();
        return true;
    }, openingStep);
    recordFrame(first.first, first.second);
    for (frame = 1; sceneIndex != showEndIndex; ++frame)
    {
        if (frame >= frameLimit)
        {
            std::cout.rdbuf(tableOut);
            toolError(toolName, "the show did not end within 30:00 of show time");
            return workFailure;
        }
        auto [shownScene, ms] = benchFrame();
        recordFrame(shownScene, ms);
    }
    // The show is timed; the floors that follow take a few seconds more.
    finishProgress(progress, "");
    for (int scene = 0; scene < sceneCount; ++scene)
        results.scenes.push_back(
            sceneFigures(scene, sceneTimes[scene], sceneCopyTimes[scene], sceneShownFrom[scene]));

    // The floors on their own, after the show, so that they warm up nothing
    // the show's first frames use.
    results.floorFrames = options.floorFrames;
    results.nullMs = measureFloor(window, options.floorFrames, [] {});
    results.copyMs = measureFloor(window, options.floorFrames, drawCopy);
    // The show's memory, before the decoding below holds every picture again.
    results.peakRssBytes = peakResidentBytes();
    results.textureBytes = residentTextureBytes(copyFloor);
    results.pictureDecodeMs = decodePictures();
    releaseShowGroups();
    timeJump(showDir, results);

    std::cout.rdbuf(tableOut);
    printBenchTable(results, std::cout);
    if (!options.json.empty() && !writeTextFile(options.json, benchJson(results), error))
    {
        toolError(toolName, error);
        return workFailure;
    }
    if (!options.plot.empty())
    {
        PendingOutput plot;
        if (!preparePendingOutput(plot, options.plot, error) || !writeFramePlot(results, plot.tempPath, options.plot, error) ||
            !commitOutput(plot, error))
        {
            discardOutput(plot);
            toolError(toolName, error);
            return workFailure;
        }
    }
    return 0;
}

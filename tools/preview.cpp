// ostralis-preview: the show with its music in a window of its own, and a
// transport to move about in it. A jump puts the show back as start-up left
// it and replays its logic from the start at the capture tool's fixed step,
// off screen and as fast as it goes, in the same window; the preview plays
// on from the frame the capture tool draws for that time, the music moved to
// the same point.
#include "tools/options.h"
#include "tools/tool_common.h"

#include "system/display.h"
#include "app/startup.h"
#include "assets/fonts.h"
#include "assets/graphics_objects.h"
#include "assets/letterbox.h"
#include "assets/render_target.h"
#include "assets/shaders.h"
#include "audio/audio.h"
#include "scenes/scene.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/System/Err.hpp>
#include <SFML/System/Sleep.hpp>
#include <SFML/Window/Event.hpp>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const char* toolName = "ostralis-preview";
const int workFailure = 1;

// The capture tool's step: a jump lands on the frame it draws for that time.
const int replayFps = 60;

// A show that never hands over to its end is stopped after this much show time.
const double longestShowSeconds = 30 * 60;

// While replaying, the window is looked after this often.
const double replayServiceSeconds = 0.25;

// The replay draws only its last few frames; before them the scenes run on
// a DiscardingTarget. The landing frame is the capture tool's to the pixel.
const long fullReplayFrames = 3;

struct Options
{
    double atSeconds = 0;
    int atScene = -1;  // land on this scene's first frame instead
    bool paused = false;
    bool loop = false;
    double quitAfter = -1;  // wall-clock seconds from landing before the preview ends by itself
    std::string screenshot;
    std::string showDir;
    std::string shaderDir;  // where R reads the shader files
};

// Where the preview stands: the scene, the frame, the show time, and when the music began.
struct Transport
{
    int scene = 0;
    long frame = -1;  // the last frame run, counted from the show's start
    double showSeconds = 0;  // when that frame is shown: frame k of the replay at k / 60 s
    double musicStartSeconds = -1;  // the show time of the frame that started the music
    int loopScene = -1;
    bool paused = false;
    double frameMs = 0;  // the last frame's time on the clock
    std::string shaderError;
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The show time as M:SS.hh, to the hundredth the status line and the landing line show.
std::string clockTextToHundredths(double seconds)
{
    char text[32];
    long hundredths = std::lround(std::max(seconds, 0.0) * 100);
    std::snprintf(text, sizeof text, "%ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
    return text;
}

int parseOptions(int argc, char** argv, Options& options)
{
    CLI::App app("The show with its music in a resizable window, with a transport:\n"
                 "  Space pause and play; Left and Right one second back and forth (with Shift a tenth);\n"
                 "  Page Up and Page Down the previous and next scene's start; Home the start;\n"
                 "  L loop the current scene; R reload the shader files; Escape end.",
                 toolName);
    describeTool(app);
    app.add_option("--at", options.atSeconds, "start at this show time, in seconds")
        ->check(numberRange(0.0, longestShowSeconds));
    app.add_option("--scene", options.atScene, "start at this scene's first frame (0 to 11)")
        ->check(CLI::Range(0, sceneCount - 1))
        ->excludes("--at");
    app.add_flag("--paused", options.paused, "start paused")->disable_flag_override();
    app.add_flag("--loop", options.loop, "loop the scene it starts in")->disable_flag_override();
    app.add_option("--quit-after", options.quitAfter,
                   "end by itself this many seconds after landing, paused or not, jumps and loops included")
        ->check(numberRange(0.0, longestShowSeconds));
    app.add_option("--screenshot", options.screenshot, "write the first frame shown to FILE.png and end")
        ->check(nonEmpty("FILE"));
    app.add_option("--shader-dir", options.shaderDir,
                   "read the shader files from DIR when R reloads them (from a build tree: the sources)")
        ->check(CLI::ExistingDirectory);
    addShowDirOption(app, options.showDir);
    int status = readOptions(app, argc, argv);
    if (status >= 0)
        return status;
    if (!options.screenshot.empty() && !endsWith(options.screenshot, ".png"))
    {
        toolError(toolName, "--screenshot writes a PNG: give a file name ending in .png");
        return optionsMistakeExit;
    }
    return -1;
}

// The status line at the foot of the window, and a shader's error above it.
void drawStatus(sf::RenderWindow& window, const Transport& transport)
{
    char line[160];
    std::snprintf(line, sizeof line, "%s   scene %d   frame %ld   %.1f ms%s%s", clockTextToHundredths(transport.showSeconds).c_str(),
                  std::min(transport.scene, sceneCount - 1), transport.frame, transport.frameMs,
                  transport.paused ? "   paused" : "", transport.loopScene >= 0 ? "   loop" : "");
    sf::Vector2f size(window.getSize());
    sf::RectangleShape band(sf::Vector2f(size.x, 28));
    band.setPosition(0, size.y - 28);
    band.setFillColor(sf::Color(0, 0, 0, 170));
    window.draw(band);
    sf::Text text(line, textFont, 18);
    text.setFillColor(sf::Color::White);
    text.setPosition(8, size.y - 26);
    window.draw(text);
    if (transport.shaderError.empty())
        return;
    sf::Text error(transport.shaderError, textFont, 16);
    error.setFillColor(sf::Color(255, 110, 110));
    error.setOutlineColor(sf::Color::Black);
    error.setOutlineThickness(1);
    error.setPosition(8, size.y - 32 - error.getLocalBounds().height - 8);
    window.draw(error);
}

// One frame of the show on a target, as the capture tool runs it.
void runFrame(sf::RenderTarget& target, Transport& transport, float delta)
{
    int requests = musicStreamRequests();
    transport.scene = drawShowFrame(target, transport.scene, delta);
    // The first frame is shown at 0 s, each later one a step after the last.
    if (transport.frame++ >= 0)
        transport.showSeconds += delta;
    if (transport.musicStartSeconds < 0 && musicStreamRequests() != requests)
        transport.musicStartSeconds = transport.showSeconds;
}

// The shaders as their files now read: each pair is compiled apart first,
// and only when all of them compile are the show's own reloaded. Otherwise
// every shader keeps its last good build, and the compiler's words are kept.
void reloadShaders(const std::string& shaderDir, const std::string& showDir, std::string& error)
{
    const char* pairs[][2] = {{"heat_shader.vs.txt", "heat_shader.fs.txt"},
                              {"vertex_shader.vs.txt", "blur_shader.fs.txt"},
                              {"vertex_shader.vs.txt", "ripple_shader.fs.txt"},
                              {"vertex_shader.vs.txt", "shockwave_shader.fs.txt"},
                              {"vertex_shader.vs.txt", "pixelation_shader.fs.txt"}};
    std::ostringstream messages;
    std::streambuf* kept = sf::err().rdbuf(messages.rdbuf());
    std::string failed;
    // The show reads its files by bare name from the show folder; the shaders
    // are read from their own folder for a moment and the show folder restored.
    bool elsewhere = shaderDir != showDir && chdir(shaderDir.c_str()) == 0;
    for (auto& pair : pairs)
    {
        sf::Shader trial;
        if (!loadShaderFiles(trial, pair[0], pair[1]))
            failed += std::string(failed.empty() ? "" : ", ") + pair[1];
    }
    if (failed.empty())
        loadShaders();
    if (elsewhere && chdir(showDir.c_str()) != 0)
        messages << "cannot go back to the show folder '" << showDir << "'\n";
    sf::err().rdbuf(kept);
    if (failed.empty())
    {
        error.clear();
        std::cerr << toolName << ": shaders reloaded" << std::endl;
        return;
    }
    // The compiler's lines, without empty ones, for the screen.
    std::string lines;
    std::istringstream read(messages.str());
    for (std::string line; std::getline(read, line);)
        if (!line.empty())
            lines += line + "\n";
    error = "kept the last good shaders: " + failed + " did not compile\n" + lines;
    std::cerr << toolName << ": " << error << std::flush;
}

// Where R reads the shaders: the folder given, or the sources when the show
// folder is this build tree's own, or else the show folder itself.
std::string shaderFolder(const Options& options, const std::string& showDir)
{
    if (!options.shaderDir.empty())
        return absolutePath(options.shaderDir);
    std::error_code error;
    if (std::filesystem::equivalent(showDir, BUILD_SHOW_DIR, error) &&
        std::filesystem::is_directory(SHADER_SOURCE_DIR, error))
        return SHADER_SOURCE_DIR;
    return showDir;
}

// Where a jump lands: a show time, or a scene's first frame.
struct Landing
{
    double seconds = 0;
    int scene = -1;  // this scene's first frame instead, when 0 or more
};

// Runs the show from its start to the landing at the capture tool's step,
// off screen, and draws the landing frame on the target; the music stays
// silent until it has been moved to the landing. Only the last few frames
// are drawn. False when the window was closed or Escape pressed meanwhile.
bool replayTo(sf::RenderWindow& window, sf::RenderTexture& target, Transport& transport, const Landing& landing)
{
    transport.scene = 0;
    transport.frame = -1;
    transport.showSeconds = 0;
    transport.musicStartSeconds = -1;
    holdMusicStreams();
    DiscardingTarget discarding;
    const float step = 1.0f / replayFps;
    const long landingFrame = landing.scene >= 0 ? -1 : long(std::ceil(landing.seconds * replayFps - 1e-6));
    Clock::time_point serviced = Clock::now();
    for (;;)
    {
        if (landing.scene >= 0 ? transport.scene >= landing.scene : transport.frame + 1 >= landingFrame)
            break;
        if (transport.scene == showEndIndex || transport.frame >= long(longestShowSeconds * replayFps))
            break;
        // A scene's start is found only on reaching it: its first frame is its own.
        const bool farFromLanding = landing.scene >= 0 || landingFrame - transport.frame > fullReplayFrames;
        target.setActive(true);
        limitDrawing(farFromLanding);
        if (farFromLanding)
            runFrame(discarding, transport, step);
        else
        {
            runFrame(target, transport, step);
            target.display();
        }
        target.setActive(true);
        limitDrawing(false);
        if (secondsSince(serviced) >= replayServiceSeconds)
        {
            // Keep the window served and say where the replay is.
            serviced = Clock::now();
            sf::Event event;
            while (window.pollEvent(event))
                if (event.type == sf::Event::Closed ||
                    (event.type == sf::Event::KeyPressed && event.key.code == sf::Keyboard::Escape))
                    return false;
            window.clear();
            drawStatus(window, transport);
            window.display();
        }
    }
    // The landing frame itself, at the same step.
    runFrame(target, transport, step);
    target.display();
    if (transport.musicStartSeconds >= 0)
        seekMusicStreams(float(transport.showSeconds - transport.musicStartSeconds));
    pauseMusicStreams(transport.paused);
    return true;
}

// Says where the preview landed, and how long after `since` (its start, or the jump's key).
void reportLanding(const Transport& transport, Clock::time_point since)
{
    char landed[160];
    std::snprintf(landed, sizeof landed, "%s: at %s (frame %ld, scene %d) %.2f s after starting", toolName,
                  clockTextToHundredths(transport.showSeconds).c_str(), transport.frame,
                  std::min(transport.scene, sceneCount - 1), secondsSince(since));
    std::cerr << landed << std::endl;
}

// Writes the frame on the off-screen target as an opaque PNG, under a
// temporary name renamed into place once the whole file is on the disk.
bool saveScreenshot(const sf::RenderTexture& target, const std::string& path, std::string& error)
{
    PendingOutput output;
    if (!preparePendingOutput(output, path, error))
        return false;
    if (!writeOpaquePng(target.getTexture().copyToImage(), output.tempPath, path, error))
    {
        discardOutput(output);
        return false;
    }
    return commitOutput(output, error);
}
}

int main(int argc, char** argv)
{
    const Clock::time_point started = Clock::now();
    Options options;
    int optionsStatus = parseOptions(argc, argv, options);
    if (optionsStatus >= 0)
        return optionsStatus;
    if (!options.screenshot.empty())
    {
        // A screenshot that cannot be written is a mistake in the command
        // line: say so before opening a window and replaying.
        options.screenshot = absolutePath(options.screenshot);
        PendingOutput probe;
        std::string probeError;
        if (!preparePendingOutput(probe, options.screenshot, probeError))
        {
            toolError(toolName, probeError);
            return optionsMistakeExit;
        }
        discardOutput(probe);
    }
    std::string showDir = options.showDir.empty() ? defaultShowDir() : absolutePath(options.showDir);
    if (showDir.empty())
    {
        toolError(toolName, "no show directory beside the program: give --show-dir");
        return optionsMistakeExit;
    }
    const std::string shaderDir = shaderFolder(options, showDir);
    if (!displayAvailable())
    {
        toolError(toolName, "no X display to open the preview's window on");
        return workFailure;
    }
    createGraphicsObjects();
    std::string error;
    if (!enterShowDir(showDir, error))
    {
        toolError(toolName, error);
        return optionsMistakeExit;
    }

    // A window of the show's size that may be resized; the show is drawn off
    // screen, as the capture tool draws it, and shown scaled to fit between
    // black bars, as the player shows it on a screen of another size.
    sf::RenderWindow window(sf::VideoMode(screenWidth, screenHeight), "Ostralis preview", sf::Style::Default);
    window.setVerticalSyncEnabled(true);
    sf::RenderTexture target;
    if (!target.create(screenWidth, screenHeight, sf::ContextSettings(0, 0, 4)))
    {
        toolError(toolName, "cannot create the 1280 x 720 off-screen target");
        return workFailure;
    }
    target.setSmooth(true);
    if (!startShow(target, true))
    {
        toolError(toolName, "the show could not start");
        return workFailure;
    }

    // The fonts' pages hold every glyph before the replay cuts its draws down.
    target.setActive(true);
    playOffScreenOpening(target);

    Transport transport;
    transport.paused = options.paused;
    Landing landing;
    landing.seconds = options.atSeconds;
    landing.scene = options.atScene;
    if (!replayTo(window, target, transport, landing))
    {
        releaseShowGroups();
        return 0;
    }
    if (options.loop)
        transport.loopScene = std::min(transport.scene, sceneCount - 1);
    // The limit runs in wall time from the first landing, through every jump and loop.
    const Clock::time_point landedAt = Clock::now();
    reportLanding(transport, started);
    if (!options.screenshot.empty())
    {
        if (!saveScreenshot(target, options.screenshot, error))
        {
            toolError(toolName, error);
            return workFailure;
        }
        return 0;
    }

    // Play on at the clock's pace, as the player does, until Escape.
    int sceneShown = transport.scene;
    sf::Clock frameClock;
    for (bool first = true; window.isOpen(); first = false)
    {
        // The keys: a jump replays the show to its target.
        double jumpSeconds = -1;
        int jumpScene = -1;
        bool loop = transport.loopScene >= 0;
        sf::Event event;
        while (window.pollEvent(event))
        {
            if (event.type == sf::Event::Closed)
                window.close();
            if (event.type != sf::Event::KeyPressed)
                continue;
            double stepBy = event.key.shift ? 0.1 : 1.0;
            double from = jumpSeconds >= 0 ? jumpSeconds : transport.showSeconds;
            switch (event.key.code)
            {
            case sf::Keyboard::Escape:
                window.close();
                break;
            case sf::Keyboard::Space:
                transport.paused = !transport.paused;
                pauseMusicStreams(transport.paused);
                break;
            case sf::Keyboard::Left:
                jumpSeconds = std::max(from - stepBy, 0.0);
                jumpScene = -1;
                break;
            case sf::Keyboard::Right:
                jumpSeconds = from + stepBy;
                jumpScene = -1;
                break;
            case sf::Keyboard::PageUp:
                jumpScene = std::max((jumpScene >= 0 ? jumpScene : std::min(sceneShown, sceneCount - 1)) - 1, 0);
                break;
            case sf::Keyboard::PageDown:
                jumpScene = std::min((jumpScene >= 0 ? jumpScene : std::min(sceneShown, sceneCount - 1)) + 1, sceneCount - 1);
                break;
            case sf::Keyboard::Home:
                jumpScene = 0;
                break;
            case sf::Keyboard::L:
                transport.loopScene = transport.loopScene >= 0 ? -1 : std::min(sceneShown, sceneCount - 1);
                loop = transport.loopScene >= 0;
                break;
            case sf::Keyboard::R:
                reloadShaders(shaderDir, showDir, transport.shaderError);
                break;
            default:
                break;
            }
        }
        if (!window.isOpen())
            break;

        // The next frame of the show, unless paused or the show has ended;
        // a looped scene that has handed over goes back to its start.
        double delta = frameClock.restart().asSeconds();
        if (jumpScene < 0 && jumpSeconds < 0 && !first && !transport.paused && transport.scene != showEndIndex)
        {
            sceneShown = transport.scene;
            runFrame(target, transport, float(delta));
            target.display();
            transport.frameMs = delta * 1000;
            if (transport.loopScene >= 0 && transport.scene != transport.loopScene)
            {
                std::cerr << toolName << ": looping scene " << transport.loopScene << std::endl;
                jumpScene = transport.loopScene;
            }
            else if (transport.scene != showEndIndex)
                sceneShown = transport.scene;
        }
        if (jumpScene >= 0 || jumpSeconds >= 0)
        {
            // Back to the state start-up left, and replayed to the target in this window.
            const Clock::time_point jumped = Clock::now();
            rewindShow();
            Landing to;
            to.seconds = jumpSeconds;
            to.scene = jumpScene;
            if (!replayTo(window, target, transport, to))
                break;
            transport.loopScene = loop ? std::min(transport.scene, sceneCount - 1) : -1;
            sceneShown = transport.scene;
            reportLanding(transport, jumped);
            frameClock.restart();
        }
        // Wall time, so that an ended or paused show still ends.
        if (options.quitAfter >= 0 && secondsSince(landedAt) >= options.quitAfter)
            break;

        if (transport.paused)
            sf::sleep(sf::milliseconds(10));
        drawLetterboxed(window, target.getTexture());
        drawStatus(window, transport);
        window.display();
    }
    releaseShowGroups();
    return 0;
}

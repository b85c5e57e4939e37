#pragma once
// What the reliability tests share: the show's files by kind, the real
// player and the capture tool run on a show folder, a private X display for
// tests that press keys, and a clock that runs faster for tests that need
// late scenes of the player.
#include "support/show_test.h"

#include <string>
#include <vector>

const std::string capturePath = BUILD_DIR "/ostralis-capture";
const std::string clockScalePath = BUILD_DIR "/tests/libclock-scale.so";

// Every file the player reads, by kind.
extern const std::vector<std::string> pictureFiles;  // the 28 of the catalogue, then "heatmap.png"
extern const std::vector<std::string> fontFiles;     // regular, then bold
extern const std::vector<std::string> shaderFiles;   // the two vertex and five fragment programs
extern const std::string musicFile;

// The lines the scenes write when first entered, in show order.
extern const std::vector<std::string> sceneLoadedLines;

// The start-up lines of a run whose picture and font lines are given (they
// come right after "created render window").
std::vector<std::string> startupWith(const std::vector<std::string>& loadLines = {});

// A run's standard output, split: the start-up part (up to "Playing SYNC
// module"), the scene lines, the numbers scene 8 prints, and the rest.
struct ShowOutput
{
    std::vector<std::string> startup;
    std::vector<std::string> scenes;
    std::vector<std::string> numbers;
    std::vector<std::string> other;
};
ShowOutput splitShowOutput(const std::string& out);

// Runs the capture tool on a show folder from start to end at a fixed step.
// GL drawing is dropped (Mesa's no-op driver) unless drawn is true: the
// show's own code runs in full, only the pixels are not made.
ProcessResult runCapture(const std::string& showDir, int fps, bool timeline = false, bool drawn = false);

// Lines of standard error that are not the capture tool's own progress lines.
std::vector<std::string> foreignErrorLines(const std::string& err);

// A virtual X display of the show's size (or of the given screen, "WxHxD")
// for one test alone, so that keys it presses reach no other test's window;
// DISPLAY points at it while it lives.
struct PrivateDisplay
{
    explicit PrivateDisplay(const std::string& screen = "1280x720x24");
    ~PrivateDisplay();
    int serverPid = -1;
    std::string name;
};

// The player started on a show folder, its standard output read as it comes.
// clockScale > 1 preloads the library that speeds SFML's clock up. Unless
// drawn is true, GL drawing is dropped as in runCapture: frames then take
// a millisecond, so that even a sped-up clock advances in small steps.
struct WatchedPlayer
{
    RunningProcess process;
    std::string out;
};
WatchedPlayer startPlayer(const std::string& showDir = SHOW_DIR, double clockScale = 1.0,
                          const std::map<std::string, std::string>& env = {}, bool drawn = false);

// Reads the player's standard output until a line equal to line has come
// (true), or the player ended or timeoutSeconds passed (false).
bool waitForLine(WatchedPlayer& player, const std::string& line, double timeoutSeconds = 120.0);

// Waits until the player ends, and returns all it wrote.
ProcessResult finishPlayer(WatchedPlayer& player, double timeoutSeconds = 120.0);

// Standard error without the one line Xvfb's GL always makes SFML write (it
// cannot switch vertical sync on there): what is left came from the show.
std::vector<std::string> errorLinesOfTheShow(const std::string& err);

// The scene lines a run printed up to and including the given one.
std::vector<std::string> sceneLinesThrough(const std::string& lastLine);

// A show copy (see makeShowCopy) that is removed again when the test ends.
struct ShowCopy
{
    ShowCopy();
    ~ShowCopy();
    std::string path;
};

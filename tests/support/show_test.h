#pragma once
// What the tests share: the show's data loaded in-process, an off-screen
// target to draw scenes into, and a way to run the real programs.
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <map>
#include <string>
#include <vector>

// Moves into the show directory and loads everything the player loads at
// start-up (pictures, distortion map, off-screen target, fonts, shaders).
// Runs once per process; later calls do nothing.
void loadShowForTest();

// A 1280 x 720 off-screen target standing in for the window.
sf::RenderTexture& testTarget();

// Runs one frame of scene sceneIndex with the given frameDelta on a target,
// as the frame loop does (clear to opaque black, dispatch, present), and
// returns the next index.
int runFrameOn(sf::RenderTexture& target, int sceneIndex, float delta);

// Runs scene sceneIndex on a target at a fixed step until it hands over;
// returns the number of frames it took (the frame that hands over included),
// or -1 when it has not handed over after maxFrames.
int runSceneToEndOn(sf::RenderTexture& target, int sceneIndex, float delta, int maxFrames);

// The same on the test target.
int runTestFrame(int sceneIndex, float delta);
int runSceneToEnd(int sceneIndex, float delta, int maxFrames = 100000);

// The test target's current picture.
sf::Image testFrame();

// The environment under which a program plays the show without drawing it,
// for tests that look only at its output, timing or files: Mesa's no-op
// driver, unthreaded. Threaded, that driver takes the vertex arrays an
// off-screen target draws from for buffers of its own and writes into the
// memory just past the target.
void addUndrawnDriver(std::map<std::string, std::string>& env);
std::map<std::string, std::string> undrawnDriver();

struct ProcessResult
{
    int exitCode = -1;     // the exit status, or 128 + signal
    bool timedOut = false;
    std::string out;       // standard output
    std::string err;       // standard error
};

// Runs a program with extra environment variables (an empty value removes
// the variable) in a working directory, killing it after timeoutSeconds.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& workingDir = SHOW_DIR,
                         double timeoutSeconds = 120.0);

// A program started in the background, for tests that act on it while it runs.
struct RunningProcess
{
    int pid = -1;
    int outFd = -1, errFd = -1;
};

RunningProcess startProcess(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env = {},
                            const std::string& workingDir = SHOW_DIR);

// Collects a started program's output until it ends, killing it after
// timeoutSeconds.
ProcessResult finishProcess(RunningProcess& process, double timeoutSeconds = 120.0);

// A fresh folder holding links to every file of the show directory, in
// which a test may remove or replace files without touching the real one.
std::string makeShowCopy();

// Replaces a file of a show copy with the given bytes (or removes it).
void writeShowFile(const std::string& showCopy, const std::string& name, const std::string& bytes);
void removeShowFile(const std::string& showCopy, const std::string& name);

// Splits text into lines (without their line ends).
std::vector<std::string> splitLines(const std::string& text);

// The mean colour of a rectangle of an image.
sf::Color meanColor(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height);

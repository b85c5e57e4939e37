#pragma once
// The player's start-up and frame loop, in steps that the capture tool and
// the bench can also run one by one.
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Clock.hpp>
#include <functional>
#include <string>
#include <vector>

// The names of the files the show reads from the working folder.
std::vector<std::string> showFiles();

// Counts the show's files missing in the working folder; when any is, writes
// one line on standard error naming the folder (its absolute path), the count
// and where the files are expected. Returns the count.
int reportMissingShowFiles();

// Opens the show's window: 1280 x 720 full screen, vertical sync on, no cursor.
void openShowWindow(sf::RenderWindow& window);


// Checks for shader support and loads the shaders (steps 9 and 10). Writes
// the fatal message and returns false when the show cannot go on.
bool loadShowShaders();

// How the player and the tools run a named step of start-up or of the
// opening: the player just runs it, the bench times it. Empty: just run.
using ShowStep = std::function<void(const char* name, const std::function<void()>& run)>;

// Runs a step through step, or itself when step is empty.
void runShowStep(const ShowStep& step, const char* name, const std::function<void()>& run);

// Loads the pictures, the distortion map, the off-screen target and the
// fonts, as the steps "pictures", "distortion", "render_target" and "fonts".
// Only the lines of failing files are written.
void loadShowData(const ShowStep& step = {});

// Start-up once the show's target is made (the player's window, a tool's
// off-screen target), in the player's order and with its lines: the steps
// "pictures", "distortion", "render_target", "fonts", "shaders" and, with
// audio, "audio" run through step; then the target is made active and the
// frame clock restarted. Without audio (the capture puts the music in its
// video) the audio output stays closed and its line is still written.
// False, after the fatal message, when the shaders cannot be had.
bool startShow(sf::RenderTarget& target, bool audio, const ShowStep& step = {});

// The show's first frames on its window, in the player's order: a black
// frame shown at once ("black_frame"); the show's first frame, which
// firstFrame runs, saying whether the show goes on; then, unless it does
// not, the warm-up ("warm_up") in the black opening that follows. The
// quotation's first frame, drawn under its black overlay, costs the
// driver's first build of several states, so it comes before the warm-up,
// and the black frame before it; the warm-up's time goes into the next
// frame's step, which the black opening takes up. The named steps run
// through step.
void playOpening(sf::RenderWindow& window, const std::function<bool()>& firstFrame, const ShowStep& step = {});

// One frame of the show on a target: frameDelta set to delta, the target
// cleared to opaque black, the scene sceneIndex run on it (nothing at the
// end index). Returns the scene index for the next frame.
int drawShowFrame(sf::RenderTarget& target, int sceneIndex, float delta);

// One frame of the show on its window, as the player draws it: drawn on the
// window, or on the frame scaled to fit it, and that frame then put on the
// window between black bars (see scaled_frame.h); not yet displayed.
int drawWindowFrame(sf::RenderWindow& window, int sceneIndex, float delta);

// The opening of a show drawn off screen (the capture, the preview), which
// has no black frame to show and no window to warm: every glyph goes into
// the fonts' pages before the first frame, since a page that grows copies
// its glyphs over, and not in a frame whose draws are cut. The target is
// left black.
void playOffScreenOpening(sf::RenderTarget& target);

// Draws everything the scenes will draw once, out of sight, so that no
// scene's first frame stalls. The player runs it after its first, black
// frame, in the show's black opening. The window is left black, shown once.
void warmUpShow(sf::RenderWindow& window);

// Draws every character the show writes, at every size it writes them, in
// both fonts, so that their glyphs are in the fonts' pages before a frame
// needs them. The target is left as it was only where nothing is drawn.
void warmUpGlyphs(sf::RenderTarget& target);

// Releases the records of both tween groups (the first step of shutdown).
void releaseShowGroups();

// Puts the show back as start-up left it, for running it again from its
// start in the same process (the preview's jumps; the player never does):
// every scene's state, the effect clock, the tween groups, the catalogue's
// sprites, the shared text, the blur's radius and the C library's generator
// (unseeded, as srand(1) leaves it); every music stream is closed.
void rewindShow();

// The clock the frame loop takes each frame's time step from.
extern sf::Clock frameClock;

// One frame of the player's loop: takes the time step from frameClock,
// drains the window's events (Escape held while an event is taken, or an
// Escape key press event, sets quitRequested; it and a close request close
// the window),
// clears to black, runs the scene sceneIndex, or at the end index sets
// quitRequested and draws nothing, and presents. Returns the scene index for
// the next frame.
int playFrame(sf::RenderWindow& window, int sceneIndex, bool& quitRequested);

// The whole life of the player: start-up, frame loop, shutdown. Returns the
// exit code, 0 after a normal end, -1 after a fatal start-up failure.
int playShow();

#pragma once
// The player's start-up and frame loop, in steps that the capture tool and
// the bench can also run one by one.
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Clock.hpp>
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

// Loads the pictures, the distortion map, the off-screen target and the fonts
// (start-up steps 4 to 8). Only the lines of failing files are written.
void loadShowData();

// Checks for shader support and loads the shaders (steps 9 and 10). Writes
// the fatal message and returns false when the show cannot go on.
bool loadShowShaders();

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

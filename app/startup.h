#pragma once
// The player's start-up and frame loop, in steps that the capture tool and
// the bench can also run one by one.
#include <SFML/Graphics/RenderWindow.hpp>

// Opens the show's window: 1280 x 720 full screen, vertical sync on, no cursor.
void openShowWindow(sf::RenderWindow& window);

// Loads the pictures, the distortion map, the off-screen target and the fonts
// (start-up steps 4 to 8). Only the lines of failing files are written.
void loadShowData();

// Checks for shader support and loads the shaders (steps 9 and 10). Writes
// the fatal message and returns false when the show cannot go on.
bool loadShowShaders();

// Draws everything the scenes will draw once, out of sight, so that no
// scene's first frame stalls (steps between start-up and the clock). The
// window is left black, shown once.
void warmUpShow(sf::RenderWindow& window);

// Releases the records of both tween groups (the first step of shutdown).
void releaseShowGroups();

// The whole life of the player: start-up, frame loop, shutdown. Returns the
// exit code, 0 after a normal end, -1 after a fatal start-up failure.
int playShow();

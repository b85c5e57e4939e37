#pragma once
// Whether an X display can be reached. Kept apart from SFML's headers:
// Xlib's macros (None, Status, ...) break them when both are included.

// True when XOpenDisplay succeeds with the environment's DISPLAY. Called
// before any other X or GL use: it first makes Xlib safe for threads.
bool displayAvailable();

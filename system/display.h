#pragma once
// Whether the system has a display the show's window can open on. Kept
// apart from SFML's headers: Xlib's macros (None, Status, ...) break them
// when both are included.

// True when a window can be opened: on X11, when XOpenDisplay succeeds with
// the environment's DISPLAY; on Windows, always (the desktop is there).
// Called before any other X or GL use: on X11 it first makes Xlib safe for
// threads.
bool displayAvailable();

// The one line to print when there is none.
const char* missingDisplayMessage();

#pragma once
// The console the player writes its lines to.

// Called as the player ends with a failure. Where the player has a console
// window of its own (double-clicked, not started from a console) and its
// standard input is that console, writes "press a key to close" and waits
// for a key, so that the viewer can read the lines before the window goes.
// Anywhere else, and on systems whose consoles outlive the program, it
// returns at once.
void holdConsoleAfterFailure();

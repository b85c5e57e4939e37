#pragma once
// Driving the real player from a test: finding its window, pressing Escape
// and asking the window to close, as a viewer and a window manager would.
#include <string>

// The player binary and the window-closing helper, in the build directory.
const std::string playerPath = BUILD_DIR "/ostralis";
const std::string closeRequestPath = BUILD_DIR "/tests/close-request";

// Waits until a window titled "Ostralis" exists; returns its id ("" if none
// appeared within timeoutSeconds).
std::string waitForShowWindow(double timeoutSeconds = 60.0);

struct RunningProcess;

// Holds Escape down until the program has ended (or timeoutSeconds passed):
// the player looks at the key only while it takes an event, and a frame may
// take long on a loaded machine.
void holdEscapeUntilExit(const RunningProcess& process, double timeoutSeconds = 30.0);

// Whether a started program has ended (it can still be collected).
bool processEnded(const RunningProcess& process);

// Sends WM_DELETE_WINDOW to the window.
void sendCloseRequest(const std::string& windowId);

// The lines a normal start-up prints, in order.
extern const char* const startupLines[7];

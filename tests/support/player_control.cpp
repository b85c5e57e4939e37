// Driving the real player with xdotool and our close-request helper.
#include "support/player_control.h"
#include "support/show_test.h"

#include <chrono>
#include <thread>

const char* const startupLines[7] = {
    "created render window", "", "generic data loaded", "BASS loaded",
    "Window is active for OpenGL rendering", "Clock restarted", "Playing SYNC module",
};

std::string waitForShowWindow(double timeoutSeconds)
{
    ProcessResult found = runProcess({"xdotool", "search", "--sync", "--name", "^Ostralis$"}, {}, "/", timeoutSeconds);
    std::vector<std::string> ids = splitLines(found.out);
    return ids.empty() ? "" : ids.front();
}

void pressEscape()
{
    // A plain "xdotool key" releases too fast for the keyboard state to see.
    runProcess({"xdotool", "keydown", "Escape"}, {}, "/", 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    runProcess({"xdotool", "keyup", "Escape"}, {}, "/", 10);
}

void sendCloseRequest(const std::string& windowId)
{
    runProcess({closeRequestPath, windowId}, {}, "/", 10);
}

// Driving the real player with xdotool and our close-request helper.
#include "support/player_control.h"
#include "support/show_test.h"

#include <sys/wait.h>

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

bool processEnded(const RunningProcess& process)
{
    siginfo_t info = {};
    return waitid(P_PID, static_cast<id_t>(process.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == process.pid;
}

void holdEscapeUntilExit(const RunningProcess& process, double timeoutSeconds)
{
    // A plain "xdotool key" releases too fast for the keyboard state to see.
    runProcess({"xdotool", "keydown", "Escape"}, {}, "/", 10);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!processEnded(process) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    runProcess({"xdotool", "keyup", "Escape"}, {}, "/", 10);
}

void sendCloseRequest(const std::string& windowId)
{
    runProcess({closeRequestPath, windowId}, {}, "/", 10);
}

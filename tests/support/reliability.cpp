// Shared support of the reliability tests.
#include "support/reliability.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

const std::vector<std::string> pictureFiles = {
    "black.png", "white.png", "title1.png", "title2.png", "title3.png", "ostralis.png", "credz.png",
    "S1-1.png", "S1-2.png", "S2-1.png", "S2-2.png", "S3-1.png", "S3-2.png", "S3-22.png", "S3-23.png",
    "S3-3.png", "S4-1.png", "S4-4.png", "S4-21.png", "S4-22.png", "S4-23.png", "S5-1.png", "S5-2.png",
    "SF1.png", "SF2.png", "SF3.png", "pencilsprite.png", "glint.png", "heatmap.png",
};
const std::vector<std::string> fontFiles = {"KGYouWontBringMeDown.ttf", "KGYouWontBringMeDownBold.ttf"};
const std::vector<std::string> shaderFiles = {
    "heat_shader.vs.txt", "heat_shader.fs.txt", "vertex_shader.vs.txt", "blur_shader.fs.txt",
    "ripple_shader.fs.txt", "shockwave_shader.fs.txt", "pixelation_shader.fs.txt",
};
const std::string musicFile = "angel6.mp3";

const std::vector<std::string> sceneLoadedLines = {
    "scene 01 loaded", "scene 02 loaded", "scene 03 loaded", "scene 04 loaded",
    "scene 5 loaded",  "scene 7 loaded",  "scene 09 loaded", "scene 10 loaded",
};

namespace
{
const char* const startupTail[] = {
    "", "generic data loaded", "BASS loaded", "Window is active for OpenGL rendering",
    "Clock restarted", "Playing SYNC module",
};

bool isNumber(const std::string& line)
{
    if (line.empty())
        return false;
    char* end = nullptr;
    std::strtod(line.c_str(), &end);
    return end && *end == '\0';
}
}

std::vector<std::string> startupWith(const std::vector<std::string>& loadLines)
{
    std::vector<std::string> lines = {"created render window"};
    lines.insert(lines.end(), loadLines.begin(), loadLines.end());
    lines.insert(lines.end(), std::begin(startupTail), std::end(startupTail));
    return lines;
}

ShowOutput splitShowOutput(const std::string& out)
{
    ShowOutput split;
    bool started = false;
    for (const std::string& line : splitLines(out))
    {
        if (!started)
        {
            split.startup.push_back(line);
            started = line == "Playing SYNC module";
        }
        else if (line.rfind("scene ", 0) == 0 && line.size() > 7 && line.compare(line.size() - 7, 7, " loaded") == 0)
            split.scenes.push_back(line);
        else if (isNumber(line))
            split.numbers.push_back(line);
        else
            split.other.push_back(line);
    }
    return split;
}

ProcessResult runCapture(const std::string& showDir, int fps, bool timeline, bool drawn)
{
    std::vector<std::string> argv = {capturePath, "--fps", std::to_string(fps), "--show-dir", showDir};
    if (timeline)
        argv.push_back("--timeline");
    std::map<std::string, std::string> env;
    if (!drawn)
        addUndrawnDriver(env);
    return runProcess(argv, env, "/tmp", 600);
}

std::vector<std::string> foreignErrorLines(const std::string& err)
{
    std::vector<std::string> foreign;
    for (const std::string& line : errorLinesOfTheShow(err))
        if (line.rfind("ostralis-capture: ", 0) != 0)
            foreign.push_back(line);
    return foreign;
}

namespace
{
// Starts Xvfb on a display number of its own choice; returns the number
// ("" if it did not come up). Its output goes nowhere: a closed pipe would
// end it at its first warning.
std::string startVirtualServer(int& serverPid, const std::string& screen)
{
    int numberPipe[2];
    if (pipe(numberPipe) != 0)
        throw std::runtime_error("pipe failed");
    serverPid = fork();
    if (serverPid == 0)
    {
        setpgid(0, 0);
        int nowhere = open("/dev/null", O_RDWR);
        dup2(nowhere, 0);
        dup2(nowhere, 1);
        dup2(nowhere, 2);
        close(numberPipe[0]);
        std::string fd = std::to_string(numberPipe[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(numberPipe[1]);
    std::string number;
    pollfd wait = {numberPipe[0], POLLIN, 0};
    char digit;
    while (poll(&wait, 1, 30000) > 0 && read(numberPipe[0], &digit, 1) == 1 && digit != '\n')
        number += digit;
    close(numberPipe[0]);
    return number;
}
}

PrivateDisplay::PrivateDisplay(const std::string& screen)
{
    // Servers starting at the same moment may race for a number: try again.
    std::string number;
    for (int attempt = 0; attempt < 5 && number.empty(); ++attempt)
    {
        number = startVirtualServer(serverPid, screen);
        if (number.empty() && serverPid > 0)
        {
            kill(serverPid, SIGKILL);
            waitpid(serverPid, nullptr, 0);
            serverPid = -1;
            usleep(200000 * (attempt + 1));
        }
    }
    if (number.empty())
        throw std::runtime_error("Xvfb gave no display number");
    name = ":" + number;
    setenv("DISPLAY", name.c_str(), 1);
}

PrivateDisplay::~PrivateDisplay()
{
    if (serverPid > 0)
    {
        kill(serverPid, SIGTERM);
        waitpid(serverPid, nullptr, 0);
    }
}

WatchedPlayer startPlayer(const std::string& showDir, double clockScale,
                          const std::map<std::string, std::string>& env, bool drawn)
{
    std::map<std::string, std::string> playerEnv = env;
    if (!drawn)
        addUndrawnDriver(playerEnv);
    if (clockScale > 1.0)
    {
        playerEnv["LD_PRELOAD"] = clockScalePath;
        playerEnv["OSTRALIS_CLOCK_SCALE"] = std::to_string(clockScale);
    }
    return WatchedPlayer{startProcess({BUILD_DIR "/ostralis"}, playerEnv, showDir), ""};
}

bool waitForLine(WatchedPlayer& player, const std::string& line, double timeoutSeconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    size_t searched = 0;
    while (std::chrono::steady_clock::now() < deadline)
    {
        // Whole lines only: the line may still be on its way.
        for (size_t end; (end = player.out.find('\n', searched)) != std::string::npos; searched = end + 1)
            if (player.out.compare(searched, end - searched, line) == 0)
                return true;
        pollfd wait = {player.process.outFd, POLLIN, 0};
        if (poll(&wait, 1, 100) > 0)
        {
            char buffer[4096];
            ssize_t n = read(player.process.outFd, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            player.out.append(buffer, static_cast<size_t>(n));
        }
    }
    return false;
}

ProcessResult finishPlayer(WatchedPlayer& player, double timeoutSeconds)
{
    ProcessResult result = finishProcess(player.process, timeoutSeconds);
    result.out = player.out + result.out;
    return result;
}

std::vector<std::string> errorLinesOfTheShow(const std::string& err)
{
    std::vector<std::string> lines;
    for (const std::string& line : splitLines(err))
        if (line != "Setting vertical sync not supported")
            lines.push_back(line);
    return lines;
}

std::vector<std::string> sceneLinesThrough(const std::string& lastLine)
{
    std::vector<std::string> lines;
    for (const std::string& line : sceneLoadedLines)
    {
        lines.push_back(line);
        if (line == lastLine)
            break;
    }
    return lines;
}

ShowCopy::ShowCopy() : path(makeShowCopy()) {}

ShowCopy::~ShowCopy()
{
    // The copy holds links and the test's own files; the links' targets stay.
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

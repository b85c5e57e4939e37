// Shared test support: the show loaded in-process, and real programs run.
#include "support/show_test.h"

#include "app/startup.h"
#include "scenes/scene.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

void loadShowForTest()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    if (chdir(SHOW_DIR) != 0)
        throw std::runtime_error("cannot enter " SHOW_DIR);
    loadShowData();
    if (!loadShowShaders())
        throw std::runtime_error("the shaders did not load");
}

sf::RenderTexture& testTarget()
{
    static sf::RenderTexture target;
    static bool created = false;
    if (!created)
    {
        created = true;
        target.create(1280, 720);
    }
    return target;
}

int runFrameOn(sf::RenderTexture& target, int sceneIndex, float delta)
{
    int next = drawShowFrame(target, sceneIndex, delta);
    target.display();
    return next;
}

int runSceneToEndOn(sf::RenderTexture& target, int sceneIndex, float delta, int maxFrames)
{
    for (int frame = 1; frame <= maxFrames; ++frame)
        if (runFrameOn(target, sceneIndex, delta) != sceneIndex)
            return frame;
    return -1;
}

int runTestFrame(int sceneIndex, float delta)
{
    return runFrameOn(testTarget(), sceneIndex, delta);
}

int runSceneToEnd(int sceneIndex, float delta, int maxFrames)
{
    return runSceneToEndOn(testTarget(), sceneIndex, delta, maxFrames);
}

sf::Image testFrame()
{
    return testTarget().getTexture().copyToImage();
}

void addUndrawnDriver(std::map<std::string, std::string>& env)
{
    env["GALLIUM_NOOP"] = "true";
    env["GALLIUM_THREAD"] = "false";
}

std::map<std::string, std::string> undrawnDriver()
{
    std::map<std::string, std::string> env;
    addUndrawnDriver(env);
    return env;
}

namespace
{
// Reads what is there on a pipe; false once it is closed.
bool drain(int fd, std::string& into)
{
    char buffer[65536];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0)
        into.append(buffer, static_cast<size_t>(n));
    return n > 0;
}
}

RunningProcess startProcess(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env,
                            const std::string& workingDir)
{
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        throw std::runtime_error("pipe failed");

    pid_t pid = fork();
    if (pid == 0)
    {
        // The child: its own process group, so that a timeout kills it all.
        setpgid(0, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        for (const auto& [name, value] : env)
        {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        if (chdir(workingDir.c_str()) != 0)
            _exit(126);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    return RunningProcess{pid, outPipe[0], errPipe[0]};
}

ProcessResult finishProcess(RunningProcess& process, double timeoutSeconds)
{
    ProcessResult result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen)
    {
        pollfd fds[2] = {{process.outFd, POLLIN, 0}, {process.errFd, POLLIN, 0}};
        poll(fds, 2, 100);
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP)))
            outOpen = drain(process.outFd, result.out);
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP)))
            errOpen = drain(process.errFd, result.err);
        if (std::chrono::steady_clock::now() > deadline)
        {
            result.timedOut = true;
            kill(-process.pid, SIGKILL);
            break;
        }
    }
    close(process.outFd);
    close(process.errFd);

    int status = 0;
    waitpid(process.pid, &status, 0);
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitCode = 128 + WTERMSIG(status);
    process.pid = -1;
    return result;
}

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env,
                         const std::string& workingDir, double timeoutSeconds)
{
    RunningProcess process = startProcess(argv, env, workingDir);
    return finishProcess(process, timeoutSeconds);
}

std::string makeShowCopy()
{
    char pattern[] = "/tmp/ostralis-show-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    std::string copy = pattern;
    for (const auto& entry : std::filesystem::directory_iterator(SHOW_DIR))
        std::filesystem::create_symlink(entry.path(), copy + "/" + entry.path().filename().string());
    return copy;
}

void removeShowFile(const std::string& showCopy, const std::string& name)
{
    std::filesystem::remove_all(showCopy + "/" + name);
}

void writeShowFile(const std::string& showCopy, const std::string& name, const std::string& bytes)
{
    removeShowFile(showCopy, name);
    std::ofstream(showCopy + "/" + name, std::ios::binary) << bytes;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

sf::Color meanColor(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height)
{
    double sum[4] = {0, 0, 0, 0};
    for (unsigned y = top; y < top + height; ++y)
        for (unsigned x = left; x < left + width; ++x)
        {
            sf::Color c = image.getPixel(x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
            sum[3] += c.a;
        }
    double n = static_cast<double>(width) * height;
    return sf::Color(static_cast<sf::Uint8>(sum[0] / n), static_cast<sf::Uint8>(sum[1] / n),
                     static_cast<sf::Uint8>(sum[2] / n), static_cast<sf::Uint8>(sum[3] / n));
}

// Shared by the tools: paths, other programs, pending outputs, the interrupt
// flag, frames that draw nothing and the double-buffered frame read-back.
#include "tools/tool_common.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <fcntl.h>
#include <png.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

void toolError(const char* tool, const std::string& message)
{
    std::cerr << tool << ": " << message << std::endl;
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return path;
    return std::string(cwd) + "/" + path;
}

std::string directoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool endsWith(const std::string& name, const std::string& suffix)
{
    if (name.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - suffix.size(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

namespace
{
bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
}

std::string defaultShowDir()
{
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "";
    self[length] = '\0';
    std::string dir = directoryOf(self) + "/show";
    return isDirectory(dir) ? dir : "";
}

bool enterShowDir(const std::string& dir, std::string& error)
{
    // Two files every show directory has: a picture and the one shader it cannot do without.
    for (const char* file : {"black.png", "heat_shader.fs.txt"})
        if (!isFile(dir + "/" + file))
        {
            error = "'" + dir + "' is not a show directory (it has no " + file + ")";
            return false;
        }
    if (chdir(dir.c_str()) != 0)
    {
        error = "cannot enter '" + dir + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size())
    {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = (end > start ? dirs.substr(start, end - start) : ".") + "/" + name;
        if (isFile(candidate) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

// Starts a program in a process group of its own (Ctrl-C reaches the tool,
// which then stops it), reading stdinFd (or nothing), its standard output
// discarded and its messages in logPath.
pid_t spawnProgram(const std::vector<std::string>& argv, int stdinFd, const std::string& logPath)
{
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    setpgid(0, 0);
    int input = stdinFd >= 0 ? stdinFd : open("/dev/null", O_RDONLY);
    int output = open("/dev/null", O_WRONLY);
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(input, 0);
    dup2(output, 1);
    if (log >= 0)
        dup2(log, 2);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Waits for a process; true when it ended with status 0.
bool waitSucceeded(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string besideThisProgram(const std::string& name)
{
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "";
    self[length] = '\0';
    std::string path = directoryOf(self) + "/" + name;
    return isFile(path) ? path : "";
}

bool preparePendingOutput(PendingOutput& output, const std::string& finalPath, std::string& error)
{
    output.finalPath = finalPath;
    if (isDirectory(finalPath))
    {
        error = "cannot write '" + finalPath + "': it is a directory";
        return false;
    }

    // ".name.partial-PID.ext" beside the final name, so the rename stays on one file system.
    std::string dir = directoryOf(finalPath);
    std::string base = finalPath.substr(finalPath.rfind('/') + 1);
    std::string extension;
    size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0)
    {
        extension = base.substr(dot);
        base = base.substr(0, dot);
    }
    output.tempPath = dir + "/." + base + ".partial-" + std::to_string(getpid()) + extension;

    int fd = open(output.tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
    {
        error = "cannot write '" + finalPath + "': " + std::strerror(errno);
        output.tempPath.clear();
        return false;
    }
    close(fd);
    return true;
}

bool commitOutput(PendingOutput& output, std::string& error)
{
    if (rename(output.tempPath.c_str(), output.finalPath.c_str()) != 0)
    {
        error = "cannot write '" + output.finalPath + "': " + std::strerror(errno);
        discardOutput(output);
        return false;
    }
    output.tempPath.clear();
    return true;
}

void discardOutput(PendingOutput& output)
{
    if (!output.tempPath.empty())
        unlink(output.tempPath.c_str());
    output.tempPath.clear();
}

namespace
{
void appendPngBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void flushNothing(png_structp) {}

bool encodeOpaquePng(const sf::Image& image, std::vector<std::uint8_t>& bytes)
{
    sf::Vector2u size = image.getSize();
    const sf::Uint8* pixels = image.getPixelsPtr();
    std::vector<std::uint8_t> row(size_t(size.x) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &bytes, appendPngBytes, flushNothing);
    png_set_IHDR(png, info, size.x, size.y, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (unsigned y = 0; y < size.y; ++y)
    {
        const sf::Uint8* source = pixels + size_t(y) * size.x * 4;
        for (unsigned x = 0; x < size.x; ++x)
            for (int channel = 0; channel < 3; ++channel)
                row[size_t(x) * 3 + channel] = source[size_t(x) * 4 + channel];
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
}

bool writeOpaquePng(const sf::Image& image, const std::string& path, const std::string& shownPath,
                    std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (image.getSize().x == 0 || image.getSize().y == 0 || !encodeOpaquePng(image, bytes))
    {
        error = "cannot encode the picture for '" + shownPath + "'";
        return false;
    }
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
    {
        error = "cannot write '" + shownPath + "': " + std::strerror(errno);
        return false;
    }
    size_t written = 0;
    int failure = 0;
    while (written < bytes.size())
    {
        ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
        {
            failure = count < 0 ? errno : ENOSPC;
            break;
        }
        written += size_t(count);
    }
    if (failure == 0 && fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        failure = errno;
    if (close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0)
    {
        error = "cannot write '" + shownPath + "': " + std::strerror(failure);
        unlink(path.c_str());
        return false;
    }
    return true;
}

namespace
{
volatile std::sig_atomic_t interruptFlag = 0;

void raiseInterruptFlag(int)
{
    interruptFlag = 1;
}
}

void installInterruptHandler()
{
    struct sigaction action = {};
    action.sa_handler = raiseInterruptFlag;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A consumer that goes away (ffmpeg) shows up as a failed write, not a signal.
    signal(SIGPIPE, SIG_IGN);
}

bool interruptRequested()
{
    return interruptFlag != 0;
}

void limitDrawing(bool limited)
{
    if (!limited)
    {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glScissor(0, 0, 1, 1);
    glEnable(GL_SCISSOR_TEST);
}

bool createFrameReadback(FrameReadback& readback, sf::RenderTexture& target)
{
    readback.width = target.getSize().x;
    readback.height = target.getSize().y;
    readback.topDown.resize(size_t(readback.width) * readback.height * 4);
    if (!target.setActive(true))
        return false;
    glGenBuffers(2, readback.buffers);
    for (unsigned buffer : readback.buffers)
    {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, readback.topDown.size(), nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return glGetError() == GL_NO_ERROR;
}

namespace
{
// Maps one buffer and copies its rows into topDown, the last row first: the
// target's texture holds the picture bottom up.
void takeBuffer(FrameReadback& readback, int index)
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, readback.buffers[index]);
    const auto* pixels = static_cast<const std::uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    size_t row = size_t(readback.width) * 4;
    if (pixels)
    {
        for (unsigned y = 0; y < readback.height; ++y)
            std::memcpy(&readback.topDown[y * row], pixels + (readback.height - 1 - y) * row, row);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    else
    {
        std::fill(readback.topDown.begin(), readback.topDown.end(), 0);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}
}

long startFrameReadback(FrameReadback& readback, sf::RenderTexture& target, long frame)
{
    target.setActive(true);
    int index = readback.nextBuffer;
    long waiting = readback.frameInBuffer[index];
    if (waiting >= 0)
        takeBuffer(readback, index);

    // Queue the copy of the texture into the buffer; it is mapped two frames later.
    glBindBuffer(GL_PIXEL_PACK_BUFFER, readback.buffers[index]);
    glBindTexture(GL_TEXTURE_2D, target.getTexture().getNativeHandle());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);

    readback.frameInBuffer[index] = frame;
    readback.nextBuffer = 1 - index;
    return waiting;
}

long finishFrameReadback(FrameReadback& readback, sf::RenderTexture& target)
{
    target.setActive(true);
    // The buffer to be reused next holds the older frame.
    for (int index : {readback.nextBuffer, 1 - readback.nextBuffer})
    {
        long frame = readback.frameInBuffer[index];
        if (frame >= 0)
        {
            takeBuffer(readback, index);
            readback.frameInBuffer[index] = -1;
            return frame;
        }
    }
    return -1;
}

void releaseFrameReadback(FrameReadback& readback)
{
    if (readback.buffers[0])
        glDeleteBuffers(2, readback.buffers);
    readback.buffers[0] = readback.buffers[1] = 0;
}

std::uint64_t peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
    return 0;
}

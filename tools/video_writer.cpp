// The video of the capture: ffmpeg in its own process, fed through a pipe by
// a writer thread; then a second, quick ffmpeg run that muxes the music.
#include "tools/video_writer.h"

#include "tools/tool_common.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

namespace
{
// Frames in flight between the render loop and the pipe.
const size_t framePoolSize = 3;

// The music's rate in the video: 48 kHz makes one frame at 60 fps exactly 800 samples.
const int musicSampleRate = 48000;

// The last line ffmpeg wrote, for a one-line error.
std::string lastLogLine(const std::string& logPath)
{
    std::ifstream log(logPath);
    std::string line, last;
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    return last.empty() ? "no message" : last;
}

// Writes a whole buffer to the pipe; false when the reader has gone.
bool writeAll(int fd, const std::uint8_t* data, size_t bytes)
{
    while (bytes > 0)
    {
        ssize_t written = write(fd, data, bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        bytes -= size_t(written);
    }
    return true;
}

// The writer thread: takes queued frames in order and writes them to ffmpeg.
void writeFrames(VideoWriter* video)
{
    std::unique_lock<std::mutex> guard(video->lock);
    for (;;)
    {
        video->changed.wait(guard, [&] { return !video->ready.empty() || video->closing; });
        if (video->ready.empty())
            return;
        std::vector<std::uint8_t> frame = std::move(video->ready.front());
        video->ready.pop_front();
        bool failed = video->failed;
        guard.unlock();
        bool written = failed || writeAll(video->pipeFd, frame.data(), frame.size());
        guard.lock();
        if (!written && !video->failed)
        {
            video->failed = true;
            video->failure = "ffmpeg stopped taking frames: " + lastLogLine(video->logPath);
        }
        video->spare.push_back(std::move(frame));
        video->changed.notify_all();
    }
}
}

bool startVideo(VideoWriter& video, const std::string& ffmpeg, const std::string& outputPath,
                const std::string& logPath, unsigned width, unsigned height, const std::string& rate,
                const VideoFormat& format, std::string& error)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
    {
        error = std::string("cannot open a pipe to ffmpeg: ") + std::strerror(errno);
        return false;
    }
    std::vector<std::string> argv = {
        ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgba",
        "-video_size", std::to_string(width) + "x" + std::to_string(height),
        "-framerate", rate, "-i", "pipe:0"};
    // Another size is scaled with Lanczos, which keeps the pictures' fine
    // lines sharp where a bilinear filter would soften them.
    std::string resize;
    if (format.width && format.height && (format.width != width || format.height != height))
        resize = "w=" + std::to_string(format.width) + ":h=" + std::to_string(format.height) + ":flags=lanczos:";
    std::vector<std::string> codec;
    if (format.lossless)
        // Every pixel as rendered, in RGB, each frame a key frame for editing.
        codec = {"-vf", (resize.empty() ? "" : "scale=" + resize.substr(0, resize.size() - 1) + ",") + "format=bgr0",
                 "-c:v", "ffv1", "-level", "3", "-g", "1", "-slices", "4", "-slicecrc", "1",
                 "-f", "matroska", outputPath};
    else
        codec = {
            // Good quality for still pictures that fade: a low CRF, and the quickest
            // preset given back the macroblock tree, which spends few bits on them.
            "-c:v", "libx264", "-preset", "superfast", "-x264-params", "mbtree=1:rc-lookahead=10",
            "-crf", "18",
            // HD colours, and the video says so: players take an untagged HD video for BT.709.
            "-vf", "scale=" + resize + "out_color_matrix=bt709:out_range=tv,format=yuv420p", "-colorspace", "bt709",
            "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
            "-f", "mp4", outputPath};
    argv.insert(argv.end(), codec.begin(), codec.end());
    video.logPath = logPath;
    video.encoder = spawnProgram(argv, fds[0], logPath);
    close(fds[0]);
    if (video.encoder < 0)
    {
        close(fds[1]);
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    video.pipeFd = fds[1];
    video.closing = false;
    video.failed = false;
    video.writer = std::thread(writeFrames, &video);
    return true;
}

bool queueVideoFrame(VideoWriter& video, const std::uint8_t* pixels, size_t bytes)
{
    std::vector<std::uint8_t> frame;
    {
        std::unique_lock<std::mutex> guard(video.lock);
        // A new buffer while the pool is not full, else wait for one to come back.
        video.changed.wait(guard, [&] {
            return video.failed || !video.spare.empty() || video.ready.size() < framePoolSize - 1;
        });
        if (video.failed)
            return false;
        if (!video.spare.empty())
        {
            frame = std::move(video.spare.back());
            video.spare.pop_back();
        }
    }
    frame.assign(pixels, pixels + bytes);
    {
        std::lock_guard<std::mutex> guard(video.lock);
        video.ready.push_back(std::move(frame));
    }
    video.changed.notify_all();
    return true;
}

bool finishVideo(VideoWriter& video, std::string& error)
{
    {
        std::lock_guard<std::mutex> guard(video.lock);
        video.closing = true;
    }
    video.changed.notify_all();
    if (video.writer.joinable())
        video.writer.join();
    close(video.pipeFd);
    video.pipeFd = -1;
    bool encoded = waitSucceeded(video.encoder);
    video.encoder = -1;
    if (video.failed)
    {
        error = video.failure;
        return false;
    }
    if (!encoded)
    {
        error = "ffmpeg failed: " + lastLogLine(video.logPath);
        return false;
    }
    return true;
}

void abandonVideo(VideoWriter& video)
{
    {
        std::lock_guard<std::mutex> guard(video.lock);
        video.closing = true;
        video.failed = true;
        video.ready.clear();
    }
    video.changed.notify_all();
    if (video.encoder > 0)
        kill(video.encoder, SIGKILL);
    if (video.writer.joinable())
        video.writer.join();
    if (video.pipeFd >= 0)
        close(video.pipeFd);
    video.pipeFd = -1;
    if (video.encoder > 0)
        waitSucceeded(video.encoder);
    video.encoder = -1;
}

bool muxMusic(const std::string& ffmpeg, const std::string& videoPath, const std::string& musicPath,
              double delaySeconds, double lengthSeconds, bool lossless, const std::string& outputPath,
              const std::string& logPath, std::string& error)
{
    long delaySamples = std::lround(delaySeconds * musicSampleRate);
    std::ostringstream filter;
    filter << "[1:a]aresample=" << musicSampleRate;
    if (delaySamples >= 0)
        filter << ",adelay=delays=" << delaySamples << "S:all=1";
    else
        filter << ",atrim=start_sample=" << -delaySamples << ",asetpts=PTS-STARTPTS";
    filter << ",apad[music]";
    std::ostringstream length;
    length.precision(6);
    length << std::fixed << lengthSeconds;
    std::vector<std::string> argv = {
        ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        "-i", videoPath, "-i", musicPath,
        "-filter_complex", filter.str(), "-map", "0:v", "-map", "[music]",
        "-c:v", "copy", "-t", length.str()};
    std::vector<std::string> container = lossless ? std::vector<std::string>{"-c:a", "flac", "-f", "matroska", outputPath}
                                                  : std::vector<std::string>{"-c:a", "aac", "-aac_coder", "fast", "-b:a", "192k",
                                                                             "-movflags", "+faststart", "-f", "mp4", outputPath};
    argv.insert(argv.end(), container.begin(), container.end());
    pid_t pid = spawnProgram(argv, -1, logPath);
    if (pid < 0 || !waitSucceeded(pid))
    {
        error = "ffmpeg could not mux the music: " + lastLogLine(logPath);
        return false;
    }
    return true;
}

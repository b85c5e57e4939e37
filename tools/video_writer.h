#pragma once
// The capture's video: raw frames piped to ffmpeg, which encodes them in a
// process of its own while the next frames render; a writer thread feeds the
// pipe so that a busy encoder never holds up rendering beyond a few frames.
// The music is muxed in afterwards, once the frame it starts in is known.
#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct VideoWriter
{
    pid_t encoder = -1;
    int pipeFd = -1;
    std::string logPath;  // ffmpeg's own messages, for the one-line error

    // Frames travel from the render loop to the writer thread through a
    // small pool of buffers: `ready` holds frames to write, `spare` free ones.
    std::thread writer;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::vector<std::uint8_t>> ready;
    std::vector<std::vector<std::uint8_t>> spare;
    bool closing = false;
    bool failed = false;
    std::string failure;
};

// What the video is made as: its size (the frames' own when 0), scaled with
// a Lanczos filter, and whether it is lossless (FFV1 in Matroska, the
// frames' own RGB) instead of H.264 (yuv420p, BT.709) in MP4.
struct VideoFormat
{
    unsigned width = 0;
    unsigned height = 0;
    bool lossless = false;
};

// Starts ffmpeg writing width x height RGBA frames at the rate (ffmpeg's
// "60" or "60000/1001") to outputPath. logPath collects ffmpeg's messages.
bool startVideo(VideoWriter& video, const std::string& ffmpeg, const std::string& outputPath,
                const std::string& logPath, unsigned width, unsigned height, const std::string& rate,
                const VideoFormat& format, std::string& error);

// Queues one frame (rows from the top, RGBA). Blocks while every buffer of
// the pool is waiting to be written. False once the encoder has failed.
bool queueVideoFrame(VideoWriter& video, const std::uint8_t* pixels, size_t bytes);

// Writes what is queued, closes the pipe and waits for ffmpeg.
bool finishVideo(VideoWriter& video, std::string& error);

// Stops at once: closes the pipe, kills ffmpeg, joins the writer.
void abandonVideo(VideoWriter& video);

// Muxes the music into the video without re-encoding the picture: the music,
// resampled to 48 kHz, is delayed by delaySeconds (to the nearest sample;
// a negative delay cuts that much from its start, for a video that begins
// after the music has) and padded with silence or cut to the video's length.
// A lossless video gets its music in FLAC, an MP4 in AAC.
bool muxMusic(const std::string& ffmpeg, const std::string& videoPath, const std::string& musicPath,
              double delaySeconds, double lengthSeconds, bool lossless, const std::string& outputPath,
              const std::string& logPath, std::string& error);

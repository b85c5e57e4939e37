#pragma once
// What the tools share: finding the show directory and the other programs,
// output files that appear under their name only once complete, frames that
// draw nothing, and the double-buffered read-back of rendered frames.
#include "assets/render_target.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <sys/types.h>
#include <cstdint>
#include <string>
#include <vector>

// The show's nominal length, for the progress line's estimate only.
const double nominalShowSeconds = 157.25;

// Writes "<tool>: <message>" as one line on standard error.
void toolError(const char* tool, const std::string& message);

// The path made absolute against the current directory (nothing is resolved).
std::string absolutePath(const std::string& path);

// The directory part of a path ("." when it has none).
std::string directoryOf(const std::string& path);

// True when the name ends with the suffix, ignoring case.
bool endsWith(const std::string& name, const std::string& suffix);

// The show directory beside the running program (build/show next to
// build/ostralis-capture), or empty when there is none.
std::string defaultShowDir();

// Enters the show directory after checking it holds the show's files.
bool enterShowDir(const std::string& dir, std::string& error);

// The full path of a program found on PATH, or empty.
std::string findProgram(const std::string& name);

// The full path of one of the show's programs beside the running one, or empty.
std::string besideThisProgram(const std::string& name);

// Starts a program in a process group of its own (Ctrl-C reaches the tool,
// which then stops it), reading stdinFd (or nothing), its standard output
// discarded and its messages in logPath.
pid_t spawnProgram(const std::vector<std::string>& argv, int stdinFd, const std::string& logPath);

// Waits for a process; true when it ended with status 0.
bool waitSucceeded(pid_t pid);

// A file being written under a temporary name in the directory of its final
// name. commitOutput renames it into place; discardOutput removes it.
struct PendingOutput
{
    std::string finalPath;
    std::string tempPath;
};

// Picks the temporary name (keeping the final name's extension, which
// ffmpeg and sf::Image go by) and proves the directory is writable by
// creating it, empty. On failure fills error with a one-line reason.
bool preparePendingOutput(PendingOutput& output, const std::string& finalPath, std::string& error);
bool commitOutput(PendingOutput& output, std::string& error);
void discardOutput(PendingOutput& output);

// Writes the image as an opaque PNG at path. The picture is encoded in
// memory and every write, the flush to the disk and the close are checked
// (sf::Image::saveToFile reports success when the disk fills part way), so
// true means the whole file is there. On failure the file is removed and
// error holds a one-line reason that names shownPath (the final name).
bool writeOpaquePng(const sf::Image& image, const std::string& path, const std::string& shownPath,
                    std::string& error);

// Ctrl-C and SIGTERM only raise a flag, so that the tools can stop between
// frames and remove what they had not finished writing.
void installInterruptHandler();
bool interruptRequested();

// A 1280 x 720 target that never becomes active, so SFML lets every draw
// and clear on it go without touching the GPU. Frames that no output takes
// run on it: the scenes read nothing back, so their logic runs the same, and
// each frame draws its whole picture anew, so the next frame drawn for real
// is the same to the pixel.
struct DiscardingTarget : sf::RenderTarget
{
    DiscardingTarget() { initialize(); }
    sf::Vector2u getSize() const override { return sf::Vector2u(screenWidth, screenHeight); }
    bool setActive(bool) override { return false; }
};

// Cuts every draw of the current GL context down to one pixel (what the
// scenes still draw off screen while they run on a DiscardingTarget), or
// lets them cover the whole target again.
void limitDrawing(bool limited);

// Reads frames back from an off-screen target without stalling the next
// frame: each frame is copied into one of two pixel buffers, and its pixels
// are mapped one frame later, while the following frame has been rendered.
struct FrameReadback
{
    unsigned width = 0;
    unsigned height = 0;
    unsigned buffers[2] = {0, 0};
    long frameInBuffer[2] = {-1, -1};  // which frame each buffer holds, -1 for none
    int nextBuffer = 0;
    std::vector<std::uint8_t> topDown;  // the last frame handed out, rows from the top
};

// Creates the two pixel buffers; the target's context must be usable.
bool createFrameReadback(FrameReadback& readback, sf::RenderTexture& target);

// Starts copying the target's current picture (after display()) as frame
// number `frame`. Returns the frame that was waiting in the buffer now
// reused, or -1; its pixels are then in readback.topDown.
long startFrameReadback(FrameReadback& readback, sf::RenderTexture& target, long frame);

// Hands out the oldest frame still in flight (pixels in readback.topDown),
// or -1 when none is left. Call until -1 after the last frame.
long finishFrameReadback(FrameReadback& readback, sf::RenderTexture& target);

void releaseFrameReadback(FrameReadback& readback);

// The resident set's high-water mark of this process, in bytes.
std::uint64_t peakResidentBytes();

// A healthy run writes to standard output exactly the show's lines: the
// start-up lines, each scene's line when it is first entered, and the
// overlay values of scene 8's fade-out, two per frame, in that order; and
// nothing of its own to standard error.
#include "support/reliability.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
// The output of a whole run, checked line by line in show order. Returns
// the number of frames of scene 8's fade-out.
size_t expectShowLines(const std::string& out)
{
    std::vector<std::string> lines = splitLines(out);
    std::vector<std::string> startup = startupWith();
    EXPECT_GE(lines.size(), startup.size() + sceneLoadedLines.size());
    if (lines.size() < startup.size() + sceneLoadedLines.size())
        return 0;
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + startup.size()), startup);

    // The scene lines through scene 8's, then the values, then scene 9's.
    size_t at = startup.size();
    const size_t beforeNumbers = sceneLoadedLines.size() - 1;
    for (size_t scene = 0; scene < beforeNumbers; ++scene, ++at)
        EXPECT_EQ(lines[at], sceneLoadedLines[scene]);
    size_t pairs = 0;
    double previous = 0, lastClamped = 0;
    while (at + 1 < lines.size() && lines[at] != sceneLoadedLines.back())
    {
        // Each frame: the value, then the value clamped to 255.
        char* end = nullptr;
        double value = std::strtod(lines[at].c_str(), &end);
        EXPECT_TRUE(end && *end == '\0') << "not a number: '" << lines[at] << "'";
        double clamped = std::strtod(lines[at + 1].c_str(), &end);
        EXPECT_TRUE(end && *end == '\0') << "not a number: '" << lines[at + 1] << "'";
        EXPECT_DOUBLE_EQ(clamped, value < 255 ? value : 255) << "line " << at;
        EXPECT_GE(value, previous) << "line " << at;
        previous = value;
        lastClamped = clamped;
        at += 2;
        ++pairs;
    }
    EXPECT_DOUBLE_EQ(lastClamped, 255.0) << "the fade-out did not reach black";
    EXPECT_LT(at, lines.size());
    if (at < lines.size())
    {
        EXPECT_EQ(lines[at], sceneLoadedLines.back());
    }
    EXPECT_EQ(lines.size(), at + 1) << "more lines after the last scene line";
    return pairs;
}
}

// The player on a sped-up clock, by itself from start to end.
TEST(Output, ThePlayerWritesTheShowsLinesAndNothingElse)
{
    PrivateDisplay display;
    WatchedPlayer player = startPlayer(SHOW_DIR, 16.0);
    ProcessResult result = finishPlayer(player, 180);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_GT(expectShowLines(result.out), 0u);
    EXPECT_TRUE(errorLinesOfTheShow(result.err).empty()) << result.err;
}

// The capture tool at a steady 60 frames per second: the same lines, and
// one pair of values for each of the 240 frames of the four-second fade-out
// (one more when the summed steps fall just short of four seconds).
TEST(Output, TheCaptureToolWritesTheSameLines)
{
    ProcessResult result = runCapture(SHOW_DIR, 60);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    size_t pairs = expectShowLines(result.out);
    EXPECT_GE(pairs, 240u);
    EXPECT_LE(pairs, 241u);
    EXPECT_TRUE(foreignErrorLines(result.err).empty()) << result.err;
}

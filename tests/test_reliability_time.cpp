// Time goes wrong: the player is stopped for seconds in the middle of a
// fade, or the show runs at a very low or very high frame rate. The show
// goes on from where it was and keeps its scene order and lengths.
#include "support/player_control.h"
#include "support/reliability.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace
{
const double stallSeconds = 5.0;

void stall(const RunningProcess& player)
{
    kill(player.pid, SIGSTOP);
    std::this_thread::sleep_for(std::chrono::duration<double>(stallSeconds));
    kill(player.pid, SIGCONT);
}

// The scene starts of a capture's timeline, in frames, and its end.
struct CaptureTimeline
{
    std::vector<long> sceneStart;
    long musicFrame = -1;
    long endFrame = -1;
};

CaptureTimeline readTimeline(const std::string& out)
{
    CaptureTimeline timeline;
    for (const std::string& line : splitLines(out))
    {
        std::istringstream fields(line);
        std::string what;
        long frame = -1;
        fields >> what;
        if (what == "scene")
        {
            int scene = -1;
            if (fields >> scene >> frame && scene == int(timeline.sceneStart.size()))
                timeline.sceneStart.push_back(frame);
        }
        else if (what == "music" && fields >> frame)
            timeline.musicFrame = frame;
        else if (what == "end" && fields >> frame)
            timeline.endFrame = frame;
    }
    return timeline;
}

// The seconds each scene lasted at a frame rate.
std::vector<double> sceneLengths(const CaptureTimeline& timeline, int fps)
{
    std::vector<double> lengths;
    for (size_t scene = 0; scene < timeline.sceneStart.size(); ++scene)
    {
        // The show's last frame is the black one after scene 11.
        long next = scene + 1 < timeline.sceneStart.size() ? timeline.sceneStart[scene + 1] : timeline.endFrame - 1;
        lengths.push_back(double(next - timeline.sceneStart[scene]) / fps);
    }
    return lengths;
}
}

// Stopped for five seconds in scene 0's fade-in, on the true clock and
// drawn in full: the next frame is one long step that ends the fade, and
// the show goes on to its next scene.
TEST(Stall, InTheFirstFadeTheShowGoesOn)
{
    PrivateDisplay display;
    WatchedPlayer player = startPlayer(SHOW_DIR, 1.0, {}, true);
    std::string window = waitForShowWindow();
    ASSERT_NE(window, "");
    ASSERT_TRUE(waitForLine(player, "scene 01 loaded"));

    // The fade-in runs from 1.25 s to 3.25 s after the first frame.
    std::this_thread::sleep_for(std::chrono::milliseconds(2250));
    stall(player.process);
    EXPECT_TRUE(waitForLine(player, "scene 02 loaded", 60)) << "the show did not go on";
    sendCloseRequest(window);
    ProcessResult result = finishPlayer(player, 60);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(errorLinesOfTheShow(result.err).empty()) << result.err;
}

// Stopped in a fade in the middle of the show, on a sped-up clock: the show
// still plays every later scene and ends by itself with 0.
TEST(Stall, MidShowTheShowPlaysOnToItsEnd)
{
    PrivateDisplay display;
    WatchedPlayer player = startPlayer(SHOW_DIR, 16.0);
    ASSERT_NE(waitForShowWindow(), "");
    // Scene 6 fades in from black in its first two seconds.
    ASSERT_TRUE(waitForLine(player, "scene 7 loaded"));
    stall(player.process);
    ProcessResult result = finishPlayer(player, 120);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(errorLinesOfTheShow(result.err).empty()) << result.err;
    ShowOutput out = splitShowOutput(result.out);
    EXPECT_EQ(out.startup, startupWith());
    EXPECT_EQ(out.scenes, sceneLoadedLines);
    EXPECT_FALSE(out.numbers.empty());
}

// At 15 and at 240 frames per second the show keeps its scene order, and
// each scene lasts as long give or take what its phase ends add: every
// phase ends in the first frame past its length, so it may last up to one
// frame longer, the overshoot being dropped.
TEST(FrameRate, FifteenAndTwoHundredFortyPlayTheSameShow)
{
    const int slow = 15, fast = 240;
    // Timed steps per scene, each of which may end a frame late: the poems
    // (scenes 5 and 7) step through six lines in and six out, the others
    // have a handful of phases and caption steps.
    const int mostPhaseEnds[12] = {8, 8, 8, 8, 8, 16, 8, 16, 8, 8, 8, 8};
    ProcessResult slowRun = runCapture(SHOW_DIR, slow, true);
    ProcessResult fastRun = runCapture(SHOW_DIR, fast, true);
    ASSERT_EQ(slowRun.exitCode, 0) << slowRun.err;
    ASSERT_EQ(fastRun.exitCode, 0) << fastRun.err;
    // With --timeline the show's own lines are on standard error.
    EXPECT_EQ(splitShowOutput(slowRun.err).scenes, sceneLoadedLines);
    EXPECT_EQ(splitShowOutput(fastRun.err).scenes, sceneLoadedLines);

    CaptureTimeline slowTimeline = readTimeline(slowRun.out), fastTimeline = readTimeline(fastRun.out);
    ASSERT_EQ(slowTimeline.sceneStart.size(), 12u) << slowRun.out;
    ASSERT_EQ(fastTimeline.sceneStart.size(), 12u) << fastRun.out;

    // The music starts in the frame that passes 1.25 s.
    EXPECT_NEAR(double(slowTimeline.musicFrame) / slow, 1.25, 1.0 / slow + 1e-6);
    EXPECT_NEAR(double(fastTimeline.musicFrame) / fast, 1.25, 1.0 / fast + 1e-6);

    std::vector<double> slowLengths = sceneLengths(slowTimeline, slow);
    std::vector<double> fastLengths = sceneLengths(fastTimeline, fast);
    for (size_t scene = 0; scene < 12; ++scene)
    {
        SCOPED_TRACE("scene " + std::to_string(scene));
        EXPECT_GE(slowLengths[scene], fastLengths[scene] - double(mostPhaseEnds[scene]) / fast);
        EXPECT_LE(slowLengths[scene], fastLengths[scene] + double(mostPhaseEnds[scene]) / slow);
    }
}

// A viewer may leave at any moment: Escape, or a close request from the
// window manager, during each of the twelve scenes ends the player with 0,
// without a crash at shutdown and without a message. The player runs on a
// display of its own, its clock sped up so that late scenes come soon.
#include "support/player_control.h"
#include "support/reliability.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{
// Fast enough to reach the last scene soon, slow enough that a key press
// lands in the scene it was meant for even on a loaded machine.
const double clockScale = 6.0;

// Where each scene is, in seconds of show time at a steady frame rate, and
// the last scene line printed by then (scenes 5, 7, 10 and 11 print none).
struct SceneMoment
{
    int scene;
    double middle;         // a moment well inside the scene
    const char* lastLine;  // printed when the scene below began
    double lastLineAt;
};
const SceneMoment sceneMoments[] = {
    {0, 5.5, "scene 01 loaded", 0.0},      {1, 16.3, "scene 02 loaded", 9.3},
    {2, 28.3, "scene 03 loaded", 23.3},    {3, 38.3, "scene 04 loaded", 33.3},
    {4, 50.3, "scene 5 loaded", 43.3},     {5, 65.3, "scene 5 loaded", 43.3},
    {6, 81.3, "scene 7 loaded", 73.3},     {7, 97.3, "scene 7 loaded", 73.3},
    {8, 110.3, "scene 09 loaded", 105.3},  {9, 127.3, "scene 10 loaded", 119.3},
    {10, 141.3, "scene 10 loaded", 119.3}, {11, 151.5, "scene 10 loaded", 119.3},
};

// Scene 8 prints its overlay values in its last four seconds.
const double sceneEightNumbersFrom = 115.3;

enum class Quit { Escape, CloseRequest };

void PrintTo(const SceneMoment& moment, std::ostream* out)
{
    *out << "scene " << moment.scene << " at " << moment.middle << " s";
}

void PrintTo(Quit quit, std::ostream* out)
{
    *out << (quit == Quit::Escape ? "Escape" : "close request");
}

std::string momentName(const testing::TestParamInfo<std::tuple<SceneMoment, Quit>>& info)
{
    return "Scene" + std::to_string(std::get<0>(info.param).scene) +
           (std::get<1>(info.param) == Quit::Escape ? "_Escape" : "_CloseRequest");
}

class QuitDuringScene : public testing::TestWithParam<std::tuple<SceneMoment, Quit>> {};
}

TEST_P(QuitDuringScene, EndsWithZeroAndNoMessage)
{
    auto [moment, quit] = GetParam();
    PrivateDisplay display;
    WatchedPlayer player = startPlayer(SHOW_DIR, clockScale);
    std::string window = waitForShowWindow();
    ASSERT_NE(window, "") << "the player opened no window";

    // From the scene line before, the rest of the way on the sped-up clock.
    ASSERT_TRUE(waitForLine(player, moment.lastLine)) << player.out;
    std::this_thread::sleep_for(std::chrono::duration<double>((moment.middle - moment.lastLineAt) / clockScale));
    if (quit == Quit::Escape)
        holdEscapeUntilExit(player.process);
    else
        sendCloseRequest(window);
    ProcessResult result = finishPlayer(player, 60);

    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(errorLinesOfTheShow(result.err).empty()) << result.err;
    ShowOutput out = splitShowOutput(result.out);
    EXPECT_EQ(out.startup, startupWith());
    // It left in that scene: no later scene had begun.
    EXPECT_EQ(out.scenes, sceneLinesThrough(moment.lastLine));
    EXPECT_EQ(out.numbers.empty(), moment.middle < sceneEightNumbersFrom);
    EXPECT_TRUE(out.other.empty()) << out.other.front();
}
INSTANTIATE_TEST_SUITE_P(EachScene, QuitDuringScene,
                         testing::Combine(testing::ValuesIn(sceneMoments),
                                          testing::Values(Quit::Escape, Quit::CloseRequest)),
                         momentName);

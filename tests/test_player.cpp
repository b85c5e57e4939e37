// The real player under the virtual display: its start-up lines, the ways it
// ends, and the start-up failures it survives or stops on.
#include "support/player_control.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace
{
const int fatalExit = 255; // the entry point's -1

std::vector<std::string> expectedStartup(const std::vector<std::string>& pictureErrors = {})
{
    std::vector<std::string> lines = {startupLines[0]};
    for (const std::string& error : pictureErrors)
        lines.push_back(error);
    lines.insert(lines.end(), startupLines + 1, startupLines + 7);
    return lines;
}

// Starts the player in a show folder, waits for its window, lets it play a
// moment, then presses Escape; returns what it printed and its exit code.
ProcessResult playThenEscape(const std::string& showDir = SHOW_DIR)
{
    RunningProcess player = startProcess({playerPath}, {}, showDir);
    std::string window = waitForShowWindow();
    EXPECT_NE(window, "") << "the player opened no window";
    std::this_thread::sleep_for(std::chrono::seconds(2));
    holdEscapeUntilExit(player);
    return finishProcess(player, 60);
}

// The start of the output, as many lines as expected.
std::vector<std::string> firstLines(const std::string& out, size_t count)
{
    std::vector<std::string> lines = splitLines(out);
    if (lines.size() > count)
        lines.resize(count);
    return lines;
}
}

TEST(Player, PrintsTheStartupLinesInOrderAndEndsOnEscape)
{
    ProcessResult result = playThenEscape();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("files missing"), std::string::npos) << result.err;
    EXPECT_EQ(firstLines(result.out, 7), expectedStartup());

    // After start-up only the first scene's line may follow in two seconds.
    std::vector<std::string> lines = splitLines(result.out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[7], "scene 01 loaded");
}

// A tap of Escape, pressed and released at once as a remote control or a
// script sends it, ends the show wherever it falls: the black opening, the
// quotation, and a later scene.
TEST(Player, EndsWithZeroOnATappedEscapeInAnyScene)
{
    for (int seconds : {0, 4, 12})
    {
        RunningProcess player = startProcess({playerPath}, {}, SHOW_DIR);
        ASSERT_NE(waitForShowWindow(), "") << "the player opened no window";
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        runProcess({"xdotool", "key", "Escape"}, {}, "/", 10);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!processEnded(player) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        bool endedOnTap = processEnded(player);
        if (!endedOnTap)
            holdEscapeUntilExit(player);
        ProcessResult result = finishProcess(player, 60);
        EXPECT_TRUE(endedOnTap) << "a tap of Escape " << seconds << " s in was ignored";
        EXPECT_EQ(result.exitCode, 0) << result.err;
    }
}

// Started in a folder without the show's files, the player first says where
// it looked and where the files belong, then goes on as it always has.
TEST(Player, AWrongFolderIsNamedFirstWithTheCountOfMissingFiles)
{
    char folderName[] = "/tmp/ostralis-elsewhere-XXXXXX";
    ASSERT_NE(mkdtemp(folderName), nullptr);
    std::string folder = std::filesystem::canonical(folderName).string();
    ProcessResult result = runProcess({playerPath}, {}, folder, 60);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(result.exitCode, fatalExit);
    // The show's own lines stand as they were: each picture's, then the font's.
    std::vector<std::string> lines = splitLines(result.out);
    ASSERT_EQ(lines.size(), 31u) << result.out;
    EXPECT_EQ(lines.front(), "created render window");
    EXPECT_EQ(lines[1], "error loading texture black.png");
    EXPECT_EQ(lines.back(), "Error while loading font!");
    std::vector<std::string> errors = splitLines(result.err);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front().rfind("ostralis: 38 of the show's 38 files missing in " + folder + ", ", 0), 0u)
        << result.err;
    EXPECT_NE(errors.front().find("from the folder it is started in"), std::string::npos) << errors.front();
    EXPECT_NE(result.err.find("Failed to load shader, exiting...\n"), std::string::npos) << result.err;
}

TEST(Player, EndsWithZeroOnACloseRequest)
{
    RunningProcess player = startProcess({playerPath});
    std::string window = waitForShowWindow();
    ASSERT_NE(window, "");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    sendCloseRequest(window);
    ProcessResult result = finishProcess(player, 60);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(firstLines(result.out, 7), expectedStartup());
}

TEST(Player, AMissingPictureGivesItsOwnLineAndTheRestLoadInOrder)
{
    std::string show = makeShowCopy();
    removeShowFile(show, "white.png");
    removeShowFile(show, "glint.png");
    ProcessResult result = playThenEscape(show);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(firstLines(result.out, 9),
              expectedStartup({"error loading texture white.png", "error loading texture glint.png"}));
    EXPECT_EQ(result.err.rfind("ostralis: 2 of the show's 38 files missing in ", 0), 0u) << result.err;
}

TEST(Player, AMissingRegularFontGivesItsMessageAndStartUpGoesOn)
{
    std::string show = makeShowCopy();
    removeShowFile(show, "KGYouWontBringMeDown.ttf");
    ProcessResult result = playThenEscape(show);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> expected = expectedStartup({"", "Error while loading font!"});
    EXPECT_EQ(firstLines(result.out, 9), expected);
}

TEST(Player, AMissingHeatShaderEndsStartUpWithMinusOne)
{
    std::string show = makeShowCopy();
    removeShowFile(show, "heat_shader.fs.txt");
    ProcessResult result = runProcess({playerPath}, {}, show, 60);
    EXPECT_EQ(result.exitCode, fatalExit);
    EXPECT_NE(result.err.find("Failed to load shader, exiting...\n"), std::string::npos) << result.err;
    EXPECT_EQ(splitLines(result.out), std::vector<std::string>{"created render window"});
}

TEST(Player, MissingEffectShadersLetStartUpGoOn)
{
    std::string show = makeShowCopy();
    for (const char* file : {"blur_shader.fs.txt", "ripple_shader.fs.txt", "shockwave_shader.fs.txt",
                             "pixelation_shader.fs.txt"})
        removeShowFile(show, file);
    ProcessResult result = playThenEscape(show);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(firstLines(result.out, 7), expectedStartup());
}

TEST(Player, WithoutShaderSupportEndsBeforeAudioWithMinusOne)
{
    ProcessResult result = runProcess({playerPath}, {{"MESA_EXTENSION_OVERRIDE", "-GL_ARB_fragment_shader"}});
    EXPECT_EQ(result.exitCode, fatalExit);
    EXPECT_EQ(splitLines(result.out), (std::vector<std::string>{"created render window", "shaders are not available"}));
}

TEST(Player, WithoutADisplaySaysSoInOneLine)
{
    ProcessResult result = runProcess({playerPath}, {{"DISPLAY", ""}});
    EXPECT_EQ(result.exitCode, fatalExit);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(splitLines(result.err).size(), 1u) << result.err;
}

// The show on the real clock, start to end, by itself (about 157 s).
TEST(Player, PlaysTheWholeShowByItselfAndEndsWithZero)
{
    ProcessResult result = runProcess({playerPath}, {}, SHOW_DIR, 400);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> lines = splitLines(result.out);
    std::vector<std::string> sceneLines;
    for (const std::string& line : lines)
        if (line.rfind("scene ", 0) == 0)
            sceneLines.push_back(line);
    EXPECT_EQ(sceneLines, (std::vector<std::string>{"scene 01 loaded", "scene 02 loaded", "scene 03 loaded",
                                                    "scene 04 loaded", "scene 5 loaded", "scene 7 loaded",
                                                    "scene 09 loaded", "scene 10 loaded"}));
}

// Machines without a display, a sound device or shader support: the player
// says what the show defines in as few lines as it can, or plays silently.
#include "support/audio_test.h"
#include "support/player_control.h"
#include "support/reliability.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
const int fatalExit = 255;  // the entry point's -1
const double clockScale = 16.0;
}

// No display, or one that no server answers: -1 and one line, for the
// player and for the capture tool alike; nothing on standard output.
TEST(NoDisplay, OneLineAndMinusOne)
{
    for (const char* display : {"", ":9999"})
    {
        SCOPED_TRACE(std::string("DISPLAY=") + display);
        ProcessResult player = runProcess({playerPath}, {{"DISPLAY", display}});
        EXPECT_EQ(player.exitCode, fatalExit);
        EXPECT_EQ(player.out, "");
        EXPECT_EQ(splitLines(player.err).size(), 1u) << player.err;

        ProcessResult capture = runProcess({capturePath, "--fps", "1"}, {{"DISPLAY", display}});
        EXPECT_NE(capture.exitCode, 0);
        EXPECT_EQ(capture.out, "");
        EXPECT_EQ(splitLines(capture.err).size(), 1u) << capture.err;
    }
}

// However OpenAL finds there is no device, the whole show plays silently
// and neither OpenAL nor ALSA writes a line.
TEST(NoSoundDevice, TheWholeShowPlaysSilentlyAndQuietly)
{
    std::string scratch = scratchDirectory("no-sound-device");
    std::string brokenWave = writeWaveDriverConfig(scratch + "/no-file.conf", "");
    struct Setting
    {
        const char* name;
        std::map<std::string, std::string> env;
    };
    const Setting settings[] = {
        {"ALSA without a card", {{"ALSOFT_DRIVERS", "alsa"}, {"ALSOFT_CONF", ""}}},
        {"a wave writer that cannot open", {{"ALSOFT_CONF", brokenWave}}},
    };
    PrivateDisplay display;
    for (const Setting& setting : settings)
    {
        SCOPED_TRACE(setting.name);
        WatchedPlayer player = startPlayer(SHOW_DIR, clockScale, setting.env);
        ProcessResult result = finishPlayer(player, 180);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(errorLinesOfTheShow(result.err).empty()) << result.err;
        ShowOutput out = splitShowOutput(result.out);
        EXPECT_EQ(out.startup, startupWith());
        EXPECT_EQ(out.scenes, sceneLoadedLines);
    }
}

// Without fragment shaders the player says so and ends with -1 before its
// audio output is opened: the wave writer it is given never makes its file.
TEST(NoShaderSupport, EndsWithMinusOneBeforeAudio)
{
    PrivateDisplay display;
    std::string scratch = scratchDirectory("no-shaders");
    std::string config = writeWaveDriverConfig(scratch + "/wave.conf", scratch + "/heard.wav");
    ProcessResult result = runProcess({playerPath}, {{"MESA_EXTENSION_OVERRIDE", "-GL_ARB_fragment_shader"},
                                                     {"ALSOFT_CONF", config}});
    EXPECT_EQ(result.exitCode, fatalExit);
    EXPECT_EQ(splitLines(result.out), (std::vector<std::string>{"created render window", "shaders are not available"}));
    EXPECT_TRUE(errorLinesOfTheShow(result.err).empty()) << result.err;
    EXPECT_FALSE(std::filesystem::exists(scratch + "/heard.wav")) << "the audio output was opened";

    // The same machine with its shaders back does open it: the check above can fail.
    WatchedPlayer player = startPlayer(SHOW_DIR, 1.0, {{"ALSOFT_CONF", config}});
    ASSERT_NE(waitForShowWindow(), "");
    EXPECT_TRUE(waitForLine(player, "Playing SYNC module"));
    holdEscapeUntilExit(player.process);
    finishPlayer(player, 60);
    EXPECT_TRUE(std::filesystem::exists(scratch + "/heard.wav"));
}

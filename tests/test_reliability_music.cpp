// The music file of a copied show may be missing or anything but an MP3.
// With a sound device (OpenAL's wave writer) the player plays the whole
// show anyway, silent or partly silent, with no crash, no hang and no flood
// of messages. The player's clock is sped up; the music plays at its pace.
#include "support/audio_test.h"
#include "support/player_control.h"
#include "support/reliability.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
const double clockScale = 16.0;

enum class BadMusic { Missing, Empty, RandomBytes, FakeFrameHeaders, Truncated, Wave, Directory };

std::string badMusicName(BadMusic bad)
{
    switch (bad)
    {
    case BadMusic::Missing: return "Missing";
    case BadMusic::Empty: return "Empty";
    case BadMusic::RandomBytes: return "RandomBytes";
    case BadMusic::FakeFrameHeaders: return "FakeFrameHeaders";
    case BadMusic::Truncated: return "Truncated";
    case BadMusic::Wave: return "Wave";
    case BadMusic::Directory: return "Directory";
    }
    return "";
}

void PrintTo(BadMusic bad, std::ostream* out)
{
    *out << badMusicName(bad);
}

void putBadMusic(const std::string& show, BadMusic bad)
{
    std::string path = show + "/" + musicFile;
    removeShowFile(show, musicFile);
    switch (bad)
    {
    case BadMusic::Missing:
        break;
    case BadMusic::Empty:
        writeBytes(path, {});
        break;
    case BadMusic::RandomBytes:
        writeBytes(path, randomBytes(400000, 3));
        break;
    case BadMusic::FakeFrameHeaders:
        writeBytes(path, fakeFrames(2000, 5));
        break;
    case BadMusic::Truncated:
    {
        // The show's own track, cut off after its first few seconds.
        Bytes whole = readBytes(std::string(SHOW_DIR) + "/" + musicFile);
        writeBytes(path, Bytes(whole.begin(), whole.begin() + whole.size() / 40));
        break;
    }
    case BadMusic::Wave:
        writeBytes(path, waveFile(testTone(44100, 2, 3.0), 44100, 2));
        break;
    case BadMusic::Directory:
        std::filesystem::create_directory(path);
        break;
    }
}

class BadMusicFile : public testing::TestWithParam<BadMusic> {};
}

TEST_P(BadMusicFile, TheWholeShowPlaysQuietly)
{
    ShowCopy copy;
    const std::string& show = copy.path;
    putBadMusic(show, GetParam());
    std::string scratch = scratchDirectory("bad-music-" + badMusicName(GetParam()));
    std::string config = writeWaveDriverConfig(scratch + "/wave.conf", scratch + "/heard.wav");

    PrivateDisplay display;
    WatchedPlayer player = startPlayer(show, clockScale, {{"ALSOFT_CONF", config}});
    ProcessResult result = finishPlayer(player, 180);

    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(errorLinesOfTheShow(result.err).empty()) << result.err;
    ShowOutput out = splitShowOutput(result.out);
    EXPECT_EQ(out.startup, startupWith());
    EXPECT_EQ(out.scenes, sceneLoadedLines);
    EXPECT_TRUE(out.other.empty()) << out.other.front();
    // The device was there all along: the show had sound to give.
    EXPECT_TRUE(std::filesystem::exists(scratch + "/heard.wav"));
}
INSTANTIATE_TEST_SUITE_P(EachKind, BadMusicFile,
                         testing::Values(BadMusic::Missing, BadMusic::Empty, BadMusic::RandomBytes,
                                         BadMusic::FakeFrameHeaders, BadMusic::Truncated, BadMusic::Wave,
                                         BadMusic::Directory),
                         [](const auto& info) { return badMusicName(info.param); });

// The cut-off track still plays its first part: the recording is not silent.
TEST(TruncatedMusic, PlaysWhatIsThere)
{
    ShowCopy copy;
    const std::string& show = copy.path;
    putBadMusic(show, BadMusic::Truncated);
    std::string scratch = scratchDirectory("truncated-music-heard");
    std::string config = writeWaveDriverConfig(scratch + "/wave.conf", scratch + "/heard.wav");

    PrivateDisplay display;
    WatchedPlayer player = startPlayer(show, clockScale, {{"ALSOFT_CONF", config}});
    ProcessResult result = finishPlayer(player, 180);
    ASSERT_EQ(result.exitCode, 0) << result.err;

    WaveRecording heard = readWaveRecording(scratch + "/heard.wav");
    size_t loud = 0;
    for (int16_t sample : heard.samples)
        loud += sample > 1000 || sample < -1000;
    EXPECT_GT(loud, 0u) << "nothing of the track was heard";
}

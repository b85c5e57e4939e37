// The music as the viewer hears it: the player, run with OpenAL Soft's wave
// writer as its sound device, records "angel6.mp3" from its first sample on,
// starting once the opening's black pre-roll is over, and only once.
#include "audio/mp3_stream.h"
#include "support/audio_test.h"
#include "support/player_control.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
const int sampleRate = 44100;
const int channelCount = 2;

// The first sample that is not silence, or the size when there is none.
size_t firstSound(const std::vector<int16_t>& samples)
{
    auto sound = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
    return static_cast<size_t>(sound - samples.begin());
}

// The first `seconds` of the show's music file, decoded.
std::vector<int16_t> musicStart(double seconds)
{
    Mp3Stream stream;
    std::vector<int16_t> samples(static_cast<size_t>(seconds * sampleRate) * channelCount);
    if (!openMp3File(stream, SHOW_DIR "/angel6.mp3"))
        return {};
    size_t got = 0;
    while (got < samples.size() && !stream.finished)
        got += readMp3Block(stream, samples.data() + got, samples.size() - got);
    closeMp3(stream);
    samples.resize(got);
    return samples;
}

// Plays the show with the wave writer and times two moments on one clock:
// the player's "Clock restarted" line (its frame loop is about to begin)
// and the recording's start (the writer only writes samples once a stream
// plays; start-up's device check leaves a bare header). Stops the player
// `afterSeconds` after the recording started, once the quotation is over.
// More than a header and the writer's first block or two.
const off_t recordingStartBytes = 8192;

struct TimedRun
{
    double clockRestarted = -1.0;
    double recordingOpened = -1.0;
    double nextSceneLoaded = -1.0;  // scene 1's "scene 02 loaded": the quotation is over
    std::string out;
};

TimedRun playAndTime(const std::string& config, const std::string& wavePath, double afterSeconds)
{
    TimedRun run;
    int outPipe[2];
    if (pipe(outPipe) != 0)
        return run;
    pid_t pid = fork();
    if (pid == 0)
    {
        dup2(outPipe[1], 1);
        close(outPipe[0]);
        setenv("ALSOFT_CONF", config.c_str(), 1);
        unsetenv("ALSOFT_LOGLEVEL");
        if (chdir(SHOW_DIR) != 0)
            _exit(126);
        execl(playerPath.c_str(), playerPath.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(outPipe[1]);
    fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
    auto begin = std::chrono::steady_clock::now();
    auto now = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(); };
    while (now() < 120.0)
    {
        char buffer[4096];
        ssize_t n = read(outPipe[0], buffer, sizeof buffer);
        if (n > 0)
            run.out.append(buffer, static_cast<size_t>(n));
        if (run.clockRestarted < 0 && run.out.find("Clock restarted") != std::string::npos)
            run.clockRestarted = now();
        if (run.nextSceneLoaded < 0 && run.out.find("scene 02 loaded") != std::string::npos)
            run.nextSceneLoaded = now();
        struct stat info;
        if (run.recordingOpened < 0 && stat(wavePath.c_str(), &info) == 0 && info.st_size > recordingStartBytes)
            run.recordingOpened = now();
        if (run.recordingOpened >= 0 && now() > run.recordingOpened + afterSeconds && run.nextSceneLoaded >= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(outPipe[0]);
    return run;
}
}

TEST(MusicHeard, StartsAfterThePrerollFromTheFilesFirstSampleAndPlaysOnce)
{
    std::string dir = scratchDirectory("music-heard");
    std::string wavePath = dir + "/heard.wav";
    std::string config = writeWaveDriverConfig(dir + "/wave.conf", wavePath);

    // The pre-roll and the whole quotation.
    TimedRun run = playAndTime(config, wavePath, 5.0);
    ASSERT_GE(run.clockRestarted, 0.0) << run.out;
    ASSERT_GE(run.recordingOpened, 0.0) << "nothing was recorded";
    EXPECT_NE(run.out.find("scene 01 loaded"), std::string::npos) << run.out;

    WaveRecording heard = readWaveRecording(dir + "/heard.wav");
    ASSERT_EQ(heard.sampleRate, sampleRate);
    ASSERT_EQ(heard.channelCount, channelCount);
    std::vector<int16_t> music = musicStart(8.0);
    size_t musicStart = firstSound(music);
    ASSERT_LT(musicStart, music.size()) << "the music file is silent";

    // Black and silent for the pre-roll: the music comes about 1.25 s after
    // the frame loop begins (the first frames and the device take a little
    // more, and far more on a busy machine), from its first sample, and
    // while the quotation is still on.
    size_t start = firstSound(heard.samples);
    ASSERT_LT(start, heard.samples.size()) << "nothing was heard";
    double onset = run.recordingOpened - run.clockRestarted + double(start) / channelCount / sampleRate;
    std::cout << "music heard from " << onset << " s" << std::endl;
    EXPECT_GE(onset, 1.25);
    ASSERT_GE(run.nextSceneLoaded, 0.0) << run.out;
    EXPECT_LT(onset, run.nextSceneLoaded - run.clockRestarted) << "the music began after the quotation";

    // From there on the recording is the file itself, sample for sample: a
    // second start would mix in and show.
    size_t heardLength = heard.samples.size() - start;
    size_t musicLength = music.size() - musicStart;
    size_t common = std::min(heardLength, musicLength);
    EXPECT_GE(common, size_t(3 * sampleRate * channelCount)) << "less than three seconds were heard";
    auto mismatch = std::mismatch(music.begin() + musicStart, music.begin() + musicStart + common,
                                  heard.samples.begin() + start);
    EXPECT_EQ(mismatch.first - music.begin() - musicStart, long(common))
        << "the recording leaves the file after "
        << double(mismatch.first - music.begin() - musicStart) / channelCount / sampleRate << " s";
}

// The audio layer: the MP3 reader on good and bad files, and the player's
// output heard through OpenAL Soft's wave writer or not at all.
#include "audio/audio.h"
#include "audio/mp3_stream.h"
#include "support/audio_test.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace
{
// Run as a child with OSTRALIS_AUDIO_CHILD=FILE, this program does what the
// show does with its music and nothing else: initialise the output, stream
// FILE, let it play for OSTRALIS_AUDIO_SECONDS, then leave the way the
// player's main() does, with the stream still playing. Its exit code tells
// the parent whether a stream came back (1) or not (0); 2 if the request
// was not counted.
int runAsAudioChild()
{
    const char* file = std::getenv("OSTRALIS_AUDIO_CHILD");
    if (!file)
        return 0;
    const char* seconds = std::getenv("OSTRALIS_AUDIO_SECONDS");
    initAudioOutput();
    MusicChannel channel = createMusicStream(file);
    playMusicStream(channel);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds ? std::atof(seconds) : 0.2));
    std::exit(musicStreamRequests() != 1 ? 2 : channel != 0 ? 1 : 0);
}
const int audioChild = runAsAudioChild();

std::string thisProgram()
{
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

// Runs this program as the show would play FILE, with OpenAL configured by env.
ProcessResult playInChild(const std::string& file, std::map<std::string, std::string> env, double seconds = 0.2)
{
    env["OSTRALIS_AUDIO_CHILD"] = file;
    env["OSTRALIS_AUDIO_SECONDS"] = std::to_string(seconds);
    env["ALSOFT_LOGLEVEL"] = "";  // the audio layer sets it itself
    if (!env.count("ALSOFT_CONF"))
        env["ALSOFT_CONF"] = "";
    return runProcess({thisProgram()}, env, "/tmp", 60.0);
}

// The bad files a copied show folder may hold under the music's name.
struct BadMusic
{
    std::string name;
    Bytes bytes;
};

std::vector<BadMusic> badMusicFiles()
{
    Bytes good = encodeTestMp3(testTone(44100, 2, 1.0), 44100, 2);
    return {
        {"empty", {}},
        {"random", randomBytes(200000, 7)},
        {"fake-frame-headers", fakeFrames(400, 11)},
        {"truncated", Bytes(good.begin(), good.begin() + good.size() / 3)},
        {"wave", waveFile(testTone(44100, 2, 0.5), 44100, 2)},
    };
}

// Index of the first sample that is not silence, or the size when none.
size_t firstSound(const std::vector<int16_t>& samples)
{
    size_t i = 0;
    while (i < samples.size() && samples[i] == 0)
        ++i;
    return i;
}

// Correlation of two equally long runs of samples, from -1 to 1.
double correlation(const int16_t* a, const int16_t* b, size_t count)
{
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < count; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}
}

// A tone comes back in its own format, as long as it went in, and sounds
// like it (the decoder drops LAME's delay and padding, so the start lines up).
TEST(Mp3Reader, DecodesTonesInTheirOwnFormat)
{
    struct Format { int rate; int channels; };
    for (Format format : {Format{44100, 2}, Format{22050, 1}, Format{48000, 2}, Format{32000, 1}}) {
        SCOPED_TRACE(std::to_string(format.rate) + " Hz, " + std::to_string(format.channels) + " channels");
        std::vector<int16_t> tone = testTone(format.rate, format.channels, 1.0);
        Bytes mp3 = encodeTestMp3(tone, format.rate, format.channels);
        Mp3Stream stream;
        ASSERT_TRUE(openMp3Bytes(stream, mp3.data(), mp3.size()));
        EXPECT_EQ(stream.sampleRate, unsigned(format.rate));
        EXPECT_EQ(stream.channelCount, unsigned(format.channels));

        std::vector<int16_t> decoded = decodeToEnd(stream);
        long frameDifference = long(decoded.size() / format.channels) - long(tone.size() / format.channels);
        EXPECT_LE(std::labs(frameDifference), 1152) << "decoded " << decoded.size() << " samples of " << tone.size();
        size_t common = std::min(decoded.size(), tone.size());
        EXPECT_GT(correlation(decoded.data(), tone.data(), common), 0.95);
        closeMp3(stream);
    }
}

// Blocks hold whole frames of the stream's channels, and seeking back to the
// start (what stopping a stream does) gives the same samples again.
TEST(Mp3Reader, ReadsWholeFramesAndRewinds)
{
    Bytes mp3 = encodeTestMp3(testTone(44100, 2, 2.0), 44100, 2);
    Mp3Stream stream;
    ASSERT_TRUE(openMp3Bytes(stream, mp3.data(), mp3.size()));
    std::vector<int16_t> first(3001);
    size_t got = readMp3Block(stream, first.data(), first.size());
    EXPECT_EQ(got, 3000u);
    for (int i = 0; i < 20; ++i)
        readMp3Block(stream, first.data() + 3000, 1);  // odd requests give nothing, not half a frame
    std::vector<int16_t> more(5000);
    readMp3Block(stream, more.data(), more.size());

    ASSERT_TRUE(seekMp3(stream, 0));
    std::vector<int16_t> again(3000);
    ASSERT_EQ(readMp3Block(stream, again.data(), again.size()), 3000u);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), first.begin()));
    EXPECT_NE(firstSound(again), again.size());
    closeMp3(stream);
    EXPECT_EQ(readMp3Block(stream, again.data(), again.size()), 0u);
}

// The same file read from disk and from memory decodes to the same samples;
// a file that is not there, empty, or a directory is refused.
TEST(Mp3Reader, OpensFilesAndRefusesWhatIsNotOne)
{
    std::string dir = scratchDirectory("files");
    Bytes mp3 = encodeTestMp3(testTone(44100, 2, 0.5), 44100, 2);
    writeBytes(dir + "/music.mp3", mp3);
    writeBytes(dir + "/empty.mp3", {});

    Mp3Stream fromFile, fromMemory;
    ASSERT_TRUE(openMp3File(fromFile, (dir + "/music.mp3").c_str()));
    ASSERT_TRUE(openMp3Bytes(fromMemory, mp3.data(), mp3.size()));
    EXPECT_EQ(decodeToEnd(fromFile), decodeToEnd(fromMemory));
    closeMp3(fromFile);
    closeMp3(fromMemory);

    Mp3Stream refused;
    EXPECT_FALSE(openMp3File(refused, (dir + "/missing.mp3").c_str()));
    EXPECT_FALSE(openMp3File(refused, (dir + "/empty.mp3").c_str()));
    EXPECT_FALSE(openMp3File(refused, dir.c_str()));
    EXPECT_FALSE(openMp3File(refused, nullptr));
    EXPECT_FALSE(openMp3Bytes(refused, nullptr, 0));
    EXPECT_EQ(refused.decoder, nullptr);
}

// Damaged and wrong files never crash the reader, always come to an end,
// give no more sound than their frames can hold, and print nothing.
TEST(Mp3Reader, BadFilesEndQuietlyWithBoundedOutput)
{
    for (const BadMusic& bad : badMusicFiles()) {
        SCOPED_TRACE(bad.name);
        size_t samples = 0;
        bool opened = false;
        std::string printed = captureStderr([&] {
            Mp3Stream stream;
            opened = openMp3Bytes(stream, bad.bytes.data(), bad.bytes.size());
            if (opened)
                samples = decodeToEnd(stream).size();
            closeMp3(stream);
        });
        EXPECT_EQ(printed, "");
        // A frame of 1152 stereo samples needs far more than 24 bytes.
        EXPECT_LE(samples, bad.bytes.size() * 1152 * 2 / 24 + 1);
        if (bad.name == "empty") {
            EXPECT_FALSE(opened);
        }
        if (bad.name == "fake-frame-headers") {
            EXPECT_TRUE(opened) << "frames with valid headers are taken as noise";
        }
    }
}

// A cut file plays its first part exactly as the whole file would.
TEST(Mp3Reader, TruncatedFileGivesItsFirstPart)
{
    Bytes whole = encodeTestMp3(testTone(44100, 2, 2.0), 44100, 2);
    Bytes half(whole.begin(), whole.begin() + whole.size() / 2);
    Mp3Stream wholeStream, halfStream;
    ASSERT_TRUE(openMp3Bytes(wholeStream, whole.data(), whole.size()));
    ASSERT_TRUE(openMp3Bytes(halfStream, half.data(), half.size()));
    std::vector<int16_t> all = decodeToEnd(wholeStream);
    std::vector<int16_t> part = decodeToEnd(halfStream);
    EXPECT_GT(part.size(), all.size() * 2 / 5);
    EXPECT_LT(part.size(), all.size() * 3 / 5);
    size_t compared = part.size() - 2 * 1152 * 2;  // the last frames may differ
    EXPECT_TRUE(std::equal(part.begin(), part.begin() + compared, all.begin()));
    closeMp3(wholeStream);
    closeMp3(halfStream);
}

// Two files stitched together, the second in another rate and channel count:
// the stream keeps the first one's format to the end (what the sound device
// was set up for), converts the rest and prints nothing.
TEST(Mp3Reader, FormatChangeMidFileKeepsTheFirstFormat)
{
    for (bool stereoFirst : {true, false}) {
        SCOPED_TRACE(stereoFirst ? "44.1 kHz stereo, then 22.05 kHz mono" : "22.05 kHz mono, then 44.1 kHz stereo");
        Bytes stereo = encodeTestMp3(testTone(44100, 2, 1.0), 44100, 2);
        Bytes mono = encodeTestMp3(testTone(22050, 1, 1.0, 660.0), 22050, 1);
        Bytes both = stereoFirst ? stereo : mono;
        const Bytes& second = stereoFirst ? mono : stereo;
        both.insert(both.end(), second.begin(), second.end());

        Mp3Stream stream;
        std::vector<int16_t> samples;
        std::string printed = captureStderr([&] {
            ASSERT_TRUE(openMp3Bytes(stream, both.data(), both.size()));
            samples = decodeToEnd(stream);
        });
        EXPECT_EQ(printed, "");
        unsigned rate = stereoFirst ? 44100 : 22050;
        EXPECT_EQ(stream.sampleRate, rate);
        EXPECT_EQ(stream.channelCount, stereoFirst ? 2u : 1u);
        // About two seconds at the first rate: the second file was converted, not cut.
        double seconds = double(samples.size()) / stream.channelCount / rate;
        EXPECT_GT(seconds, 1.8);
        EXPECT_LT(seconds, 2.2);
        closeMp3(stream);
    }
}

// Without initialised output no stream is made, but every request counts.
TEST(AudioOutput, CountsRequestsEvenWithoutOutput)
{
    EXPECT_EQ(musicStreamRequests(), 0);
    EXPECT_EQ(createMusicStream("angel6.mp3"), 0u);
    EXPECT_EQ(createMusicStream(nullptr), 0u);
    EXPECT_EQ(musicStreamRequests(), 2);
    playMusicStream(0);
    playMusicStream(12345);
}

// No sound device, however OpenAL finds that out: no stream, and not one
// line from OpenAL or ALSA.
TEST(AudioOutput, NoDeviceIsSilentAndQuiet)
{
    std::string dir = scratchDirectory("no-device");
    writeBytes(dir + "/music.mp3", encodeTestMp3(testTone(44100, 2, 0.5), 44100, 2));
    std::string brokenWave = writeWaveDriverConfig(dir + "/no-file.conf", "");
    std::string unwritable = writeWaveDriverConfig(dir + "/unwritable.conf", dir + "/no/such/dir/out.wav");
    struct Setting { std::string name; std::map<std::string, std::string> env; };
    std::vector<Setting> settings = {
        {"ALSA without a card", {{"ALSOFT_DRIVERS", "alsa"}}},
        {"no driver by that name", {{"ALSOFT_DRIVERS", "nosuchdriver"}}},
        {"wave writer without a file", {{"ALSOFT_CONF", brokenWave}}},
        {"wave writer that cannot write", {{"ALSOFT_CONF", unwritable}}},
    };
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.name);
        ProcessResult result = playInChild(dir + "/music.mp3", setting.env);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0) << "0: no stream came back";
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
    }
}

// What the show plays is what the wave writer records: the file's samples
// from its first one on, bit for bit, and the process ends cleanly after.
TEST(AudioOutput, WaveWriterHearsTheMusicFromItsStart)
{
    std::string dir = scratchDirectory("wave");
    std::vector<int16_t> tone = testTone(44100, 2, 1.0);
    Bytes mp3 = encodeTestMp3(tone, 44100, 2);
    writeBytes(dir + "/music.mp3", mp3);
    std::string config = writeWaveDriverConfig(dir + "/wave.conf", dir + "/heard.wav");

    ProcessResult result = playInChild(dir + "/music.mp3", {{"ALSOFT_CONF", config}}, 2.0);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 1) << "1: a stream came back";
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");

    Mp3Stream stream;
    ASSERT_TRUE(openMp3Bytes(stream, mp3.data(), mp3.size()));
    std::vector<int16_t> expected = decodeToEnd(stream);
    closeMp3(stream);

    WaveRecording heard = readWaveRecording(dir + "/heard.wav");
    EXPECT_EQ(heard.sampleRate, 44100);
    EXPECT_EQ(heard.channelCount, 2);
    size_t start = firstSound(heard.samples);
    size_t expectedStart = firstSound(expected);
    ASSERT_LT(start, heard.samples.size()) << "the recording is silent";
    ASSERT_GE(heard.samples.size() - start, expected.size() - expectedStart) << "the recording stops early";
    EXPECT_TRUE(std::equal(expected.begin() + expectedStart, expected.end(), heard.samples.begin() + start))
        << "the recording differs from the file";
}

// The show never stops its music: leaving with a stream in full flow ends
// the process cleanly, every time.
TEST(AudioOutput, ExitsCleanlyWithTheMusicPlaying)
{
    std::string dir = scratchDirectory("exit");
    writeBytes(dir + "/music.mp3", encodeTestMp3(testTone(44100, 2, 20.0), 44100, 2));
    std::string config = writeWaveDriverConfig(dir + "/wave.conf", dir + "/heard.wav");
    for (double seconds : {0.0, 0.05, 0.3, 0.6}) {
        SCOPED_TRACE("leaving after " + std::to_string(seconds) + " s");
        ProcessResult result = playInChild(dir + "/music.mp3", {{"ALSOFT_CONF", config}}, seconds);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
    }
}

// With a working device, every bad file gives no stream or a stream of
// noise, and neither a crash, a hang nor a message.
TEST(AudioOutput, BadMusicWithADeviceIsQuiet)
{
    std::string dir = scratchDirectory("bad-music");
    std::string config = writeWaveDriverConfig(dir + "/wave.conf", dir + "/heard.wav");
    std::vector<BadMusic> files = badMusicFiles();
    files.push_back({"missing", {}});
    for (const BadMusic& bad : files) {
        SCOPED_TRACE(bad.name);
        std::string path = dir + "/" + bad.name + ".mp3";
        if (bad.name != "missing")
            writeBytes(path, bad.bytes);
        ProcessResult result = playInChild(path, {{"ALSOFT_CONF", config}}, 0.5);
        EXPECT_FALSE(result.timedOut);
        EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.exitCode;
        if (bad.name == "missing" || bad.name == "empty") {
            EXPECT_EQ(result.exitCode, 0);
        }
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
    }
}

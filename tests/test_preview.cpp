// The preview: a jump lands on the frame the capture tool draws for that
// time, a looped scene starts again when it hands over, and a shader that
// no longer compiles leaves the preview running with the compiler's words.
#include "audio/mp3_stream.h"
#include "support/audio_test.h"
#include "support/player_control.h"
#include "support/screen_grab.h"
#include "support/show_test.h"
#include "support/tool_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace
{
// A point in the title scene, while its picture blurs: replayed in a few seconds.
const double jumpSeconds = 10.5;
const long jumpFrame = 630;  // at 60 frames a second

struct Landing
{
    long frame = -1;
    int scene = -1;
};

// Every "at M:SS.hh (frame F, scene S)" line the preview wrote, in order.
std::vector<Landing> landings(const std::string& err)
{
    std::vector<Landing> found;
    std::regex line(R"(at \d+:\d\d\.\d\d \(frame (\d+), scene (\d+)\))");
    for (std::sregex_iterator match(err.begin(), err.end(), line), end; match != end; ++match)
        found.push_back({std::stol((*match)[1]), std::stoi((*match)[2])});
    return found;
}

// The preview's window, once it is open; empty if none came.
std::string previewWindow()
{
    ProcessResult found = runProcess({"xdotool", "search", "--sync", "--name", "^Ostralis preview$"}, {}, "/", 60);
    std::vector<std::string> windows = splitLines(found.out);
    return windows.empty() ? std::string() : windows.front();
}

// Keys go to the focused window: there is no window manager to give it.
void pressKey(const std::string& window, const std::string& key)
{
    runProcess({"xdotool", "windowfocus", "--sync", window, "key", key}, {}, "/", 10);
}
}

TEST(PreviewJump, LandsOnTheFrameTheCaptureToolDrawsForThatTime)
{
    ScratchDir scratch;
    const std::string shot = scratch.path + "/preview.png";
    ProcessResult preview = runTool("ostralis-preview", {"--at", std::to_string(jumpSeconds), "--screenshot", shot});
    ASSERT_EQ(preview.exitCode, 0) << preview.err;
    std::vector<Landing> landed = landings(preview.err);
    ASSERT_EQ(landed.size(), 1u) << preview.err;
    EXPECT_EQ(landed[0].frame, jumpFrame);
    EXPECT_EQ(landed[0].scene, 1);

    // The capture tool's frame for that time, drawn after every frame before
    // it, as the player draws them; and again the quick way, reached without
    // drawing the frames before its span, as the preview reaches it.
    const std::string span[] = {"--from", std::to_string(jumpSeconds), "--to", std::to_string(jumpSeconds + 0.01)};
    ProcessResult capture = runTool("ostralis-capture", {"--frames", scratch.path + "/frames", "--draw-all", span[0],
                                                         span[1], span[2], span[3]});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    ProcessResult quickCapture =
        runTool("ostralis-capture", {"--frames", scratch.path + "/quick", span[0], span[1], span[2], span[3]});
    ASSERT_EQ(quickCapture.exitCode, 0) << quickCapture.err;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06ld.png", jumpFrame);
    sf::Image fromPreview, fromCapture, fromQuickCapture;
    ASSERT_TRUE(fromPreview.loadFromFile(shot));
    ASSERT_TRUE(fromCapture.loadFromFile(scratch.path + "/frames/" + name));
    ASSERT_TRUE(fromQuickCapture.loadFromFile(scratch.path + "/quick/" + name));
    ImageDifference difference = compareImages(fromPreview, fromCapture, 0);
    EXPECT_EQ(difference.pixelsBeyond, 0) << "largest " << difference.largest;
    ImageDifference quickDifference = compareImages(fromQuickCapture, fromCapture, 0);
    EXPECT_EQ(quickDifference.pixelsBeyond, 0) << "largest " << quickDifference.largest;
    // Not a comparison of black screens.
    sf::Color mean = meanColor(fromCapture, 0, 0, 1280, 720);
    EXPECT_GT(mean.r + mean.g + mean.b, 15);
}

namespace
{
// Reads what a running preview writes on standard error into `err` until it
// has said it landed `count` times in all, or `seconds` have passed.
bool waitForLandings(const RunningProcess& preview, std::string& err, size_t count, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (landings(err).size() < count)
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready = {preview.errFd, POLLIN, 0};
        if (poll(&ready, 1, int(left.count())) <= 0)
            continue;
        char buffer[4096];
        ssize_t got = read(preview.errFd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        err.append(buffer, size_t(got));
    }
    return true;
}

// The status band at the window's foot covers the show's last rows.
const unsigned statusBand = 28;

// The preview's window as the screen shows it, above its status band.
sf::Image shownAboveStatus()
{
    ScreenPixels screen = grabScreen();
    sf::Image image;
    if (screen.width < 1280 || screen.height < 720)
        return image;
    image.create(1280, 720 - statusBand);
    for (unsigned y = 0; y < 720 - statusBand; ++y)
        for (unsigned x = 0; x < 1280; ++x)
        {
            const std::uint8_t* rgb = &screen.rgb[(std::size_t(y) * screen.width + x) * 3];
            image.setPixel(x, y, sf::Color(rgb[0], rgb[1], rgb[2]));
        }
    return image;
}

// The capture tool's frame, above the status band, reached the quick way.
sf::Image capturedAboveStatus(const std::string& dir, long frame)
{
    char from[32], to[32], name[32];
    std::snprintf(from, sizeof from, "%.6f", frame / 60.0);
    std::snprintf(to, sizeof to, "%.6f", (frame + 0.5) / 60.0);
    std::snprintf(name, sizeof name, "frame-%06ld.png", frame);
    const std::string frames = dir + "/" + std::to_string(frame);
    ProcessResult capture = runTool("ostralis-capture", {"--frames", frames, "--from", from, "--to", to});
    sf::Image whole, image;
    if (capture.exitCode != 0 || !whole.loadFromFile(frames + "/" + name))
        return image;
    image.create(1280, 720 - statusBand);
    image.copy(whole, 0, 0, sf::IntRect(0, 0, 1280, 720 - statusBand));
    return image;
}
}

TEST(PreviewJump, JumpsBackAndForthInItsOwnWindowAndLandsOnTheCaptureToolsFrames)
{
    // Late in the show, back scene by scene to an early one, a second on,
    // and forward again: every landing is the capture tool's frame for it,
    // in the one window the preview opened.
    RunningProcess preview = startProcess({toolPath("ostralis-preview"), "--at", "125", "--paused"});
    std::string window = previewWindow();
    ASSERT_FALSE(window.empty()) << "no preview window";
    // With no window manager the window opens partly off the screen: all of it on the screen, to be read.
    runProcess({"xdotool", "windowmove", "--sync", window, "0", "0"}, {}, "/", 10);
    struct Step
    {
        const char* key;  // none for the first landing
        int presses;
        long frame;       // where the last press lands, to a frame: a step is added to the show time
    };
    const Step steps[] = {{"", 0, 7500},           // scene 9, its glints
                          {"Page_Up", 1, 6363},    // scene 8's first frame
                          {"Page_Up", 3, 3452},    // scene 5's, its picture already there
                          {"Right", 1, 3512},      // a second into scene 5
                          {"Page_Down", 3, 6363}}; // scene 8's first frame again
    ScratchDir scratch;
    std::string err;
    size_t landed = 0;
    // A step that cannot go on leaves the preview to be ended below.
    auto take = [&](const Step& step) {
        for (int press = 0; press < std::max(step.presses, 1); ++press)
        {
            if (step.presses > 0)
                pressKey(window, step.key);
            ASSERT_TRUE(waitForLandings(preview, err, ++landed, 60)) << err;
        }
        const long frame = landings(err).back().frame;
        EXPECT_NEAR(frame, step.frame, 1) << err;
        sf::Image captured = capturedAboveStatus(scratch.path, frame);
        ASSERT_EQ(captured.getSize(), sf::Vector2u(1280, 720 - statusBand)) << "no capture of the frame";
        sf::Color mean = meanColor(captured, 0, 0, 1280, 720 - statusBand);
        EXPECT_GT(mean.r + mean.g + mean.b, 15) << "a comparison of black screens";
        // The landing is presented just after it is reported; on a loaded
        // machine the screen may take a moment to show it.
        ImageDifference difference;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            difference = compareImages(shownAboveStatus(), captured, 0);
        } while (difference.pixelsBeyond > 0 && std::chrono::steady_clock::now() < deadline);
        EXPECT_EQ(difference.pixelsBeyond, 0) << "largest " << difference.largest;
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(std::string(step.key) + " to frame " + std::to_string(step.frame));
        take(step);
        if (HasFatalFailure())
            break;
    }
    // Still the window it opened with, where it was put, and no other.
    ProcessResult windows = runProcess({"xdotool", "search", "--name", "^Ostralis preview$"}, {}, "/", 10);
    EXPECT_EQ(splitLines(windows.out), std::vector<std::string>{window});
    ProcessResult geometry = runProcess({"xdotool", "getwindowgeometry", window}, {}, "/", 10);
    EXPECT_NE(geometry.out.find("Position: 0,0"), std::string::npos) << geometry.out;
    pressKey(window, "Escape");
    ProcessResult result = finishProcess(preview, 30);
    EXPECT_EQ(result.exitCode, 0) << err << result.err;
}

TEST(PreviewLoop, ALoopedSceneStartsAgainWhenItHandsOver)
{
    // Half a second before the title scene hands over, looping it: it plays
    // to its end, starts again at its first frame and plays a second more.
    ProcessResult preview = runTool("ostralis-preview", {"--at", "22.8", "--loop", "--quit-after", "1"});
    ASSERT_EQ(preview.exitCode, 0) << preview.err;
    EXPECT_NE(preview.err.find("looping scene 1"), std::string::npos) << preview.err;
    std::vector<Landing> landed = landings(preview.err);
    ASSERT_EQ(landed.size(), 2u) << preview.err;
    EXPECT_EQ(landed[0].scene, 1);
    EXPECT_EQ(landed[1].scene, 1);
    // The scene's first frame: the quotation's last is the frame before it.
    EXPECT_LT(landed[1].frame, landed[0].frame);
    ScratchDir scratch;
    ProcessResult quotationEnd = runTool("ostralis-preview", {"--scene", "1", "--screenshot", scratch.path + "/start.png"});
    std::vector<Landing> sceneStart = landings(quotationEnd.err);
    ASSERT_EQ(sceneStart.size(), 1u) << quotationEnd.err;
    EXPECT_EQ(landed[1].frame, sceneStart[0].frame);
}

TEST(PreviewShaders, ABrokenShaderKeepsTheLastGoodOneAndShowsItsError)
{
    std::string show = makeShowCopy();
    RunningProcess preview = startProcess({toolPath("ostralis-preview"), "--show-dir", show, "--paused"});
    std::string window = previewWindow();
    ASSERT_FALSE(window.empty()) << "no preview window";
    auto press = [&](const std::string& key) { pressKey(window, key); };
    // Let it land and settle before the file changes under it.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    writeShowFile(show, "ripple_shader.fs.txt", "void main() { this is not GLSL }\n");
    press("r");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_FALSE(processEnded(preview)) << "the preview ended on a broken shader";
    press("Escape");
    ProcessResult result = finishProcess(preview, 30);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("ripple_shader.fs.txt did not compile"), std::string::npos) << result.err;
}

TEST(PreviewQuitAfter, EndsInWallTimeOnceTheShowHasEndedOrIsPaused)
{
    // Past the show's end no show time passes, and paused none either: the
    // limit still ends the preview, by itself and cleanly.
    for (std::vector<std::string> args : {std::vector<std::string>{"--at", "156", "--quit-after", "1"},
                                          {"--at", "156", "--loop", "--quit-after", "1"},
                                          {"--at", "5", "--paused", "--quit-after", "1"}})
    {
        SCOPED_TRACE(args[0] + " " + args[1] + " " + args[2]);
        ProcessResult preview = runTool("ostralis-preview", args);
        EXPECT_FALSE(preview.timedOut) << "the preview did not end by itself";
        EXPECT_EQ(preview.exitCode, 0) << preview.err;
        EXPECT_EQ(landings(preview.err).size(), 1u) << preview.err;
    }
}

namespace
{
size_t firstSound(const std::vector<int16_t>& samples)
{
    auto loud = std::find_if(samples.begin(), samples.end(), [](int16_t sample) { return sample != 0; });
    return size_t(loud - samples.begin());
}
}

TEST(PreviewMusic, StaysSilentWhileReplayingAndPlaysFromTheLanding)
{
    // Heard through the wave writer: the first sound is the music at the
    // landing, never the opening that the replay passes through.
    std::string dir = scratchDirectory("preview-music");
    std::string config = writeWaveDriverConfig(dir + "/wave.conf", dir + "/heard.wav");
    ProcessResult preview = runTool("ostralis-preview", {"--at", "20", "--quit-after", "1.5"}, {{"ALSOFT_CONF", config}});
    ASSERT_EQ(preview.exitCode, 0) << preview.err;

    Mp3Stream stream;
    ASSERT_TRUE(openMp3File(stream, SHOW_DIR "/angel6.mp3"));
    std::vector<int16_t> music = decodeToEnd(stream);
    closeMp3(stream);
    WaveRecording heard = readWaveRecording(dir + "/heard.wav");
    if (heard.samples.empty())
        GTEST_SKIP() << "the wave writer recorded nothing: no OpenAL Soft output here";
    size_t heardStart = firstSound(heard.samples);
    size_t musicStart = firstSound(music);
    ASSERT_LT(heardStart, heard.samples.size()) << "the music was not heard after landing";
    const size_t compared = 4410;
    ASSERT_GE(heard.samples.size() - heardStart, compared);
    ASSERT_GE(music.size() - musicStart, compared);
    EXPECT_FALSE(std::equal(music.begin() + musicStart, music.begin() + musicStart + compared,
                            heard.samples.begin() + heardStart))
        << "the music's opening was heard during the replay";
}

TEST(PreviewShaders, ReloadsFromTheShaderFolderAndRefusesAFolderForAFile)
{
    // R reads the folder given, not the show's copies; a shader name that is
    // a folder there is an error on screen, not the end of the preview.
    std::string show = makeShowCopy();
    std::string shaders = scratchDirectory("preview-shaders");
    for (const auto& entry : std::filesystem::directory_iterator(SOURCE_DIR "/data"))
        std::filesystem::copy_file(entry.path(), shaders + "/" + entry.path().filename().string());
    RunningProcess preview =
        startProcess({toolPath("ostralis-preview"), "--show-dir", show, "--shader-dir", shaders, "--paused"});
    std::string window = previewWindow();
    ASSERT_FALSE(window.empty()) << "no preview window";
    auto press = [&](const std::string& key) { pressKey(window, key); };
    std::this_thread::sleep_for(std::chrono::seconds(2));
    writeBytes(shaders + "/shockwave_shader.fs.txt", Bytes{'n', 'o', 't', ' ', 'G', 'L', 'S', 'L', '\n'});
    press("r");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::filesystem::remove(shaders + "/shockwave_shader.fs.txt");
    std::filesystem::create_directory(shaders + "/shockwave_shader.fs.txt");
    press("r");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_FALSE(processEnded(preview)) << "the preview ended on a shader name that is a folder";
    press("Escape");
    ProcessResult result = finishProcess(preview, 30);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("shockwave_shader.fs.txt did not compile"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
}

TEST(PreviewScreenshot, OneThatCannotBeWrittenIsRefusedAtOnceOrFailsWithoutAFile)
{
    ScratchDir scratch;
    // A folder that is not there: one line before any window opens (no display is needed to say so).
    ProcessResult missing = runTool("ostralis-preview", {"--at", "20", "--screenshot", scratch.path + "/missing/shot.png"},
                                    {{"DISPLAY", ""}});
    EXPECT_EQ(missing.exitCode, 2) << missing.err;
    EXPECT_EQ(splitLines(missing.err).size(), 1u) << missing.err;

    // A disk that fills up while the picture is written: a failure, and no file.
    ProcessResult full;
    {
        FileSizeLimit limit(20000);
        full = runTool("ostralis-preview", {"--at", "20", "--screenshot", scratch.path + "/shot.png"});
    }
    EXPECT_EQ(full.exitCode, 1) << full.err;
    std::vector<std::string> errLines = splitLines(full.err);
    ASSERT_FALSE(errLines.empty());
    EXPECT_NE(errLines.back().find("cannot write"), std::string::npos) << full.err;
    EXPECT_EQ(listDir(scratch.path), std::vector<std::string>{});
}

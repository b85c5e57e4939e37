// The Windows player from its zip, run under Wine on the virtual display:
// its start-up lines, the first scenes on the real clock, the title as the
// Linux player draws it, Escape, a missing heat shader, and no sound device.
#include "support/player_control.h"
#include "support/reliability.h"
#include "support/show_test.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

namespace
{
const std::string zipPath = SOURCE_DIR "/build-windows/ostralis-windows-x86_64.zip";
const std::string zipFolder = "ostralis-windows-x86_64";
const std::string winePath = "/usr/lib/wine/wine64";
const std::string wineserverPath = "/usr/lib/wine/wineserver";
const std::string winePrefix = BUILD_DIR "/wine-prefix";
const int fatalExit = 255; // the entry point's -1

// Wine's own prefix, kept quiet: no prompts for its .NET and HTML engines,
// none of its debug channels, and its sound drivers off, so the player finds
// no sound device on any machine.
std::map<std::string, std::string> wineEnvironment()
{
    return {{"WINEPREFIX", winePrefix},
            {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=d"}};
}

// Why the Windows player cannot be tried here, or "" when it can.
std::string missingPieces()
{
    if (!std::filesystem::exists(zipPath))
        return "no " + zipPath + ": scripts/package-windows.sh makes it";
    if (access(winePath.c_str(), X_OK) != 0)
        return "Debian's wine64 is not installed";
    return "";
}

// The zip unpacked into a fresh folder; returns the player's folder.
std::string unpackZip()
{
    char pattern[] = "/tmp/ostralis-windows-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    ProcessResult unzip = runProcess({"unzip", "-q", zipPath, "-d", pattern}, {}, "/", 120);
    EXPECT_EQ(unzip.exitCode, 0) << unzip.err;
    return std::string(pattern) + "/" + zipFolder;
}

// A new prefix takes a while to make: it is made once and kept in the build folder.
bool prepareWinePrefix()
{
    if (std::filesystem::exists(winePrefix + "/system.reg"))
        return true;
    ProcessResult boot = runProcess({winePath, "wineboot", "-i"}, wineEnvironment(), "/", 300);
    return boot.exitCode == 0 && std::filesystem::exists(winePrefix + "/system.reg");
}

// A line the player wrote and when it came, in seconds from the start.
struct TimedLine
{
    std::string text;
    double at;
};

// The player under Wine, its two output streams read as they come.
struct WinePlayer
{
    RunningProcess process;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::vector<TimedLine> lines;
    std::string pending, err;

    double now() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    // Reads what has come within waitMs; false once both streams are closed.
    bool read(int waitMs)
    {
        pollfd fds[2] = {{process.outFd, POLLIN, 0}, {process.errFd, POLLIN, 0}};
        if (poll(fds, 2, waitMs) <= 0)
            return true;
        char buffer[4096];
        bool open = false;
        for (int i = 0; i < 2; ++i)
        {
            if (!(fds[i].revents & (POLLIN | POLLHUP)))
            {
                open = true;
                continue;
            }
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            open = true;
            if (i == 1)
            {
                err.append(buffer, static_cast<size_t>(n));
                continue;
            }
            pending.append(buffer, static_cast<size_t>(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            {
                std::string line = pending.substr(0, end);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                lines.push_back({line, now()});
            }
        }
        return open;
    }

    // Waits for a line; returns when it came, or a negative time.
    double waitFor(const std::string& text, double timeoutSeconds)
    {
        double deadline = now() + timeoutSeconds;
        for (;;)
        {
            for (const TimedLine& line : lines)
                if (line.text == text)
                    return line.at;
            if (now() > deadline || !read(100))
                return -1.0;
        }
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> all;
        for (const TimedLine& line : lines)
            all.push_back(line.text);
        return all;
    }
};

WinePlayer startWinePlayer(const std::string& folder)
{
    WinePlayer player;
    player.process = startProcess({winePath, "ostralis.exe"}, wineEnvironment(), folder);
    player.start = std::chrono::steady_clock::now();
    return player;
}

// Waits for the player to end and collects the rest of what it wrote.
ProcessResult finishWinePlayer(WinePlayer& player, double timeoutSeconds)
{
    double deadline = player.now() + timeoutSeconds;
    while (player.now() < deadline && player.read(100))
    {
    }
    ProcessResult result = finishProcess(player.process, 10);
    result.timedOut = result.timedOut || player.now() >= deadline;
    result.out.clear();
    for (const TimedLine& line : player.lines)
        result.out += line.text + "\n";
    result.err = player.err + result.err;
    // The C runtime ends its text lines with CR LF.
    result.err.erase(std::remove(result.err.begin(), result.err.end(), '\r'), result.err.end());
    return result;
}

// The virtual screen as it is now.
sf::Image grabScreen(const std::string& file)
{
    ProcessResult grab = runProcess({"ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-video_size", "1280x720",
                                     "-i", std::getenv("DISPLAY"), "-frames:v", "1", file},
                                    {}, "/", 60);
    EXPECT_EQ(grab.exitCode, 0) << grab.err;
    sf::Image image;
    EXPECT_TRUE(image.loadFromFile(file)) << file;
    return image;
}

// Scene 1 drawn by the show's own code, as the Linux player draws it, after
// the given seconds of its own time. Drawn on the test run's own display,
// which outlives this process, not on the private one the test ends.
sf::Image linuxSceneOne(float seconds, const std::string& testDisplay)
{
    std::string privateDisplay = std::getenv("DISPLAY");
    setenv("DISPLAY", testDisplay.c_str(), 1);
    loadShowForTest();
    setenv("DISPLAY", privateDisplay.c_str(), 1);
    const float step = 1.0f / 60.0f;
    for (float time = 0.0f; time < seconds; time += step)
        runTestFrame(1, step);
    return testFrame();
}

// How many pixels of a rectangle are nearly black.
int darkPixels(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height)
{
    int count = 0;
    for (unsigned y = top; y < top + height; ++y)
        for (unsigned x = left; x < left + width; ++x)
        {
            sf::Color c = image.getPixel(x, y);
            if (c.r + c.g + c.b < 120)
                ++count;
        }
    return count;
}

class WindowsPlayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string missing = missingPieces();
        if (!missing.empty())
            GTEST_SKIP() << missing;
        const char* shared = std::getenv("DISPLAY");
        testDisplay = shared ? shared : "";
        display = std::make_unique<PrivateDisplay>();
        ASSERT_TRUE(prepareWinePrefix()) << "wineboot could not make " << winePrefix;
        folder = unpackZip();
    }

    void TearDown() override
    {
        // Nothing of Wine is left running, and the unpacked zip goes.
        if (display)
            runProcess({wineserverPath, "-k"}, wineEnvironment(), "/", 30);
        if (!folder.empty())
            std::filesystem::remove_all(std::filesystem::path(folder).parent_path());
    }

    // Skips the test when Wine gave the player no GL context with shaders.
    void skipWithoutShaders(const std::string& out)
    {
        if (out.find("shaders are not available") != std::string::npos)
            GTEST_SKIP() << "Wine on this display gives no GL context with shaders:\n" << out;
    }

    std::string testDisplay;
    std::unique_ptr<PrivateDisplay> display;
    std::string folder;
};
}

TEST_F(WindowsPlayer, TheZipHoldsThePlayerItsLibrariesAndEveryFileOfTheShow)
{
    for (const char* file : {"ostralis.exe", "README.txt"})
        EXPECT_TRUE(std::filesystem::exists(folder + "/" + file)) << file;
    for (const std::vector<std::string>* files : {&pictureFiles, &fontFiles, &shaderFiles})
        for (const std::string& file : *files)
            EXPECT_TRUE(std::filesystem::exists(folder + "/" + file)) << file;
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + musicFile));

    // The exe and its DLLs need no DLL but Windows' own (those of the Wine
    // prefix's system folder) and those beside them: no C or C++ runtime.
    std::string system32 = winePrefix + "/drive_c/windows/system32/";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        std::string file = entry.path().filename().string();
        if (file.size() < 4 || (file.substr(file.size() - 4) != ".exe" && file.substr(file.size() - 4) != ".dll"))
            continue;
        ProcessResult imports = runProcess({"x86_64-w64-mingw32-objdump", "-p", entry.path().string()}, {}, "/", 60);
        ASSERT_EQ(imports.exitCode, 0) << imports.err;
        for (const std::string& line : splitLines(imports.out))
        {
            size_t at = line.find("DLL Name: ");
            if (at == std::string::npos)
                continue;
            std::string dll = line.substr(at + 10), lower = dll;
            std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
            bool beside = std::filesystem::exists(folder + "/" + dll);
            bool windows = std::filesystem::exists(system32 + lower);
            EXPECT_TRUE(beside || windows) << file << " needs " << dll;
        }
    }
}

// One run: the start-up lines, scenes 0 to 2 on time, the title picture
// under the black presenter line in scene 1's hold, a show without sound
// that says nothing of it, and Escape ending it with 0.
TEST_F(WindowsPlayer, PlaysItsFirstScenesOnTimeSilentlyAndEndsOnEscape)
{
    WinePlayer player = startWinePlayer(folder);
    double firstScene = player.waitFor("scene 01 loaded", 180);
    if (firstScene < 0.0)
    {
        ProcessResult result = finishWinePlayer(player, 10);
        skipWithoutShaders(result.out);
        if (IsSkipped())
            return;
        FAIL() << "no first scene; stdout:\n" << result.out << "stderr:\n" << result.err;
    }
    std::vector<std::string> lines = player.texts();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
              std::vector<std::string>(startupLines, startupLines + 7));

    // Scene 1 begins 9.25 s of frames after scene 0, scene 2 14 s after that;
    // each change of phase may drop a frame's surplus. A warm-up longer than
    // the black opening lengthens it, which a slow machine under Wine may see.
    double secondScene = player.waitFor("scene 02 loaded", 40);
    ASSERT_GE(secondScene, 0.0) << player.err;
    EXPECT_GT(secondScene - firstScene, 9.25 - 0.4);
    EXPECT_LT(secondScene - firstScene, 9.25 + 2.5);

    // Four seconds into scene 1 its hold shows the title layers and the line.
    std::this_thread::sleep_for(std::chrono::duration<double>(secondScene + 4.0 - player.now()));
    std::string grabFile = folder + "/../scene1-hold.png";
    sf::Image grabbed = grabScreen(grabFile);

    double thirdScene = player.waitFor("scene 03 loaded", 40);
    ASSERT_GE(thirdScene, 0.0) << player.err;
    EXPECT_NEAR(thirdScene - secondScene, 14.0 + 0.5, 0.9);

    std::cout << "scene 1 began " << secondScene - firstScene << " s after scene 0, scene 2 "
              << thirdScene - secondScene << " s after scene 1" << std::endl;

    holdEscapeUntilExit(player.process, 60);
    ProcessResult result = finishWinePlayer(player, 30);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(errorLinesOfTheShow(result.err), std::vector<std::string>{}) << result.err;

    // The grab against the show's own drawing, coarsely: 80-pixel blocks'
    // mean colours, and the dark strokes of the presenter line.
    sf::Image expected = linuxSceneOne(4.0f, testDisplay);
    expected.saveToFile(BUILD_DIR "/windows-scene1-hold-linux.png");
    grabbed.saveToFile(BUILD_DIR "/windows-scene1-hold-wine.png");
    ASSERT_EQ(grabbed.getSize(), expected.getSize());
    double total = 0.0;
    int blocks = 0;
    for (unsigned y = 0; y < 720; y += 80)
        for (unsigned x = 0; x < 1280; x += 80)
        {
            sf::Color a = meanColor(grabbed, x, y, 80, 80), b = meanColor(expected, x, y, 80, 80);
            double difference = (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b)) / 3.0;
            EXPECT_LT(difference, 40.0) << "block at " << x << "," << y;
            total += difference;
            ++blocks;
        }
    std::cout << "the grab differs from the show's own frame by " << total / blocks
              << " per channel in an 80-pixel block, on average" << std::endl;
    EXPECT_LT(total / blocks, 12.0);
    int lineInGrab = darkPixels(grabbed, 100, 50, 1100, 130);
    int lineExpected = darkPixels(expected, 100, 50, 1100, 130);
    EXPECT_GT(lineExpected, 5000) << "the show's own scene 1 has no presenter line";
    EXPECT_GT(lineInGrab, lineExpected / 2) << "no black presenter line in the grab";
    EXPECT_LT(lineInGrab, lineExpected * 2);
}

TEST_F(WindowsPlayer, AMissingHeatShaderEndsStartUpWithMinusOne)
{
    std::filesystem::remove(folder + "/heat_shader.fs.txt");
    WinePlayer player = startWinePlayer(folder);
    ProcessResult result = finishWinePlayer(player, 180);
    skipWithoutShaders(result.out);
    if (IsSkipped())
        return;
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, fatalExit);
    EXPECT_NE(result.err.find("Failed to load shader, exiting...\n"), std::string::npos) << result.err;
    EXPECT_EQ(splitLines(result.out), std::vector<std::string>{"created render window"});
}

// Started from the folder above its own, with its input redirected as a
// script runs it, the player names the folder it read first, ends as a
// failed start-up does, and waits for no key.
TEST_F(WindowsPlayer, AWrongFolderIsNamedAndNoKeyIsAwaitedWithInputRedirected)
{
    std::string above = std::filesystem::path(folder).parent_path().string();
    WinePlayer player;
    player.process = startProcess({"/bin/sh", "-c", "exec \"$0\" \"$1\" < /dev/null", winePath, zipFolder + "/ostralis.exe"},
                                  wineEnvironment(), above);
    player.start = std::chrono::steady_clock::now();
    ProcessResult result = finishWinePlayer(player, 180);
    skipWithoutShaders(result.out);
    if (IsSkipped())
        return;
    EXPECT_FALSE(result.timedOut) << "the player waited: " << result.err;
    EXPECT_EQ(result.exitCode, fatalExit);
    std::vector<std::string> errors = splitLines(result.err);
    ASSERT_FALSE(errors.empty());
    std::string folderName = std::filesystem::path(above).filename().string();
    EXPECT_EQ(errors.front().rfind("ostralis: 38 of the show's 38 files missing in ", 0), 0u) << result.err;
    EXPECT_NE(errors.front().find(folderName + ", the folder it was started in"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("press a key to close"), std::string::npos) << result.err;
}

// The capture tool: its frames are the player's, its timeline is the scenes'
// own, its video's music starts with the frame that asks for it, it writes
// exactly the frames asked for, and it fails cleanly.
#include "support/show_test.h"
#include "support/tool_test.h"

#include "app/startup.h"
#include "audio/audio.h"
#include "scenes/scene.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>

namespace
{
// Coarse steps keep the runs short; the show's timing scales with the step.
const int testFps = 4;
const int wholeShowFps = 1;

std::string frameName(long frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06ld.png", frame);
    return name;
}

double meanBrightness(const sf::Image& image)
{
    sf::Color mean = meanColor(image, 0, 0, image.getSize().x, image.getSize().y);
    return (mean.r + mean.g + mean.b) / 3.0;
}
}

TEST(CaptureFrames, EqualThePlayersWindowAtTheSameSteadyRate)
{
    // Frames 8 to 92 at 4 fps: the quotation, its fade, the title scene's blur.
    ScratchDir scratch;
    ProcessResult capture = runTool("ostralis-capture", {"--fps", std::to_string(testFps), "--frames", scratch.path,
                                                         "--from", "2", "--to", "24", "--every", "6"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;

    // The player's side: the show's own window, its frame loop at the same
    // step, the back buffer read just before it is presented.
    sf::RenderWindow window;
    openShowWindow(window);
    loadShowForTest();
    window.setActive(true);
    sf::Texture backBuffer;
    ASSERT_TRUE(backBuffer.create(1280, 720));

    int sceneIndex = 0;
    int compared = 0;
    double brightest = 0;
    for (long frame = 0; frame <= 92; ++frame)
    {
        frameDelta = 1.0f / testFps;
        window.clear(sf::Color(0, 0, 0, 255));
        sceneIndex = dispatchScene(sceneIndex, window);
        if (frame >= 8 && (frame - 8) % 6 == 0)
        {
            backBuffer.update(window);
            sf::Image player = backBuffer.copyToImage();
            sf::Image captured;
            ASSERT_TRUE(captured.loadFromFile(scratch.path + "/" + frameName(frame))) << frame;
            // Multisampled edges may resolve a step apart; anything more is a different picture.
            ImageDifference difference = compareImages(player, captured, 2);
            EXPECT_LE(difference.pixelsBeyond, 50) << "frame " << frame << ", largest " << difference.largest;
            brightest = std::max(brightest, meanBrightness(player));
            ++compared;
        }
        window.display();
    }
    EXPECT_EQ(compared, 15);
    // Not a comparison of black screens.
    EXPECT_GT(brightest, 5.0);
}

TEST(CaptureFrames, FromToAndEveryWriteExactlyTheFramesAskedFor)
{
    // Frame k is shown at k / fps: from 0.3 s up to, not including, 2.0 s, every third.
    ScratchDir scratch;
    ProcessResult capture = runTool("ostralis-capture", {"--fps=10", "--frames", scratch.path + "/out",
                                                         "--from", "0.25", "--to", "2", "--every", "3"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    std::vector<std::string> expected;
    for (long frame : {3, 6, 9, 12, 15, 18})
        expected.push_back(frameName(frame));
    EXPECT_EQ(listDir(scratch.path + "/out"), expected);

    sf::Image image;
    ASSERT_TRUE(image.loadFromFile(scratch.path + "/out/" + frameName(18)));
    EXPECT_EQ(image.getSize(), sf::Vector2u(1280, 720));

    // A --to on a frame's own time leaves that frame out; --from alone runs to the end of the range.
    ScratchDir exact;
    capture = runTool("ostralis-capture", {"--fps", "4", "--frames", exact.path, "--from", "0.5", "--to", "1.25"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    EXPECT_EQ(listDir(exact.path), (std::vector<std::string>{frameName(2), frameName(3), frameName(4)}));
}

TEST(CaptureWholeShow, FramesRunWithoutDrawingLeaveTheFramesDrawnAsTheyWere)
{
    // A frame every four seconds of the show, once after all the frames
    // before it were drawn, as the player draws them, and once the quick way,
    // the frames between run without drawing. The captions' glyphs are first
    // rasterised in frames between, poems keep their lines for many frames,
    // the blur builds its levels as it goes: each is the same to the pixel.
    ScratchDir drawn, quick;
    const std::vector<std::string> common = {"--fps", "5", "--every", "20"};
    std::vector<std::string> drawAll = common, quickly = common;
    drawAll.insert(drawAll.end(), {"--draw-all", "--frames", drawn.path});
    quickly.insert(quickly.end(), {"--frames", quick.path});
    ProcessResult full = runTool("ostralis-capture", drawAll);
    ASSERT_EQ(full.exitCode, 0) << full.err;
    ProcessResult fast = runTool("ostralis-capture", quickly);
    ASSERT_EQ(fast.exitCode, 0) << fast.err;

    std::vector<std::string> frames = listDir(drawn.path);
    ASSERT_EQ(listDir(quick.path), frames);
    EXPECT_GE(frames.size(), 35u);
    for (const std::string& frame : frames)
    {
        sf::Image a, b;
        ASSERT_TRUE(a.loadFromFile(drawn.path + "/" + frame)) << frame;
        ASSERT_TRUE(b.loadFromFile(quick.path + "/" + frame)) << frame;
        ImageDifference difference = compareImages(a, b, 0);
        EXPECT_EQ(difference.pixelsBeyond, 0) << frame << ", largest " << difference.largest;
    }
}

TEST(CaptureWholeShow, TimelineIsTheScenesOwnAndStandardOutputThePlayers)
{
    ProcessResult capture = runTool("ostralis-capture", {"--fps", std::to_string(wholeShowFps), "--timeline"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    std::vector<TimelineEvent> timeline = parseTimeline(capture.out);

    // The same scenes run in this process at the same step, one after another,
    // their own lines caught as they are written.
    std::ostringstream sceneLines;
    std::streambuf* saved = std::cout.rdbuf(sceneLines.rdbuf());
    loadShowForTest();
    const float step = 1.0f / wholeShowFps;
    long frame = 0;
    long musicFrame = -1;
    for (int scene = 0; scene < sceneCount; ++scene)
    {
        EXPECT_EQ(timelineFrame(timeline, "scene " + std::to_string(scene)), frame) << "scene " << scene;
        int requests = musicStreamRequests();
        int next = scene;
        while (next == scene && frame < 100000)
        {
            next = runTestFrame(scene, step);
            if (musicFrame < 0 && musicStreamRequests() != requests)
                musicFrame = frame;
            ++frame;
        }
    }
    std::cout.rdbuf(saved);

    ASSERT_GT(musicFrame, 0);
    EXPECT_EQ(timelineFrame(timeline, "music"), musicFrame);
    // The player presents one more, black frame after the last scene.
    const long frames = frame + 1;
    EXPECT_EQ(timelineFrame(timeline, "end"), frames);
    for (const TimelineEvent& event : timeline)
        EXPECT_NEAR(event.seconds, double(event.frame) / wholeShowFps, 0.0006) << event.what;

    // Standard output holds the table alone; the player's start-up lines,
    // then the scenes' own, are on standard error among the tool's.
    std::vector<std::string> outLines = splitLines(capture.out);
    ASSERT_FALSE(outLines.empty());
    EXPECT_EQ(outLines.front().compare(0, 12, "timeline at "), 0) << capture.out;
    EXPECT_EQ(outLines.size(), timeline.size() + 1) << capture.out;
    std::vector<std::string> expected = {"created render window", "", "generic data loaded", "BASS loaded",
                                         "Window is active for OpenGL rendering", "Clock restarted",
                                         "Playing SYNC module"};
    for (const std::string& line : splitLines(sceneLines.str()))
        expected.push_back(line);
    std::vector<std::string> shown;
    for (const std::string& line : splitLines(capture.err))
        if (line.rfind("ostralis-capture: ", 0) != 0 && line != "Setting vertical sync not supported")
            shown.push_back(line);
    EXPECT_EQ(shown, expected);
}

TEST(CaptureWholeShow, VideoHasTheMusicFromTheFrameThatStartsItAndTheSheetShowsTheFrames)
{
    // One run of the whole show writes everything at once.
    ScratchDir scratch;
    const std::string video = scratch.path + "/show.mp4";
    const std::string sheet = scratch.path + "/sheet.png";
    ProcessResult capture = runTool("ostralis-capture",
                                    {"--fps", std::to_string(wholeShowFps), "--video", video, "--timeline",
                                     "--contact-sheet", sheet, "--sheet-every", "10", "--frames", scratch.path + "/frames",
                                     "--every", "10"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    std::vector<TimelineEvent> timeline = parseTimeline(capture.out);
    const long frames = timelineFrame(timeline, "end");
    const long musicFrame = timelineFrame(timeline, "music");
    ASSERT_GT(frames, 0);
    ASSERT_GT(musicFrame, 0);

    // Only the finished files remain, under their own names.
    EXPECT_EQ(listDir(scratch.path), (std::vector<std::string>{"frames", "sheet.png", "show.mp4"}));
    // --from and --to would cut the video too: the PNGs are every tenth frame of the whole show.
    std::vector<std::string> everyTenth;
    for (long frame = 0; frame < frames; frame += 10)
        everyTenth.push_back(frameName(frame));
    EXPECT_EQ(listDir(scratch.path + "/frames"), everyTenth);

    EXPECT_EQ(probeStream(video, "v:0", "codec_name"), "h264");
    EXPECT_EQ(probeStream(video, "v:0", "pix_fmt"), "yuv420p");
    EXPECT_EQ(probeStream(video, "v:0", "width"), "1280");
    EXPECT_EQ(probeStream(video, "v:0", "height"), "720");
    EXPECT_EQ(probeStream(video, "v:0", "nb_frames"), std::to_string(frames));
    EXPECT_EQ(probeStream(video, "v:0", "color_space"), "bt709");
    EXPECT_EQ(probeStream(video, "v:0", "color_range"), "tv");
    EXPECT_EQ(probeStream(video, "a:0", "codec_name"), "aac");
    EXPECT_NEAR(std::atof(probeStream(video, "a:0", "duration").c_str()), double(frames) / wholeShowFps, 0.05);

    // The music sounds from the frame in which scene 0 started it: one frame is a whole second here.
    // The MP3 is decoded as the player's decoder does, without the encoder's padding.
    const std::string music = scratch.path + "/music.wav";
    ASSERT_EQ(runProcess({"ffmpeg", "-v", "error", "-nostdin", "-i", std::string(SHOW_DIR) + "/angel6.mp3",
                          "-t", "20", music}).exitCode, 0);
    double musicOnset = soundOnsetSeconds(music);
    double videoOnset = soundOnsetSeconds(video);
    ASSERT_GE(musicOnset, 0);
    ASSERT_GE(videoOnset, 0);
    EXPECT_NEAR(videoOnset - musicOnset, double(musicFrame) / wholeShowFps, 0.03);

    // The sheet's second thumbnail is the frame at 10 s, shrunk.
    sf::Image sheetImage, tenSeconds;
    ASSERT_TRUE(sheetImage.loadFromFile(sheet));
    ASSERT_TRUE(tenSeconds.loadFromFile(scratch.path + "/frames/" + frameName(10 * wholeShowFps)));
    unsigned thumbnails = unsigned((frames - 1) / (10 * wholeShowFps) + 1);
    EXPECT_GE(sheetImage.getSize().x, 6u * 256);
    EXPECT_GE(sheetImage.getSize().y, (thumbnails + 5) / 6 * 144);
    sf::Color thumb = meanColor(sheetImage, 8 + 264 + 4, 40 + 4, 248, 136);
    sf::Color full = meanColor(tenSeconds, 20, 20, 1240, 680);
    EXPECT_NEAR(thumb.r, full.r, 3);
    EXPECT_NEAR(thumb.g, full.g, 3);
    EXPECT_NEAR(thumb.b, full.b, 3);

    // Decoded as its tags say, the video's frame at 10 s has the frame's colours, patch by patch.
    const std::string decoded = scratch.path + "/decoded.png";
    ASSERT_EQ(runProcess({"ffmpeg", "-v", "error", "-nostdin", "-i", video, "-vf",
                          "select=eq(n\\," + std::to_string(10 * wholeShowFps) + ")", "-frames:v", "1", decoded})
                  .exitCode, 0);
    sf::Image fromVideo;
    ASSERT_TRUE(fromVideo.loadFromFile(decoded));
    ASSERT_EQ(fromVideo.getSize(), tenSeconds.getSize());
    const unsigned patch = 80;
    const sf::Vector2u frameSize = tenSeconds.getSize();
    int worst = 0;
    std::string worstPatch;
    for (unsigned top = 0; top + patch <= frameSize.y; top += patch)
        for (unsigned left = 0; left + patch <= frameSize.x; left += patch)
        {
            sf::Color want = meanColor(tenSeconds, left, top, patch, patch);
            sf::Color got = meanColor(fromVideo, left, top, patch, patch);
            for (int off : {std::abs(got.r - want.r), std::abs(got.g - want.g), std::abs(got.b - want.b)})
                if (off > worst)
                {
                    worst = off;
                    worstPatch = std::to_string(left) + ", " + std::to_string(top);
                }
        }
    EXPECT_LE(worst, 3) << "patch at " << worstPatch;
}

// Alone, without a video that reads back every frame, the sheet still gets
// a thumbnail for every few seconds of the show.
TEST(CaptureWholeShow, TheSheetAloneHoldsAThumbnailEveryFewSeconds)
{
    ScratchDir scratch;
    const std::string sheet = scratch.path + "/sheet.png";
    ProcessResult capture = runTool("ostralis-capture", {"--fps", std::to_string(wholeShowFps), "--timeline",
                                                        "--contact-sheet", sheet, "--sheet-every", "20"},
                                     undrawnDriver()); // only the sheet's layout is looked at
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    const long frames = timelineFrame(parseTimeline(capture.out), "end");
    ASSERT_GT(frames, 0);
    unsigned thumbnails = unsigned((frames - 1) / (20 * wholeShowFps) + 1);
    sf::Image sheetImage;
    ASSERT_TRUE(sheetImage.loadFromFile(sheet));
    EXPECT_GE(sheetImage.getSize().x, 6u * 256);
    EXPECT_GE(sheetImage.getSize().y, (thumbnails + 5) / 6 * 144);
}

TEST(CaptureErrors, BadOptionsFailWithOneLineBeforeTheShowStarts)
{
    // A folder of this test's own, so that nothing else can have made it.
    ScratchDir scratch;
    const std::string neverMade = scratch.path + "/never-made";
    const std::vector<std::vector<std::string>> mistakes = {
        {"--bogus"},
        {"--fps"},
        {"--fps", "0"},
        {"--fps", "ten"},
        {"--fps", "1000"},
        {"--every", "2"},                                  // without --frames
        {"--frames", "/tmp", "--from", "3", "--to", "2"},
        {"--frames", "/tmp", "--every", "0"},
        {"--frames", "/tmp", "--from", "-1"},
        {"--video", "/tmp/show.avi"},
        {"--contact-sheet", "/tmp/sheet.jpg"},
        {"--timeline=yes"},
        {"--sheet-every", "0"},
        {"--fps", "60000/0"},
        {"--fps", "1/2"},
        {"--size", "3840x2160"},                           // without --video
        {"--video", "/tmp/show.mp4", "--size", "1279x720"},
        {"--video", "/tmp/show.mp4", "--lossless"},         // Matroska wanted
        {"--video", "/tmp/show.mkv"},                      // without --lossless
        {"--scene", "12", "--video", "/tmp/show.mp4"},
        {"--scene", "1"},                                  // without an output to choose for
        {"--frames", neverMade, "--from", "400"},  // past the show's end
        {"--frames", neverMade, "--from", "4000"},
        {"--sheet-every", "0.0001"},
    };
    for (const std::vector<std::string>& args : mistakes)
    {
        ProcessResult capture = runTool("ostralis-capture", args);
        std::string what = args.front() + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(capture.exitCode, 2) << what;
        EXPECT_EQ(splitLines(capture.err).size(), 1u) << what << ": " << capture.err;
        EXPECT_EQ(capture.out, "") << what;
        // Bounds are said as plain numbers ("0 to 1800").
        EXPECT_EQ(capture.err.find(".000000"), std::string::npos) << what << ": " << capture.err;
    }
    EXPECT_FALSE(fileExists(neverMade));
}

TEST(CaptureErrors, UnwritableOutputsAndAMissingOrFailingEncoderLeaveNoFileBehind)
{
    ScratchDir scratch;
    const std::string notADir = scratch.path + "/plain-file";
    std::ofstream(notADir) << "x";
    const std::string aDir = scratch.path + "/taken.mp4";
    ASSERT_EQ(runProcess({"mkdir", aDir}).exitCode, 0);

    const std::vector<std::vector<std::string>> unwritable = {
        {"--video", scratch.path + "/missing/show.mp4"},
        {"--contact-sheet", notADir + "/sheet.png"},
        {"--frames", notADir + "/frames"},
        {"--video", aDir},  // a directory of that name
    };
    for (const std::vector<std::string>& args : unwritable)
    {
        ProcessResult capture = runTool("ostralis-capture", args);
        EXPECT_EQ(capture.exitCode, 2) << args[1];
        EXPECT_EQ(splitLines(capture.err).size(), 1u) << args[1] << ": " << capture.err;
    }

    // A show folder without the show's files: refused before the frames' folder is made.
    const std::string emptyShow = scratch.path + "/no-show";
    ASSERT_EQ(runProcess({"mkdir", emptyShow}).exitCode, 0);
    ProcessResult noShow =
        runTool("ostralis-capture", {"--frames", scratch.path + "/frames", "--show-dir", emptyShow});
    EXPECT_EQ(noShow.exitCode, 2) << noShow.err;
    EXPECT_FALSE(fileExists(scratch.path + "/frames"));
    ASSERT_EQ(runProcess({"rmdir", emptyShow}).exitCode, 0);

    // No ffmpeg on PATH: said before anything is rendered.
    const std::string video = scratch.path + "/show.mp4";
    ProcessResult capture = runTool("ostralis-capture", {"--video", video}, {{"PATH", scratch.path}});
    EXPECT_EQ(capture.exitCode, 1);
    ASSERT_EQ(splitLines(capture.err).size(), 1u) << capture.err;
    EXPECT_NE(capture.err.find("ffmpeg"), std::string::npos);

    // An encoder that gives up at once: the run stops with its reason and removes its files.
    const std::string fakeBin = scratch.path + "/bin";
    ASSERT_EQ(runProcess({"mkdir", fakeBin}).exitCode, 0);
    std::ofstream(fakeBin + "/ffmpeg") << "#!/bin/sh\necho 'no encoder today' >&2\nexit 1\n";
    ASSERT_EQ(runProcess({"chmod", "+x", fakeBin + "/ffmpeg"}).exitCode, 0);
    capture = runTool("ostralis-capture", {"--video", video}, {{"PATH", fakeBin + ":/usr/bin:/bin"}});
    EXPECT_EQ(capture.exitCode, 1);
    std::vector<std::string> errLines = splitLines(capture.err);
    ASSERT_FALSE(errLines.empty());
    EXPECT_NE(errLines.back().find("no encoder today"), std::string::npos) << capture.err;

    EXPECT_EQ(listDir(scratch.path), (std::vector<std::string>{"bin", "plain-file", "taken.mp4"}));
}

TEST(CaptureErrors, FramesThatDoNotFitOnTheDiskFailAndNothingIsKept)
{
    ScratchDir scratch;
    const std::string dir = scratch.path + "/frames";
    ProcessResult capture;
    {
        // Room for less than one of the show's frames at 20 s.
        FileSizeLimit full(20000);
        capture = runTool("ostralis-capture", {"--frames", dir, "--from", "20", "--to", "21", "--every", "30"});
    }
    EXPECT_EQ(capture.exitCode, 1) << capture.err;
    std::vector<std::string> errLines = splitLines(capture.err);
    ASSERT_FALSE(errLines.empty());
    EXPECT_NE(errLines.back().find("cannot write"), std::string::npos) << capture.err;
    // The folder the run made is gone with the frames, whole or cut short.
    EXPECT_EQ(listDir(scratch.path), std::vector<std::string>{});

    // With room enough the same frames are written and read back whole.
    capture = runTool("ostralis-capture", {"--frames", dir, "--from", "20", "--to", "21", "--every", "30"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    std::vector<std::string> frames = listDir(dir);
    ASSERT_EQ(frames.size(), 2u);
    sf::Image frame;
    EXPECT_TRUE(frame.loadFromFile(dir + "/" + frames.front()));
    EXPECT_EQ(frame.getSize(), sf::Vector2u(1280, 720));

    // A contact sheet that does not fit: the line names the file asked for,
    // not the half-written one beside it, and neither is left.
    const std::string sheet = scratch.path + "/sheet.png";
    {
        FileSizeLimit full(1000);
        capture = runTool("ostralis-capture", {"--fps", std::to_string(wholeShowFps), "--contact-sheet", sheet,
                                               "--sheet-every", "20"},
                          undrawnDriver());
    }
    EXPECT_EQ(capture.exitCode, 1) << capture.err;
    errLines = splitLines(capture.err);
    ASSERT_FALSE(errLines.empty());
    EXPECT_NE(errLines.back().find("cannot write '" + sheet + "'"), std::string::npos) << capture.err;
    EXPECT_EQ(errLines.back().find(".partial"), std::string::npos) << capture.err;
    EXPECT_EQ(listDir(scratch.path), std::vector<std::string>{"frames"});
}

TEST(CaptureErrors, AnInterruptedRunOfFramesKeepsNoneOfThem)
{
    ScratchDir scratch;
    for (int signal : {SIGINT, SIGTERM})
    {
        const std::string dir = scratch.path + "/frames-" + std::to_string(signal);
        RunningProcess run = startProcess({toolPath("ostralis-capture"), "--fps", "10", "--frames", dir});
        // Stopped once a few frames are in place.
        bool written = false;
        for (int tries = 0; tries < 1200 && !written; ++tries)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            int frames = 0;
            for (const std::string& name : listDir(dir))
                frames += name.compare(0, 6, "frame-") == 0;
            written = frames >= 3;
        }
        kill(run.pid, signal);
        ProcessResult result = finishProcess(run);
        ASSERT_TRUE(written) << result.err;
        EXPECT_EQ(result.exitCode, 130) << result.err;
        std::vector<std::string> errLines = splitLines(result.err);
        ASSERT_FALSE(errLines.empty());
        EXPECT_NE(errLines.back().find("interrupted; nothing was kept"), std::string::npos) << result.err;
        EXPECT_FALSE(fileExists(dir)) << "signal " << signal;
    }
}

TEST(CaptureSpan, ALosslessVideoOfASpanHoldsItsFramesExactlyWithTheMusicCutToIt)
{
    // 10 s to 11 s at 4 fps: frames 40 to 43, with the music already playing.
    ScratchDir scratch;
    const std::string video = scratch.path + "/span.mkv";
    ProcessResult capture = runTool("ostralis-capture", {"--fps", "4", "--video", video, "--lossless", "--frames",
                                                        scratch.path + "/frames", "--from", "10", "--to", "11"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    EXPECT_EQ(probeStream(video, "v:0", "codec_name"), "ffv1");
    EXPECT_EQ(probeStream(video, "a:0", "codec_name"), "flac");
    ProcessResult count = runProcess({"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                      "stream=nb_read_frames", "-of", "csv=p=0", video});
    EXPECT_EQ(splitLines(count.out), std::vector<std::string>{"4"});
    EXPECT_NEAR(soundOnsetSeconds(video), 0.0, 0.05);

    // Every pixel of the video's first frame is the PNG of frame 40.
    const std::string decoded = scratch.path + "/decoded.png";
    ASSERT_EQ(runProcess({"ffmpeg", "-v", "error", "-nostdin", "-i", video, "-frames:v", "1", decoded}).exitCode, 0);
    sf::Image fromVideo, frame;
    ASSERT_TRUE(fromVideo.loadFromFile(decoded));
    ASSERT_TRUE(frame.loadFromFile(scratch.path + "/frames/" + frameName(40)));
    ImageDifference difference = compareImages(fromVideo, frame, 0);
    EXPECT_EQ(difference.pixelsBeyond, 0) << "largest " << difference.largest;

    // The closing line gives the real-time factor.
    EXPECT_NE(capture.err.find("x real time"), std::string::npos) << capture.err;
}

TEST(CaptureSpan, ASceneScaledForUploadSitesAtAFractionalRateKeepsItsMusicInStep)
{
    // The quotation alone, at about 5 frames a second, as a 2160p video.
    ScratchDir scratch;
    const std::string video = scratch.path + "/quotation.mp4";
    ProcessResult capture =
        runTool("ostralis-capture", {"--fps", "5000/1001", "--video", video, "--scene", "0", "--size", "3840x2160"});
    ASSERT_EQ(capture.exitCode, 0) << capture.err;
    EXPECT_EQ(probeStream(video, "v:0", "width"), "3840");
    EXPECT_EQ(probeStream(video, "v:0", "height"), "2160");
    EXPECT_EQ(probeStream(video, "v:0", "r_frame_rate"), "5000/1001");
    // The scene runs about 9.25 s; its music starts after its 1.25 s of black.
    double length = std::atof(probeStream(video, "v:0", "duration").c_str());
    EXPECT_NEAR(length, 9.25, 0.5);
    EXPECT_NEAR(std::atof(probeStream(video, "a:0", "duration").c_str()), length, 0.05);
    const std::string music = scratch.path + "/music.wav";
    ASSERT_EQ(runProcess({"ffmpeg", "-v", "error", "-nostdin", "-i", std::string(SHOW_DIR) + "/angel6.mp3", "-t", "5", music})
                  .exitCode, 0);
    EXPECT_NEAR(soundOnsetSeconds(video) - soundOnsetSeconds(music), 1.25, 0.25);
}

TEST(CaptureOptions, HelpVersionAndMistakesNeedNoDisplay)
{
    const std::map<std::string, std::string> noDisplay = {{"DISPLAY", ""}};
    for (const std::string tool : {"ostralis-capture", "ostralis-bench", "ostralis-preview"})
    {
        ProcessResult help = runTool(tool, {"--help"}, noDisplay);
        EXPECT_EQ(help.exitCode, 0) << tool << ": " << help.err;
        EXPECT_NE(help.out.find("--show-dir"), std::string::npos) << tool;
        EXPECT_NE(help.out.find("--version"), std::string::npos) << tool;
        EXPECT_EQ(help.err, "") << tool;

        ProcessResult version = runTool(tool, {"--version"}, noDisplay);
        EXPECT_EQ(version.exitCode, 0) << tool;
        EXPECT_EQ(splitLines(version.out), std::vector<std::string>{tool + " 1.0.0"}) << tool;

        ProcessResult mistake = runTool(tool, {"--bogus"}, noDisplay);
        EXPECT_EQ(mistake.exitCode, 2) << tool;
        EXPECT_EQ(splitLines(mistake.err).size(), 1u) << tool << ": " << mistake.err;
        EXPECT_EQ(mistake.out, "") << tool;
    }
    // Each option is listed with its default.
    ProcessResult help = runTool("ostralis-capture", {"--help"}, noDisplay);
    for (const char* option : {"--fps", "--video", "--size", "--lossless", "--frames", "--from", "--to", "--scene",
                               "--every", "--timeline", "--contact-sheet", "--sheet-every"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    EXPECT_NE(help.out.find("60000/1001"), std::string::npos);

    // Without a display, a real run says so in its own words.
    ProcessResult run = runTool("ostralis-capture", {}, noDisplay);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no X display"), std::string::npos) << run.err;
}

// The whole show at a fixed step of 1/60 s, scene 0 to the end, in one
// process as the frame loop runs it: the scenes' lines in order, the frame
// on which each scene starts, and the black frames at the end.
#include "assets/catalogue.h"
#include "scenes/scene.h"
#include "support/scene_probe.h"
#include "support/scene_timing.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace
{
const float sixtieth = 1.0f / 60.0f;

int reached(float length) { return phaseFrames(length, sixtieth, Threshold::Reached); }
int passed(float length) { return phaseFrames(length, sixtieth, Threshold::Passed); }

// A fade out that ends once its overlay, stored as a float, reaches 255.
int fadedOut(float length)
{
    float timer = 0.0f;
    int frames = 0;
    do
    {
        timer += sixtieth;
        ++frames;
    } while (static_cast<float>(timer * 255.0 / length) < 255.0f);
    return frames;
}

// The credits: the timer gains two steps a frame, the second one also right
// after a phase has reset it; the first and third phases end on their
// overlay leaving 0..255, the holds on the timer passing 8 s and 4 s.
int creditsFrames()
{
    float timer = 0.0f;
    int frames = 0;
    for (int phase = 0; phase < 4; ++phase)
    {
        bool over = false;
        while (!over)
        {
            timer += sixtieth;
            ++frames;
            if (phase == 0)
                over = static_cast<float>(255.0 - timer * 255.0 * 0.25) < 0.0f;
            else if (phase == 1)
                over = timer > 8.0f;
            else if (phase == 2)
                over = static_cast<float>(timer * 255.0 * 0.25) > 255.0f;
            else
                over = timer > 4.0f;
            if (over)
                timer = 0.0f;
            timer += sixtieth;
        }
    }
    return frames;
}

// Frames each scene lasts, from its phases: their lengths and whether the
// timer must reach or pass them.
std::vector<int> sceneFrames()
{
    int poem = 6 * passed(1.0f) + passed(2.0f) + 6 * passed(1.0f) + passed(2.0f);
    return {
        passed(1.25f) + reached(2.0f) + reached(4.0f) + fadedOut(2.0f),         // quotation
        reached(2.0f) + reached(4.0f) + passed(2.0f) + reached(4.0f) + reached(2.0f), // title
        reached(2.0f) + reached(6.0f) + passed(2.0f),                           // zoom
        reached(2.0f) + passed(6.0f) + passed(2.0f),                            // pencil sketch
        3 * passed(4.0f) + passed(2.0f),                                        // bust
        poem,                                                                   // first poem
        passed(4.0f) + passed(4.0f) + passed(8.0f) + 1,                         // layers, and the frame after
        poem,                                                                   // second poem
        reached(2.0f) + passed(8.0f) + reached(4.0f),                           // two captions
        reached(2.0f) + passed(4.0f) + reached(2.0f) + passed(8.0f),            // glints
        reached(2.0f) + passed(8.0f) + passed(2.0f),                            // receding picture
        creditsFrames(),                                                        // credits
    };
}
}

TEST(WholeShow, ScenesStartOnTheFramesTheirPhasesAddUpToAndTheShowEndsOnBlack)
{
    loadShowWithoutShaders();
    useTinyRenderTexture();

    // The frame loop at a steady 60 frames per second, on a small target;
    // the last frames, drawn straight onto the window, are drawn in full.
    std::vector<int> startFrame(sceneCount + 1, -1);
    std::vector<std::pair<int, std::string>> logLines; // frame, line
    std::vector<int> numberFrames;                     // frames that wrote numbers
    const std::regex number("[0-9]+(\\.[0-9]+)?");
    int scene = 0;
    int frame = 0;
    startFrame[0] = 0;
    std::vector<int> expected = sceneFrames();
    int expectedEnd = 0;
    for (int frames : expected)
        expectedEnd += frames;
    {
        CoutCapture out;
        while (scene != showEndIndex && frame < 20000)
        {
            int next = frame + 1 == expectedEnd ? runTestFrame(scene, sixtieth) : runSmallFrame(scene, sixtieth);
            for (const std::string& line : out.takeLines())
            {
                if (std::regex_match(line, number))
                    numberFrames.push_back(frame);
                else
                    logLines.push_back({frame, line});
            }
            ++frame;
            if (next != scene)
            {
                ASSERT_EQ(next, scene + 1) << "the chain runs one scene after another";
                scene = next;
                startFrame[scene] = frame;
            }
        }
    }
    ASSERT_EQ(scene, showEndIndex) << "the show did not end";

    // Where each scene began, and where its phases say it should.
    std::printf("scene  start frame  start time   expected\n");
    int expectedStart = 0;
    for (int i = 0; i <= sceneCount; ++i)
    {
        std::printf("%5d  %11d  %9.3f s  %9d\n", i, startFrame[i], startFrame[i] / 60.0, expectedStart);
        EXPECT_EQ(startFrame[i], expectedStart) << (i < sceneCount ? "scene " : "end ") << i;
        if (i < sceneCount)
            expectedStart += expected[i];
    }
    double showSeconds = startFrame[sceneCount] / 60.0;
    std::printf("the show: %d frames, %.3f s\n", startFrame[sceneCount], showSeconds);
    EXPECT_GT(showSeconds, 155.0);
    EXPECT_LT(showSeconds, 159.0);

    // The scenes' lines, in order, each on its scene's first frame.
    std::vector<std::pair<int, std::string>> expectedLines = {
        {startFrame[0], "scene 01 loaded"}, {startFrame[1], "scene 02 loaded"}, {startFrame[2], "scene 03 loaded"},
        {startFrame[3], "scene 04 loaded"}, {startFrame[4], "scene 5 loaded"},  {startFrame[6], "scene 7 loaded"},
        {startFrame[8], "scene 09 loaded"}, {startFrame[9], "scene 10 loaded"},
    };
    EXPECT_EQ(logLines, expectedLines);

    // Two numbers on each frame of scene 8's fade-out, its last phase.
    int fadeFrames = reached(4.0f);
    ASSERT_EQ(numberFrames.size(), 2u * fadeFrames);
    EXPECT_EQ(numberFrames.front(), startFrame[9] - fadeFrames);
    EXPECT_EQ(numberFrames.back(), startFrame[9] - 1);

    // The credits end on black, and so does the frame the loop adds after.
    EXPECT_EQ(meanColor(testFrame(), 0, 0, 1280, 720), sf::Color(0, 0, 0, 255));
    EXPECT_EQ(runTestFrame(showEndIndex, sixtieth), showEndIndex);
    EXPECT_EQ(meanColor(testFrame(), 0, 0, 1280, 720), sf::Color(0, 0, 0, 255));
}

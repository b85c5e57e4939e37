// The blur radius every blurring scene sets, frame by frame, against the
// rule that scene follows, through the show from its start: the effect
// clock that scenes 3 and 4 run up and the poems set back, the scenes' own
// blur timers and the frames their phases start and stop them on. At steps
// of a quarter second the timers add up exactly, so a blur that starts or
// stops a frame early or late shows.
#include "assets/blur.h"
#include "scenes/scene.h"
#include "support/scene_probe.h"
#include "support/scene_timing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{
// A scene's phases as far as its blur follows them: each frame adds the step
// to the phase timer, and a phase ends on the frame it reaches or passes its
// length, with the timer back at 0.
struct Phases
{
    int phase = 0;
    float timer = 0.0f;

    // Adds the step; true when this frame ends the phase of that length.
    bool ends(float delta, float length, Threshold threshold)
    {
        timer += delta;
        bool over = threshold == Threshold::Reached ? timer >= length : timer > length;
        if (over)
        {
            ++phase;
            timer = 0.0f;
        }
        return over;
    }
};

// The radius each blurring scene sets on one frame, worked out from its own
// rule. Scenes 3 and 4 run the shared effect clock on, the poems start it
// again from nothing.
struct ExpectedBlur
{
    float effectTime = 0.0f;
    bool firstFrame[sceneCount] = {true, true, true, true, true, true, true, true, true, true, true, true};
    Phases phases[sceneCount];
    float titleBlur = 0.0f, zoomBlur = 0.0f, captionsBlur = 0.0f, glintsBlur = 8.0f;

    float afterFrame(int scene, float delta)
    {
        Phases& p = phases[scene];
        bool first = firstFrame[scene];
        firstFrame[scene] = false;
        switch (scene)
        {
        case 1: // grows from the frame the hold's timer reaches 2 s, and through the fade-out
            if (p.phase == 0)
                p.ends(delta, 2.0f, Threshold::Reached);
            else if (p.phase == 1)
                p.ends(delta, 4.0f, Threshold::Reached);
            else if (p.phase == 2)
                p.ends(delta, 2.0f, Threshold::Passed);
            else if (p.phase == 3)
            {
                p.timer += delta;
                if (p.timer >= 2.0f)
                    titleBlur += delta;
                if (p.timer >= 4.0f)
                    p.phase = 4, p.timer = 0.0f;
            }
            else
                titleBlur += delta;
            return titleBlur / 100.0f;
        case 2: // shows the blur of the end of the frame before
        {
            float radius = zoomBlur / 500.0f;
            zoomBlur += delta;
            return radius;
        }
        case 3: // the effect clock runs only while the sketch spins
            if (p.phase == 0)
                p.ends(delta, 2.0f, Threshold::Reached);
            else if (p.phase == 1)
                p.ends(delta, 6.0f, Threshold::Passed);
            else
                effectTime += delta;
            return static_cast<float>(effectTime / 100.0);
        case 4: // and on through the whole of the next sketch
            effectTime += delta;
            return static_cast<float>(effectTime / 100.0);
        case 5:
        case 7: // each poem starts the clock again, at a tenth of the pace
            if (first)
                effectTime = 0.0f;
            effectTime = static_cast<float>(effectTime + delta / 10.0);
            return static_cast<float>(effectTime / 250.0);
        case 8: // slowly through the opening, then a unit a second
            if (p.phase == 0)
            {
                captionsBlur = static_cast<float>(captionsBlur + 0.125 * delta);
                p.ends(delta, 2.0f, Threshold::Reached);
            }
            else
            {
                if (p.phase == 1)
                    p.ends(delta, 8.0f, Threshold::Passed);
                else
                    p.timer += delta;
                captionsBlur += delta;
            }
            return static_cast<float>(captionsBlur / 100.0);
        case 9: // falls from 8 as the picture changes, and stops at nothing
            if (p.phase == 0)
                p.ends(delta, 2.0f, Threshold::Reached);
            else if (p.phase == 1)
                p.ends(delta, 4.0f, Threshold::Passed);
            else if (p.phase == 2)
            {
                glintsBlur -= delta;
                p.ends(delta, 2.0f, Threshold::Reached);
            }
            else
            {
                glintsBlur -= delta;
                if (glintsBlur < 0.0f)
                    glintsBlur = 0.0f;
            }
            return static_cast<float>(glintsBlur / 85.0);
        }
        return -1.0f; // a scene that sets no blur
    }
};

class BlurRadius : public ::testing::TestWithParam<int>
{
};
}

TEST_P(BlurRadius, EachBlurringSceneSetsItsOwnRuleFrameByFrame)
{
    loadShowWithoutShaders();
    useTinyRenderTexture();
    CoutCapture quiet; // the scenes' own lines
    const float delta = 1.0f / GetParam();
    ExpectedBlur expected;
    int scene = 0;
    int framesChecked[sceneCount] = {};
    float largest[sceneCount] = {};
    for (int frame = 0; scene <= 9 && frame < 100000; ++frame)
    {
        int next = runSmallFrame(scene, delta);
        float radius = expected.afterFrame(scene, delta);
        if (radius >= 0.0f)
        {
            ASSERT_NEAR(blurRadius(), radius, 1e-6f)
                << "scene " << scene << ", its frame " << framesChecked[scene] + 1;
            ++framesChecked[scene];
            largest[scene] = std::max(largest[scene], radius);
        }
        scene = next;
    }
    ASSERT_EQ(scene, 10);

    // Every blurring scene was checked, and blurred as far as the show says.
    for (int blurring : {1, 2, 3, 4, 5, 7, 8, 9})
        EXPECT_GT(framesChecked[blurring], 0) << "scene " << blurring;
    EXPECT_NEAR(largest[1], 0.04f, 0.005f);
    EXPECT_NEAR(largest[2], 0.02f, 0.002f);
    EXPECT_NEAR(largest[4], 0.16f, 0.015f);
    EXPECT_LT(largest[5], 0.01f) << "the first poem's picture is barely blurred";
    EXPECT_NEAR(largest[8], 0.1225f, 0.003f);
    EXPECT_NEAR(largest[9], 8.0f / 85.0f, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Show, BlurRadius, ::testing::Values(4, 60),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "At" + std::to_string(info.param) + "FramesASecond";
                         });

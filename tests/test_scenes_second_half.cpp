// Scenes 5 to 11, each run alone from its first frame, observed through what
// it leaves behind: the index it returns, the colours of the overlays and
// layers, the shared text, the glints, standard output and the frames.
//
// Most runs use frames of exactly a quarter second: the timers then add up
// without rounding, so a timer that stands exactly on a threshold shows
// whether the threshold must be reached or passed.
#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "assets/render_target.h"
#include "assets/shaders.h"
#include "draw/tween.h"
#include "scenes/glint_outlines.h"
#include "scenes/scene.h"
#include "support/scene_probe.h"
#include "support/scene_timing.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>

namespace
{
const double quarter = 0.25;
const float sixtieth = 1.0f / 60.0f;

int alphaOf(const char* file)
{
    return picture(file).getColor().a;
}

// A caption's opacity (clamped to 0..1) as the byte it is drawn with.
int fadeByte(double opacity)
{
    return static_cast<int>(std::clamp(opacity, 0.0, 1.0) * 255.0);
}

// ---- The two poems ------------------------------------------------------

// With quarter-second frames every step of a poem scene takes five frames
// (1.0 s is reached on the fourth but must be passed), the hold nine.
const int framesPerLineStep = 5;
const int holdFrames = 9;
const int lastLineOutFrame = 6 * framesPerLineStep + holdFrames + 6 * framesPerLineStep; // 69
const int poemSceneFrames = lastLineOutFrame + 9;                                        // 78

// The frame on which line k gets its fade-in and its fade-out set.
int lineInFrame(int k) { return framesPerLineStep * (k + 1); }
int lineOutFrame(int k) { return 6 * framesPerLineStep + holdFrames + framesPerLineStep * (k + 1); }

// A line's opacity on a frame: it moves from the frame after its fade is set.
double lineOpacity(int k, int frame)
{
    double in = quarter * (frame - lineInFrame(k));
    double out = 1.0 - quarter * (frame - lineOutFrame(k));
    return std::clamp(std::min(in, out), 0.0, 1.0);
}

// Runs a poem scene on an empty picture, so that only the red lines light
// up the frame, and checks every line's timing and the closing fade. The
// shaders are left out: they would only pass black through.
void checkPoemTimeline(int scene, const char* backPicture, const char* frontPicture)
{
    loadShowWithoutShaders();
    setSpriteAlpha(picture(backPicture), 0);
    setSpriteAlpha(picture(frontPicture), 0);
    renderTexture.clear(sf::Color::Black);

    // Frames around each cue are drawn in full and looked at.
    std::vector<int> lookedAt = {1, 35};
    for (int k = 0; k < 6; ++k)
        for (int frame : {lineInFrame(k), lineInFrame(k) + 1, lineOutFrame(k), lineOutFrame(k) + 1})
            lookedAt.push_back(frame);

    std::vector<int> overlay;
    for (int frame = 1; frame <= poemSceneFrames; ++frame)
    {
        SCOPED_TRACE("frame " + std::to_string(frame));
        bool look = std::find(lookedAt.begin(), lookedAt.end(), frame) != lookedAt.end();
        int next = look ? runTestFrame(scene, quarter) : runSmallFrame(scene, quarter);
        ASSERT_EQ(next, frame == poemSceneFrames ? scene + 1 : scene);
        overlay.push_back(alphaOf("black.png"));

        // The last line drawn is line 5: its colour is left in sharedText.
        EXPECT_EQ(sharedText.getFillColor(), sf::Color(226, 22, 22, fadeByte(lineOpacity(5, frame))));
        EXPECT_EQ(sharedText.getCharacterSize(), 75u);
        EXPECT_EQ(sharedText.getPosition(), sf::Vector2f(90.0f, 550.0f));

        // Each line lights its own band of the frame exactly while it shows.
        sf::Image image = look ? testFrame() : sf::Image();
        for (int k = 0; look && k < 6; ++k)
        {
            double opacity = lineOpacity(k, frame);
            int red = maxRed(image, 40 + 10 * k, 50 + 100 * k, 1240 - 10 * k, 100);
            if (opacity == 0.0)
                EXPECT_LE(red, 2) << "line " << k << " shows too early or too late";
            else
                EXPECT_GE(red, 226 * opacity * 0.6) << "line " << k << " at " << opacity;
        }
        if (::testing::Test::HasFailure())
            return;
    }

    // The fade to black follows the timer as it stood before each frame:
    // 0 on its first frame, and exactly 255 only because the quarter steps
    // put the timer exactly on 2.0 s before the last frame.
    std::vector<int> closing(overlay.begin() + lastLineOutFrame, overlay.end());
    EXPECT_EQ(closing, (std::vector<int>{0, 31, 63, 95, 127, 159, 191, 223, 255}));
    EXPECT_TRUE(std::all_of(overlay.begin(), overlay.begin() + lastLineOutFrame, [](int a) { return a == 0; }))
        << "the picture shows from the first frame until the fade";
}

// At 60 frames per second the last frame of the closing fade stays just
// below full black, since its alpha comes from the timer before the frame.
void checkPoemEndsJustBelowBlack(int scene)
{
    loadShowWithoutShaders();
    useTinyRenderTexture();
    int previous = 0;
    int frames = 0;
    while (runSmallFrame(scene, sixtieth) == scene)
    {
        ASSERT_GE(alphaOf("black.png"), previous) << "the fade never goes back";
        previous = alphaOf("black.png");
        ASSERT_LT(++frames, 2000);
    }
    ++frames;
    EXPECT_LT(alphaOf("black.png"), 255);
    EXPECT_GE(alphaOf("black.png"), 250);
    // Six steps in, the hold, six steps out, the fade, all strict.
    int step = phaseFrames(stepSeconds, sixtieth, Threshold::Passed);
    int twoSeconds = phaseFrames(fadeSeconds, sixtieth, Threshold::Passed);
    EXPECT_EQ(frames, 6 * step + twoSeconds + 6 * step + twoSeconds);
}
}

TEST(FirstPoem, LinesStepInAndOutOneFrameAfterTheirCueAndTheFadeTrails)
{
    checkPoemTimeline(5, "S3-1.png", "title3.png");
}

TEST(FirstPoem, EndsJustBelowFullBlackAtSixtyFramesPerSecond)
{
    checkPoemEndsJustBelowBlack(5);
}

TEST(SecondPoem, LinesStepInAndOutOneFrameAfterTheirCueAndTheFadeTrails)
{
    checkPoemTimeline(7, "S2-1.png", "S1-2.png");
}

TEST(SecondPoem, EndsJustBelowFullBlackAtSixtyFramesPerSecond)
{
    checkPoemEndsJustBelowBlack(7);
}

TEST(SecondPoem, ShowsTheFrontLayerAtTheScaleSceneTwoLeft)
{
    // Scene 2 leaves the front layer at about twice its size.
    loadShowWithoutShaders();
    sf::Sprite& front = picture("S1-2.png");
    front.setScale(2.0f, 2.0f);
    setSpriteAlpha(picture("S2-1.png"), 0);
    renderTexture.clear(sf::Color::Black);
    runTestFrame(7, sixtieth);
    EXPECT_EQ(front.getScale(), sf::Vector2f(2.0f, 2.0f));
    EXPECT_EQ(front.getOrigin(), sf::Vector2f(640.0f, 360.0f));

    // Without the shaders, blocks around the centre match the picture
    // doubled about the centre (premultiplied, since it lies on black),
    // better than at its own size.
    ASSERT_NE(front.getTexture(), nullptr);
    sf::Image source = front.getTexture()->copyToImage();
    sf::Image frame = testFrame();
    double doubledError = 0.0, unscaledError = 0.0;
    for (int ox : {-200, -90, 30, 150})
        for (int oy : {-120, -40, 50, 130})
        {
            sf::Color s = meanColor(source, 640 + ox, 360 + oy, 8, 8);
            sf::Color doubled = meanColor(frame, 640 + 2 * ox, 360 + 2 * oy, 16, 16);
            sf::Color unscaled = meanColor(frame, 640 + ox, 360 + oy, 8, 8);
            double r = s.r * s.a / 255.0, g = s.g * s.a / 255.0, b = s.b * s.a / 255.0;
            doubledError += std::abs(doubled.r - r) + std::abs(doubled.g - g) + std::abs(doubled.b - b);
            unscaledError += std::abs(unscaled.r - r) + std::abs(unscaled.g - g) + std::abs(unscaled.b - b);
        }
    EXPECT_LT(doubledError / 48.0, 6.0);
    EXPECT_LT(doubledError, unscaledError);
}

TEST(Poems, RedLinesShowOverThePicture)
{
    // Half-second frames: all six lines of the first poem stand from frame
    // 20 to 23. The frames looked at go through the real shaders.
    loadShowForTest();
    const float half = 0.5f;
    runTestFrame(5, half);
    sf::Image before = testFrame();
    usePlainShaders();
    for (int frame = 2; frame < 20; ++frame)
        ASSERT_EQ(runSmallFrame(5, half), 5);
    ASSERT_TRUE(loadShaders());
    ASSERT_EQ(runTestFrame(5, half), 5);
    sf::Image after = testFrame();
    for (int k = 0; k < 6; ++k)
    {
        unsigned left = 40 + 10 * k, top = 50 + 100 * k;
        int added = redPixelCount(after, left, top, 1240 - 10 * k, 100, 150) -
                    redPixelCount(before, left, top, 1240 - 10 * k, 100, 150);
        EXPECT_GT(added, 400) << "line " << k;
    }
    // The picture itself is there around them.
    sf::Color mean = meanColor(after, 0, 0, 1280, 720);
    EXPECT_GT(mean.r + mean.g + mean.b, 30);
}

// ---- Scene 6 -----------------------------------------------------------

TEST(LayeredPicture, LayersComeInAtTheirSpeedsAndTheSceneEndsTheFrameAfter)
{
    loadShowWithoutShaders();
    CoutCapture out;
    // Quarter frames: phase 0 ends on frame 17 (4.0 s must be passed),
    // phase 1 on frame 34, phase 2 on frame 67; frame 68 hands over.
    for (int frame = 1; frame <= 68; ++frame)
    {
        SCOPED_TRACE("frame " + std::to_string(frame));
        int next = runSmallFrame(6, quarter);
        ASSERT_EQ(next, frame == 68 ? 7 : 6);
        if (frame == 1)
        {
            EXPECT_EQ(out.takeLines(), std::vector<std::string>{"scene 7 loaded"});
        }

        double t0 = quarter * frame, t1 = quarter * (frame - 17), t2 = quarter * (frame - 34);
        int black = frame <= 17 ? static_cast<int>(std::max(0.0, 255 - t0 * 127.5)) : 0;
        int first = frame <= 17 ? 0 : static_cast<int>(std::min(255.0, std::min(t1, 4.25) * 63.75));
        auto later = [&](double perSecond) {
            return frame <= 34 ? 0 : static_cast<int>(std::min(255.0, std::min(t2, 8.25) * perSecond));
        };
        EXPECT_EQ(alphaOf("black.png"), black);
        EXPECT_EQ(alphaOf("S3-3.png"), first);
        EXPECT_EQ(alphaOf("S4-21.png"), later(255.0));
        EXPECT_EQ(alphaOf("S4-22.png"), later(63.75));
        EXPECT_EQ(alphaOf("S4-23.png"), later(31.875));
        if (::testing::Test::HasFailure())
            return;
    }
    EXPECT_TRUE(out.takeLines().empty());
    EXPECT_EQ(alphaOf("S4-23.png"), 255);
}

TEST(LayeredPicture, OneLongFrameEndsAPhaseWithItsLayersCapped)
{
    loadShowWithoutShaders();
    EXPECT_EQ(runSmallFrame(6, 5.0f), 6);
    EXPECT_EQ(alphaOf("black.png"), 0);
    EXPECT_EQ(runSmallFrame(6, 5.0f), 6);
    EXPECT_EQ(alphaOf("S3-3.png"), 255);
    EXPECT_EQ(runSmallFrame(6, 9.0f), 6);
    for (const char* layer : {"S4-21.png", "S4-22.png", "S4-23.png"})
        EXPECT_EQ(alphaOf(layer), 255) << layer;
    EXPECT_EQ(runSmallFrame(6, 0.001f), 7);
}

// ---- Scene 8 -----------------------------------------------------------

TEST(TwoCaptions, FadeOutWritesItsValuesTwicePerFrameAndOnlyThen)
{
    loadShowWithoutShaders();
    CoutCapture out;
    // Quarter frames: the opening ends on frame 8 (2.0 s reached), the
    // captions on frame 41 (8.0 s passed), the fade on frame 57 (4.0 s reached).
    std::vector<std::string> fadeLines;
    for (int frame = 1; frame <= 57; ++frame)
    {
        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(runSmallFrame(8, quarter), frame == 57 ? 9 : 8);
        std::vector<std::string> lines = out.takeLines();
        if (frame == 1)
            EXPECT_EQ(lines, std::vector<std::string>{"scene 09 loaded"});
        else if (frame <= 41)
            EXPECT_TRUE(lines.empty());
        else
        {
            ASSERT_EQ(lines.size(), 2u);
            fadeLines.insert(fadeLines.end(), lines.begin(), lines.end());
        }

        // The second caption is drawn last: its fade shows in sharedText.
        // It comes in from the caption change (frame 25) in the same frame,
        // and leaves once the fade-out passes 0.5 s (frame 44).
        double second = std::min(quarter * (frame - 24), 1.0 - quarter * (frame - 43));
        EXPECT_EQ(sharedText.getFillColor(), sf::Color(255, 255, 255, fadeByte(second)));
        EXPECT_EQ(sharedText.getString(), sf::String("Canvas ... Brush ..."));
        EXPECT_EQ(sharedText.getPosition(), sf::Vector2f(140.0f, 180.0f));
        EXPECT_EQ(sharedText.getCharacterSize(), 56u);

        // Transparent until the fade-out, black from 2 s into it.
        int black = frame <= 41 ? 0 : std::min(255, static_cast<int>(quarter * (frame - 41) * 127.5));
        EXPECT_EQ(alphaOf("black.png"), black);
    }

    // The value before the clamp, then after it, in the default format.
    std::vector<std::string> expected;
    for (int k = 1; k <= 16; ++k)
    {
        std::ostringstream before, after;
        double value = quarter * k * 127.5;
        before << value;
        after << std::min(value, 255.0);
        expected.push_back(before.str());
        expected.push_back(after.str());
    }
    EXPECT_EQ(fadeLines, expected);
    EXPECT_EQ(fadeLines[7], "127.5");
    EXPECT_EQ(fadeLines[15], "255");
    EXPECT_EQ(fadeLines[30], "510");
}

TEST(TwoCaptions, FadeValuesAtSixtyFramesPerSecondArePlainShortNumbers)
{
    loadShowWithoutShaders();
    CoutCapture out;
    int frames = runSmallSceneToEnd(8, sixtieth, 2000);
    std::vector<std::string> lines = out.takeLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "scene 09 loaded");

    // Two lines for each frame of the 4 s fade-out, at most six digits.
    std::vector<std::string> values(lines.begin() + 1, lines.end());
    int fadeFrames = phaseFrames(holdSeconds, sixtieth, Threshold::Reached);
    EXPECT_EQ(values.size(), 2u * fadeFrames);
    const std::regex plainNumber("[0-9]+(\\.[0-9]+)?");
    for (size_t i = 0; i < values.size(); ++i)
    {
        ASSERT_TRUE(std::regex_match(values[i], plainNumber)) << values[i];
        std::string digits = std::regex_replace(values[i], std::regex("[.]"), "");
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
        EXPECT_LE(digits.size(), 6u) << values[i];
        double value = std::stod(values[i]);
        if (i % 2 == 1)
        {
            EXPECT_EQ(value, std::min(std::stod(values[i - 1]), 255.0)) << "the clamped value follows";
        }
    }
    EXPECT_EQ(values[0], "2.125") << "a sixtieth of a second into the fade";
    EXPECT_EQ(values.back(), "255");
    EXPECT_EQ(frames, phaseFrames(fadeSeconds, sixtieth, Threshold::Reached) +
                          phaseFrames(8.0f, sixtieth, Threshold::Passed) + fadeFrames);
}

// ---- Scene 9 -----------------------------------------------------------

TEST(Glints, EachGlintTakesThreeDrawsForItsSizeSpinAndAngle)
{
    loadShowWithoutShaders();
    // The generator's start, drawn ahead: three draws per glint, 0 to 32767.
    std::srand(1);
    std::vector<int> draws;
    for (int i = 0; i < 3 * glintCount + 1; ++i)
        draws.push_back(std::rand() & 0x7FFF);
    std::srand(1);

    CoutCapture out;
    ASSERT_EQ(runSmallFrame(9, 0.0f), 9);
    EXPECT_EQ(out.takeLines(), std::vector<std::string>{"scene 10 loaded"});
    EXPECT_EQ(std::rand() & 0x7FFF, draws.back()) << "no more and no fewer draws than three per glint";

    ASSERT_EQ(glintGroup.count, glintCount);
    ASSERT_NE(glintGroup.records, nullptr);
    EXPECT_EQ(glintGroup.sprite, &picture("glint.png"));
    float smallest = 1.0f, largest = 0.5f;
    for (int i = 0; i < glintCount; ++i)
    {
        SCOPED_TRACE("glint " + std::to_string(i));
        const TweenSprite& glint = glintGroup.records[i];
        EXPECT_GE(glint.scale, 0.5f);
        EXPECT_LE(glint.scale, 1.0f);
        EXPECT_GE(glint.rotationSpeed, 32.0f);
        EXPECT_LE(glint.rotationSpeed, 90.0f);
        EXPECT_GE(glint.rotation, 0.0f);
        EXPECT_LE(glint.rotation, 360.0f);
        EXPECT_NEAR(glint.scale, 0.5 + draws[3 * i] * 0.5 / 32767, 1e-6);
        EXPECT_NEAR(glint.rotationSpeed, 32 + draws[3 * i + 1] * 58.0 / 32767, 1e-4);
        EXPECT_NEAR(glint.rotation, draws[3 * i + 2] * 360.0 / 32767, 1e-4);
        smallest = std::min(smallest, glint.scale);
        largest = std::max(largest, glint.scale);

        // Placed at once, invisible, 8 px right of and below the loop.
        EXPECT_TRUE(glint.visible);
        EXPECT_FALSE(glint.moving);
        EXPECT_EQ(glint.alpha, 0.0f);
        EXPECT_EQ(glint.x, glintLoop[i].x + 8.0f);
        EXPECT_EQ(glint.y, glintLoop[i].y + 8.0f);
    }
    EXPECT_LT(smallest, 0.6f);
    EXPECT_GT(largest, 0.9f);
}

TEST(Glints, OutlinesRunWhereTheShowPutsThem)
{
    // The loop: lower edge from its lower-left end to the tip, back along the
    // upper edge to beside its start; the strands hang from the top edge.
    EXPECT_EQ(glintLoop[0].x, 507.0f);
    EXPECT_EQ(glintLoop[0].y, 411.0f);
    EXPECT_EQ(glintLoop[35].x, 704.0f);
    EXPECT_EQ(glintLoop[35].y, 262.0f);
    EXPECT_EQ(glintLoop[73].x, 500.0f);
    EXPECT_EQ(glintLoop[73].y, 412.0f);
    EXPECT_EQ(glintStrands[0].x, 715.0f);
    EXPECT_EQ(glintStrands[0].y, 8.0f);
    EXPECT_EQ(glintStrands[39].y, 347.0f);
    EXPECT_EQ(glintStrands[40].x, 923.0f);
    EXPECT_EQ(glintStrands[40].y, 294.0f);
    EXPECT_EQ(glintStrands[73].x, 810.0f);
    EXPECT_EQ(glintStrands[73].y, 12.0f);

    auto extent = [](const TweenPoint* points, int from, int to, bool ofX) {
        float low = 1e9f, high = -1e9f;
        for (int i = from; i <= to; ++i)
        {
            float v = ofX ? points[i].x : points[i].y;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        return std::make_pair(low, high);
    };
    EXPECT_EQ(extent(glintLoop, 0, 73, true), std::make_pair(500.0f, 704.0f));
    EXPECT_EQ(extent(glintLoop, 0, 73, false), std::make_pair(242.0f, 422.0f));
    EXPECT_EQ(extent(glintStrands, 0, 39, true), std::make_pair(687.0f, 738.0f));
    EXPECT_EQ(extent(glintStrands, 40, 73, true), std::make_pair(810.0f, 923.0f));

    // Neighbours stand about 6 to 21 px apart along each stroke, and the loop
    // closes.
    auto gap = [](const TweenPoint& a, const TweenPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); };
    for (int i = 0; i + 1 < glintCount; ++i)
    {
        EXPECT_GE(gap(glintLoop[i], glintLoop[i + 1]), 5.5) << i;
        EXPECT_LE(gap(glintLoop[i], glintLoop[i + 1]), 21.0) << i;
        if (i == 39)
            continue;
        EXPECT_GE(gap(glintStrands[i], glintStrands[i + 1]), 5.5) << i;
        EXPECT_LE(gap(glintStrands[i], glintStrands[i + 1]), 21.0) << i;
    }
    EXPECT_LE(gap(glintLoop[73], glintLoop[0]), 21.0);
}

TEST(Glints, FadeInGlideForFourSecondsToTheStrandsAndFadeOut)
{
    loadShowWithoutShaders();
    // Quarter frames: fade-in frames 1-8, glints appear 9-25 (the glide is
    // cued on frame 25), picture change 26-33, settle 34-66.
    std::vector<TweenPoint> start;
    for (int frame = 1; frame <= 66; ++frame)
    {
        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(runSmallFrame(9, quarter), frame == 66 ? 10 : 9);
        ASSERT_EQ(glintGroup.count, glintCount);

        double glintOpacity = frame <= 8 ? 0.0 : std::min(quarter * (frame - 8), 1.0 - quarter * (frame - 49));
        int black = static_cast<int>(std::max(0.0, 255 - quarter * frame * 127.5));
        int front = frame <= 25 ? 255 : static_cast<int>(std::max(0.0, 255 - quarter * (frame - 25) * 127.5));
        EXPECT_EQ(alphaOf("black.png"), black);
        EXPECT_EQ(renderTextureSprite.getColor().a, front);

        bool onStrands = true, onLoop = true;
        for (int i = 0; i < glintCount; ++i)
        {
            const TweenSprite& glint = glintGroup.records[i];
            EXPECT_EQ(glint.alpha, std::clamp(glintOpacity, 0.0, 1.0)) << "glint " << i;
            onStrands = onStrands && glint.x == glintStrands[i].x && glint.y == glintStrands[i].y;
            onLoop = onLoop && glint.x == glintLoop[i].x + 8 && glint.y == glintLoop[i].y + 8;
        }
        // The glide starts from the shifted loop and takes 16 quarter frames.
        EXPECT_EQ(onLoop, frame <= 25);
        EXPECT_EQ(onStrands, frame >= 41);
        if (::testing::Test::HasFailure())
            return;
    }

    // Every glint kept spinning at its own speed all along.
    for (int i = 0; i < glintCount; ++i)
        EXPECT_GT(glintGroup.records[i].rotation, 66 * quarter * 32.0f - 1.0f) << i;
}

TEST(Glints, LongFramesKeepTheGlintsWithinZeroAndOne)
{
    loadShowWithoutShaders();
    // 1.5 s frames: fade-in 2 frames, glints 3, picture change 2, settle 6.
    std::vector<float> opacity;
    int frames = 0;
    while (runSmallFrame(9, 1.5f) == 9)
    {
        opacity.push_back(glintGroup.records[0].alpha);
        for (int i = 0; i < glintCount; ++i)
        {
            ASSERT_GE(glintGroup.records[i].alpha, 0.0f);
            ASSERT_LE(glintGroup.records[i].alpha, 1.0f);
        }
        ASSERT_LT(++frames, 100);
    }
    opacity.push_back(glintGroup.records[0].alpha);
    EXPECT_EQ(opacity, (std::vector<float>{0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}));
    for (int i = 0; i < glintCount; ++i)
    {
        EXPECT_EQ(glintGroup.records[i].x, glintStrands[i].x);
        EXPECT_EQ(glintGroup.records[i].y, glintStrands[i].y);
    }
    EXPECT_EQ(renderTextureSprite.getColor().a, 0);
    EXPECT_EQ(alphaOf("black.png"), 0);
}

// ---- Scene 10 ----------------------------------------------------------

TEST(RecedingPicture, CaptionAndWhiteOverlayFollowTheirPhases)
{
    loadShowWithoutShaders();
    CoutCapture out;
    // Quarter frames: fade-in 1-8 (2.0 s reached), caption 9-41 (8.0 s
    // passed), fade to white 42-50 (2.0 s passed, alpha one frame behind).
    for (int frame = 1; frame <= 50; ++frame)
    {
        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(runSmallFrame(10, quarter), frame == 50 ? 11 : 10);

        int black = static_cast<int>(std::max(0.0, 255 - quarter * frame * 127.5));
        int white = frame <= 42 ? 0 : static_cast<int>(quarter * (frame - 42) * 127.5);
        EXPECT_EQ(alphaOf("black.png"), black);
        EXPECT_EQ(alphaOf("white.png"), white);

        // The caption moves in the very frame its fade is set.
        double caption = std::min(quarter * (frame - 7), 1.0 - quarter * (frame - 40));
        EXPECT_EQ(sharedText.getFillColor(), sf::Color(0, 0, 0, fadeByte(caption)));
        EXPECT_EQ(sharedText.getString(), sf::String("I can't capture you anymore ..."));
        EXPECT_EQ(sharedText.getCharacterSize(), 57u);
        EXPECT_EQ(sharedText.getPosition(), sf::Vector2f(40.0f, 80.0f));

        // The pull-back: 0.025 per second from 1.4, in every phase.
        EXPECT_NEAR(picture("SF3.png").getScale().x, 1.4 - 0.00625 * frame, 1e-5);
        EXPECT_EQ(picture("SF3.png").getScale().x, picture("SF3.png").getScale().y);
        if (::testing::Test::HasFailure())
            return;
    }
    EXPECT_TRUE(out.takeLines().empty()) << "the scene writes nothing";
}

TEST(RecedingPicture, LastFrameIsNearWhite)
{
    loadShowWithoutShaders();
    int frames = phaseFrames(fadeSeconds, sixtieth, Threshold::Reached) +
                 phaseFrames(8.0f, sixtieth, Threshold::Passed) +
                 phaseFrames(fadeSeconds, sixtieth, Threshold::Passed);
    for (int frame = 1; frame < frames; ++frame)
        ASSERT_EQ(runSmallFrame(10, sixtieth), 10) << "frame " << frame;
    ASSERT_EQ(runTestFrame(10, sixtieth), 11) << "the last frame";
    EXPECT_LT(alphaOf("white.png"), 255);
    sf::Color mean = meanColor(testFrame(), 0, 0, 1280, 720);
    EXPECT_GE(mean.r, 250);
    EXPECT_GE(mean.g, 250);
    EXPECT_GE(mean.b, 250);
    EXPECT_NEAR(picture("SF3.png").getScale().x, 1.4 - frames / 60.0 / 40, 1e-3);
}

// ---- Scene 11 ----------------------------------------------------------

TEST(Credits, TimerRunsTwiceAsFastAndTheShowEndsAtTwelve)
{
    loadShowWithoutShaders();
    // Quarter frames, the timer gaining half a second each: out of white
    // 1-9, hold 10-26, fade to black 27-35 (exactly 255 on frame 34 does not
    // end it), black hold 36-44.
    std::vector<int> white, black;
    for (int frame = 1; frame <= 44; ++frame)
    {
        int next = frame == 44 ? runTestFrame(11, quarter) : runSmallFrame(11, quarter);
        ASSERT_EQ(next, frame == 44 ? 12 : 11) << "frame " << frame;
        white.push_back(alphaOf("white.png"));
        black.push_back(alphaOf("black.png"));
    }
    std::vector<int> expectedWhite = {239, 207, 175, 143, 111, 79, 47, 15};
    std::vector<int> expectedBlack(26, 0);
    for (int j = 1; j <= 8; ++j)
        expectedBlack.push_back(static_cast<int>(31.875 * j));
    expectedWhite.resize(44, 0);
    expectedBlack.resize(44, 255);
    EXPECT_EQ(white, expectedWhite);
    EXPECT_EQ(black, expectedBlack);

    // The last frame of the scene and the one the frame loop adds are black.
    EXPECT_EQ(meanColor(testFrame(), 0, 0, 1280, 720), sf::Color(0, 0, 0, 255));
    EXPECT_EQ(runTestFrame(showEndIndex, quarter), showEndIndex);
    EXPECT_EQ(meanColor(testFrame(), 0, 0, 1280, 720), sf::Color(0, 0, 0, 255));
}

TEST(Credits, FirstFrameStartsJustBelowFullWhite)
{
    loadShowWithoutShaders();
    ASSERT_EQ(runSmallFrame(11, sixtieth), 11);
    EXPECT_EQ(alphaOf("white.png"), static_cast<int>(255 - sixtieth * 63.75));
    EXPECT_EQ(alphaOf("black.png"), 0);
    int frames = 1 + runSmallSceneToEnd(11, sixtieth, 2000);
    // About 10 s: 4 + 8 + 4 + 4 timer seconds at twice the pace.
    EXPECT_GE(frames, 600);
    EXPECT_LE(frames, 604);
}

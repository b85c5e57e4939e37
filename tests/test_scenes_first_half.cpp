// The show's first half: the quotation, the title, the zooming picture, the
// pencil sketch and the head-and-shoulders sketch. A scene runs once per
// process, so each test plays one sequence of scenes from the start. Tests
// that only count frames and read state run without the shaders, and on a
// small target, to stay cheap on a software rasteriser.
#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "audio/audio.h"
#include "draw/tween.h"
#include "scenes/outlines.h"
#include "scenes/scene.h"
#include "support/scene_probe.h"
#include "support/scene_timing.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace
{
const int firstScene = 0;
const int lastScene = 4;

// The opacity a sprite was last given, as its alpha byte.
int alphaOf(const char* file)
{
    return picture(file).getColor().a;
}

// Frames each scene lasts at a fixed step, from its phases and thresholds.
std::vector<int> expectedFrames(float delta)
{
    auto reached = [delta](float length) { return phaseFrames(length, delta, Threshold::Reached); };
    auto passed = [delta](float length) { return phaseFrames(length, delta, Threshold::Passed); };
    return {
        passed(1.25f) + reached(2.0f) + reached(4.0f) + reached(2.0f),
        reached(2.0f) + reached(4.0f) + passed(2.0f) + reached(4.0f) + reached(2.0f),
        reached(2.0f) + reached(6.0f) + passed(2.0f),
        reached(2.0f) + passed(6.0f) + passed(2.0f),
        passed(4.0f) * 3 + passed(2.0f),
    };
}

// Runs frames of one scene that must not hand over yet.
void runFrames(int scene, float delta, int frames)
{
    for (int i = 0; i < frames; ++i)
        ASSERT_EQ(runSmallFrame(scene, delta), scene) << "frame " << i + 1;
}

// How many stamps have been laid so far (any opacity above nothing).
int laidStamps()
{
    int laid = 0;
    for (int i = 0; i < stampGroup.count; ++i)
        if (stampGroup.records[i].alpha > 0.0f)
            ++laid;
    return laid;
}

// Brightness of a pixel, 0 to 255.
double lightness(sf::Color c)
{
    return (c.r + c.g + c.b) / 3.0;
}
}

// Steps of a quarter second land exactly on every threshold, so a phase
// that must pass its length lasts one frame longer than one that need only
// reach it.
TEST(FirstHalfTiming, QuarterSecondFramesTellStrictFromInclusiveThresholds)
{
    loadShowWithoutShaders();
    CoutCapture output;
    const int expected[] = {6 + 8 + 16 + 8, 8 + 16 + 9 + 16 + 8, 8 + 24 + 9, 8 + 25 + 9, 17 * 3 + 9};
    for (int scene = firstScene; scene <= lastScene; ++scene)
        EXPECT_EQ(runSmallSceneToEnd(scene, 0.25f), expected[scene]) << "scene " << scene;

    // Each scene wrote its line once, on its first frame.
    std::vector<std::string> lines = output.takeLines();
    EXPECT_EQ(lines, (std::vector<std::string>{"scene 01 loaded", "scene 02 loaded", "scene 03 loaded",
                                               "scene 04 loaded", "scene 5 loaded"}));

    // The middle title layer drifted left at 4 pixels a second for the whole scene.
    EXPECT_NEAR(picture("title2.png").getPosition().x, -4.0f * 57 * 0.25f, 1e-3);
}

// Each scene alone at a steady 60, 144 and 30 frames per second: it hands
// over on the frame its phases imply, the float timers and all.
struct SceneAtRate
{
    int scene;
    int framesPerSecond;
};

class SceneLength : public ::testing::TestWithParam<SceneAtRate>
{
};

TEST_P(SceneLength, HandsOverOnTheFrameItsPhasesImply)
{
    loadShowWithoutShaders();
    const SceneAtRate& run = GetParam();
    float delta = 1.0f / run.framesPerSecond;
    int frames = runSmallSceneToEnd(run.scene, delta);
    EXPECT_EQ(frames, expectedFrames(delta)[run.scene]);
    std::cout << "scene " << run.scene << ": " << frames << " frames at " << run.framesPerSecond << " fps"
              << std::endl;
}

std::vector<SceneAtRate> scenesAtRates()
{
    std::vector<SceneAtRate> runs;
    for (int rate : {60, 144, 30})
        for (int scene = firstScene; scene <= lastScene; ++scene)
            runs.push_back({scene, rate});
    return runs;
}

INSTANTIATE_TEST_SUITE_P(FirstHalf, SceneLength, ::testing::ValuesIn(scenesAtRates()),
                         [](const ::testing::TestParamInfo<SceneAtRate>& info) {
                             return "Scene" + std::to_string(info.param.scene) + "At" +
                                    std::to_string(info.param.framesPerSecond);
                         });

TEST(Quotation, MusicStartsOnTheFrameThatPassesThePrerollAndOnlyOnce)
{
    loadShowWithoutShaders();
    const float delta = 1.0f / 60.0f;
    int prerollFrames = phaseFrames(1.25f, delta, Threshold::Passed);
    runFrames(0, delta, prerollFrames - 1);
    EXPECT_EQ(musicStreamRequests(), 0);
    EXPECT_EQ(alphaOf("black.png"), 255);

    // The frame that passes 1.25 s asks for the music and is still black.
    runSmallFrame(0, delta);
    EXPECT_EQ(musicStreamRequests(), 1);
    EXPECT_EQ(alphaOf("black.png"), 255);

    // The fade starts counting from nothing on the next frame.
    runSmallFrame(0, delta);
    EXPECT_EQ(alphaOf("black.png"), int(255 - delta * 255 / 2));

    EXPECT_GT(runSmallSceneToEnd(0, delta), 0);
    EXPECT_EQ(musicStreamRequests(), 1);
}

TEST(Quotation, ALongFrameEndsAFadeAtOnceAndItsSurplusIsLost)
{
    loadShowWithoutShaders();
    runSmallFrame(0, 1.5f); // the pre-roll
    EXPECT_EQ(alphaOf("black.png"), 255);

    // Three seconds into a two-second fade: clear at once, never negative.
    EXPECT_EQ(runSmallFrame(0, 3.0f), 0);
    EXPECT_EQ(alphaOf("black.png"), 0);

    // The hold then lasts its own four seconds from nothing: eight half
    // seconds, not six.
    runFrames(0, 0.5f, 8);
    EXPECT_EQ(alphaOf("black.png"), 0);
    runSmallFrame(0, 0.5f);
    EXPECT_EQ(alphaOf("black.png"), 63);

    // A long last frame closes the fade fully black and hands over.
    EXPECT_EQ(runSmallFrame(0, 3.0f), 1);
    EXPECT_EQ(alphaOf("black.png"), 255);
}

TEST(Quotation, ShowsWhiteLettersOnBlackAndEndsOnAFullyBlackFrame)
{
    loadShowForTest();

    // Into the hold: pre-roll and fade-in done.
    runFrames(0, 0.25f, 6 + 8 + 1);
    ASSERT_EQ(runTestFrame(0, 0.25f), 0);
    sf::Image frame = testFrame();

    // The four lines with their Swedish letters as single code points.
    sf::String text = sharedText.getString();
    std::basic_string<sf::Uint32> codes(text.begin(), text.end());
    EXPECT_NE(codes.find(0xE4), std::basic_string<sf::Uint32>::npos);
    EXPECT_NE(codes.find(0xF6), std::basic_string<sf::Uint32>::npos);
    EXPECT_NE(codes.find(0xE5), std::basic_string<sf::Uint32>::npos);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), sf::Uint32('\n')), 3);
    EXPECT_EQ(sharedText.getCharacterSize(), 36u);

    // White text where the quotation stands, black everywhere else.
    sf::FloatRect box = sharedText.getGlobalBounds();
    EXPECT_GE(box.left, 285.0f);
    EXPECT_GE(box.top, 195.0f);
    int bright = 0;
    for (unsigned y = unsigned(box.top); y < unsigned(box.top + box.height); ++y)
        for (unsigned x = unsigned(box.left); x < unsigned(box.left + box.width); ++x)
            if (frame.getPixel(x, y).r > 200 && frame.getPixel(x, y).b > 200)
                ++bright;
    EXPECT_GT(bright, 2000);
    EXPECT_EQ(maxRed(frame, 0, 0, 280, 720), 0);
    EXPECT_EQ(maxRed(frame, 0, unsigned(box.top + box.height) + 4, 1280, 40), 0);
    EXPECT_EQ(meanColor(frame, 1100, 0, 180, 720), sf::Color(0, 0, 0, 255));

    // The frame that hands over is black through and through.
    runFrames(0, 0.25f, 14 + 7);
    ASSERT_EQ(runTestFrame(0, 0.25f), 1);
    frame = testFrame();
    EXPECT_EQ(maxRed(frame, 0, 0, 1280, 720), 0);
    EXPECT_EQ(meanColor(frame, 0, 0, 1280, 720), sf::Color(0, 0, 0, 255));
}

TEST(ZoomingPicture, LayersShrinkAtTheirOwnRatesAndTheFrontKeepsItsLastScale)
{
    loadShowWithoutShaders();
    sf::Sprite& back = picture("S1-1.png");
    sf::Sprite& front = picture("S1-2.png");

    // The first frame shows both layers at three times their size.
    runSmallFrame(2, 0.25f);
    EXPECT_EQ(back.getScale(), sf::Vector2f(3, 3));
    EXPECT_EQ(front.getScale(), sf::Vector2f(3, 3));

    // Fade in and hold; the fade-out frame that only reaches 2 s is black
    // but not the last.
    runFrames(2, 0.25f, 7 + 24 + 7);
    EXPECT_EQ(runSmallFrame(2, 0.25f), 2);
    EXPECT_EQ(alphaOf("black.png"), 255);
    EXPECT_EQ(runSmallFrame(2, 0.25f), 3);

    // Each frame shows the scales the one before ended with: 40 steps.
    EXPECT_NEAR(front.getScale().x, 3.0f - 40 * 0.025f, 1e-4);
    EXPECT_NEAR(back.getScale().x, 3.0f - 40 * 0.03125f, 1e-4);
    EXPECT_EQ(front.getScale().x, front.getScale().y);
    EXPECT_EQ(front.getOrigin(), sf::Vector2f(640, 360));
}

TEST(PencilSketch, AtHundredFortyFourFramesAStampIsLaidEveryOtherFrame)
{
    loadShowWithoutShaders();
    const float delta = 1.0f / 144.0f;
    runFrames(3, delta, phaseFrames(2.0f, delta, Threshold::Reached));
    EXPECT_EQ(alphaOf("black.png"), 0);
    ASSERT_EQ(stampGroup.count, sketchStampCount);

    // Every stamp stands on its point of the head, invisible.
    for (int i = 0; i < stampGroup.count; ++i)
    {
        const TweenSprite& stamp = stampGroup.records[i];
        EXPECT_TRUE(stamp.visible);
        EXPECT_EQ(stamp.x, headOutline[i].x);
        EXPECT_EQ(stamp.y, headOutline[i].y);
    }
    EXPECT_EQ(laidStamps(), 0);

    // Two frames make one tick: the reveal timer keeps no excess.
    for (int frame = 1; frame <= 200; ++frame)
    {
        runSmallFrame(3, delta);
        ASSERT_EQ(laidStamps(), frame / 2) << "frame " << frame;
    }

    // The newest stamp starts faint and darkens from the next tick on.
    EXPECT_EQ(stampGroup.records[100].alpha, 0.01f);
    EXPECT_FLOAT_EQ(stampGroup.records[99].alpha, 0.01f + delta);
    EXPECT_EQ(stampGroup.records[1].alpha, 0.75f);

    // All ticks done well before the spin: the first stamp is never laid,
    // the last stays faint, the others are at full strength.
    runFrames(3, delta, phaseFrames(6.0f, delta, Threshold::Passed) - 201);
    EXPECT_EQ(stampGroup.records[0].alpha, 0.0f);
    EXPECT_EQ(stampGroup.records[287].alpha, 0.01f);
    for (int i = 1; i < 287; ++i)
        ASSERT_EQ(stampGroup.records[i].alpha, 0.75f) << "stamp " << i;

    // The spin sets them all to full strength.
    runSmallFrame(3, delta);
    for (int i = 0; i < stampGroup.count; ++i)
        ASSERT_EQ(stampGroup.records[i].alpha, 0.75f) << "stamp " << i;
}

TEST(PencilSketch, BelowFortyEightFramesTheRestAppearsWhenTheSpinStarts)
{
    loadShowWithoutShaders();
    const float delta = 1.0f / 30.0f;
    runFrames(3, delta, phaseFrames(2.0f, delta, Threshold::Reached));

    // Frames longer than a tick lay exactly one stamp each.
    int drawingFrames = phaseFrames(6.0f, delta, Threshold::Passed);
    for (int frame = 1; frame < drawingFrames; ++frame)
    {
        runSmallFrame(3, delta);
        ASSERT_EQ(laidStamps(), frame);
    }
    ASSERT_LT(laidStamps(), 287);
    EXPECT_EQ(stampGroup.records[drawingFrames].alpha, 0.0f);

    // The frame that ends the drawing brings every stamp in at 0.75, spinning.
    runSmallFrame(3, delta);
    std::srand(1); // the generator as it stood unseeded, at its first draw
    for (int i = 0; i < stampGroup.count; ++i)
    {
        const TweenSprite& stamp = stampGroup.records[i];
        ASSERT_EQ(stamp.alpha, 0.75f) << "stamp " << i;
        float speed = static_cast<float>(32.0 + (std::rand() % 32768) * 96.0 / 32767.0);
        EXPECT_EQ(stamp.rotationSpeed, speed) << "stamp " << i;
        EXPECT_GE(stamp.rotationSpeed, 32.0f);
        EXPECT_LE(stamp.rotationSpeed, 128.0f);
    }
    auto [slowest, fastest] = std::minmax_element(
        stampGroup.records, stampGroup.records + stampGroup.count,
        [](const TweenSprite& a, const TweenSprite& b) { return a.rotationSpeed < b.rotationSpeed; });
    EXPECT_LT(slowest->rotationSpeed, 40.0f);
    EXPECT_GT(fastest->rotationSpeed, 120.0f);

    // The hand-over: still, placed, spinning stamps; the effect clock holds
    // the spin's length; the light where its drift took it.
    int spinFrames = runSmallSceneToEnd(3, delta);
    EXPECT_EQ(spinFrames, phaseFrames(2.0f, delta, Threshold::Passed));
    for (int i = 0; i < stampGroup.count; ++i)
    {
        const TweenSprite& stamp = stampGroup.records[i];
        EXPECT_TRUE(stamp.visible && !stamp.fresh && !stamp.moving);
        EXPECT_EQ(stamp.scale, 1.0f);
        EXPECT_NEAR(stamp.rotation, stamp.rotationSpeed * (spinFrames + 1) * delta, 0.05);
    }
    EXPECT_NEAR(effectTime, spinFrames * delta, 1e-4);
    int sceneFrames = phaseFrames(2.0f, delta, Threshold::Reached) + drawingFrames + spinFrames;
    EXPECT_NEAR(picture("S2-2.png").getPosition().x, 57.0f * sceneFrames * delta, 0.01);
    EXPECT_NEAR(picture("S2-2.png").getPosition().y, 45.0f * sceneFrames * delta, 0.01);
}

TEST(PencilSketch, LaidStampsAreDarkMarksOverTheBackdrop)
{
    loadShowForTest();
    // Two seconds of fade, then three of drawing: the oval's first hundred
    // and eighty stamps are down.
    runFrames(3, 1.0f / 60.0f, 120 + 179);
    ASSERT_EQ(runTestFrame(3, 1.0f / 60.0f), 3);
    sf::Image frame = testFrame();

    // Each fully dark stamp against plain paper inside the oval, sampled
    // near the point 24 px in from the stamp, at the spot farthest from
    // every stamp laid so far, and only where no dab can reach it (two dab
    // radii clear), so a wider dab cannot darken the paper it is judged
    // against.
    const TweenPoint centre = {613, 316};
    const float dabRadius = picture("pencilsprite.png").getTexture()->getSize().x / 2.0f;
    int laid = laidStamps();
    auto clearance = [&](float x, float y) {
        float nearest = 1e9f;
        for (int j = 0; j < stampGroup.count; ++j)
            if (stampGroup.records[j].visible && stampGroup.records[j].alpha > 0)
                nearest = std::min(nearest, std::hypot(stampGroup.records[j].x - x, stampGroup.records[j].y - y));
        return nearest;
    };
    ASSERT_GT(laid, 120);
    int darker = 0, checked = 0;
    for (int i = 1; i < 120; i += 4)
    {
        ASSERT_EQ(stampGroup.records[i].alpha, 0.75f);
        TweenPoint p = headOutline[i];
        float dx = centre.x - p.x, dy = centre.y - p.y;
        float length = std::hypot(dx, dy);
        TweenPoint inside = p;
        float best = -1;
        TweenPoint near = {p.x + dx / length * 24, p.y + dy / length * 24};
        for (float oy = -32; oy <= 32; oy += 1)
            for (float ox = -32; ox <= 32; ox += 1)
            {
                TweenPoint q = {near.x + ox, near.y + oy};
                if (std::hypot(centre.x - q.x, centre.y - q.y) > length)
                    continue; // outside the oval: the backdrop, not the paper
                float clear = clearance(q.x, q.y);
                if (clear > best)
                    best = clear, inside = q;
            }
        ASSERT_GE(best, 2 * dabRadius) << "stamp " << i;
        double stamp = lightness(frame.getPixel(unsigned(p.x), unsigned(p.y)));
        double paper = lightness(frame.getPixel(unsigned(inside.x), unsigned(inside.y)));
        ++checked;
        if (stamp + 40 < paper)
            ++darker;
        else
            ADD_FAILURE() << "stamp " << i << " at (" << p.x << ", " << p.y << "): " << stamp
                          << " against paper " << paper << " at (" << inside.x << ", " << inside.y << ")";
    }
    EXPECT_EQ(darker, checked);

    // The stamps not laid yet leave the paper untouched.
    TweenPoint unlaid = headOutline[200];
    EXPECT_GT(lightness(frame.getPixel(unsigned(unlaid.x), unsigned(unlaid.y))), 120.0);
}

TEST(BustSketch, TakesTheSpinningStampsToTheBustAndFadesThemAsThePortraitComesIn)
{
    loadShowWithoutShaders();
    ASSERT_EQ(runSmallSceneToEnd(3, 0.25f), 42);
    float spinEffectTime = effectTime;
    EXPECT_EQ(spinEffectTime, 2.25f);
    std::vector<float> rotations;
    for (int i = 0; i < stampGroup.count; ++i)
        rotations.push_back(stampGroup.records[i].rotation);

    // The first frame: every stamp sets off from its place on the head.
    runSmallFrame(4, 0.25f);
    for (int i = 0; i < stampGroup.count; ++i)
    {
        const TweenSprite& stamp = stampGroup.records[i];
        ASSERT_TRUE(stamp.moving);
        EXPECT_EQ(stamp.startX, headOutline[i].x);
        EXPECT_EQ(stamp.startY, headOutline[i].y);
        EXPECT_EQ(stamp.targetX, bustOutline[i].x);
        EXPECT_EQ(stamp.targetY, bustOutline[i].y);
        EXPECT_EQ(stamp.scale, 0.9375f);
        EXPECT_EQ(stamp.alpha, 0.75f);
    }
    EXPECT_EQ(effectTime, spinEffectTime + 0.25f);

    // At exactly four seconds the stamps have landed but the glide goes on.
    runFrames(4, 0.25f, 15);
    EXPECT_EQ(stampGroup.records[7].x, bustOutline[7].x);
    EXPECT_FALSE(stampGroup.records[7].moving);
    EXPECT_EQ(stampGroup.records[7].alpha, 0.75f);
    EXPECT_EQ(stampGroup.records[7].scale, 0.5f);
    EXPECT_EQ(alphaOf("S3-1.png"), 255);
    EXPECT_EQ(alphaOf("S3-3.png"), 0);

    // Passing it starts the stamps' fade in that same frame.
    runSmallFrame(4, 0.25f);
    EXPECT_EQ(stampGroup.records[7].alpha, 0.75f - 0.125f * 0.25f);

    // Halfway through the first layer's four seconds.
    runFrames(4, 0.25f, 8);
    EXPECT_EQ(alphaOf("S3-3.png"), 127);
    EXPECT_EQ(alphaOf("S3-2.png"), 0);

    // To the end: the stamps gone, each on its bust point, the five layers in.
    EXPECT_EQ(runSmallSceneToEnd(4, 0.25f), 60 - 25);
    for (int i = 0; i < stampGroup.count; ++i)
    {
        const TweenSprite& stamp = stampGroup.records[i];
        ASSERT_EQ(stamp.alpha, 0.0f) << "stamp " << i;
        EXPECT_EQ(stamp.x, bustOutline[i].x);
        EXPECT_EQ(stamp.y, bustOutline[i].y);
        EXPECT_NEAR(stamp.rotation, rotations[i] + stamp.rotationSpeed * 15.0f, 0.05);
    }
    for (const char* layer : {"S3-1.png", "S3-2.png", "S3-22.png", "S3-23.png", "S3-3.png"})
        EXPECT_EQ(picture(layer).getColor(), sf::Color(255, 255, 255, 255)) << layer;

    // The effect clock ran on from scene 3 through all fourteen seconds.
    EXPECT_EQ(effectTime, spinEffectTime + 60 * 0.25f);
}

// When the stamps land on the smaller sketch, the portrait's first layer is
// already in beneath them: a ground light enough for the graphite to read,
// on the head's passes and on the shoulder line alike, and the sketch's
// lines drawn into it between them.
TEST(BustSketch, LandedStampsStandOutFromTheFirstLayer)
{
    loadShowForTest();
    const float delta = 1.0f / 60.0f;
    ASSERT_GT(runSmallSceneToEnd(3, delta), 0);
    runFrames(4, delta, 239);
    ASSERT_EQ(runTestFrame(4, delta), 4);
    ASSERT_EQ(alphaOf("S3-1.png"), 255);
    sf::Image frame = testFrame();

    // The ground round a point: the median of the pixels near it that no
    // stamp of the sketch lies on.
    auto groundNear = [&](TweenPoint p) {
        std::vector<double> ground;
        for (int dy = -14; dy <= 14; dy += 2)
            for (int dx = -14; dx <= 14; dx += 2)
            {
                float x = p.x + dx, y = p.y + dy;
                bool clear = true;
                for (int j = 0; j < stampGroup.count && clear; ++j)
                    clear = std::hypot(bustOutline[j].x - x, bustOutline[j].y - y) > 7;
                if (clear)
                    ground.push_back(lightness(frame.getPixel(unsigned(x), unsigned(y))));
            }
        std::sort(ground.begin(), ground.end());
        return ground.empty() ? -1.0 : ground[ground.size() / 2];
    };
    int clearlyDarker = 0, checked = 0;
    for (int i = 0; i < 116; i += 3)
    {
        const TweenSprite& stamp = stampGroup.records[i];
        ASSERT_EQ(stamp.x, bustOutline[i].x) << "stamp " << i << " has not landed";
        ASSERT_GT(stamp.alpha, 0.7f);
        double ground = groundNear(bustOutline[i]);
        if (ground < 0)
            continue;
        double mark = lightness(frame.getPixel(unsigned(bustOutline[i].x), unsigned(bustOutline[i].y)));
        ++checked;
        if (mark + 40 < ground)
            ++clearlyDarker;
        else
            std::cout << "stamp " << i << ": " << mark << " on " << ground << std::endl;
    }
    ASSERT_GT(checked, 30);
    EXPECT_GE(clearlyDarker, checked - 1);

    // Half size, the stamps are dots about as wide as they are apart: the
    // ground carries the sketch's lines, so that midway between two stamps
    // the stroke goes on and the bust is no ring of beads.
    int joined = 0, gaps = 0;
    for (const SketchStroke& stroke : bustStrokes)
        for (const SketchSegment& s : strokeSegments(stroke))
        {
            TweenPoint middle{(s.from.x + s.to.x) / 2, (s.from.y + s.to.y) / 2};
            double ground = groundNear(middle);
            if (ground < 0)
                continue;
            ++gaps;
            double mark = lightness(frame.getPixel(unsigned(middle.x), unsigned(middle.y)));
            if (mark + 20 < ground)
                ++joined;
            else
                std::cout << "between stamps at " << s.from.x << "," << s.from.y << " and " << s.to.x << "," << s.to.y << ": " << mark
                          << " on " << ground << std::endl;
        }
    std::cout << joined << " of " << gaps << " gaps between stamps joined" << std::endl;
    ASSERT_GT(gaps, 100);
    EXPECT_GE(joined, gaps * 95 / 100);
}

TEST(BustSketch, ALongFirstFrameBringsEveryStampHomeAndKeepsHalfSize)
{
    loadShowWithoutShaders();
    ASSERT_EQ(runSmallSceneToEnd(3, 0.25f), 42);

    runSmallFrame(4, 5.0f);
    for (int i = 0; i < stampGroup.count; ++i)
    {
        const TweenSprite& stamp = stampGroup.records[i];
        ASSERT_FALSE(stamp.moving);
        EXPECT_EQ(stamp.x, bustOutline[i].x);
        EXPECT_EQ(stamp.y, bustOutline[i].y);
        EXPECT_EQ(stamp.scale, 0.5f);
        // The glide is over, so the fade took its first bite.
        EXPECT_EQ(stamp.alpha, 0.75f - 0.125f * 5.0f);
    }
    EXPECT_EQ(alphaOf("S3-1.png"), 255);

    // A second long frame cannot take a stamp below nothing.
    runSmallFrame(4, 5.0f);
    EXPECT_EQ(stampGroup.records[0].alpha, 0.0f);
    EXPECT_EQ(stampGroup.records[0].scale, 0.5f);
}

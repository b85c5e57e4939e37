// What lies over what, and how fast each layer comes in: the title scene's
// cross-fade and its title kept sharp over the blurring picture, the
// head-and-shoulders sketch's layers and stamps, the layered picture's
// order, and the captions scene's first caption. Each scene runs from its
// first frame at quarter-second steps, on which every timer adds up exactly.
//
// The order on screen is read against the same pictures drawn plainly in
// that order, and checked to differ from them drawn in another.
#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "draw/tween.h"
#include "scenes/scene.h"
#include "support/scene_probe.h"
#include "support/scene_timing.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace
{
const float quarter = 0.25f;

int alphaOf(const char* file)
{
    return picture(file).getColor().a;
}

// An opacity worked out as a scene does it, as the byte it is drawn with.
int alphaByteOf(double alpha)
{
    return static_cast<int>(std::min(alpha, 255.0));
}

// One layer of a picture, drawn plainly onto a target.
using Layer = std::function<void(sf::RenderTarget&)>;

Layer layer(const char* file)
{
    return [file](sf::RenderTarget& target) { target.draw(picture(file)); };
}

// The layers drawn plainly, bottom first, over black: the picture a scene
// must show when it draws them in that order.
sf::Image composed(const std::vector<Layer>& layers)
{
    static sf::RenderTexture reference;
    if (reference.getSize().x == 0)
        reference.create(1280, 720);
    reference.clear(sf::Color::Black);
    for (const Layer& draw : layers)
        draw(reference);
    reference.display();
    return reference.getTexture().copyToImage();
}

// Whether two colours are the same but for rounding.
bool near(sf::Color a, sf::Color b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// How many pixels of two frames differ by more than rounding.
int differingPixels(const sf::Image& a, const sf::Image& b)
{
    int differing = 0;
    for (unsigned y = 0; y < 720; ++y)
        for (unsigned x = 0; x < 1280; ++x)
        {
            sf::Color p = a.getPixel(x, y), q = b.getPixel(x, y);
            differing += !near(p, q, 2);
        }
    return differing;
}

// The level of a caption's strokes in a rectangle of a frame: the commonest
// brightest channel among its lit pixels, 0 where nothing is lit. A joined
// hand overlaps its letters where they meet, and a fading caption shows
// brighter there, so the single strokes tell its alpha, not the brightest.
int strokeLevel(const sf::Image& frame, unsigned left, unsigned top, unsigned width, unsigned height)
{
    std::vector<int> count(256, 0);
    for (unsigned y = top; y < top + height; ++y)
        for (unsigned x = left; x < left + width; ++x)
        {
            sf::Color c = frame.getPixel(x, y);
            ++count[std::max({int(c.r), int(c.g), int(c.b)})];
        }
    int level = 0;
    for (int value = 9; value < 256; ++value)
        if (count[value] > count[level] || (level == 0 && count[value] > 0))
            level = value;
    return level;
}
}

// ---- Scene 1 --------------------------------------------------------------

TEST(Title, PresenterLineGivesWayToTheTitleImageOverTwoSeconds)
{
    loadShowWithoutShaders();
    CoutCapture quiet;
    // Fade-in 8 frames, hold 16, cross-fade 9 (2.0 s must be passed).
    for (int frame = 1; frame <= 8 + 16; ++frame)
    {
        ASSERT_EQ(runSmallFrame(1, quarter), 1);
        ASSERT_EQ(sharedText.getFillColor(), sf::Color(0, 0, 0, 255)) << "frame " << frame;
        ASSERT_EQ(alphaOf("ostralis.png"), 0) << "frame " << frame;
    }
    for (int step = 1; step <= 9; ++step)
    {
        runSmallFrame(1, quarter);
        double timer = step * 0.25;
        EXPECT_EQ(sharedText.getFillColor().a, static_cast<int>(std::max(0.0, 255 - timer * 127.5))) << step;
        EXPECT_EQ(alphaOf("ostralis.png"), alphaByteOf(timer * 127.5)) << step;
    }
    // Both stay where the cross-fade left them to the end of the scene.
    EXPECT_EQ(runSmallSceneToEnd(1, quarter), 16 + 8);
    EXPECT_EQ(sharedText.getFillColor().a, 0);
    EXPECT_EQ(alphaOf("ostralis.png"), 255);
}

// The picture behind the title blurs; the title image, drawn on the window
// after it, keeps its own pixels.
TEST(Title, TheTitleImageStaysSharpOverTheBlurredPicture)
{
    loadShowForTest();
    CoutCapture quiet;
    // The last frame of the hold with blur: 2.25 s of blur, no overlay yet.
    for (int frame = 1; frame < 8 + 16 + 9 + 16; ++frame)
        ASSERT_EQ(runSmallFrame(1, quarter), 1);
    ASSERT_EQ(runTestFrame(1, quarter), 1);
    ASSERT_EQ(alphaOf("black.png"), 0);
    sf::Image frame = testFrame();

    // Every opaque pixel of the title is on the frame as it is in the picture.
    const sf::Sprite& title = picture("ostralis.png");
    sf::Image own = title.getTexture()->copyToImage();
    sf::Vector2i at(title.getPosition());
    int opaque = 0, kept = 0;
    for (unsigned y = 0; y < own.getSize().y; ++y)
        for (unsigned x = 0; x < own.getSize().x; ++x)
        {
            sf::Color c = own.getPixel(x, y);
            int fx = at.x + int(x), fy = at.y + int(y);
            if (c.a != 255 || fx >= 1280 || fy >= 720)
                continue;
            ++opaque;
            kept += near(frame.getPixel(fx, fy), c, 2);
        }
    ASSERT_GT(opaque, 1000);
    EXPECT_EQ(kept, opaque) << opaque - kept << " of the title's opaque pixels changed";
}

// ---- Scene 4 --------------------------------------------------------------

TEST(BustSketch, EachLayerFadesInAtItsOwnRateInItsOwnPhase)
{
    loadShowWithoutShaders();
    CoutCapture quiet;
    runSmallSceneToEnd(3, quarter);
    const char* layers[] = {"S3-1.png", "S3-3.png", "S3-2.png", "S3-22.png", "S3-23.png"};
    // Phases of 17, 17, 17 and 9 frames: every threshold must be passed.
    for (int frame = 1; frame <= 60; ++frame)
    {
        int phase = std::min((frame - 1) / 17, 3);
        double timer = quarter * (frame - 17 * phase);
        // Each alpha moves only in its own phase and keeps its last value.
        double full = 255.0;
        double expected[] = {
            phase == 0 ? timer * 127.5 : full,
            phase < 1 ? 0.0 : phase == 1 ? timer * 63.75 : full,
            phase < 2 ? 0.0 : phase == 2 ? timer * 255.0 : full,
            phase < 2 ? 0.0 : phase == 2 ? timer * 127.5 : full,
            phase < 2 ? 0.0 : phase == 2 ? timer * 63.75 : full,
        };
        ASSERT_EQ(runSmallFrame(4, quarter), frame == 60 ? 5 : 4);
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(alphaOf(layers[k]), alphaByteOf(expected[k])) << layers[k] << ", frame " << frame;
    }
}

TEST(BustSketch, StampsLieOverTheFirstLayerAndUnderTheOthers)
{
    loadShowWithoutShaders();
    CoutCapture quiet;
    runSmallSceneToEnd(3, quarter);
    runSmallSceneToEnd(4, quarter);
    // The stamps, shown again at full strength for the frame looked at, over
    // the finished portrait, which hides the backdrop.
    for (int i = 0; i < stampGroup.count; ++i)
        stampGroup.records[i].alpha = 1.0f;
    runTestFrame(4, quarter);
    sf::Image frame = testFrame();

    Layer stamps = [](sf::RenderTarget& target) { drawTweenGroup(stampGroup, target); };
    Layer canvas = layer("S3-1.png"), skin = layer("S3-2.png"), hair = layer("S3-22.png"),
          clothes = layer("S3-23.png"), frameLayer = layer("S3-3.png");
    EXPECT_EQ(differingPixels(frame, composed({canvas, stamps, skin, hair, clothes, frameLayer})), 0);

    // Each of these orders would show. The finished portrait and the room
    // round her cover nearly all of the first layer, so the stamps hidden
    // under it show only where the later layers thin at their edges: her
    // hair, skin and clothes overlap, and the soft graphite is faint there,
    // so those pixels are few.
    EXPECT_GT(differingPixels(frame, composed({stamps, canvas, skin, hair, clothes, frameLayer})), 10);
    EXPECT_GT(differingPixels(frame, composed({canvas, skin, hair, clothes, frameLayer, stamps})), 500);
    EXPECT_GT(differingPixels(frame, composed({canvas, stamps, clothes, hair, skin, frameLayer})), 500);
}

// ---- Scene 6 --------------------------------------------------------------

TEST(LayeredPicture, TheFirstLayerToComeInLiesOverTheThreeAfterIt)
{
    loadShowWithoutShaders();
    CoutCapture quiet;
    runSmallSceneToEnd(6, quarter);
    runTestFrame(6, quarter);
    ASSERT_EQ(alphaOf("black.png"), 0);
    sf::Image frame = testFrame();

    Layer base = layer("S4-1.png"), second = layer("S4-4.png"), third = layer("S4-21.png"),
          fourth = layer("S4-22.png"), fifth = layer("S4-23.png"), first = layer("S3-3.png");
    EXPECT_EQ(differingPixels(frame, composed({base, second, third, fourth, fifth, first})), 0);

    // In the order they come in, the first would lie under the others.
    EXPECT_GT(differingPixels(frame, composed({base, second, first, third, fourth, fifth})), 500);
}

// ---- Scene 8 --------------------------------------------------------------

TEST(TwoCaptions, TheFirstCaptionFadesInAfterTheOpeningAndOutForTheSecond)
{
    loadShowWithoutShaders();
    usePlainShaders();
    CoutCapture quiet;
    // Only the captions light the frame.
    setSpriteAlpha(picture("S5-1.png"), 0);
    setSpriteAlpha(picture("S5-2.png"), 0);

    // The opening's 8 frames; its last already starts the fade in, a second
    // long. The second caption takes over after the caption phase's timer
    // passes 4 s, on frame 8 + 17.
    const std::vector<std::pair<int, int>> looks = {{7, 0},     {8, 63},    {9, 127}, {11, 255},
                                                    {24, 255}, {25, 191}, {27, 63}, {28, 0}};
    std::size_t next = 0;
    for (int frame = 1; next < looks.size(); ++frame)
    {
        bool look = looks[next].first == frame;
        ASSERT_EQ(look ? runTestFrame(8, quarter) : runSmallFrame(8, quarter), 8);
        if (!look)
            continue;
        // The first caption's line, above the second's.
        EXPECT_NEAR(strokeLevel(testFrame(), 100, 100, 700, 78), looks[next].second, 2) << "frame " << frame;
        ++next;
    }
}

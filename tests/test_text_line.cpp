// Caption lines: how they fade, and what drawing one leaves in the shared
// text object and on the screen.
#include "draw/text_line.h"

#include "assets/fonts.h"
#include "scenes/scene.h"
#include "support/scene_probe.h"
#include "support/show_test.h"

#include <gtest/gtest.h>

namespace
{
// Runs the line's fade for a number of frames of one length.
void fadeFrames(TextLine& line, float delta, int frames)
{
    frameDelta = delta;
    for (int i = 0; i < frames; ++i)
        updateTextLine(line);
}

TextLine redLine(const char* text, float alpha)
{
    TextLine line;
    line.red = 226;
    line.green = 22;
    line.blue = 22;
    line.alpha = alpha;
    line.characterSize = 75;
    line.text = text;
    line.x = 40;
    line.y = 50;
    return line;
}
}

TEST(CaptionFade, FullFadeTakesOneSecondAndRestsAtItsEnd)
{
    // Fading in by quarter seconds: 0.25, 0.5, 0.75, then exactly 1.
    TextLine line;
    line.fadeState = textLineFadingIn;
    fadeFrames(line, 0.25f, 3);
    EXPECT_FLOAT_EQ(line.alpha, 0.75f);
    fadeFrames(line, 0.25f, 1);
    EXPECT_EQ(line.alpha, 1.0f);
    fadeFrames(line, 0.25f, 5);
    EXPECT_EQ(line.alpha, 1.0f);
    EXPECT_EQ(line.fadeState, textLineFadingIn) << "a finished fade keeps its state";

    // Halfway in, half a second more takes it to 1.
    TextLine half;
    half.fadeState = textLineFadingIn;
    half.alpha = 0.5f;
    fadeFrames(half, 0.125f, 4);
    EXPECT_EQ(half.alpha, 1.0f);

    // Fading out by the same steps ends exactly on 0 and stays there.
    line.fadeState = textLineFadingOut;
    fadeFrames(line, 0.25f, 3);
    EXPECT_FLOAT_EQ(line.alpha, 0.25f);
    fadeFrames(line, 0.25f, 3);
    EXPECT_EQ(line.alpha, 0.0f);
    EXPECT_EQ(line.fadeState, textLineFadingOut);
}

TEST(CaptionFade, LongFramesClampAtZeroAndOneAndIdleLinesStayPut)
{
    TextLine rising;
    rising.fadeState = textLineFadingIn;
    fadeFrames(rising, 3.0f, 1);
    EXPECT_EQ(rising.alpha, 1.0f);

    TextLine falling;
    falling.fadeState = textLineFadingOut;
    falling.alpha = 0.9f;
    fadeFrames(falling, 3.0f, 1);
    EXPECT_EQ(falling.alpha, 0.0f);

    // Idle lines, and states the show never sets, do not move.
    for (int state : {textLineIdle, 3, -1})
    {
        TextLine still;
        still.fadeState = state;
        still.alpha = 0.4f;
        fadeFrames(still, 0.5f, 2);
        EXPECT_EQ(still.alpha, 0.4f) << "fade state " << state;
    }
}

TEST(CaptionDraw, LeavesTheLineInSharedTextAndTheRegularFontBack)
{
    loadShowForTest();
    EXPECT_EQ(sharedText.getFont(), &boldFont) << "the shared text starts out bold";

    // Channels keep their low 8 bits; the opacity is truncated (0.5 gives 127).
    TextLine line = redLine("Of a Grave \xE9", 0.5f);
    line.red = 256 + 226;
    line.green = -256 + 22;
    line.x = 90;
    line.y = 550;
    drawTextLine(line, testTarget());

    EXPECT_EQ(sharedText.getFont(), &textFont);
    EXPECT_EQ(sharedText.getFillColor(), sf::Color(226, 22, 22, 127));
    EXPECT_EQ(sharedText.getCharacterSize(), 75u);
    EXPECT_EQ(sharedText.getPosition(), sf::Vector2f(90.0f, 550.0f));
    sf::String expected = showString("Of a Grave \xE9");
    EXPECT_EQ(sharedText.getString(), expected) << "the trailing blank and the accent are kept";
    EXPECT_EQ(sharedText.getString().getSize(), 12u);

    // Full opacity is 255; a line at 0 is still drawn, and leaves its values.
    drawTextLine(redLine("full", 1.0f), testTarget());
    EXPECT_EQ(sharedText.getFillColor().a, 255);
    TextLine hidden = redLine("hidden", 0.0f);
    hidden.blue = 200;
    hidden.y = 300;
    drawTextLine(hidden, testTarget());
    EXPECT_EQ(sharedText.getString(), sf::String("hidden"));
    EXPECT_EQ(sharedText.getFillColor(), sf::Color(226, 22, 200, 0));
    EXPECT_EQ(sharedText.getPosition(), sf::Vector2f(40.0f, 300.0f));
    EXPECT_EQ(sharedText.getFont(), &textFont);
}

TEST(CaptionDraw, ShowsInItsColourAtItsPlaceInTheBoldFont)
{
    loadShowForTest();
    sf::RenderTexture& target = testTarget();

    // As after any earlier caption, the shared text holds the regular font.
    sharedText.setFont(textFont);

    // On black, an opaque red line lights up its own band and nothing below.
    target.clear(sf::Color::Black);
    drawTextLine(redLine("The burning pyre", 1.0f), target);
    target.display();
    sf::Image frame = testFrame();
    EXPECT_GE(maxRed(frame, 40, 50, 1240, 100), 200);
    EXPECT_GT(redPixelCount(frame, 40, 50, 1240, 100, 150), 500);
    EXPECT_EQ(maxRed(frame, 0, 160, 1280, 560), 0);
    EXPECT_EQ(maxRed(frame, 0, 0, 38, 720), 0) << "nothing left of the line's place";

    // The bold face covers more pixels than the regular one at the same size.
    sharedText.setFont(textFont);
    target.clear(sf::Color::Black);
    target.draw(sharedText);
    target.display();
    int regular = redPixelCount(testFrame(), 40, 50, 1240, 100, 150);
    EXPECT_GT(redPixelCount(frame, 40, 50, 1240, 100, 150), regular);

    // A line at alpha 0 leaves the screen as it was.
    target.clear(sf::Color::Black);
    drawTextLine(redLine("The burning pyre", 0.0f), target);
    target.display();
    EXPECT_EQ(maxRed(testFrame(), 0, 0, 1280, 720), 0);
}

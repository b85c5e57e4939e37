// The course both poems follow: lines in one by one, hold, lines out, to black.
#include "scenes/poem.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/shaders.h"
#include "scenes/scene.h"

namespace
{
// Phases: 0-5 one line in each, 6 hold, 7-12 one line out each, 13 to black.
const int firstLineInPhase = 0;
const int holdPhase = 6;
const int firstLineOutPhase = 7;
const int fadeToBlackPhase = 13;

// Sets the fade of the next line once a step has passed; true when all six
// lines have been started.
bool startNextLine(PoemCourse& poem, int fadeState)
{
    poem.timer += frameDelta;
    if (poem.timer > stepSeconds)
    {
        poem.timer = 0.0f;
        poem.lines[poem.lineIndex].fadeState = fadeState;
        ++poem.lineIndex;
        ++poem.phase;
    }
    return poem.lineIndex == poemLineCount;
}
}

void setUpPoemLines(PoemCourse& poem, const char* const texts[poemLineCount])
{
    poem.phase = firstLineInPhase;
    for (int i = 0; i < poemLineCount; ++i)
    {
        TextLine& line = poem.lines[i];
        line.text = texts[i];
        line.red = 226;
        line.green = 22;
        line.blue = 22;
        line.characterSize = 75;
        line.x = 40 + 10 * i;
        line.y = 50 + 100 * i;
    }
}

bool advancePoem(PoemCourse& poem)
{
    // The effect clocks run in every phase.
    effectTime = static_cast<float>(effectTime + frameDelta / 10.0);
    poem.rippleTime = static_cast<float>(poem.rippleTime + frameDelta / 100.0);

    // A line whose fade is set below starts to move on the next frame.
    for (TextLine& line : poem.lines)
        updateTextLine(line);

    // The phases; every threshold must be passed, not just reached.
    if (poem.phase < holdPhase)
    {
        if (startNextLine(poem, textLineFadingIn))
        {
            poem.lineIndex = 0;
            poem.phase = holdPhase;
        }
    }
    else if (poem.phase == holdPhase)
    {
        poem.timer += frameDelta;
        if (poem.timer > fadeSeconds)
        {
            poem.timer = 0.0f;
            poem.lineIndex = 0;
            poem.phase = firstLineOutPhase;
        }
    }
    else if (poem.phase < fadeToBlackPhase)
    {
        if (startNextLine(poem, textLineFadingOut))
            poem.phase = fadeToBlackPhase;
    }
    else
    {
        // The overlay follows the timer as it stood before this frame.
        poem.overlayAlpha = fadeOutAlpha(poem.timer, fadeSeconds);
        poem.timer += frameDelta;
        if (poem.timer > fadeSeconds)
            return true;
    }
    return false;
}

void setPoemEffects(const PoemCourse& poem)
{
    rippleShader.setUniform("time", static_cast<float>(poem.rippleTime * 20.0));
    setBlurRadius(static_cast<float>(effectTime / 250.0));
}

void drawPoemLines(const PoemCourse& poem, sf::RenderTarget& target)
{
    for (const TextLine& line : poem.lines)
        drawTextLine(line, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, poem.overlayAlpha);
    drawOverlay(target, black);
}

// Scene 7: the second poem, twin of the first. Over the rippled picture with
// the front layer of scene 2 on top, softly blurred, six red lines fade in
// one by one, stand together, fade out in the same order, and the picture
// fades to black.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/shaders.h"
#include "draw/text_line.h"

namespace
{
const int poemLineCount = 6;

// Phases: 0-5 one line in each, 6 hold, 7-12 one line out each, 13 to black.
const int firstLineInPhase = 0;
const int holdPhase = 6;
const int firstLineOutPhase = 7;
const int fadeToBlackPhase = 13;

bool sceneFirstEntry = true;
int scenePhase = firstLineInPhase;
float sceneTimer = 0.0f;
int lineIndex = 0;       // the next line to start fading
float rippleTime = 0.0f; // the scene's slow ripple clock
float overlayAlpha = 0.0f;
int sceneResult = 7;

TextLine poemLines[poemLineCount];

// The last line keeps its trailing blank.
const char* const poemTexts[poemLineCount] = {
    "Taken away too soon",
    "Absent you, the brush begins to move",
    "The canvas will bring forth, ascend",
    "The painful loss, the guilty heart",
    "Ill bring you back...",
    "...Again ",
};

void setUpPoem()
{
    // Red lines stepping down the screen, each a little further right.
    for (int i = 0; i < poemLineCount; ++i)
    {
        TextLine& line = poemLines[i];
        line.text = poemTexts[i];
        line.red = 226;
        line.green = 22;
        line.blue = 22;
        line.characterSize = 75;
        line.x = 40 + 10 * i;
        line.y = 50 + 100 * i;
    }
}

// Sets the fade of the next line once a step has passed; true when all six
// lines have been started.
bool startNextLine(int fadeState)
{
    sceneTimer += frameDelta;
    if (sceneTimer > stepSeconds)
    {
        sceneTimer = 0.0f;
        poemLines[lineIndex].fadeState = fadeState;
        ++lineIndex;
        ++scenePhase;
    }
    return lineIndex == poemLineCount;
}
}

int runScene7(sf::RenderTarget& target)
{
    // The picture is there at once: no fade-in and no log line.
    if (sceneFirstEntry)
    {
        sceneFirstEntry = false;
        effectTime = 0.0f;
        setUpPoem();
    }

    // The effect clocks run in every phase.
    effectTime = static_cast<float>(effectTime + frameDelta / 10.0);
    rippleTime = static_cast<float>(rippleTime + frameDelta / 100.0);

    // A line whose fade is set below starts to move on the next frame.
    for (TextLine& line : poemLines)
        updateTextLine(line);

    // The phases; every threshold must be passed, not just reached.
    if (scenePhase < holdPhase)
    {
        if (startNextLine(textLineFadingIn))
        {
            lineIndex = 0;
            scenePhase = holdPhase;
        }
    }
    else if (scenePhase == holdPhase)
    {
        sceneTimer += frameDelta;
        if (sceneTimer > fadeSeconds)
        {
            sceneTimer = 0.0f;
            lineIndex = 0;
            scenePhase = firstLineOutPhase;
        }
    }
    else if (scenePhase < fadeToBlackPhase)
    {
        if (startNextLine(textLineFadingOut))
            scenePhase = fadeToBlackPhase;
    }
    else
    {
        // The overlay follows the timer as it stood before this frame.
        overlayAlpha = fadeOutAlpha(sceneTimer, fadeSeconds);
        sceneTimer += frameDelta;
        if (sceneTimer > fadeSeconds)
            sceneResult = 8;
    }

    // The ripple and the blur grow very slowly.
    rippleShader.setUniform("time", static_cast<float>(rippleTime * 20.0));
    setBlurRadius(static_cast<float>(effectTime / 250.0));

    // The rippled back layer with the front layer unrippled on top, at the
    // scale scene 2 left it, blurred as a whole.
    sf::RenderTexture& canvas = blurCanvas();
    drawRippled(canvas, picture("S2-1.png"));
    drawPicture(canvas, picture("S1-2.png"));
    drawBlurredCanvas(target);

    // The poem stays sharp, under the black overlay.
    for (const TextLine& line : poemLines)
        drawTextLine(line, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, overlayAlpha);
    drawOverlay(target, black);

    return sceneResult;
}

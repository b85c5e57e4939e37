// Scene 11: the closing credits. They come out of the white, hold, fade to
// black, and after a black hold the show ends. The scene's timer runs at
// twice the frame time, so every duration below takes half of it.
#include "scenes/scene.h"

#include "assets/catalogue.h"

namespace
{
// Phases: out of white, credits hold, fade to black, black hold.
const int outOfWhitePhase = 0;
const int creditsHoldPhase = 1;
const int fadeToBlackPhase = 2;
const int blackHoldPhase = 3;

const float creditsHoldSeconds = 8.0f;

int scenePhase = outOfWhitePhase;
float sceneTimer = 0.0f;
float whiteOverlayAlpha = 255.0f;
float blackOverlayAlpha = 0.0f;
int sceneResult = 11;
}

void resetScene11()
{
    scenePhase = outOfWhitePhase;
    sceneTimer = 0.0f;
    whiteOverlayAlpha = 255.0f;
    blackOverlayAlpha = 0.0f;
    sceneResult = 11;
}

int runScene11(sf::RenderTarget& target)
{
    // No set-up and no log line: the scene starts where scene 10 left the
    // screen, white.
    switch (scenePhase)
    {
    case outOfWhitePhase:
        // The phase ends on the alpha itself, once it drops below 0.
        sceneTimer += frameDelta;
        whiteOverlayAlpha = static_cast<float>(255.0 - static_cast<double>(sceneTimer) * 255.0 * 0.25);
        if (whiteOverlayAlpha < 0.0f)
        {
            sceneTimer = 0.0f;
            scenePhase = creditsHoldPhase;
            whiteOverlayAlpha = 0.0f;
        }
        break;
    case creditsHoldPhase:
        sceneTimer += frameDelta;
        if (sceneTimer > creditsHoldSeconds)
        {
            scenePhase = fadeToBlackPhase;
            sceneTimer = 0.0f;
        }
        break;
    case fadeToBlackPhase:
        // The phase ends on the alpha itself, once it rises above 255.
        sceneTimer += frameDelta;
        blackOverlayAlpha = static_cast<float>(static_cast<double>(sceneTimer) * 255.0 * 0.25);
        if (blackOverlayAlpha > 255.0f)
        {
            scenePhase = blackHoldPhase;
            sceneTimer = 0.0f;
            blackOverlayAlpha = 255.0f;
        }
        break;
    default:
        // Index 12 ends the frame loop.
        sceneTimer += frameDelta;
        if (sceneTimer > holdSeconds)
            sceneResult = showEndIndex;
        break;
    }

    // The second step of the timer, in every phase, also right after a reset.
    sceneTimer += frameDelta;

    // The credits, then black under white.
    drawPicture(target, picture("credz.png"));
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, blackOverlayAlpha);
    drawOverlay(target, black);
    sf::Sprite& white = picture("white.png");
    setSpriteAlpha(white, whiteOverlayAlpha);
    drawOverlay(target, white);

    return sceneResult;
}

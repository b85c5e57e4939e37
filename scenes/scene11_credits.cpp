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

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    int phase = outOfWhitePhase;
    float timer = 0.0f;
    float whiteOverlayAlpha = 255.0f;
    float blackOverlayAlpha = 0.0f;
    int result = 11;
};
SceneState state;
}

void resetScene11()
{
    state = SceneState();
}

int runScene11(sf::RenderTarget& target)
{
    // No set-up and no log line: the scene starts where scene 10 left the
    // screen, white.
    switch (state.phase)
    {
    case outOfWhitePhase:
        // The phase ends on the alpha itself, once it drops below 0.
        state.timer += frameDelta;
        state.whiteOverlayAlpha = static_cast<float>(255.0 - static_cast<double>(state.timer) * 255.0 * 0.25);
        if (state.whiteOverlayAlpha < 0.0f)
        {
            state.timer = 0.0f;
            state.phase = creditsHoldPhase;
            state.whiteOverlayAlpha = 0.0f;
        }
        break;
    case creditsHoldPhase:
        state.timer += frameDelta;
        if (state.timer > creditsHoldSeconds)
        {
            state.phase = fadeToBlackPhase;
            state.timer = 0.0f;
        }
        break;
    case fadeToBlackPhase:
        // The phase ends on the alpha itself, once it rises above 255.
        state.timer += frameDelta;
        state.blackOverlayAlpha = static_cast<float>(static_cast<double>(state.timer) * 255.0 * 0.25);
        if (state.blackOverlayAlpha > 255.0f)
        {
            state.phase = blackHoldPhase;
            state.timer = 0.0f;
            state.blackOverlayAlpha = 255.0f;
        }
        break;
    default:
        // Index 12 ends the frame loop.
        state.timer += frameDelta;
        if (state.timer > holdSeconds)
            state.result = showEndIndex;
        break;
    }

    // The second step of the timer, in every phase, also right after a reset.
    state.timer += frameDelta;

    // The credits, then black under white.
    drawPicture(target, picture("credz.png"));
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.blackOverlayAlpha);
    drawOverlay(target, black);
    sf::Sprite& white = picture("white.png");
    setSpriteAlpha(white, state.whiteOverlayAlpha);
    drawOverlay(target, white);

    return state.result;
}

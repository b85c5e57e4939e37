// Scene 2: the first picture zooming out. Two full-screen layers, the studio
// behind and the window frame in front, start at three times their size
// about the screen centre and shrink, each at its own rate, while the back
// layer blurs more and more. The picture fades in from black, stays, and
// fades out to black. Both layers go through the off-screen target; only
// the back one through the blur.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/render_target.h"

#include <iostream>

namespace
{
// Phases: 0 fade in, 1 hold, 2 fade out.
const int fadeInPhase = 0;
const int holdPhase = 1;
const int fadeOutPhase = 2;

// The hold lasts a fade and four seconds more.
const float holdLength = fadeSeconds + 4.0f;

// The back layer never shrinks below its own size.
const float smallestBackScale = 1.0f;

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    float overlayAlpha = 255.0f; // the black overlay
    float backScale = 3.0f;      // "S1-1.png"
    float frontScale = 3.0f;     // "S1-2.png"
    int result = 2;
    float timer = 0.0f;
    int phase = fadeInPhase;
    float blurTime = 0.0f; // seconds of blur growth
};
SceneState state;
}

void resetScene2()
{
    state = SceneState();
}

int runScene2(sf::RenderTarget& target)
{
    // Both layers keep the centred origin they were loaded with.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        std::cout << "scene 03 loaded" << std::endl;
    }

    switch (state.phase)
    {
    case fadeInPhase:
        if (fadeInFromBlack(state.timer, state.overlayAlpha))
            state.phase = holdPhase;
        break;

    case holdPhase:
        state.timer += frameDelta;
        if (state.timer >= holdLength)
        {
            state.timer = 0.0f;
            state.phase = fadeOutPhase;
        }
        break;

    case fadeOutPhase:
        // The timer must pass the fade's length: one fully black frame more.
        state.timer += frameDelta;
        state.overlayAlpha = fadeOutAlpha(state.timer, fadeSeconds);
        if (state.timer > fadeSeconds)
        {
            state.timer = 0.0f;
            state.result = 3;
        }
        break;
    }

    // Blur and scales are applied first and changed afterwards, so each
    // frame shows the values the previous one ended with.
    setBlurRadius(state.blurTime / 500.0f);
    state.blurTime += frameDelta;
    sf::Sprite& backLayer = picture("S1-1.png");
    sf::Sprite& frontLayer = picture("S1-2.png");
    backLayer.setScale(state.backScale, state.backScale);
    frontLayer.setScale(state.frontScale, state.frontScale);
    state.backScale -= 0.125f * frameDelta;
    state.frontScale -= frameDelta / 10.0f;
    if (state.backScale < smallestBackScale)
        state.backScale = smallestBackScale;

    // The blurred back layer and the sharp front one, off-screen.
    drawBlurred(renderTexture, backLayer);
    renderTexture.draw(frontLayer, sf::RenderStates::Default);
    renderTexture.display();

    // The picture, then the overlay.
    drawRenderTexture(target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.overlayAlpha);
    drawOverlay(target, black);

    return state.result;
}

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

bool sceneFirstEntry = true;
float overlayAlpha = 255.0f; // the black overlay
float backScale = 3.0f;      // "S1-1.png"
float frontScale = 3.0f;     // "S1-2.png"
int sceneResult = 2;
float sceneTimer = 0.0f;
int scenePhase = fadeInPhase;
float blurTime = 0.0f; // seconds of blur growth
}

void resetScene2()
{
    sceneFirstEntry = true;
    overlayAlpha = 255.0f;
    backScale = 3.0f;
    frontScale = 3.0f;
    sceneResult = 2;
    sceneTimer = 0.0f;
    scenePhase = fadeInPhase;
    blurTime = 0.0f;
}

int runScene2(sf::RenderTarget& target)
{
    // Both layers keep the centred origin they were loaded with.
    if (sceneFirstEntry)
    {
        sceneFirstEntry = false;
        std::cout << "scene 03 loaded" << std::endl;
    }

    switch (scenePhase)
    {
    case fadeInPhase:
        sceneTimer += frameDelta;
        overlayAlpha = fadeInAlpha(sceneTimer, fadeSeconds);
        if (sceneTimer >= fadeSeconds)
        {
            sceneTimer = 0.0f;
            overlayAlpha = 0.0f;
            scenePhase = holdPhase;
        }
        break;

    case holdPhase:
        sceneTimer += frameDelta;
        if (sceneTimer >= holdLength)
        {
            sceneTimer = 0.0f;
            scenePhase = fadeOutPhase;
        }
        break;

    case fadeOutPhase:
        // The timer must pass the fade's length: one fully black frame more.
        sceneTimer += frameDelta;
        overlayAlpha = fadeOutAlpha(sceneTimer, fadeSeconds);
        if (sceneTimer > fadeSeconds)
        {
            sceneTimer = 0.0f;
            sceneResult = 3;
        }
        break;
    }

    // Blur and scales are applied first and changed afterwards, so each
    // frame shows the values the previous one ended with.
    setBlurRadius(blurTime / 500.0f);
    blurTime += frameDelta;
    sf::Sprite& backLayer = picture("S1-1.png");
    sf::Sprite& frontLayer = picture("S1-2.png");
    backLayer.setScale(backScale, backScale);
    frontLayer.setScale(frontScale, frontScale);
    backScale -= 0.125f * frameDelta;
    frontScale -= frameDelta / 10.0f;
    if (backScale < smallestBackScale)
        backScale = smallestBackScale;

    // The blurred back layer and the sharp front one, off-screen.
    drawBlurred(renderTexture, backLayer);
    renderTexture.draw(frontLayer, sf::RenderStates::Default);
    renderTexture.display();

    // The picture, then the overlay.
    drawRenderTexture(target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, overlayAlpha);
    drawOverlay(target, black);

    return sceneResult;
}

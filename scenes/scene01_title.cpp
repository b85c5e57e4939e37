// Scene 1: the presenter line and the title. Three title layers fade in from
// black, the middle one drifting slowly left, with "Tollmere Crew presents"
// written over them in black. The line then gives way to the title image,
// the picture behind it starts to blur, and all fades to black. The layers
// and the line go through the blur's canvas and the blur; the title
// image and the overlay stay sharp on the window.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/fonts.h"

#include <iostream>

namespace
{
// Phases: 0 fade in, 1 hold, 2 line out and title in, 3 hold with blur,
// 4 fade out.
const int fadeInPhase = 0;
const int holdPhase = 1;
const int crossFadePhase = 2;
const int blurHoldPhase = 3;
const int fadeOutPhase = 4;

// The middle title layer drifts left at this many pixels per second.
const float layerDriftSpeed = 4.0f;

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    float overlayAlpha = 255.0f; // the black overlay
    float textAlpha = 255.0f;    // the presenter line
    int result = 1;
    float timer = 0.0f;
    int phase = fadeInPhase;
    float layerX = 0.0f;    // x of "title2.png"
    float logoAlpha = 0.0f; // "ostralis.png"
    float blurTime = 0.0f;  // seconds of blur growth
};
SceneState state;
}

void resetScene1()
{
    state = SceneState();
}

int runScene1(sf::RenderTarget& target)
{
    // The presenter line in opaque black, and the title image's place.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        sharedText.setFillColor(sf::Color(0, 0, 0, 255));
        sharedText.setCharacterSize(86);
        picture("ostralis.png").setPosition(342.0f, 78.0f);
        sharedText.setPosition(120.0f, 60.0f);
        sharedText.setString(showString("Tollmere Crew presents"));
        std::cout << "scene 02 loaded" << std::endl;
    }

    // The middle layer drifts for the whole scene.
    state.layerX = state.layerX - layerDriftSpeed * frameDelta;

    switch (state.phase)
    {
    case fadeInPhase:
        if (fadeInFromBlack(state.timer, state.overlayAlpha))
            state.phase = holdPhase;
        break;

    case holdPhase:
        state.timer += frameDelta;
        if (state.timer >= holdSeconds)
        {
            state.timer = 0.0f;
            state.phase = crossFadePhase;
        }
        break;

    case crossFadePhase:
        // The line fades out as the title fades in; the timer must pass the
        // fade's length.
        state.timer += frameDelta;
        state.textAlpha = fadeInAlpha(state.timer, fadeSeconds);
        state.logoAlpha = fadeOutAlpha(state.timer, fadeSeconds);
        if (state.timer > fadeSeconds)
        {
            state.timer = 0.0f;
            state.phase = blurHoldPhase;
        }
        break;

    case blurHoldPhase:
        // The blur starts growing halfway through the hold.
        state.timer += frameDelta;
        if (state.timer >= fadeSeconds)
            state.blurTime += frameDelta;
        if (state.timer >= holdSeconds)
        {
            state.timer = 0.0f;
            state.phase = fadeOutPhase;
        }
        break;

    case fadeOutPhase:
        state.blurTime += frameDelta;
        state.timer += frameDelta;
        state.overlayAlpha = fadeOutAlpha(state.timer, fadeSeconds);
        if (state.timer >= fadeSeconds)
        {
            state.timer = 0.0f;
            state.result = 2;
        }
        break;
    }

    // The three layers and the line onto the blur's canvas.
    sf::Sprite& middleLayer = picture("title2.png");
    middleLayer.setPosition(state.layerX, 0.0f);
    setBlurRadius(state.blurTime / 100.0f);
    sf::RenderTexture& canvas = blurCanvas();
    drawPicture(canvas, picture("title1.png"));
    drawPicture(canvas, middleLayer);
    drawPicture(canvas, picture("title3.png"));
    sharedText.setFillColor(sf::Color(0, 0, 0, alphaByte(state.textAlpha)));
    sf::Sprite& logo = picture("ostralis.png");
    setSpriteAlpha(logo, state.logoAlpha);
    canvas.draw(sharedText, sf::RenderStates::Default);

    // The blurred picture, the sharp title above it, the overlay on top.
    drawBlurredCanvas(target);
    target.draw(logo, sf::RenderStates::Default);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.overlayAlpha);
    drawOverlay(target, black);

    return state.result;
}

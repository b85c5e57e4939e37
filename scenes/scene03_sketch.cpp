// Scene 3: the pencil sketch of a head. Out of black comes a backdrop of
// paper with a warm light drifting across it, seen through the blur. On top
// a pencil lays 288 stamps one after another along four strokes (a tall
// oval, a guide line across it, a centre line through it, a shoulder arc
// below it), each stamp darkening once it is laid. When the sketch is done
// every stamp spins at a speed of its own and the backdrop starts to blur.
// Scene 4 takes the same stamps over from here.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "draw/tween.h"
#include "scenes/outlines.h"

#include <cstdlib>
#include <iostream>

namespace
{
// Phases: 0 fade in, 1 drawing, 2 spin.
const int fadeInPhase = 0;
const int drawingPhase = 1;
const int spinPhase = 2;

// The pencil draws for a fade and four seconds more.
const float drawingLength = fadeSeconds + 4.0f;

// One stamp is laid each time this much time has passed.
const float revealInterval = 0.01f;
// Stamps 1 to 287 are laid by the pencil; the spin shows the rest.
const int revealTicks = sketchStampCount - 1;

// A laid stamp starts this faint and darkens to full strength.
const float laidAlpha = 0.01f;
const float fullAlpha = 0.75f;

// Spin speeds, in degrees per second, all the same way round.
const double slowestSpin = 32.0;
const double spinRange = 96.0;
const double randomRange = 32767.0; // the draws run from 0 to this

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    int phase = fadeInPhase;
    float timer = 0.0f;
    float revealTimer = 0.0f; // time since the last stamp was laid
    int revealCount = 0;      // stamps laid so far
    float overlayAlpha = 255.0f; // the black overlay
    float driftX = 0.0f;      // "S2-2.png", the drifting light
    float driftY = 0.0f;
    int result = 3;
};
SceneState state;

// The C library's generator, kept to the 0..32767 range the spin formula
// expects where rand() reaches further (glibc's goes to 2^31 - 1).
int randomDraw()
{
    return std::rand() % 32768;
}

// A stamp back to its upright, still, full-size pose at the given alpha.
void poseStamp(TweenSprite& stamp, float alpha)
{
    stamp.alpha = alpha;
    stamp.rotation = 0.0f;
    stamp.rotationSpeed = 0.0f;
    stamp.scale = 1.0f;
}
}

void resetScene3()
{
    state = SceneState();
}

int runScene3(sf::RenderTarget& target)
{
    // The stamps are placed on the sketch at once, all invisible.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        createTweenGroup(stampGroup, sketchStampCount, &picture("pencilsprite.png"));
        setTweenTargets(stampGroup, headOutline, 0.1f);
        for (int i = 0; i < stampGroup.count; ++i)
            poseStamp(stampGroup.records[i], 0.0f);
        std::cout << "scene 04 loaded" << std::endl;
    }

    switch (state.phase)
    {
    case fadeInPhase:
        if (fadeInFromBlack(state.timer, state.overlayAlpha))
            state.phase = drawingPhase;
        break;

    case drawingPhase:
        // At most one stamp per frame; the reveal timer keeps no excess.
        state.timer += frameDelta;
        state.revealTimer += frameDelta;
        if (state.revealTimer > revealInterval)
        {
            state.revealTimer = 0.0f;
            if (state.revealCount < revealTicks && state.revealCount + 1 < stampGroup.count)
            {
                ++state.revealCount;
                poseStamp(stampGroup.records[state.revealCount], laidAlpha);
            }
        }
        // Every stamp, laid or not, at full strength and spinning.
        if (state.timer > drawingLength)
        {
            state.phase = spinPhase;
            state.timer = 0.0f;
            for (int i = 0; i < stampGroup.count; ++i)
            {
                TweenSprite& stamp = stampGroup.records[i];
                stamp.alpha = fullAlpha;
                stamp.rotation = 0.0f;
                stamp.scale = 1.0f;
                stamp.rotationSpeed = static_cast<float>(slowestSpin + randomDraw() * spinRange / randomRange);
            }
        }
        break;

    case spinPhase:
        // The blur grows with the effect clock from here on.
        state.timer += frameDelta;
        effectTime += frameDelta;
        if (state.timer > fadeSeconds)
        {
            state.timer = 0.0f;
            state.result = 4;
        }
        break;
    }

    // The laid stamps darken; those not laid yet (at 0) and those at full
    // strength are left alone.
    for (int i = 0; i < state.revealCount && i < stampGroup.count; ++i)
    {
        TweenSprite& stamp = stampGroup.records[i];
        if (stamp.alpha > 0.0f && stamp.alpha < fullAlpha)
        {
            poseStamp(stamp, stamp.alpha + frameDelta);
            if (stamp.alpha > fullAlpha)
                stamp.alpha = fullAlpha;
        }
    }

    setBlurRadius(static_cast<float>(effectTime / 100.0));
    updateTweenGroup(stampGroup);

    // The light drifts down and to the right in every phase.
    state.driftX += frameDelta * 114.0f * 0.5f;
    state.driftY += frameDelta * 90.0f * 0.5f;
    sf::Sprite& light = picture("S2-2.png");
    light.setPosition(state.driftX, state.driftY);

    // The backdrop through the blur, the sharp stamps, the overlay.
    sf::RenderTexture& canvas = blurCanvas();
    drawPicture(canvas, picture("S2-1.png"));
    canvas.draw(light, sf::RenderStates::Default);
    drawBlurredCanvas(target);
    drawTweenGroup(stampGroup, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.overlayAlpha);
    drawOverlay(target, black);

    return state.result;
}

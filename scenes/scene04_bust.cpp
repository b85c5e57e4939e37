// Scene 4: the head-and-shoulders sketch. The 288 spinning stamps of scene 3
// glide, easing out over four seconds, to a smaller and looser sketch of a
// head and shoulders, shrinking to half their size on the way, over the same
// blurred backdrop, whose blur keeps growing. Then the portrait is built up
// in layers: the canvas fades in under the stamps, the stamps fade away while
// the frame fades in on top, and skin, hair and clothes fade in beneath the
// frame. After a short hold the scene hands over to scene 5.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "draw/tween.h"
#include "scenes/outlines.h"

#include <algorithm>
#include <iostream>

namespace
{
// Phases: 0 glide, 1 first layer, 2 further layers, 3 hold.
const int glidePhase = 0;
const int firstLayerPhase = 1;
const int furtherLayersPhase = 2;
const int holdPhase = 3;

// The stamps shrink at this rate down to half their size.
const float stampShrinkRate = 0.25f;
const float smallestStampScale = 0.5f;
// Once the glide is over they fade from 0.75 to nothing in six seconds.
const float stampFadeRate = 0.125f;

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    int phase = glidePhase;
    float timer = 0.0f;
    float stampScale = 1.0f;
    bool stampsFading = false;
    float canvasAlpha = 0.0f;  // "S3-1.png"
    float frameAlpha = 0.0f;   // "S3-3.png"
    float skinAlpha = 0.0f;    // "S3-2.png"
    float hairAlpha = 0.0f;    // "S3-22.png"
    float clothesAlpha = 0.0f; // "S3-23.png"
    int result = 4;
};
SceneState state;

// A layer rising from 0 to 255 over `length` seconds, held at 255 after.
float layerAlpha(float timer, double length)
{
    return static_cast<float>(std::min(timer * 255.0 / length, 255.0));
}

}

void resetScene4()
{
    state = SceneState();
}

int runScene4(sf::RenderTarget& target)
{
    // The blur keeps growing, from the first call on.
    effectTime += frameDelta;
    setBlurRadius(static_cast<float>(effectTime / 100.0));

    // The stamps are not fresh any more: each sets off from where it stands.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        std::cout << "scene 5 loaded" << std::endl;
        setTweenTargets(stampGroup, bustOutline, holdSeconds);
    }

    // Every phase must pass its length, not just reach it.
    switch (state.phase)
    {
    case glidePhase:
        state.timer += frameDelta;
        state.canvasAlpha = layerAlpha(state.timer, fadeSeconds);
        if (state.timer > holdSeconds)
        {
            state.timer = 0.0f;
            state.phase = firstLayerPhase;
            state.stampsFading = true;
        }
        break;

    case firstLayerPhase:
        state.timer += frameDelta;
        state.frameAlpha = layerAlpha(state.timer, 4.0);
        if (state.timer > holdSeconds)
        {
            state.phase = furtherLayersPhase;
            state.timer = 0.0f;
        }
        break;

    case furtherLayersPhase:
        state.timer += frameDelta;
        state.skinAlpha = layerAlpha(state.timer, stepSeconds);
        state.hairAlpha = layerAlpha(state.timer, fadeSeconds);
        state.clothesAlpha = layerAlpha(state.timer, 4.0);
        if (state.timer > holdSeconds)
        {
            state.phase = holdPhase;
            state.timer = 0.0f;
        }
        break;

    case holdPhase:
        state.timer += frameDelta;
        if (state.timer > fadeSeconds)
            state.result = 5;
        break;
    }

    // The stamps shrink to half size, and fade once the glide is over.
    state.stampScale -= stampShrinkRate * frameDelta;
    if (state.stampScale < smallestStampScale)
        state.stampScale = smallestStampScale;
    for (int i = 0; i < stampGroup.count; ++i)
    {
        TweenSprite& stamp = stampGroup.records[i];
        stamp.scale = state.stampScale;
        if (state.stampsFading && stamp.alpha > 0.0f)
        {
            stamp.alpha -= stampFadeRate * frameDelta;
            if (stamp.alpha < 0.0f)
                stamp.alpha = 0.0f;
        }
    }
    updateTweenGroup(stampGroup);

    // The backdrop as scene 3 left it, through the blur, until the canvas
    // has faded in over it and hides it.
    sf::Sprite& canvas = picture("S3-1.png");
    setSpriteAlpha(canvas, state.canvasAlpha);
    if (!hidesTarget("S3-1.png", target))
    {
        sf::RenderTexture& backdrop = blurCanvas();
        drawPicture(backdrop, picture("S2-1.png"));
        drawPicture(backdrop, picture("S2-2.png"));
        drawBlurredCanvas(target);
    }

    // The canvas, the sharp stamps above it, then skin, hair and clothes,
    // and the frame on top of everything. No overlay in this scene.
    drawOverlay(target, canvas);
    drawTweenGroup(stampGroup, target);
    sf::Sprite& skin = picture("S3-2.png");
    sf::Sprite& hair = picture("S3-22.png");
    sf::Sprite& clothes = picture("S3-23.png");
    sf::Sprite& frame = picture("S3-3.png");
    setSpriteAlpha(skin, state.skinAlpha);
    setSpriteAlpha(hair, state.hairAlpha);
    setSpriteAlpha(clothes, state.clothesAlpha);
    setSpriteAlpha(frame, state.frameAlpha);
    drawOverlay(target, skin);
    drawOverlay(target, hair);
    drawOverlay(target, clothes);
    drawOverlay(target, frame);

    return state.result;
}

// Scene 6: a picture built up in layers. It fades in from black and holds,
// one layer comes in over it, then three more at three speeds (1 s, 4 s and
// 8 s). No fade-out: the scene hands over on the picture.
#include "scenes/scene.h"

#include "assets/catalogue.h"

#include <algorithm>
#include <iostream>

namespace
{
// Phases: fade-in and hold, the first layer, the three layers, done.
const int fadeInPhase = 0;
const int firstLayerPhase = 1;
const int threeLayersPhase = 2;
const int donePhase = 3;

const float threeLayersSeconds = 8.0f;

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    int phase = fadeInPhase;
    float timer = 0.0f;
    float overlayAlpha = 255.0f;
    float layerAlpha1 = 0.0f; // "S3-3.png"
    float layerAlpha2 = 0.0f; // "S4-21.png"
    float layerAlpha3 = 0.0f; // "S4-22.png"
    float layerAlpha4 = 0.0f; // "S4-23.png"
    int result = 6;
};
SceneState state;

// A layer's opacity at `rate` times 255 per second, capped only above 255.
float layerAlpha(float timer, double rate)
{
    return static_cast<float>(std::min(static_cast<double>(timer) * 255.0 * rate, 255.0));
}

}

void resetScene6()
{
    state = SceneState();
}

int runScene6(sf::RenderTarget& target)
{
    if (state.firstEntry)
    {
        state.firstEntry = false;
        std::cout << "scene 7 loaded" << std::endl;
    }

    // The phases; every threshold must be passed, not just reached.
    switch (state.phase)
    {
    case fadeInPhase:
        // Fully visible after 2 s, held for 2 s more.
        state.timer += frameDelta;
        state.overlayAlpha = fadeInAlpha(state.timer, fadeSeconds);
        if (state.timer > holdSeconds)
        {
            state.timer = 0.0f;
            state.phase = firstLayerPhase;
        }
        break;
    case firstLayerPhase:
        state.timer += frameDelta;
        state.layerAlpha1 = layerAlpha(state.timer, 0.25);
        if (state.timer > holdSeconds)
        {
            state.timer = 0.0f;
            state.phase = threeLayersPhase;
        }
        break;
    case threeLayersPhase:
        state.timer += frameDelta;
        state.layerAlpha2 = layerAlpha(state.timer, 1.0 / stepSeconds);
        state.layerAlpha3 = layerAlpha(state.timer, 0.25);
        state.layerAlpha4 = layerAlpha(state.timer, 0.125);
        if (state.timer > threeLayersSeconds)
        {
            state.timer = 0.0f;
            state.phase = donePhase;
        }
        break;
    default:
        // The frame after the last layer is complete hands over.
        state.result = 7;
        break;
    }

    sf::Sprite& layer2 = picture("S4-21.png");
    sf::Sprite& layer3 = picture("S4-22.png");
    sf::Sprite& layer4 = picture("S4-23.png");
    sf::Sprite& layer1 = picture("S3-3.png");
    sf::Sprite& black = picture("black.png");

    // The base picture, then the three later layers over its second image.
    drawPicture(target, picture("S4-1.png"));
    setSpriteAlpha(layer2, state.layerAlpha2);
    setSpriteAlpha(layer3, state.layerAlpha3);
    setSpriteAlpha(layer4, state.layerAlpha4);
    drawPicture(target, picture("S4-4.png"));
    drawOverlay(target, layer2);
    drawOverlay(target, layer3);
    drawOverlay(target, layer4);

    // The first layer lies above the later ones although it comes in first.
    setSpriteAlpha(layer1, state.layerAlpha1);
    drawOverlay(target, layer1);

    setSpriteAlpha(black, state.overlayAlpha);
    drawOverlay(target, black);

    return state.result;
}

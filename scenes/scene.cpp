// The scene contract's shared values, the dispatch table and the fades.
#include "scenes/scene.h"

#include "assets/catalogue.h"
#include "assets/shaders.h"

#include <algorithm>

const float holdSeconds = 4.0f;
const float fadeSeconds = 2.0f;
const float stepSeconds = 1.0f;
const float halfStepSeconds = 0.5f;

float effectTime = 0.0f;

namespace
{
using SceneRoutine = int (*)(sf::RenderTarget&);

const SceneRoutine sceneRoutines[sceneCount] = {
    runScene0, runScene1, runScene2, runScene3, runScene4,  runScene5,
    runScene6, runScene7, runScene8, runScene9, runScene10, runScene11,
};

using SceneReset = void (*)();

const SceneReset sceneResets[sceneCount] = {
    resetScene0, resetScene1, resetScene2, resetScene3, resetScene4,  resetScene5,
    resetScene6, resetScene7, resetScene8, resetScene9, resetScene10, resetScene11,
};
}

void resetScenes()
{
    for (SceneReset reset : sceneResets)
        reset();
    effectTime = 0.0f;
}

int dispatchScene(int sceneIndex, sf::RenderTarget& target)
{
    if (sceneIndex < 0 || sceneIndex >= sceneCount)
        return sceneIndex;
    return sceneRoutines[sceneIndex](target);
}

float fadeInAlpha(float timer, float length)
{
    double alpha = 255.0 - static_cast<double>(timer) * 255.0 / length;
    return static_cast<float>(std::max(alpha, 0.0));
}

float fadeOutAlpha(float timer, float length)
{
    double alpha = static_cast<double>(timer) * 255.0 / length;
    return static_cast<float>(std::min(alpha, 255.0));
}

bool fadeInFromBlack(float& timer, float& overlayAlpha)
{
    timer += frameDelta;
    overlayAlpha = fadeInAlpha(timer, fadeSeconds);
    if (timer < fadeSeconds)
        return false;
    timer = 0.0f;
    return true;
}

bool coversTarget(const sf::Sprite& sprite, const sf::RenderTarget& target)
{
    const sf::View& view = target.getView();
    if (sprite.getColor().a != 255 || sprite.getRotation() != 0.0f || view.getRotation() != 0.0f)
        return false;
    sf::FloatRect covered = sprite.getGlobalBounds();
    sf::Vector2f size = view.getSize();
    sf::Vector2f topLeft = view.getCenter() - size / 2.0f;
    return covered.left <= topLeft.x && covered.top <= topLeft.y &&
           covered.left + covered.width >= topLeft.x + size.x && covered.top + covered.height >= topLeft.y + size.y;
}

bool hidesTarget(const char* file, const sf::RenderTarget& target)
{
    return pictureOpaque(file) && coversTarget(picture(file), target);
}

void drawRippled(sf::RenderTarget& target, const sf::Sprite& picture)
{
    target.draw(picture, sf::RenderStates(pictureBlendMode(picture), sf::Transform(), nullptr, &rippleShader));
}

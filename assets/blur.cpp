// The reduced-resolution blur. The blur's taps read the mipmap level nearest
// to the gap between them, so its result holds no detail finer than that
// level: drawing it at that level's resolution and stretching it with
// bilinear filtering gives the same picture for far fewer fragments.
#include "assets/blur.h"

#include "assets/render_target.h"
#include "assets/shaders.h"

#include <algorithm>
#include <cmath>

namespace
{
float currentRadius = 0.0f;

// The sprite that shows the half-size canvas over the whole screen, and how
// many times the canvas handed out last is halved (0: the off-screen target).
sf::Sprite halfCanvasSprite;
int canvasHalvings = 0;

// The same figures as the shader's: its tap count and picture width.
const float shaderTaps = 12.0f;
const float shaderPictureWidth = 1280.0f;

// Makes the target for `halvings` the given size, if it is not already.
sf::RenderTexture* blurTarget(int halvings, unsigned width, unsigned height)
{
    sf::RenderTexture& target = blurTargets[halvings];
    if (target.getSize() != sf::Vector2u(width, height))
    {
        if (!target.create(width, height))
            return nullptr;
        target.setSmooth(true);
    }
    return &target;
}
}

void setBlurRadius(float radius)
{
    currentRadius = radius;
    blurShader.setUniform("blur_radius", radius);
    narrowBlurShader.setUniform("blur_radius", radius);
}

int blurHalvings(float radius)
{
    // The shader's own mipmap level for this radius, worked out as it does:
    // the small target's pixels are then no wider than the gap between taps,
    // and below level 1 the picture keeps its own pixels.
    float spacing = radius * shaderPictureWidth * 1.8f / std::sqrt(shaderTaps);
    if (!(spacing > 0.0f))
        return 0;
    return std::clamp(static_cast<int>(std::floor(std::log2(spacing))), 0, maxBlurHalvings);
}

void generateBlurLevels(sf::RenderTexture& target)
{
    // Only a blur wide enough to be halved reads the coarse levels.
    if (blurHalvings(currentRadius) > 0)
        target.generateMipmap();
}

namespace
{
// Draws a sprite through the blur at the current radius, for a sprite whose
// picture is already halved `sourceHalvings` times against the size it is
// drawn at: its taps read that many levels less.
void drawBlurredFrom(sf::RenderTarget& target, const sf::Sprite& sprite, int sourceHalvings)
{
    // No radius: the picture as it is, without a pass through the shader.
    if (!(currentRadius > 0.0f))
    {
        target.draw(sprite);
        return;
    }

    // A narrow blur, a sprite without a texture, or no small target to be
    // had: the shader at full size, with half the taps for a narrow radius.
    int halvings = blurHalvings(currentRadius);
    bool narrow = halvings == 0 && narrowBlurShader.getNativeHandle() != 0;
    blurShader.setUniform("source_halvings", static_cast<float>(sourceHalvings));
    sf::RenderStates fullSize(narrow ? &narrowBlurShader : &blurShader);
    const sf::Texture* texture = sprite.getTexture();
    sf::IntRect rect = sprite.getTextureRect();
    int reduce = halvings - sourceHalvings;
    bool reducible = halvings > 0 && reduce >= 0 && texture && rect.width > 0 && rect.height > 0;
    unsigned width = reducible ? std::max(1u, static_cast<unsigned>(rect.width) >> reduce) : 0;
    unsigned height = reducible ? std::max(1u, static_cast<unsigned>(rect.height) >> reduce) : 0;
    sf::RenderTexture* small = reducible ? blurTarget(halvings, width, height) : nullptr;
    if (!small)
    {
        target.draw(sprite, fullSize);
        return;
    }

    // Blur the sprite's picture, untinted and unblended, into the small target;
    // the unblended pass writes every pixel, so it needs no clearing first.
    sf::Sprite source(*texture, rect);
    source.setScale(static_cast<float>(width) / rect.width, static_cast<float>(height) / rect.height);
    sf::RenderStates copy(sf::BlendNone);
    copy.shader = &blurShader;
    small->draw(source, copy);
    small->display();

    // Stretch it back over the sprite's place, tinted and blended as the sprite.
    sf::Sprite stretched(small->getTexture());
    stretched.setColor(sprite.getColor());
    sf::RenderStates states;
    states.transform = sprite.getTransform();
    states.transform.scale(static_cast<float>(rect.width) / width, static_cast<float>(rect.height) / height);
    target.draw(stretched, states);
}
}

void drawBlurred(sf::RenderTarget& target, const sf::Sprite& sprite)
{
    drawBlurredFrom(target, sprite, 0);
}

sf::RenderTexture& blurCanvas()
{
    // Halved once, the canvas's own pixels are the off-screen picture's first
    // coarse level: a two-by-two average, which a smoothed draw at half size
    // samples too.
    canvasHalvings = 0;
    if (blurHalvings(currentRadius) == 0)
        return renderTexture;
    sf::Vector2u halfSize(screenWidth / 2, screenHeight / 2);
    if (halfCanvas.getSize() != halfSize)
    {
        if (!halfCanvas.create(halfSize.x, halfSize.y))
            return renderTexture;
        halfCanvas.setSmooth(true);
        // Its coarse levels, once built, stay allocated, and the driver reads
        // the canvas with other code then: allocate them from the start.
        halfCanvas.clear(sf::Color::Black);
        halfCanvas.display();
        halfCanvas.generateMipmap();
        // Until the canvas's context is made current again, the driver may
        // go on drawing into the storage it had before the levels were built.
        halfCanvas.setActive(false);
        halfCanvas.setView(sf::View(sf::FloatRect(0.0f, 0.0f, screenWidth, screenHeight)));
        halfCanvasSprite.setTexture(halfCanvas.getTexture(), true);
        halfCanvasSprite.setScale(2.0f, 2.0f);
    }
    canvasHalvings = 1;
    return halfCanvas;
}

void drawBlurredCanvas(sf::RenderTarget& target)
{
    sf::RenderTexture& canvas = canvasHalvings > 0 ? halfCanvas : renderTexture;
    canvas.display();
    // Only a blur that reads beyond the canvas's own pixels needs its coarse levels.
    if (blurHalvings(currentRadius) > canvasHalvings)
        canvas.generateMipmap();
    drawBlurredFrom(target, canvasHalvings > 0 ? halfCanvasSprite : renderTextureSprite, canvasHalvings);
}

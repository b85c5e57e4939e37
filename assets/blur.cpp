// The reduced-resolution blur. The blur's taps read the mipmap level nearest
// to the gap between them, so its result holds no detail finer than that
// level: drawing it at that level's resolution and stretching it with
// bilinear filtering gives the same picture for far fewer fragments.
#include "assets/blur.h"

#include "assets/catalogue.h"
#include "assets/picture_draw.h"
#include "assets/render_target.h"
#include "assets/shaders.h"

#include <SFML/OpenGL.hpp>

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

// The smoothed draw that stretches a small target reads a pixel's neighbours:
// the part of it that is blurred reaches this far beyond what shows.
const int shownRim = 2;

// The part of a small target of the given size that shows on the target when
// drawn with `toTarget`, with its rim; all of it under a turned view or one
// that does not fill the target.
sf::IntRect shownPart(const sf::RenderTarget& target, const sf::Transform& toTarget, unsigned width, unsigned height)
{
    const sf::View& view = target.getView();
    sf::IntRect whole(0, 0, static_cast<int>(width), static_cast<int>(height));
    if (view.getRotation() != 0.0f || view.getViewport() != sf::FloatRect(0.0f, 0.0f, 1.0f, 1.0f))
        return whole;
    sf::FloatRect seen(view.getCenter() - view.getSize() / 2.0f, view.getSize());
    sf::FloatRect local = toTarget.getInverse().transformRect(seen);
    // Clamped as floats: a picture zoomed far in maps the target to huge figures.
    auto across = [&](float x) { return static_cast<int>(std::clamp(x, 0.0f, static_cast<float>(width))); };
    auto down = [&](float y) { return static_cast<int>(std::clamp(y, 0.0f, static_cast<float>(height))); };
    int left = across(std::floor(local.left) - shownRim);
    int top = down(std::floor(local.top) - shownRim);
    int right = across(std::ceil(local.left + local.width) + shownRim);
    int bottom = down(std::ceil(local.top + local.height) + shownRim);
    if (right <= left || bottom <= top)
        return sf::IntRect();
    return sf::IntRect(left, top, right - left, bottom - top);
}

// Magnified at least this much, a picture's narrow blur costs less worked out
// at the picture's own resolution and stretched than over every pixel it covers.
const float narrowStretchMagnification = 1.5f;

// How many target pixels a texel of the sprite's picture spans at least,
// along either of its axes, through the sprite's transform and the view.
float magnification(const sf::RenderTarget& target, const sf::Sprite& sprite)
{
    const sf::View& view = target.getView();
    float perUnitX = target.getSize().x * view.getViewport().width / view.getSize().x;
    float perUnitY = target.getSize().y * view.getViewport().height / view.getSize().y;
    const float* matrix = sprite.getTransform().getMatrix();
    float across = std::hypot(matrix[0] * perUnitX, matrix[1] * perUnitY);
    float down = std::hypot(matrix[4] * perUnitX, matrix[5] * perUnitY);
    return std::min(across, down);
}

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

float blurRadius()
{
    return currentRadius;
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
// The texture's smoothing without mipmaps, for a filter that reads them.
GLint filterWithoutLevels(GLint filter)
{
    if (filter == GL_LINEAR_MIPMAP_LINEAR || filter == GL_LINEAR_MIPMAP_NEAREST)
        return GL_LINEAR;
    if (filter == GL_NEAREST_MIPMAP_LINEAR || filter == GL_NEAREST_MIPMAP_NEAREST)
        return GL_NEAREST;
    return filter;
}

// Sets the texture's minifying filter to what `choose` makes of the one it
// has, and returns that one. The bound texture is left as it was: the drawing
// code keeps track of it.
template <typename Choose>
GLint changeMinFilter(const sf::Texture& texture, Choose choose)
{
    GLint bound = 0, filter = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, texture.getNativeHandle());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    GLint chosen = choose(filter);
    if (chosen != filter)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, chosen);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return filter;
}

// Runs a draw onto `target` that reads only the texture's own pixels, with its
// coarse levels set aside meanwhile: the driver samples a mipmapped picture
// far more cheaply without them, and the pixels are the same.
template <typename Draw>
void drawWithoutLevels(sf::RenderTarget& target, const sf::Texture* texture, Draw draw)
{
    // Without the target's context (a closed window) the filter is left
    // alone: the draw itself then draws nothing.
    if (!texture || !target.setActive(true))
    {
        draw();
        return;
    }
    GLint filter = changeMinFilter(*texture, filterWithoutLevels);
    draw();
    changeMinFilter(*texture, [filter](GLint) { return filter; });
}

// Draws a sprite through the blur at the current radius, for a sprite whose
// picture is already halved `sourceHalvings` times against the size it is
// drawn at: its taps read that many levels less. An opaque sprite, untinted,
// replaces what it covers outright, as blending it would: the driver then
// need not read the target's pixels back.
void drawBlurredFrom(sf::RenderTarget& target, const sf::Sprite& sprite, int sourceHalvings, bool opaque)
{
    bool replaces = opaque && sprite.getColor() == sf::Color::White;
    sf::RenderStates shown(replaces ? sf::BlendNone : sf::BlendAlpha);
    // The sprite at full size through the shader, if any: a catalogue picture
    // in its visible parts, unless it replaces what it covers. Neither the
    // narrow blur nor a picture drawn no smaller than it is reads its levels.
    auto drawAtFullSize = [&](const sf::Shader* shader) {
        shown.shader = shader;
        auto drawn = [&] {
            if (replaces)
                target.draw(sprite, shown);
            else
                drawPicture(target, sprite, shader);
        };
        if (shader || magnification(target, sprite) >= 1.0f)
            drawWithoutLevels(target, sprite.getTexture(), drawn);
        else
            drawn();
    };

    // No radius: the picture as it is, without a pass through the shader.
    if (!(currentRadius > 0.0f))
    {
        drawAtFullSize(nullptr);
        return;
    }

    // A narrow blur reads only a few pixels around each, with half the taps:
    // a layer is blurred where it holds colour, and a magnified picture at its
    // own resolution, in a small target of its size, as a wide blur is below.
    int halvings = blurHalvings(currentRadius);
    bool narrow = halvings == 0 && narrowBlurShader.getNativeHandle() != 0;
    if (narrow && magnification(target, sprite) < narrowStretchMagnification)
    {
        drawAtFullSize(&narrowBlurShader);
        return;
    }

    // A sprite without a texture, or no small target to be had: the shader
    // at full size.
    sf::Shader& shader = narrow ? narrowBlurShader : blurShader;
    blurShader.setUniform("source_halvings", static_cast<float>(sourceHalvings));
    sf::RenderStates fullSize(shown.blendMode, sf::Transform(), nullptr, &shader);
    const sf::Texture* texture = sprite.getTexture();
    sf::IntRect rect = sprite.getTextureRect();
    int reduce = halvings - sourceHalvings;
    bool reducible = (halvings > 0 || narrow) && reduce >= 0 && texture && rect.width > 0 && rect.height > 0;
    unsigned width = reducible ? std::max(1u, static_cast<unsigned>(rect.width) >> reduce) : 0;
    unsigned height = reducible ? std::max(1u, static_cast<unsigned>(rect.height) >> reduce) : 0;
    sf::RenderTexture* small = reducible ? blurTarget(halvings, width, height) : nullptr;
    if (!small)
    {
        target.draw(sprite, fullSize);
        return;
    }

    // Only the part of the small target that shows once stretched over the
    // sprite's place is blurred: a zoomed picture is mostly off the target.
    sf::Vector2f texel(static_cast<float>(rect.width) / width, static_cast<float>(rect.height) / height);
    sf::RenderStates states(shown.blendMode);
    states.transform = sprite.getTransform();
    states.transform.scale(texel);
    sf::IntRect part = shownPart(target, states.transform, width, height);
    if (part.width <= 0 || part.height <= 0)
        return;

    // Blur that part of the sprite's picture, untinted and unblended, into the
    // small target; the unblended pass writes every pixel of it, so it needs no
    // clearing first.
    float left = part.left, top = part.top, right = part.left + part.width, bottom = part.top + part.height;
    sf::Vector2f origin(rect.left, rect.top);
    const sf::Vertex quad[] = {
        sf::Vertex({left, top}, origin + sf::Vector2f(left * texel.x, top * texel.y)),
        sf::Vertex({left, bottom}, origin + sf::Vector2f(left * texel.x, bottom * texel.y)),
        sf::Vertex({right, top}, origin + sf::Vector2f(right * texel.x, top * texel.y)),
        sf::Vertex({right, bottom}, origin + sf::Vector2f(right * texel.x, bottom * texel.y)),
    };
    sf::RenderStates copy(sf::BlendNone);
    copy.shader = &shader;
    copy.texture = texture;
    if (narrow)
        drawWithoutLevels(*small, texture, [&] { small->draw(quad, 4, sf::TriangleStrip, copy); });
    else
        small->draw(quad, 4, sf::TriangleStrip, copy);
    small->display();

    // Stretch it back over its place, tinted and blended as the sprite, or
    // replacing what is there.
    sf::Sprite stretched(small->getTexture(), part);
    stretched.setPosition(left, top);
    stretched.setColor(sprite.getColor());
    target.draw(stretched, states);
}
}

void drawBlurred(sf::RenderTarget& target, const sf::Sprite& sprite)
{
    drawBlurredFrom(target, sprite, 0, textureOpaque(sprite.getTexture()));
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
    bool halved = canvasHalvings > 0;
    sf::RenderTexture& canvas = halved ? halfCanvas : renderTexture;
    canvas.display();
    // Only a blur that reads beyond the canvas's own pixels needs its coarse levels.
    if (blurHalvings(currentRadius) > canvasHalvings)
        canvas.generateMipmap();
    // The canvas is opaque: it starts black and is only ever blended onto.
    drawBlurredFrom(target, halved ? halfCanvasSprite : renderTextureSprite, canvasHalvings, true);
    // The shader used on its own reads the levels of the picture it is given.
    blurShader.setUniform("source_halvings", 0.0f);
}

// Drawing the catalogue's pictures for less: what each picture's pixels allow
// (its visible parts, one pure colour, full opacity, coarse levels for the
// blur), learned once as it loads, and the draw that uses it. Every shortcut
// gives the pixels a plain draw of the sprite would.
#include "assets/picture_draw.h"

#include "assets/catalogue.h"

#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Vertex.hpp>

#include <algorithm>
#include <cstring>

namespace
{
// Pictures are cut into blocks of this side to find their clear parts.
const int partBlock = 32;

// How far around a pixel a draw of it reads: a smoothed draw reads a texel's
// neighbours, and the narrow blur's taps reach under four pixels out.
const int partMargin = 5;

// Below this share of the picture, drawing only its visible parts pays for
// the extra triangles.
const double sparseShare = 0.85;

// The pictures the blur samples directly: with mipmaps a wide blur reads
// coarse levels and needs only a few taps.
const char* const blurredPictures[] = {"S1-1.png", "S5-2.png", "SF2.png"};

bool blurredPicture(const std::string& file)
{
    return std::find(std::begin(blurredPictures), std::end(blurredPictures), file) != std::end(blurredPictures);
}

// Whether no pixel of an image lets anything through.
bool everyPixelOpaque(const sf::Image& image)
{
    const sf::Uint8* pixels = image.getPixelsPtr();
    std::size_t bytes = std::size_t(image.getSize().x) * image.getSize().y * 4;
    if (!pixels || bytes == 0)
        return false;
    for (std::size_t alpha = 3; alpha < bytes; alpha += 4)
        if (pixels[alpha] != 255)
            return false;
    return true;
}

// The one colour of an image whose every pixel is that colour, with channels
// each nothing or full (tinting such a colour is exact in any arithmetic);
// clear for any other image.
sf::Color pureSolidColour(const sf::Image& image)
{
    const sf::Uint8* pixels = image.getPixelsPtr();
    std::size_t bytes = std::size_t(image.getSize().x) * image.getSize().y * 4;
    if (!pixels || bytes == 0)
        return sf::Color::Transparent;
    for (std::size_t channel = 0; channel < 4; ++channel)
        if (pixels[channel] != 0 && pixels[channel] != 255)
            return sf::Color::Transparent;
    for (std::size_t at = 4; at < bytes; at += 4)
        if (std::memcmp(pixels + at, pixels, 4) != 0)
            return sf::Color::Transparent;
    return sf::Color(pixels[0], pixels[1], pixels[2], pixels[3]);
}

// Whether any pixel in the rectangle [x0, x1) x [y0, y1), clipped to the
// image, lets some colour through.
bool anyColour(const sf::Image& image, int x0, int y0, int x1, int y1)
{
    int width = static_cast<int>(image.getSize().x), height = static_cast<int>(image.getSize().y);
    const sf::Uint8* pixels = image.getPixelsPtr();
    for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, width); ++x)
            if (pixels[(std::size_t(y) * width + x) * 4 + 3] != 0)
                return true;
    return false;
}

// The picture's visible parts: runs of blocks along each row of blocks that
// hold a pixel with some colour, or one within partMargin of them. Nothing
// when they are most of it.
std::vector<sf::IntRect> visibleParts(const sf::Image& image)
{
    std::vector<sf::IntRect> parts;
    int width = static_cast<int>(image.getSize().x), height = static_cast<int>(image.getSize().y);
    long long covered = 0;
    for (int top = 0; top < height; top += partBlock)
    {
        int bottom = std::min(top + partBlock, height);
        for (int left = 0; left < width; left += partBlock)
        {
            int right = std::min(left + partBlock, width);
            if (!anyColour(image, left - partMargin, top - partMargin, right + partMargin, bottom + partMargin))
                continue;
            if (!parts.empty() && parts.back().top == top && parts.back().left + parts.back().width == left)
                parts.back().width = right - parts.back().left;
            else
                parts.emplace_back(left, top, right - left, bottom - top);
            covered += (right - left) * (bottom - top);
        }
    }
    if (covered >= sparseShare * width * height)
        parts.clear();
    return parts;
}

// The visible parts of a picture, null for none or for one drawn whole.
const std::vector<sf::IntRect>* partsOf(const PictureFacts* facts)
{
    return facts && !facts->parts.empty() ? &facts->parts : nullptr;
}

// Whether the target's view shows its world pixel for pixel.
bool viewAtTargetSize(const sf::RenderTarget& target)
{
    const sf::View& view = target.getView();
    return view.getRotation() == 0.0f && view.getViewport() == sf::FloatRect(0.0f, 0.0f, 1.0f, 1.0f) &&
           view.getSize() == sf::Vector2f(target.getSize());
}
}

PictureFacts studyPicture(const std::string& file, const sf::Image& image)
{
    PictureFacts facts;
    facts.opaque = everyPixelOpaque(image);
    facts.colour = facts.opaque ? pureSolidColour(image) : sf::Color::Transparent;
    if (!facts.opaque)
        facts.parts = visibleParts(image);
    facts.blurred = blurredPicture(file);
    return facts;
}

std::vector<PictureLevel> levelsFor(const std::string& file, const sf::Image& image)
{
    return blurredPicture(file) ? halvedLevels(image) : std::vector<PictureLevel>();
}

sf::BlendMode pictureBlendMode(const sf::Sprite& sprite)
{
    return textureOpaque(sprite.getTexture()) && sprite.getColor().a == 255 ? sf::BlendNone : sf::BlendAlpha;
}

const std::vector<sf::IntRect>* pictureVisibleParts(const sf::Texture* texture)
{
    return partsOf(catalogueFacts(texture));
}

void drawPicture(sf::RenderTarget& target, const sf::Sprite& sprite, const sf::Shader* shader)
{
    const sf::Texture* texture = sprite.getTexture();
    const PictureFacts* facts = catalogueFacts(texture);

    sf::BlendMode blending = pictureBlendMode(sprite);

    // A picture of one colour is that colour wherever it is drawn: the
    // overlays that fade the scenes in and out are plain quads of it, tinted
    // as the sprite, the same pixels without reading a screenful of texture.
    if (facts && facts->colour.a != 0 && !shader)
    {
        sf::FloatRect bounds = sprite.getLocalBounds();
        sf::Color colour = facts->colour * sprite.getColor();
        // The corners in the sprite's own order, so that its edges fall on the same pixels.
        const sf::Vertex quad[] = {
            sf::Vertex({0.0f, 0.0f}, colour),
            sf::Vertex({0.0f, bounds.height}, colour),
            sf::Vertex({bounds.width, 0.0f}, colour),
            sf::Vertex({bounds.width, bounds.height}, colour),
        };
        target.draw(quad, 4, sf::TriangleStrip, sf::RenderStates(blending, sprite.getTransform(), nullptr, nullptr));
        return;
    }

    // A picture that is mostly visible, only partly shown, or scaled or
    // turned is drawn whole: the parts' shared edges meet exactly only when
    // the picture is merely moved. So is a mipmapped one drawn through a
    // view that shrinks it, which reads its coarse levels.
    const std::vector<sf::IntRect>* parts = partsOf(facts);
    sf::Vector2i size(texture ? sf::Vector2i(texture->getSize()) : sf::Vector2i());
    const float* matrix = sprite.getTransform().getMatrix();
    bool moved = matrix[0] == 1.0f && matrix[1] == 0.0f && matrix[4] == 0.0f && matrix[5] == 1.0f;
    if (!parts || !moved || sprite.getTextureRect() != sf::IntRect(0, 0, size.x, size.y) ||
        (facts->blurred && !viewAtTargetSize(target)))
    {
        target.draw(sprite, sf::RenderStates(blending, sf::Transform(), nullptr, shader));
        return;
    }

    // Two triangles for each part, placed and tinted as the sprite.
    static std::vector<sf::Vertex> vertices;
    vertices.clear();
    sf::Color colour = sprite.getColor();
    for (const sf::IntRect& part : *parts)
    {
        sf::Vector2f topLeft(part.left, part.top);
        sf::Vector2f bottomRight(part.left + part.width, part.top + part.height);
        sf::Vector2f topRight(bottomRight.x, topLeft.y);
        sf::Vector2f bottomLeft(topLeft.x, bottomRight.y);
        for (sf::Vector2f corner : {topLeft, topRight, bottomLeft, bottomLeft, topRight, bottomRight})
            vertices.emplace_back(corner, colour, corner);
    }
    sf::RenderStates states(sprite.getTransform());
    states.texture = texture;
    states.shader = shader;
    target.draw(vertices.data(), vertices.size(), sf::Triangles, states);
}

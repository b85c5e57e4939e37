// The picture catalogue: 28 sprites, each with a texture of its own, loaded
// once at start-up and kept until the process ends, and drawn where they
// hold colour.
#include "assets/catalogue.h"

#include "assets/picture_levels.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Vertex.hpp>
#include <SFML/System/Err.hpp>
#include <SFML/Window/Context.hpp>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <thread>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace
{
struct CatalogueEntry
{
    const char* file;
    float originX, originY;
    float posX, posY;
};

// Load order. The pictures that scale about the screen centre have their
// origin there; the two stamps spin about their own centre.
const CatalogueEntry catalogue[catalogueSize] = {
    {"black.png", 0, 0, 0, 0},
    {"white.png", 0, 0, 0, 0},
    {"title1.png", 0, 0, 0, 0},
    {"title2.png", 0, 0, 0, 0},
    {"title3.png", 0, 0, 0, 0},
    {"ostralis.png", 0, 0, 0, 0},
    {"credz.png", 0, 0, 0, 0},
    {"S1-1.png", 640, 360, 640, 360},
    {"S1-2.png", 640, 360, 640, 360},
    {"S2-1.png", 0, 0, 0, 0},
    {"S2-2.png", 0, 0, 0, 0},
    {"S3-1.png", 0, 0, 0, 0},
    {"S3-2.png", 0, 0, 0, 0},
    {"S3-22.png", 0, 0, 0, 0},
    {"S3-23.png", 0, 0, 0, 0},
    {"S3-3.png", 0, 0, 0, 0},
    {"S4-1.png", 0, 0, 0, 0},
    {"S4-4.png", 0, 0, 0, 0},
    {"S4-21.png", 0, 0, 0, 0},
    {"S4-22.png", 0, 0, 0, 0},
    {"S4-23.png", 0, 0, 0, 0},
    {"S5-1.png", 0, 0, 0, 0},
    {"S5-2.png", 0, 0, 0, 0},
    {"SF1.png", 0, 0, 0, 0},
    {"SF2.png", 0, 0, 0, 0},
    {"SF3.png", 640, 360, 640, 360},
    {"pencilsprite.png", 8, 8, 0, 0},
    {"glint.png", 8, 8, 0, 0},
};

sf::Sprite* catalogueSprites[catalogueSize] = {};
bool catalogueOpaque[catalogueSize] = {};
std::vector<sf::IntRect> catalogueParts[catalogueSize]; // empty: drawn whole
// Set as each picture loads: the one pure colour it has throughout, clear for
// any other picture (a picture of one colour is opaque).
sf::Color catalogueColour[catalogueSize];

// The pictures the blur samples directly: with mipmaps a wide blur reads
// coarse levels and needs only a few taps.
const char* const blurredPictures[] = {"S1-1.png", "S5-2.png", "SF2.png"};

bool blurredPicture(const std::string& file)
{
    return std::find(std::begin(blurredPictures), std::end(blurredPictures), file) != std::end(blurredPictures);
}

// The coarse levels a picture's texture gets: none unless the blur reads it.
std::vector<PictureLevel> levelsFor(const std::string& file, const sf::Image& image)
{
    return blurredPicture(file) ? halvedLevels(image) : std::vector<PictureLevel>();
}

// Pictures are cut into blocks of this side to find their clear parts.
const int partBlock = 32;

// How far around a pixel a draw of it reads: a smoothed draw reads a texel's
// neighbours, and the narrow blur's taps reach under four pixels out.
const int partMargin = 5;

// Below this share of the picture, drawing only its visible parts pays for
// the extra triangles.
const double sparseShare = 0.85;

// Stands in for a picture that failed to load: without a texture it draws nothing.
sf::Sprite blankSprite;

// The largest side a picture may have; the show's are at most 1400 pixels.
const unsigned maxPictureSide = 8192;

// A PNG states its size in its header: refuse an absurd one before decoding
// it, so that a damaged file cannot make us allocate gigabytes.
bool pictureSizeAcceptable(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    unsigned char header[24] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header))
        return true; // too short to be a PNG: the decoder will refuse it
    const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(header, pngSignature, sizeof pngSignature) != 0)
        return true;
    auto bigEndian = [&](int at) {
        return (unsigned(header[at]) << 24) | (unsigned(header[at + 1]) << 16) |
               (unsigned(header[at + 2]) << 8) | unsigned(header[at + 3]);
    };
    unsigned width = bigEndian(16), height = bigEndian(20);
    return width <= maxPictureSide && height <= maxPictureSide;
}

// Decodes a picture file into pixels; false (and nothing shown) on failure.
bool decodePicture(const std::string& file, sf::Image& image)
{
    return pictureSizeAcceptable(file) && image.loadFromFile(file);
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

// Gives a texture its coarse levels, if it has any: the ones halved here,
// or the driver's own if it will not take them.
void giveLevels(sf::Texture& texture, const std::vector<PictureLevel>& levels)
{
    if (!levels.empty() && !setTextureLevels(texture, levels))
        texture.generateMipmap();
}

// Uploads decoded pixels, with their coarse levels if given any, into a new
// heap sprite, or returns null.
sf::Sprite* makeSprite(const sf::Image& image, const std::vector<PictureLevel>& levels, float originX, float originY,
                       float posX, float posY)
{
    sf::Texture* texture = new sf::Texture;
    if (!texture->loadFromImage(image, sf::IntRect()))
    {
        delete texture;
        return nullptr;
    }

    // Pictures are scaled, rotated and blurred: smooth them so they do not alias.
    texture->setSmooth(true);
    giveLevels(*texture, levels);

    sf::Sprite* sprite = new sf::Sprite;
    sprite->setTexture(*texture, false);
    sprite->setOrigin(originX, originY);
    sprite->setPosition(posX, posY);
    return sprite;
}

// Records catalogue entry i, loaded from these pixels: its sprite and what
// drawPicture needs to know of the picture, whichever way it was loaded.
void recordPicture(int i, sf::Sprite* sprite, const sf::Image& image)
{
    bool opaque = everyPixelOpaque(image);
    catalogueSprites[i] = sprite;
    catalogueOpaque[i] = opaque;
    catalogueColour[i] = opaque ? pureSolidColour(image) : sf::Color::Transparent;
    catalogueParts[i] = opaque ? std::vector<sf::IntRect>() : visibleParts(image);
}

// Decodes and uploads one picture into a new heap sprite, leaving its pixels
// in `image`. On failure writes "error loading texture <file>" and returns null.
sf::Sprite* loadPicture(const std::string& file, sf::Image& image, float originX, float originY, float posX,
                        float posY)
{
    sf::Sprite* sprite =
        decodePicture(file, image) ? makeSprite(image, levelsFor(file, image), originX, originY, posX, posY) : nullptr;
    if (!sprite)
        std::cout << "error loading texture " << file << std::endl;
    return sprite;
}

// A stream buffer that drops whatever is written to it, from any thread.
struct DiscardedText : std::streambuf
{
    int overflow(int c) override { return traits_type::not_eof(c); }
};

// Takes the pictures nobody has claimed yet, one at a time, and makes each
// into its catalogue sprite, until none is left. A thread whose context does
// not draw the show leaves each picture's coarse levels in `levelsLeft` for
// the one that does: given in another context, they were seen to be read
// stale after a change of filter.
void loadUnclaimedPictures(std::atomic<int>& next, std::vector<PictureLevel>* levelsLeft)
{
    const std::vector<PictureLevel> none;
    for (int i = next++; i < catalogueSize; i = next++)
    {
        const CatalogueEntry& entry = catalogue[i];
        sf::Image image;
        if (!decodePicture(entry.file, image))
            continue;
        std::vector<PictureLevel> levels = levelsFor(entry.file, image);
        sf::Sprite* sprite =
            makeSprite(image, levelsLeft ? none : levels, entry.originX, entry.originY, entry.posX, entry.posY);
        if (!sprite)
            continue;
        if (levelsLeft)
            levelsLeft[i] = std::move(levels);
        recordPicture(i, sprite, image);
    }
}
}

sf::Sprite* loadSprite(const std::string& file, float originX, float originY, float posX, float posY)
{
    sf::Image image;
    return loadPicture(file, image, originX, originY, posX, posY);
}

sf::Sprite* loadSprite(const std::string& file)
{
    return loadSprite(file, 0, 0, 0, 0);
}

void loadCatalogue()
{
    // Decoding and uploading are most of the start-up: a helper thread with a
    // GL context of its own loads pictures beside this one, each thread
    // taking the next picture nobody has claimed. Two decoders would
    // interleave the image loader's complaints, so this pass is quiet; a
    // picture that fails in it is loaded again below, the plain way, with its
    // messages in catalogue order.
    DiscardedText quiet;
    std::streambuf* loaderMessages = sf::err().rdbuf(&quiet);
    std::atomic<int> next{0};
    std::vector<PictureLevel> helperLevels[catalogueSize];
    std::thread helper([&] {
        // Without a context of its own the helper leaves the pictures to this thread.
        sf::Context context;
        if (context.setActive(true))
            loadUnclaimedPictures(next, helperLevels);
    });
    loadUnclaimedPictures(next, nullptr);
    helper.join();
    // Each texture was made writable, in makeSprite; its sprite only shows it.
    for (int i = 0; i < catalogueSize; ++i)
        if (!helperLevels[i].empty())
            giveLevels(const_cast<sf::Texture&>(*catalogueSprites[i]->getTexture()), helperLevels[i]);
    sf::err().rdbuf(loaderMessages);
#ifdef __GLIBC__
    // Every decoded picture is freed by now, in both threads' heaps: give
    // their pages back rather than hold them through the show.
    malloc_trim(0);
#endif

    // The second try records the same facts about a picture as the first.
    for (int i = 0; i < catalogueSize; ++i)
        if (!catalogueSprites[i])
        {
            const CatalogueEntry& entry = catalogue[i];
            sf::Image image;
            sf::Sprite* sprite = loadPicture(entry.file, image, entry.originX, entry.originY, entry.posX, entry.posY);
            if (sprite)
                recordPicture(i, sprite, image);
        }
}

const char* catalogueFile(int i)
{
    return catalogue[i].file;
}

sf::Sprite* catalogueSprite(int i)
{
    return catalogueSprites[i];
}

bool pictureOpaque(const char* file)
{
    for (int i = 0; i < catalogueSize; ++i)
        if (std::strcmp(catalogue[i].file, file) == 0)
            return catalogueOpaque[i];
    return false;
}

namespace
{
// The catalogue entry whose sprite has this texture, or -1.
int textureIndex(const sf::Texture* texture)
{
    if (texture)
        for (int i = 0; i < catalogueSize; ++i)
            if (catalogueSprites[i] && catalogueSprites[i]->getTexture() == texture)
                return i;
    return -1;
}

// The visible parts of catalogue entry i, null for none or for an entry drawn whole.
const std::vector<sf::IntRect>* partsOf(int i)
{
    return i >= 0 && !catalogueParts[i].empty() ? &catalogueParts[i] : nullptr;
}

// Whether the target's view shows its world pixel for pixel.
bool viewAtTargetSize(const sf::RenderTarget& target)
{
    const sf::View& view = target.getView();
    return view.getRotation() == 0.0f && view.getViewport() == sf::FloatRect(0.0f, 0.0f, 1.0f, 1.0f) &&
           view.getSize() == sf::Vector2f(target.getSize());
}
}

bool textureOpaque(const sf::Texture* texture)
{
    int index = textureIndex(texture);
    return index >= 0 && catalogueOpaque[index];
}

sf::BlendMode pictureBlendMode(const sf::Sprite& sprite)
{
    return textureOpaque(sprite.getTexture()) && sprite.getColor().a == 255 ? sf::BlendNone : sf::BlendAlpha;
}

const std::vector<sf::IntRect>* pictureVisibleParts(const sf::Texture* texture)
{
    return partsOf(textureIndex(texture));
}

void drawPicture(sf::RenderTarget& target, const sf::Sprite& sprite, const sf::Shader* shader)
{
    const sf::Texture* texture = sprite.getTexture();
    int index = textureIndex(texture);

    sf::BlendMode blending = pictureBlendMode(sprite);

    // A picture of one colour is that colour wherever it is drawn: the
    // overlays that fade the scenes in and out are plain quads of it, tinted
    // as the sprite, the same pixels without reading a screenful of texture.
    if (index >= 0 && catalogueColour[index].a != 0 && !shader)
    {
        sf::FloatRect bounds = sprite.getLocalBounds();
        sf::Color colour = catalogueColour[index] * sprite.getColor();
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
    const std::vector<sf::IntRect>* parts = partsOf(index);
    sf::Vector2i size(texture ? sf::Vector2i(texture->getSize()) : sf::Vector2i());
    const float* matrix = sprite.getTransform().getMatrix();
    bool moved = matrix[0] == 1.0f && matrix[1] == 0.0f && matrix[4] == 0.0f && matrix[5] == 1.0f;
    if (!parts || !moved || sprite.getTextureRect() != sf::IntRect(0, 0, size.x, size.y) ||
        (blurredPicture(catalogue[index].file) && !viewAtTargetSize(target)))
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

sf::Sprite& picture(const char* file)
{
    for (int i = 0; i < catalogueSize; ++i)
        if (std::strcmp(catalogue[i].file, file) == 0)
            return catalogueSprites[i] ? *catalogueSprites[i] : blankSprite;
    return blankSprite;
}

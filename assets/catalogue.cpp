// The picture catalogue: 28 sprites, each with a texture of its own, loaded
// once at start-up and kept until the process ends, and drawn where they
// hold colour.
#include "assets/catalogue.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Vertex.hpp>
#include <SFML/System/Err.hpp>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <streambuf>
#include <thread>
#include <vector>

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

// Uploads decoded pixels into a new heap sprite, or returns null.
sf::Sprite* makeSprite(const sf::Image& image, const std::string& file, float originX, float originY, float posX,
                       float posY)
{
    sf::Texture* texture = new sf::Texture;
    if (!texture->loadFromImage(image, sf::IntRect()))
    {
        delete texture;
        return nullptr;
    }

    // Pictures are scaled, rotated and blurred: smooth them so they do not alias.
    texture->setSmooth(true);
    if (blurredPicture(file))
        texture->generateMipmap();

    sf::Sprite* sprite = new sf::Sprite;
    sprite->setTexture(*texture, false);
    sprite->setOrigin(originX, originY);
    sprite->setPosition(posX, posY);
    return sprite;
}

// The catalogue's pictures on their way from file to texture: decoded by
// whichever thread takes them first, uploaded in catalogue order.
struct DecodeQueue
{
    std::unique_ptr<sf::Image> images[catalogueSize]; // freed once uploaded
    bool decoded[catalogueSize] = {};
    bool opaque[catalogueSize] = {};
    sf::Color colour[catalogueSize]; // clear: not of one colour
    std::vector<sf::IntRect> parts[catalogueSize];
    bool done[catalogueSize] = {};
    std::atomic<int> next{0};
    int uploaded = 0; // pictures already made into textures
    std::mutex lock;
    std::condition_variable finished;
};

// How far decoding may run ahead of the uploads. The first mipmapped picture
// holds the uploads up while the driver builds its mipmap code, for about as
// long as a dozen decodes take, and a helper held closer sits idle meanwhile.
// Each picture waiting holds its pixels, 3.5 MB for a full screen: eight keep
// the helper busy for most of that time at a few megabytes more at the peak.
const int decodeAhead = 8;

// Takes the next picture nobody has claimed and decodes it; false when none is left.
bool decodeNextPicture(DecodeQueue& queue)
{
    int i = queue.next++;
    if (i >= catalogueSize)
        return false;
    queue.images[i] = std::make_unique<sf::Image>();
    sf::Image& image = *queue.images[i];
    bool decoded = decodePicture(catalogue[i].file, image);
    bool opaque = decoded && everyPixelOpaque(image);
    sf::Color colour = opaque ? pureSolidColour(image) : sf::Color::Transparent;
    std::vector<sf::IntRect> parts;
    if (decoded && !opaque)
        parts = visibleParts(image);
    std::lock_guard<std::mutex> hold(queue.lock);
    queue.decoded[i] = decoded;
    queue.opaque[i] = opaque;
    queue.colour[i] = colour;
    queue.parts[i] = std::move(parts);
    queue.done[i] = true;
    queue.finished.notify_all();
    return true;
}

// A stream buffer that drops whatever is written to it, from any thread.
struct DiscardedText : std::streambuf
{
    int overflow(int c) override { return traits_type::not_eof(c); }
};

// Waits until picture i is decoded, decoding others meanwhile.
void awaitPicture(DecodeQueue& queue, int i)
{
    for (;;)
    {
        {
            std::lock_guard<std::mutex> hold(queue.lock);
            if (queue.done[i])
                return;
        }
        if (!decodeNextPicture(queue))
            break;
    }
    std::unique_lock<std::mutex> hold(queue.lock);
    queue.finished.wait(hold, [&] { return queue.done[i]; });
}
}

sf::Sprite* loadSprite(const std::string& file, float originX, float originY, float posX, float posY)
{
    sf::Image image;
    sf::Sprite* sprite = decodePicture(file, image) ? makeSprite(image, file, originX, originY, posX, posY) : nullptr;
    if (!sprite)
        std::cout << "error loading texture " << file << std::endl;
    return sprite;
}

sf::Sprite* loadSprite(const std::string& file)
{
    return loadSprite(file, 0, 0, 0, 0);
}

void loadCatalogue()
{
    // Decoding is most of the start-up: a helper thread decodes beside this
    // one, while textures are made here, where the GL context is, in order.
    // Two decoders would interleave the image loader's complaints, so this
    // pass is quiet; a picture that fails in it is loaded again below, the
    // plain way, with its messages in catalogue order.
    DiscardedText quiet;
    std::streambuf* loaderMessages = sf::err().rdbuf(&quiet);
    DecodeQueue queue;
    std::thread helper([&queue] {
        for (;;)
        {
            {
                std::unique_lock<std::mutex> hold(queue.lock);
                queue.finished.wait(hold, [&] { return queue.next < queue.uploaded + decodeAhead; });
            }
            if (!decodeNextPicture(queue))
                break;
        }
    });
    for (int i = 0; i < catalogueSize; ++i)
    {
        awaitPicture(queue, i);
        const CatalogueEntry& entry = catalogue[i];
        catalogueSprites[i] = queue.decoded[i] ? makeSprite(*queue.images[i], entry.file, entry.originX,
                                                            entry.originY, entry.posX, entry.posY)
                                               : nullptr;
        catalogueOpaque[i] = catalogueSprites[i] && queue.opaque[i];
        catalogueColour[i] = catalogueSprites[i] ? queue.colour[i] : sf::Color::Transparent;
        if (catalogueSprites[i])
            catalogueParts[i] = std::move(queue.parts[i]);
        // The pixels are on the texture now; free them as we go (assigning an
        // empty image would keep their memory).
        queue.images[i].reset();
        std::lock_guard<std::mutex> hold(queue.lock);
        queue.uploaded = i + 1;
        queue.finished.notify_all();
    }
    helper.join();
    sf::err().rdbuf(loaderMessages);

    for (int i = 0; i < catalogueSize; ++i)
        if (!catalogueSprites[i])
        {
            const CatalogueEntry& entry = catalogue[i];
            catalogueSprites[i] = loadSprite(entry.file, entry.originX, entry.originY, entry.posX, entry.posY);
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

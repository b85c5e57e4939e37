// The picture catalogue: 28 sprites, each with a texture of its own, loaded
// once at start-up (two at a time) and kept until the process ends, and
// looked up by file name, index or texture. What each picture's pixels allow
// its draws is learned here as it loads; assets/picture_draw.cpp uses it.
#include "assets/catalogue.h"

#include "assets/picture_draw.h"
#include "assets/picture_levels.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Err.hpp>
#include <SFML/Window/Context.hpp>

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
PictureFacts catalogueFactsOf[catalogueSize]; // set as each picture loads

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

// Records catalogue entry i, loaded from these pixels: its sprite and what
// drawPicture needs to know of the picture, whichever way it was loaded.
void recordPicture(int i, sf::Sprite* sprite, const sf::Image& image)
{
    catalogueFactsOf[i] = studyPicture(catalogue[i].file, image);
    catalogueSprites[i] = sprite;
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

// The catalogue entry whose sprite has this texture, or -1.
int textureIndex(const sf::Texture* texture)
{
    if (texture)
        for (int i = 0; i < catalogueSize; ++i)
            if (catalogueSprites[i] && catalogueSprites[i]->getTexture() == texture)
                return i;
    return -1;
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

void restoreCatalogue()
{
    for (int i = 0; i < catalogueSize; ++i)
        if (sf::Sprite* sprite = catalogueSprites[i])
        {
            const CatalogueEntry& entry = catalogue[i];
            sprite->setOrigin(entry.originX, entry.originY);
            sprite->setPosition(entry.posX, entry.posY);
            sprite->setScale(1.0f, 1.0f);
            sprite->setRotation(0.0f);
            sprite->setColor(sf::Color::White);
        }
    blankSprite = sf::Sprite();
}

const char* catalogueFile(int i)
{
    return catalogue[i].file;
}

sf::Sprite* catalogueSprite(int i)
{
    return catalogueSprites[i];
}

const PictureFacts* catalogueFacts(const sf::Texture* texture)
{
    int index = textureIndex(texture);
    return index >= 0 ? &catalogueFactsOf[index] : nullptr;
}

bool pictureOpaque(const char* file)
{
    for (int i = 0; i < catalogueSize; ++i)
        if (std::strcmp(catalogue[i].file, file) == 0)
            return catalogueSprites[i] && catalogueFactsOf[i].opaque;
    return false;
}

bool textureOpaque(const sf::Texture* texture)
{
    const PictureFacts* facts = catalogueFacts(texture);
    return facts && facts->opaque;
}

sf::Sprite& picture(const char* file)
{
    for (int i = 0; i < catalogueSize; ++i)
        if (std::strcmp(catalogue[i].file, file) == 0)
            return catalogueSprites[i] ? *catalogueSprites[i] : blankSprite;
    return blankSprite;
}

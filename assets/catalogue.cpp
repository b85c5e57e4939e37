// The picture catalogue: 28 sprites, each with a texture of its own, loaded
// once at start-up and kept until the process ends.
#include "assets/catalogue.h"

#include <SFML/Graphics/Texture.hpp>
#include <cstring>
#include <fstream>
#include <iostream>

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
}

sf::Sprite* loadSprite(const std::string& file, float originX, float originY, float posX, float posY)
{
    sf::Texture* texture = new sf::Texture;
    if (!pictureSizeAcceptable(file) || !texture->loadFromFile(file, sf::IntRect()))
    {
        std::cout << "error loading texture " << file << std::endl;
        delete texture;
        return nullptr;
    }

    // Pictures are scaled, rotated and blurred: smooth them so they do not alias.
    texture->setSmooth(true);

    sf::Sprite* sprite = new sf::Sprite;
    sprite->setTexture(*texture, false);
    sprite->setOrigin(originX, originY);
    sprite->setPosition(posX, posY);
    return sprite;
}

sf::Sprite* loadSprite(const std::string& file)
{
    return loadSprite(file, 0, 0, 0, 0);
}

void loadCatalogue()
{
    for (int i = 0; i < catalogueSize; ++i)
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

sf::Sprite& picture(const char* file)
{
    for (int i = 0; i < catalogueSize; ++i)
        if (std::strcmp(catalogue[i].file, file) == 0)
            return catalogueSprites[i] ? *catalogueSprites[i] : blankSprite;
    return blankSprite;
}

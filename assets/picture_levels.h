#pragma once
// The coarse levels of the pictures the blur reads, halved on the decoding
// threads instead of by the driver: its mipmap code takes longer to build
// than the pictures take to halve, and start-up would wait for it.
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <vector>

// One level of a picture: RGBA pixels, rows from the top.
struct PictureLevel
{
    unsigned width = 0;
    unsigned height = 0;
    std::vector<sf::Uint8> pixels;
};

// The image's mipmap levels below its own pixels, down to 1 x 1. Each is the
// one above it halved, rounded down to at least a pixel, every pixel read
// smoothly at its centre, as the driver builds them.
std::vector<PictureLevel> halvedLevels(const sf::Image& image);

// Gives a smoothed texture made from that image these levels, to be read as
// generateMipmap's would be. Returns false, the texture still read without
// levels, when its storage is not the image's size, the driver refuses a
// level or no GL context is current on this thread. Needs the GL context the
// texture is drawn with; leaves the bound texture as it was.
bool setTextureLevels(sf::Texture& texture, const std::vector<PictureLevel>& levels);

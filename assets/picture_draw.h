#pragma once
// Drawing the catalogue's pictures for less: a picture that is only moved is
// drawn in its visible parts, one of a single pure colour as a quad of that
// colour, an opaque one at full strength unblended, and the pictures the blur
// reads get coarse levels. Each gives the pixels a plain draw would.
#include "assets/picture_levels.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Shader.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <string>
#include <vector>

// What a picture's pixels allow its draws, found once as it loads.
struct PictureFacts
{
    bool opaque = false;                        // no pixel lets anything through
    sf::Color colour = sf::Color::Transparent;  // its one pure colour, clear for any other picture
    std::vector<sf::IntRect> parts;             // its visible parts; empty: drawn whole
    bool blurred = false;                       // the blur samples it, through coarse levels
};

// Studies a decoded picture of the catalogue.
PictureFacts studyPicture(const std::string& file, const sf::Image& image);

// The coarse levels a picture's texture gets: none unless the blur reads it.
std::vector<PictureLevel> levelsFor(const std::string& file, const sf::Image& image);

// How a sprite's picture is blended where it is drawn: an opaque picture at
// full strength replaces what it covers, the same pixels as blending it
// without reading the target back; anything else is alpha-blended.
sf::BlendMode pictureBlendMode(const sf::Sprite& sprite);

// The parts of a catalogue picture worth drawing: rectangles of its pixels
// that together hold every pixel with some colour and every pixel that a
// smoothed draw or the narrow blur reads around them. Null when the picture
// is best drawn whole (mostly visible, or not a catalogue picture).
const std::vector<sf::IntRect>* pictureVisibleParts(const sf::Texture* texture);

// Draws a picture's sprite as target.draw(sprite, shader) does, the shader
// being none or the narrow blur; a picture that is only moved is drawn in
// its visible parts, since blending a clear pixel leaves the pixel under it
// as it was, one of a single pure colour (black, white) unshaded is drawn as
// a quad of that colour, and an opaque one at full strength unblended.
void drawPicture(sf::RenderTarget& target, const sf::Sprite& sprite, const sf::Shader* shader = nullptr);

#pragma once
// The pictures of the show: 28 sprites loaded at start-up, each with a
// texture of its own, named by their file names and never released, and
// the draw that leaves out their clear parts.
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Shader.hpp>
#include <string>
#include <vector>

const int catalogueSize = 28;

// Loads one picture into a new heap sprite with the given origin and position.
// On failure writes "error loading texture <file>" and returns null.
sf::Sprite* loadSprite(const std::string& file, float originX, float originY, float posX, float posY);
sf::Sprite* loadSprite(const std::string& file);

// Loads the 28 pictures, on two threads; the lines of any that fails are
// written in catalogue order.
void loadCatalogue();

// The file name of catalogue entry i (0 to 27), in load order.
const char* catalogueFile(int i);

// The sprite of a catalogue entry, null when its file failed to load.
sf::Sprite* catalogueSprite(int i);

// Whether every pixel of the picture with this file name is opaque; false
// for one that failed to load.
bool pictureOpaque(const char* file);

// Whether the texture is a catalogue picture's whose every pixel is opaque.
bool textureOpaque(const sf::Texture* texture);

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

// The sprite of the picture with this file name. A picture that failed to
// load (or was never loaded) gives a blank sprite without a texture, which
// draws nothing, so a missing file never breaks a scene.
sf::Sprite& picture(const char* file);

#pragma once
// The pictures of the show: 28 sprites loaded at start-up, each with a
// texture of its own, named by their file names and never released. How
// they are drawn is assets/picture_draw.h's.
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <string>

struct PictureFacts;

const int catalogueSize = 28;

// Loads one picture into a new heap sprite with the given origin and position.
// On failure writes "error loading texture <file>" and returns null.
sf::Sprite* loadSprite(const std::string& file, float originX, float originY, float posX, float posY);
sf::Sprite* loadSprite(const std::string& file);

// Loads the 28 pictures, on two threads; the lines of any that fails are
// written in catalogue order.
void loadCatalogue();

// Puts every sprite's position, scale, rotation, colour and origin back as
// they were loaded, for a show run again from its start in one process (the
// preview's jumps; the player never runs the show twice).
void restoreCatalogue();

// The file name of catalogue entry i (0 to 27), in load order.
const char* catalogueFile(int i);

// The sprite of a catalogue entry, null when its file failed to load.
sf::Sprite* catalogueSprite(int i);

// Whether every pixel of the picture with this file name is opaque; false
// for one that failed to load.
bool pictureOpaque(const char* file);

// Whether the texture is a catalogue picture's whose every pixel is opaque.
bool textureOpaque(const sf::Texture* texture);

// What the pixels of the catalogue picture with this texture allow its
// draws, found as it loaded; null for any other texture.
const PictureFacts* catalogueFacts(const sf::Texture* texture);

// The sprite of the picture with this file name. A picture that failed to
// load (or was never loaded) gives a blank sprite without a texture, which
// draws nothing, so a missing file never breaks a scene.
sf::Sprite& picture(const char* file);

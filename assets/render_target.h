#pragma once
// The 1280 x 720 off-screen target that scenes draw their picture into, and
// the sprite that shows it on the window through a shader.
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Sprite.hpp>

const unsigned screenWidth = 1280;
const unsigned screenHeight = 720;

extern sf::RenderTexture& renderTexture;
extern sf::Sprite& renderTextureSprite;

// Creates renderTexture (no depth buffer) and attaches it to the sprite.
void createRenderTarget();

// Shows the off-screen picture on the target through renderTextureSprite, as
// a plain draw of the sprite does. The picture is opaque, so untinted it
// replaces what is under it, without reading it back to blend.
void drawRenderTexture(sf::RenderTarget& target);

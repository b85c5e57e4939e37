#pragma once
// The blur as the scenes draw it: blurShader with its radius, drawn at the
// coarsest resolution that its taps can tell apart, then stretched back over
// the sprite's place, so that a wide blur costs a fraction of a full-screen
// pass of its taps.
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Sprite.hpp>

// The blur's radius as a fraction of the picture's width, for the draws that
// follow (0 leaves pictures untouched). Sets "blur_radius" in both the blur
// and the narrow blur.
void setBlurRadius(float radius);

// The radius last set, for reading only.
float blurRadius();

// How many times a picture is halved before it is blurred at this radius:
// the tap spacing's mipmap level to the nearest whole, at most maxBlurHalvings.
const int maxBlurHalvings = 5;
int blurHalvings(float radius);

// The reduced-size targets, one per number of halvings, each sized on its
// first use; index 0 holds a magnified picture's narrow blur, at the
// picture's own size.
extern sf::RenderTexture (&blurTargets)[maxBlurHalvings + 1];

// The half-size canvas that blurCanvas() hands out, made on its first use.
extern sf::RenderTexture& halfCanvas;

// Builds the target's mipmaps after its display() when the blur at the
// current radius reads them; a narrow blur reads only the picture itself.
void generateBlurLevels(sf::RenderTexture& target);

// Draws a sprite through the blur at the current radius, with the sprite's
// own transform and colour, blended as a plain draw is. An opaque picture,
// untinted, replaces what it covers instead, which gives the same pixels.
void drawBlurred(sf::RenderTarget& target, const sf::Sprite& sprite);

// The canvas for a screen-sized picture that is blurred as a whole, drawn
// through its 1280 x 720 view: the off-screen target, or, once the blur at the
// current radius is halved, a target of half its size, whose own pixels then
// stand for the off-screen target's first coarse level. Ask for it after
// setBlurRadius, draw the picture on it, then show it with drawBlurredCanvas.
sf::RenderTexture& blurCanvas();

// Shows what was drawn on blurCanvas() through the blur onto the target,
// building the canvas's coarse levels first when the blur reads them. The
// canvas is opaque (it starts black and is only blended onto), so it
// replaces what is under it without blending.
void drawBlurredCanvas(sf::RenderTarget& target);

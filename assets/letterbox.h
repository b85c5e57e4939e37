#pragma once
// The show's 1280 x 720 picture on a window of any other size: scaled
// uniformly to the largest centred rectangle that fits, black bars around it.
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Texture.hpp>

// The largest rectangle of the picture's shape, centred, that fits a window
// of this size, in the window's pixels (empty for an empty window).
sf::IntRect letterboxRect(sf::Vector2u windowSize);

// Clears the target to black and draws the frame over letterboxRect of the
// target's size, smoothly scaled, replacing what is there.
void drawLetterboxed(sf::RenderTarget& target, const sf::Texture& frame);

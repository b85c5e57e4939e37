#pragma once
// On a window that is not 1280 x 720 the scenes draw on a frame of that size
// of their own, which is then shown scaled to fit the window. At 1280 x 720
// they draw on the window itself, as ever.
#include <SFML/Graphics/RenderWindow.hpp>

// The target the scenes draw on for this window: the window itself when it
// is 1280 x 720, otherwise the 1280 x 720 frame (made on first use; the
// window itself if it cannot be made).
sf::RenderTarget& showFrameTarget(sf::RenderWindow& window);

// Puts what was drawn on showFrameTarget(window) on the window, before its
// display(): nothing to do for the window itself, the frame scaled to fit
// with black bars otherwise.
void presentShowFrame(sf::RenderWindow& window);

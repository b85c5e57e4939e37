// Fitting the picture to a window of another size.
#include "assets/letterbox.h"

#include "assets/render_target.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/View.hpp>

#include <algorithm>
#include <cmath>

sf::IntRect letterboxRect(sf::Vector2u windowSize)
{
    // One scale for both axes: the larger one fits, the other leaves bars.
    double scale = std::min(static_cast<double>(windowSize.x) / screenWidth,
                            static_cast<double>(windowSize.y) / screenHeight);
    int width = std::min(static_cast<int>(std::lround(screenWidth * scale)), static_cast<int>(windowSize.x));
    int height = std::min(static_cast<int>(std::lround(screenHeight * scale)), static_cast<int>(windowSize.y));
    if (width <= 0 || height <= 0)
        return sf::IntRect();
    return sf::IntRect((static_cast<int>(windowSize.x) - width) / 2, (static_cast<int>(windowSize.y) - height) / 2,
                       width, height);
}

void drawLetterboxed(sf::RenderTarget& target, const sf::Texture& frame)
{
    // The window's own pixels as the view, so that the bars are whole pixels.
    sf::Vector2u size = target.getSize();
    target.setView(sf::View(sf::FloatRect(0.0f, 0.0f, static_cast<float>(size.x), static_cast<float>(size.y))));
    target.clear(sf::Color::Black);

    sf::IntRect area = letterboxRect(size);
    sf::Vector2u frameSize = frame.getSize();
    if (area.width <= 0 || frameSize.x == 0 || frameSize.y == 0)
        return;
    sf::Sprite shown(frame);
    shown.setPosition(static_cast<float>(area.left), static_cast<float>(area.top));
    shown.setScale(static_cast<float>(area.width) / frameSize.x, static_cast<float>(area.height) / frameSize.y);
    target.draw(shown, sf::BlendNone);
}

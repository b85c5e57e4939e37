// The off-screen target and the sprite that shows it.
#include "assets/render_target.h"

void createRenderTarget()
{
    renderTexture.create(screenWidth, screenHeight, sf::ContextSettings(0));

    // No depth buffer. The picture is sampled by the blur: smooth it like the pictures.
    renderTexture.setSmooth(true);
    renderTextureSprite.setTexture(renderTexture.getTexture(), false);
    renderTextureSprite.setPosition(0, 0);

    // Opaque black from the start: the scenes only ever blend onto it, so it
    // stays opaque, and the blur may draw it over the window unblended.
    renderTexture.clear(sf::Color::Black);
    renderTexture.display();
}

void drawRenderTexture(sf::RenderTarget& target)
{
    bool untinted = renderTextureSprite.getColor() == sf::Color::White;
    target.draw(renderTextureSprite, untinted ? sf::BlendNone : sf::BlendAlpha);
}

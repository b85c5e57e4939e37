// The warm-up: before the clock starts, everything the scenes will draw is
// drawn once, out of sight, so that no scene's first frame pays for a
// shader compiled for a new state, a glyph rasterised, or a texture's first
// use. It changes nothing that the scenes can see.
#include "app/startup.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "assets/render_target.h"
#include "assets/shaders.h"

#include <SFML/Graphics/Text.hpp>

namespace
{
// The character sizes the show's captions and titles are drawn at.
const unsigned captionSizes[] = {36, 56, 57, 75, 86};

// The pictures a shader is drawn with, and where: into the off-screen target
// (true) or straight onto the window (false).
struct ShaderUse
{
    sf::Shader* shader;
    const char* file;
    bool offScreen;
};

const ShaderUse shaderUses[] = {
    {&rippleShader, "S3-1.png", true},
    {&rippleShader, "S2-1.png", true},
};

// The pictures drawn through the blur, and where.
const ShaderUse blurUses[] = {
    {&blurShader, "S1-1.png", true},
    {&blurShader, "S5-2.png", false},
    {&blurShader, "SF2.png", false},
};

// Warm-up draws are shrunk to a few pixels: what is compiled and uploaded
// depends on the state and the texture, not on how much is covered.
const float warmUpScale = 1.0f / 32.0f;

// Every character the show writes: printable ASCII and the Swedish letters.
sf::String showCharacters()
{
    std::string bytes;
    for (int c = 32; c < 127; ++c)
        bytes += static_cast<char>(c);
    bytes += "\xE4\xF6\xE5";
    return showString(bytes);
}

// Draws a sprite shrunk, with or without a shader, leaving its scale as it was.
void drawSmall(sf::RenderTarget& target, sf::Sprite& sprite, sf::Shader* shader = nullptr)
{
    sf::Vector2f keptScale = sprite.getScale();
    sprite.setScale(warmUpScale, warmUpScale);
    if (shader == &blurShader)
        drawBlurred(target, sprite);
    else
        target.draw(sprite, sf::RenderStates(shader));
    sprite.setScale(keptScale);
}

// Blurs every picture the scenes blur, at every resolution the blur takes.
// Only the stretched draw is shrunk; each reduced-size pass is drawn whole.
void warmUpBlur(sf::RenderTarget& window)
{
    for (float radius = 0.0015f;; radius *= 2.0f)
    {
        setBlurRadius(radius);
        for (const ShaderUse& use : blurUses)
        {
            sf::RenderTarget& target = use.offScreen ? static_cast<sf::RenderTarget&>(renderTexture) : window;
            drawSmall(target, picture(use.file), use.shader);
        }
        // The scenes that blur the off-screen picture give it mipmaps first.
        renderTexture.display();
        renderTexture.generateMipmap();
        drawSmall(window, renderTextureSprite, &blurShader);
        if (blurHalvings(radius) == maxBlurHalvings)
            break;
    }
    setBlurRadius(0.0f);
}
}

void warmUpShow(sf::RenderTarget& window)
{
    // Every picture once, as the scenes first draw it.
    for (int i = 0; i < catalogueSize; ++i)
        if (sf::Sprite* sprite = catalogueSprite(i))
            drawSmall(renderTexture, *sprite);

    // Each shader with the textures and targets the scenes use it with.
    rippleShader.setUniform("time", 0.0f);
    for (const ShaderUse& use : shaderUses)
    {
        sf::RenderTarget& target = use.offScreen ? static_cast<sf::RenderTarget&>(renderTexture) : window;
        drawSmall(target, picture(use.file), use.shader);
    }
    renderTexture.display();
    drawSmall(window, renderTextureSprite);
    warmUpBlur(window);

    // Every glyph the show writes, at every size it writes them.
    sf::Text text(showCharacters(), boldFont);
    for (unsigned size : captionSizes)
    {
        text.setCharacterSize(size);
        renderTexture.draw(text);
        window.draw(text);
    }

    // Leave both targets black; the first frame draws over them.
    renderTexture.clear(sf::Color::Black);
    renderTexture.display();
    window.clear(sf::Color::Black);
}

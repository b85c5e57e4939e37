// The warm-up: in the show's black opening, everything the scenes will draw is
// drawn once, out of sight, so that no scene's first frame pays for a
// shader compiled for a new state, a glyph rasterised, or a texture's first
// use. It changes nothing that the scenes can see.
#include "app/startup.h"

#include "app/scaled_frame.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "assets/render_target.h"
#include "assets/shaders.h"
#include "scenes/scene.h"

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

// The target a shader use draws on: the off-screen target or the window.
sf::RenderTarget& targetOf(const ShaderUse& use, sf::RenderTarget& window)
{
    return use.offScreen ? static_cast<sf::RenderTarget&>(renderTexture) : window;
}

// Warm-up draws cover a few pixels: what is compiled and uploaded depends on
// the state, the texture and the shape's size, not on how much is covered.
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

// How much of a full-size warm-up draw is left on the target.
const float warmUpCorner = 8.0f;

// Draws a sprite through the blur or the ripple as the scenes do, through
// another shader, or plainly both as a sprite and as the catalogue draws it
// (in parts, or as a quad of its one colour). The catalogue's draw goes at
// full strength and faded: an opaque picture at full strength replaces what
// it covers, faded it is blended, and the driver builds its code for each.
void drawWith(sf::RenderTarget& target, const sf::Sprite& sprite, sf::Shader* shader)
{
    if (shader == &blurShader)
        drawBlurred(target, sprite);
    else if (shader == &rippleShader)
        drawRippled(target, sprite);
    else
        target.draw(sprite, sf::RenderStates(shader));
    if (shader)
        return;
    sf::Sprite shown(sprite);
    for (sf::Uint8 strength : {255, 128})
    {
        shown.setColor(sf::Color(255, 255, 255, strength));
        drawPicture(target, shown);
    }
}

// Draws a sprite twice, with or without a shader, leaving it as it was: shrunk
// to a few pixels, and at full size with all but a corner off the target. The
// driver builds its drawing code apart for small and for large shapes.
void drawOutOfSight(sf::RenderTarget& target, sf::Sprite& sprite, sf::Shader* shader = nullptr)
{
    sf::Vector2f keptScale = sprite.getScale();
    sprite.setScale(warmUpScale, warmUpScale);
    drawWith(target, sprite, shader);
    sprite.setScale(keptScale);

    sf::Sprite corner(sprite);
    corner.setScale(1.0f, 1.0f);
    corner.setRotation(0.0f);
    corner.setOrigin(0.0f, 0.0f);
    sf::Vector2f size = target.getView().getSize();
    corner.setPosition(size.x - warmUpCorner, size.y - warmUpCorner);
    drawWith(target, corner, shader);
}

// Draws on the half-size canvas what the scenes draw there: each picture
// whole, plainly and by its visible parts, the rippled ones, and the text.
// The canvas is cleared after each blur, so nothing of this is seen.
void warmUpCanvas(sf::RenderTexture& canvas)
{
    for (int i = 0; i < catalogueSize; ++i)
        if (sf::Sprite* sprite = catalogueSprite(i))
            drawWith(canvas, *sprite, nullptr);
    for (const ShaderUse& use : shaderUses)
        drawWith(canvas, picture(use.file), use.shader);
    sf::Text text(showCharacters(), boldFont);
    for (unsigned size : captionSizes)
    {
        text.setCharacterSize(size);
        canvas.draw(text);
    }
}

// Blurs every picture the scenes blur, at every resolution the blur takes.
// A reduced-size pass covers only what shows, so each picture is also
// blurred once whole at each halving, and once magnified, as the zoom opens,
// at the narrow radius, which then works at the picture's own size. The
// targets are cleared before the show starts.
void warmUpBlur(sf::RenderTarget& window)
{
    for (float radius = 0.0015f;; radius *= 2.0f)
    {
        setBlurRadius(radius);
        for (const ShaderUse& use : blurUses)
        {
            sf::RenderTarget& target = targetOf(use, window);
            drawOutOfSight(target, picture(use.file), use.shader);
            sf::Sprite blurred(picture(use.file));
            if (blurHalvings(radius) == 0)
                blurred.setScale(3.0f, 3.0f);
            drawBlurred(target, blurred);
        }
        // The scenes that blur the off-screen picture build its coarse levels
        // first when the blur reads them; a narrow blur reads it without.
        renderTexture.display();
        generateBlurLevels(renderTexture);
        drawOutOfSight(window, renderTextureSprite, &blurShader);
        // Once the blur is halved, the scenes draw the picture they blur as a
        // whole on the half-size canvas instead, some of it through the ripple.
        // Either canvas is shown over the window unblended.
        sf::RenderTexture& canvas = blurCanvas();
        if (&canvas != &renderTexture && blurHalvings(radius) == 1)
            warmUpCanvas(canvas);
        drawBlurredCanvas(window);
        canvas.clear(sf::Color::Black);
        if (blurHalvings(radius) == maxBlurHalvings)
            break;
    }
    // With no radius the off-screen picture is drawn plainly, with its mipmaps
    // and after a display has set them aside (they are kept, unused): each is
    // a texture state of its own. So is each blurred picture, drawn through
    // the blur with its own levels set aside.
    setBlurRadius(0.0f);
    for (const ShaderUse& use : blurUses)
    {
        sf::RenderTarget& target = targetOf(use, window);
        drawOutOfSight(target, picture(use.file), use.shader);
    }
    drawOutOfSight(window, renderTextureSprite);
    renderTexture.display();
    drawOutOfSight(window, renderTextureSprite);
    blurCanvas();
    drawBlurredCanvas(window);
}
}

void warmUpGlyphs(sf::RenderTarget& target)
{
    for (const sf::Font* font : {&textFont, &boldFont})
    {
        sf::Text text(showCharacters(), *font);
        for (unsigned size : captionSizes)
        {
            text.setCharacterSize(size);
            target.draw(text);
        }
    }
}

void warmUpShow(sf::RenderWindow& showWindow)
{
    // Everything below is drawn where the scenes will draw: the window, or
    // the frame that is scaled to fit it.
    sf::RenderTarget& window = showFrameTarget(showWindow);

    // Once built, the off-screen picture's coarse levels stay allocated, and
    // the driver's code for reading the picture differs with and without
    // them: build them first, as they will be for the whole show.
    renderTexture.clear();
    renderTexture.display();
    renderTexture.generateMipmap();

    // Every picture once on each target, as the scenes first draw it: the
    // window's pixels are laid out unlike the off-screen target's, and the
    // driver builds its drawing code for each layout.
    for (int i = 0; i < catalogueSize; ++i)
        if (sf::Sprite* sprite = catalogueSprite(i))
        {
            drawOutOfSight(renderTexture, *sprite);
            drawOutOfSight(window, *sprite);
        }

    // Each shader with the textures and targets the scenes use it with.
    rippleShader.setUniform("time", 0.0f);
    for (const ShaderUse& use : shaderUses)
    {
        sf::RenderTarget& target = targetOf(use, window);
        drawOutOfSight(target, picture(use.file), use.shader);
    }
    renderTexture.display();
    drawOutOfSight(window, renderTextureSprite);
    warmUpBlur(window);

    // Every glyph the show writes, at every size it writes them.
    sf::Text text(showCharacters(), boldFont);
    for (unsigned size : captionSizes)
    {
        text.setCharacterSize(size);
        renderTexture.draw(text);
        window.draw(text);
    }

    // Leave both targets black; the first frame draws over them. The window
    // is shown once, black: its first showing sets up the way to the screen,
    // which costs more than a whole frame.
    renderTexture.clear(sf::Color::Black);
    renderTexture.display();
    window.clear(sf::Color::Black);
    presentShowFrame(showWindow);
    showWindow.display();
    window.clear(sf::Color::Black);
}

// The show's process-wide GL objects, all defined here.
//
// On X11 the first GL object makes SFML open the display, and SFML aborts
// when there is none. So the objects are not built by their definitions:
// each name refers to storage of its own, and createGraphicsObjects() builds
// them all once the program knows a display is there. The player and the
// tests build them before main (app/graphics_before_main.cpp); the tools
// read their options first, so that asking for help needs no display.
#include "assets/graphics_objects.h"

#include "assets/blur.h"
#include "assets/render_target.h"
#include "assets/shaders.h"

#include <cstdlib>
#include <new>

namespace
{
// Room for one object, built later in place and never by the slot itself.
// The slot is made at compile time, so the names below refer to their
// objects' places before any code runs, even in other files' initialisers.
template <typename T>
union Slot
{
    char none;
    T object;
    constexpr Slot() : none(0) {}
    ~Slot() {}
};

Slot<sf::Shader> heatSlot, blurSlot, narrowBlurSlot, rippleSlot, shockwaveSlot, pixelationSlot;
Slot<sf::Texture> distortionSlot;
Slot<sf::RenderTexture> renderTextureSlot;
Slot<sf::Sprite> renderTextureSpriteSlot;
union BlurTargetsSlot
{
    char none;
    sf::RenderTexture object[maxBlurHalvings + 1];
    constexpr BlurTargetsSlot() : none(0) {}
    ~BlurTargetsSlot() {}
} blurTargetsSlot;
Slot<sf::RenderTexture> halfCanvasSlot;

bool built = false;

// Destroyed in the reverse order of building, after main has returned.
void destroyGraphicsObjects()
{
    using sf::RenderTexture, sf::Sprite, sf::Shader, sf::Texture;
    halfCanvas.~RenderTexture();
    for (int i = maxBlurHalvings; i >= 0; --i)
        blurTargets[i].~RenderTexture();
    renderTextureSprite.~Sprite();
    renderTexture.~RenderTexture();
    distortionTexture.~Texture();
    for (Shader* shader : {&pixelationShader, &shockwaveShader, &rippleShader, &narrowBlurShader, &blurShader, &heatShader})
        shader->~Shader();
}
}

sf::Shader& heatShader = heatSlot.object;
sf::Shader& blurShader = blurSlot.object;
sf::Shader& narrowBlurShader = narrowBlurSlot.object;
sf::Shader& rippleShader = rippleSlot.object;
sf::Shader& shockwaveShader = shockwaveSlot.object;
sf::Shader& pixelationShader = pixelationSlot.object;
sf::Texture& distortionTexture = distortionSlot.object;

sf::RenderTexture& renderTexture = renderTextureSlot.object;
sf::Sprite& renderTextureSprite = renderTextureSpriteSlot.object;

// The blur's reduced-size targets, one per number of halvings, and the
// half-size canvas a whole screen is drawn on before a halved blur.
sf::RenderTexture (&blurTargets)[maxBlurHalvings + 1] = blurTargetsSlot.object;
sf::RenderTexture& halfCanvas = halfCanvasSlot.object;

void createGraphicsObjects()
{
    if (built)
        return;
    built = true;
    for (sf::Shader* shader : {&heatShader, &blurShader, &narrowBlurShader, &rippleShader, &shockwaveShader, &pixelationShader})
        new (shader) sf::Shader;
    new (&distortionTexture) sf::Texture;
    new (&renderTexture) sf::RenderTexture;
    new (&renderTextureSprite) sf::Sprite;
    for (sf::RenderTexture& target : blurTargets)
        new (&target) sf::RenderTexture;
    new (&halfCanvas) sf::RenderTexture;
    std::atexit(destroyGraphicsObjects);
}

bool graphicsObjectsCreated()
{
    return built;
}

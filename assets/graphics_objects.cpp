// The show's process-wide GL objects, all defined here, before main runs.
//
// On X11 the first GL object makes SFML open the display, and SFML aborts
// when there is none. Objects of one file are built in the order they are
// defined, so the display is checked first: without one the program says so
// in one line and ends with -1 before any GL object exists.
#include "app/display_check.h"
#include "assets/blur.h"
#include "assets/render_target.h"
#include "assets/shaders.h"

#include <cstdlib>
#include <iostream>

namespace
{
struct DisplayCheck
{
    DisplayCheck()
    {
        if (!displayAvailable())
        {
            std::cerr << "ostralis: no display can be opened; set DISPLAY to a running X server" << std::endl;
            std::exit(-1);
        }
    }
};
const DisplayCheck displayCheck;
}

sf::Shader heatShader;
sf::Shader blurShader;
sf::Shader narrowBlurShader;
sf::Shader rippleShader;
sf::Shader shockwaveShader;
sf::Shader pixelationShader;
sf::Texture distortionTexture;

sf::RenderTexture renderTexture;
sf::Sprite renderTextureSprite;

// The blur's reduced-size targets, one per number of halvings, and the
// half-size canvas a whole screen is drawn on before a halved blur.
sf::RenderTexture blurTargets[maxBlurHalvings + 1];
sf::RenderTexture halfCanvas;

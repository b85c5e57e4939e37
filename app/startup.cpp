// Start-up steps shared by the player and the tools.
#include "app/startup.h"

#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "assets/render_target.h"
#include "assets/shaders.h"
#include "draw/tween.h"

#include <SFML/Graphics/Shader.hpp>
#include <iostream>

void openShowWindow(sf::RenderWindow& window)
{
    // Depth 32, no stencil, 4x antialiasing, a plain 1.1 context.
    sf::ContextSettings settings(32, 0, 4, 1, 1, sf::ContextSettings::Default);
    window.create(sf::VideoMode(1280, 720, 32), showString("Ostralis"), sf::Style::Fullscreen, settings);
    window.setVerticalSyncEnabled(true);
    window.setMouseCursorVisible(false);
}

void loadShowData()
{
    loadCatalogue();
    loadDistortionTexture();
    createRenderTarget();
    loadFonts();
}

bool loadShowShaders()
{
    if (!sf::Shader::isAvailable())
    {
        std::cout << "shaders are not available" << std::endl;
        return false;
    }
    return loadShaders();
}

void releaseShowGroups()
{
    releaseTweenGroup(stampGroup);
    releaseTweenGroup(glintGroup);
}

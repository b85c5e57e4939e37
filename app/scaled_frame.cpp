// The scaled frame for windows of another size than the show's.
#include "app/scaled_frame.h"

#include "assets/letterbox.h"
#include "assets/render_target.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <iostream>

namespace
{
// Made on first use only: a GL object built before main would open the
// display before the show has checked that there is one.
sf::RenderTexture& scaledFrame()
{
    static sf::RenderTexture frame;
    return frame;
}
bool frameTried = false;
bool frameMade = false;

bool showSized(const sf::RenderWindow& window)
{
    return window.getSize() == sf::Vector2u(screenWidth, screenHeight);
}
}

sf::RenderTarget& showFrameTarget(sf::RenderWindow& window)
{
    if (showSized(window))
        return window;
    if (!frameTried)
    {
        // The window's own settings: 4x antialiasing, no depth or stencil needed.
        frameTried = true;
        frameMade = scaledFrame().create(screenWidth, screenHeight, sf::ContextSettings(0, 0, 4));
        if (frameMade)
            scaledFrame().setSmooth(true);
        else
            std::cerr << "ostralis: cannot make the 1280 x 720 frame; drawing on the window unscaled" << std::endl;
    }
    if (!frameMade)
        return window;
    return scaledFrame();
}

void presentShowFrame(sf::RenderWindow& window)
{
    if (!window.isOpen() || &showFrameTarget(window) == &window)
        return;
    scaledFrame().display();
    drawLetterboxed(window, scaledFrame().getTexture());
}

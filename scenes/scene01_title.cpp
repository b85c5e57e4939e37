// Scene 1: not built yet; it hands over to its successor at once.
#include "scenes/scene.h"

int runScene1(sf::RenderTarget&)
{
    return 2;
}

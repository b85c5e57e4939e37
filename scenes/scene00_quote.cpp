// Scene 0: not built yet; it hands over to its successor at once.
#include "scenes/scene.h"

int runScene0(sf::RenderTarget&)
{
    return 1;
}

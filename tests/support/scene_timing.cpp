// Frame counts of scene phases at a fixed step, and scenes run on a small target.
#include "support/scene_timing.h"

#include "app/startup.h"
#include "scenes/scene.h"

#include <SFML/Graphics/RenderTexture.hpp>

#include <stdexcept>
#include <unistd.h>

int phaseFrames(float length, float delta, Threshold threshold)
{
    float timer = 0.0f;
    int frames = 0;
    do
    {
        timer += delta;
        ++frames;
    } while (threshold == Threshold::Passed ? !(timer > length) : !(timer >= length));
    return frames;
}

namespace
{
sf::RenderTexture& smallTarget()
{
    static sf::RenderTexture target;
    static bool created = false;
    if (!created)
    {
        created = true;
        target.create(32, 18);
    }
    return target;
}
}

int runSmallFrame(int sceneIndex, float delta)
{
    sf::RenderTexture& target = smallTarget();
    frameDelta = delta;
    target.clear(sf::Color(0, 0, 0, 255));
    int next = dispatchScene(sceneIndex, target);
    target.display();
    return next;
}

int runSmallSceneToEnd(int sceneIndex, float delta, int maxFrames)
{
    for (int frame = 1; frame <= maxFrames; ++frame)
        if (runSmallFrame(sceneIndex, delta) != sceneIndex)
            return frame;
    return -1;
}

void loadShowWithoutShaders()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    if (chdir(SHOW_DIR) != 0)
        throw std::runtime_error("cannot enter " SHOW_DIR);
    loadShowData();
}

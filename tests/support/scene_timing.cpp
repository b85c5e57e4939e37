// Frame counts of scene phases at a fixed step, and scenes run on a small target.
#include "support/scene_timing.h"

#include "support/show_test.h"

#include "app/startup.h"

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
    return runFrameOn(smallTarget(), sceneIndex, delta);
}

int runSmallSceneToEnd(int sceneIndex, float delta, int maxFrames)
{
    return runSceneToEndOn(smallTarget(), sceneIndex, delta, maxFrames);
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

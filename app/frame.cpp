// The show's frame and its opening, as the player runs them: the capture
// tool, the bench and the preview run the same, each with its own target and
// its own clock.
#include "app/startup.h"

#include "app/scaled_frame.h"

#include "draw/frame.h"
#include "scenes/scene.h"

void runShowStep(const ShowStep& step, const char* name, const std::function<void()>& run)
{
    if (step)
        step(name, run);
    else
        run();
}

int drawShowFrame(sf::RenderTarget& target, int sceneIndex, float delta)
{
    frameDelta = delta;
    target.clear(sf::Color(0, 0, 0, 255));
    if (sceneIndex != showEndIndex)
        sceneIndex = dispatchScene(sceneIndex, target);
    return sceneIndex;
}

int drawWindowFrame(sf::RenderWindow& window, int sceneIndex, float delta)
{
    sceneIndex = drawShowFrame(showFrameTarget(window), sceneIndex, delta);
    presentShowFrame(window);
    return sceneIndex;
}

void playOpening(sf::RenderWindow& window, const std::function<bool()>& firstFrame, const ShowStep& step)
{
    runShowStep(step, "black_frame", [&] {
        window.clear(sf::Color::Black);
        window.display();
    });
    if (firstFrame())
        runShowStep(step, "warm_up", [&] { warmUpShow(window); });
}

void playOffScreenOpening(sf::RenderTarget& target)
{
    warmUpGlyphs(target);
    target.clear(sf::Color::Black);
}

// The player: opens the window, loads the show, runs the frame loop until
// the last scene ends, Escape is pressed or the window is asked to close.
#include "app/startup.h"

#include "scenes/scene.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Keyboard.hpp>

sf::Clock frameClock;

int playFrame(sf::RenderWindow& window, int sceneIndex, bool& quitRequested)
{
    float delta = frameClock.restart().asSeconds();

    // Escape held while an event is taken ends the show, and so does a tap
    // already released by then (a remote control, xdotool), seen by its event.
    sf::Event event;
    while (window.pollEvent(event))
    {
        if (sf::Keyboard::isKeyPressed(sf::Keyboard::Escape) ||
            (event.type == sf::Event::KeyPressed && event.key.code == sf::Keyboard::Escape))
            quitRequested = true;
        if (event.type == sf::Event::Closed || quitRequested)
            window.close();
    }

    if (sceneIndex == showEndIndex)
        quitRequested = true;
    sceneIndex = drawWindowFrame(window, sceneIndex, delta);
    window.display();
    return sceneIndex;
}

int playShow()
{
    // Said first, before the graphics library's lines about each file.
    reportMissingShowFiles();

    // The display was checked before main, when the GL objects were built.
    sf::RenderWindow window;
    openShowWindow(window);
    if (!startShow(window, true))
        return -1;

    // The show opens on 1.25 s of black before its music; only a warm-up
    // longer than that (a loaded machine, no shader cache) makes the opening
    // last as long as the warm-up.
    int sceneIndex = 0;
    bool quitRequested = false;
    playOpening(window, [&] {
        sceneIndex = playFrame(window, sceneIndex, quitRequested);
        return window.isOpen() && !quitRequested;
    });

    while (window.isOpen() && !quitRequested)
        sceneIndex = playFrame(window, sceneIndex, quitRequested);

    releaseShowGroups();
    window.close();
    return 0;
}

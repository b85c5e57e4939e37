// The player: opens the window, loads the show, runs the frame loop until
// the last scene ends, Escape is pressed or the window is asked to close.
#include "app/startup.h"

#include "app/scaled_frame.h"

#include "audio/audio.h"
#include "scenes/scene.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <iostream>

sf::Clock frameClock;

int playFrame(sf::RenderWindow& window, int sceneIndex, bool& quitRequested)
{
    frameDelta = frameClock.restart().asSeconds();

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

    // The scenes draw on the window, or on the frame scaled to fit it.
    sf::RenderTarget& target = showFrameTarget(window);
    target.clear(sf::Color(0, 0, 0, 255));
    if (sceneIndex == showEndIndex)
        quitRequested = true;
    else
        sceneIndex = dispatchScene(sceneIndex, target);
    presentShowFrame(window);
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
    std::cout << "created render window" << std::endl;

    loadShowData();
    if (!loadShowShaders())
        return -1;
    std::cout << std::endl << "generic data loaded" << std::endl;

    initAudioOutput();
    std::cout << "BASS loaded" << std::endl;

    window.setActive(true);
    std::cout << "Window is active for OpenGL rendering" << std::endl;

    int sceneIndex = 0;
    bool quitRequested = false;
    frameClock.restart();
    std::cout << "Clock restarted" << std::endl;
    std::cout << "Playing SYNC module" << std::endl;

    // The show opens on 1.25 s of black before its music. A black frame is
    // shown at once, before the quotation's first frame (drawn under its
    // black overlay, it costs the driver's first build of several states);
    // the warm-up then runs in that black, before any scene's first frame
    // that shows a picture. Its time goes into the next frame's step, which
    // the black opening takes up, so the music starts 1.25 s in as before;
    // only a warm-up longer than that (a loaded machine, no shader cache)
    // makes the opening last as long as the warm-up.
    window.clear(sf::Color::Black);
    window.display();
    sceneIndex = playFrame(window, sceneIndex, quitRequested);
    if (window.isOpen() && !quitRequested)
        warmUpShow(window);

    while (window.isOpen() && !quitRequested)
        sceneIndex = playFrame(window, sceneIndex, quitRequested);

    releaseShowGroups();
    window.close();
    return 0;
}

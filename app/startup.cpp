// Start-up steps shared by the player and the tools.
#include "app/startup.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "assets/render_target.h"
#include "assets/shaders.h"
#include "audio/audio.h"
#include "draw/frame.h"
#include "draw/tween.h"
#include "scenes/scene.h"
#include "system/files.h"

#include <SFML/Graphics/Shader.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace
{
// The screen's own mode, as one of its full-screen modes: the desktop's size
// at the best depth offered for it.
sf::VideoMode desktopFullscreenMode()
{
    sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const std::vector<sf::VideoMode>& modes = sf::VideoMode::getFullscreenModes();
    for (const sf::VideoMode& mode : modes)
        if (mode.width == desktop.width && mode.height == desktop.height)
            return mode;
    return modes.empty() ? desktop : modes.front();
}
}

// The files start-up loads. The music is left out: scene 0 opens it later,
// and without it the show plays on in silence, as it should.
std::vector<std::string> showFiles()
{
    std::vector<std::string> files;
    for (int i = 0; i < catalogueSize; ++i)
        files.push_back(catalogueFile(i));
    for (const char* file : {"heatmap.png", "KGYouWontBringMeDown.ttf", "KGYouWontBringMeDownBold.ttf",
                             "vertex_shader.vs.txt", "blur_shader.fs.txt", "heat_shader.vs.txt",
                             "heat_shader.fs.txt", "ripple_shader.fs.txt", "shockwave_shader.fs.txt",
                             "pixelation_shader.fs.txt"})
        files.push_back(file);
    return files;
}

int reportMissingShowFiles()
{
    std::error_code failure;
    std::filesystem::path folder = std::filesystem::current_path(failure);
    std::vector<std::string> files = showFiles();
    int missing = 0;
    for (const std::string& file : files)
        if (!std::filesystem::is_regular_file(folder / file, failure))
            ++missing;
    if (missing > 0)
        std::cerr << "ostralis: " << missing << " of the show's " << files.size() << " files missing in "
                  << folder.string() << ", the folder it was started in: the player reads its files "
                  << "from the folder it is started in, not its own, so start it in the folder that "
                  << "holds them (" << showFolderHint() << ")" << std::endl;
    return missing;
}

void openShowWindow(sf::RenderWindow& window)
{
    // 1280 x 720 where the screen offers it. Elsewhere the screen keeps its
    // own mode and the picture is scaled to fit it (see scaled_frame.h).
    sf::VideoMode mode(screenWidth, screenHeight, 32);
    if (!mode.isValid())
        mode = desktopFullscreenMode();

    // Depth 32, no stencil, 4x antialiasing, a plain 1.1 context.
    sf::ContextSettings settings(32, 0, 4, 1, 1, sf::ContextSettings::Default);
    window.create(mode, showString("Ostralis"), sf::Style::Fullscreen, settings);
    window.setVerticalSyncEnabled(true);
    window.setMouseCursorVisible(false);

    // The window may also come out another size than asked for (a window
    // manager, a desktop over two monitors).
    sf::Vector2u size = window.getSize();
    if (window.isOpen() && size != sf::Vector2u(screenWidth, screenHeight))
        std::cerr << "ostralis: the screen is " << size.x << " x " << size.y
                  << ", not 1280 x 720: the show is scaled to fit it" << std::endl;
}

void loadShowData(const ShowStep& step)
{
    runShowStep(step, "pictures", loadCatalogue);
    runShowStep(step, "distortion", loadDistortionTexture);
    runShowStep(step, "render_target", createRenderTarget);
    runShowStep(step, "fonts", loadFonts);
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

bool startShow(sf::RenderTarget& target, bool audio, const ShowStep& step)
{
    std::cout << "created render window" << std::endl;

    loadShowData(step);
    bool shadersLoaded = false;
    runShowStep(step, "shaders", [&] { shadersLoaded = loadShowShaders(); });
    if (!shadersLoaded)
        return false;
    std::cout << std::endl << "generic data loaded" << std::endl;

    if (audio)
        runShowStep(step, "audio", initAudioOutput);
    std::cout << "BASS loaded" << std::endl;

    target.setActive(true);
    std::cout << "Window is active for OpenGL rendering" << std::endl;

    frameClock.restart();
    std::cout << "Clock restarted" << std::endl;
    std::cout << "Playing SYNC module" << std::endl;
    return true;
}

void releaseShowGroups()
{
    releaseTweenGroup(stampGroup);
    releaseTweenGroup(glintGroup);
}

void rewindShow()
{
    resetScenes();
    releaseShowGroups();
    restoreCatalogue();
    restoreSharedText();
    setBlurRadius(0.0f);
    closeMusicStreams();
    frameDelta = 0.0f;
    // The scenes' draws come from rand(), which nothing seeds: as at start-up.
    std::srand(1);
}

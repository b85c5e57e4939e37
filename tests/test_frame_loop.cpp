// The player's own frame, and what the show asks of Xlib and GL around it:
// one black frame presented after the last scene, the keyboard looked at
// only while an event is taken, no GL call of ours for a closed window or
// without a context, and Xlib made safe for threads before any display
// opens. This program defines some of Xlib's, GLX's, GL's and SFML's
// functions itself: its definitions count the calls and pass them on to the
// libraries' own.
#include "app/startup.h"
#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/picture_levels.h"
#include "assets/render_target.h"
#include "scenes/scene.h"
#include "support/player_control.h"
#include "support/show_test.h"

#include <SFML/OpenGL.hpp>
#include <SFML/Window/Context.hpp>
#include <SFML/Window/Event.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace
{
int keyboardLooks = 0;
int presentedFrames = 0;
int brightestInLastPresented = 0; // the brightest channel of the last frame presented
int brightestPresented = 0;       // and of any frame presented
int filterReads = 0;              // glGetTexParameteriv
int levelReads = 0;               // glGetTexLevelParameteriv
bool showMadeXlibSafe = false;     // XInitThreads called by the show's own code
bool displayOpenedBeforeThat = false;

// The library's own function of that name.
template <typename Function>
Function libraryOwn(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The brightest channel of the back buffer of the current context's window.
int brightestBackBufferChannel()
{
    std::vector<GLubyte> pixels(1280 * 720 * 4);
    glReadPixels(0, 0, 1280, 720, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int brightest = 0;
    for (std::size_t at = 0; at < pixels.size(); at += 4)
        brightest = std::max({brightest, int(pixels[at]), int(pixels[at + 1]), int(pixels[at + 2])});
    return brightest;
}

// Whether the code at this address is part of this program (the show's
// code is linked into it) rather than of a library.
bool inThisProgram(void* address)
{
    Dl_info caller = {}, program = {};
    return dladdr(address, &caller) && dladdr(reinterpret_cast<void*>(&inThisProgram), &program) &&
           caller.dli_fbase == program.dli_fbase;
}
}

// Newer Xlibs make themselves safe for threads as they load; the show must
// not rely on it, and asks before it opens a display.
extern "C" int XInitThreads()
{
    if (inThisProgram(__builtin_return_address(0)))
        showMadeXlibSafe = true;
    static auto own = libraryOwn<int (*)()>("XInitThreads");
    return own();
}

extern "C" void* XOpenDisplay(const char* name)
{
    if (!showMadeXlibSafe)
        displayOpenedBeforeThat = true;
    static auto own = libraryOwn<void* (*)(const char*)>("XOpenDisplay");
    return own(name);
}

// Presenting a frame: what it shows is in the back buffer just before.
extern "C" void glXSwapBuffers(void* display, unsigned long drawable)
{
    ++presentedFrames;
    brightestInLastPresented = brightestBackBufferChannel();
    brightestPresented = std::max(brightestPresented, brightestInLastPresented);
    static auto own = libraryOwn<void (*)(void*, unsigned long)>("glXSwapBuffers");
    own(display, drawable);
}

extern "C" void GLAPIENTRY glGetTexParameteriv(GLenum target, GLenum name, GLint* values)
{
    ++filterReads;
    static auto own = libraryOwn<void(GLAPIENTRY*)(GLenum, GLenum, GLint*)>("glGetTexParameteriv");
    own(target, name, values);
}

extern "C" void GLAPIENTRY glGetTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* values)
{
    ++levelReads;
    static auto own = libraryOwn<void(GLAPIENTRY*)(GLenum, GLint, GLenum, GLint*)>("glGetTexLevelParameteriv");
    own(target, level, name, values);
}

bool sf::Keyboard::isKeyPressed(sf::Keyboard::Key key)
{
    ++keyboardLooks;
    static auto own = libraryOwn<bool (*)(sf::Keyboard::Key)>("_ZN2sf8Keyboard12isKeyPressedENS0_3KeyE");
    return own(key);
}

TEST(Xlib, IsMadeSafeForThreadsBeforeAnyDisplayOpens)
{
    // The check for a display ran before main; the window opens another.
    sf::RenderWindow window;
    openShowWindow(window);
    EXPECT_TRUE(showMadeXlibSafe);
    EXPECT_FALSE(displayOpenedBeforeThat) << "a display was opened before the show made Xlib safe for threads";
}

TEST(PlayerFrame, AfterTheLastSceneHandsOverOneBlackFrameIsPresentedAndTheLoopEnds)
{
    sf::RenderWindow window;
    openShowWindow(window);
    loadShowForTest();
    window.setActive(true);

    // The credits on the real clock, about ten seconds.
    bool quitRequested = false;
    int sceneIndex = 11;
    frameClock.restart();
    for (int frame = 0; sceneIndex == 11 && frame < 100000; ++frame)
        sceneIndex = playFrame(window, sceneIndex, quitRequested);
    ASSERT_EQ(sceneIndex, showEndIndex);
    EXPECT_GT(brightestPresented, 200) << "the credits come out of white";
    EXPECT_FALSE(quitRequested) << "the frame that hands over ends as any other";
    EXPECT_TRUE(window.isOpen());

    // The next frame draws nothing, presents black and ends the loop.
    int presentedBefore = presentedFrames;
    EXPECT_EQ(playFrame(window, sceneIndex, quitRequested), showEndIndex);
    EXPECT_TRUE(quitRequested);
    EXPECT_EQ(presentedFrames, presentedBefore + 1);
    EXPECT_EQ(brightestInLastPresented, 0);
}

TEST(PlayerFrame, AFrameWithNoEventsNeverLooksAtTheKeyboard)
{
    sf::RenderWindow window;
    openShowWindow(window);
    window.setActive(true);

    // Take the window's own first events (mapping, focus) until none comes
    // for half a second.
    sf::Event event;
    for (int quiet = 0, tries = 0; quiet < 5 && tries < 100; ++tries)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        quiet = window.pollEvent(event) ? 0 : quiet + 1;
    }

    // An index no scene has: the frame runs with nothing to draw.
    const int noScene = -1;
    bool quitRequested = false;
    keyboardLooks = 0;
    for (int frame = 0; frame < 5; ++frame)
        EXPECT_EQ(playFrame(window, noScene, quitRequested), noScene);
    EXPECT_EQ(keyboardLooks, 0) << "a frame with no events looked at the keyboard";

    // A close request is an event: the frame that takes it looks at the
    // keyboard, closes the window, and does not itself ask to quit.
    std::string windowId = std::to_string(window.getSystemHandle());
    ProcessResult request = runProcess({closeRequestPath, windowId});
    ASSERT_EQ(request.exitCode, 0) << request.err;
    for (int frame = 0; frame < 100 && window.isOpen(); ++frame)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        playFrame(window, noScene, quitRequested);
    }
    EXPECT_FALSE(window.isOpen());
    EXPECT_GE(keyboardLooks, 1);
    EXPECT_FALSE(quitRequested);
}

// After Escape or a close request the frame still runs its scene, whose
// draws onto the closed window find no context: the blur must not then set
// a picture's filter through whatever context is current (here the
// off-screen target's, as after a scene drew into it).
TEST(ClosedWindow, TheBlurTouchesNoPictureThroughAnotherContext)
{
    loadShowForTest();
    sf::RenderWindow window;
    openShowWindow(window);
    window.close();

    // A picture with coarse levels, which a draw at its own size sets aside.
    const sf::Sprite& layered = picture("S1-1.png");
    ASSERT_NE(layered.getTexture(), nullptr);
    for (float radius : {0.0f, 0.001f})
    {
        SCOPED_TRACE("radius " + std::to_string(radius));
        setBlurRadius(radius);
        ASSERT_TRUE(renderTexture.setActive(true));
        filterReads = 0;
        drawBlurred(window, layered);
        EXPECT_EQ(filterReads, 0);

        // The same draw onto an open target does read the filter: the count sees it.
        drawBlurred(testTarget(), layered);
        EXPECT_GT(filterReads, 0);
    }
    setBlurRadius(0.0f);
}

TEST(PictureLevels, WithoutAContextAreNotGivenAndNothingIsAskedOfGl)
{
    sf::Context context;
    sf::Image image;
    image.create(64, 32, sf::Color(200, 40, 40));
    sf::Texture texture;
    ASSERT_TRUE(texture.loadFromImage(image));
    texture.setSmooth(true);
    std::vector<PictureLevel> levels = halvedLevels(image);

    ASSERT_TRUE(context.setActive(false));
    levelReads = 0;
    EXPECT_FALSE(setTextureLevels(texture, levels));
    EXPECT_EQ(levelReads, 0);

    // With the context current again they are given.
    ASSERT_TRUE(context.setActive(true));
    EXPECT_TRUE(setTextureLevels(texture, levels));
    EXPECT_GT(levelReads, 0);
}

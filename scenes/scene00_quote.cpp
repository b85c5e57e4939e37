// Scene 0: the opening quotation. A moment of black, then the music starts,
// and a two-line quotation in Swedish with its attribution fades in from
// black, stays, and fades back to black. Everything goes straight onto the
// window, without shaders.
#include "scenes/scene.h"

#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "audio/audio.h"

#include <iostream>

namespace
{
// Phases: -1 black pre-roll, 0 fade in, 1 hold, 2 fade out.
const int prerollPhase = -1;
const int fadeInPhase = 0;
const int holdPhase = 1;
const int fadeOutPhase = 2;

// Black and silent for this long before the music starts.
const float prerollSeconds = 1.25f;

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    float overlayAlpha = 255.0f; // the black overlay
    int phase = prerollPhase;
    float timer = 0.0f;
    int result = 0;

    // The music stream, opened once when the pre-roll is over.
    MusicChannel musicChannel = 0;
};
SceneState state;

// ISO 8859-1 bytes: \xE4 is "ä", \xF6 "ö", \xE5 "å". Four lines: the two of
// the quotation, an empty one, and the attribution set in by 15 spaces.
const char quotation[] =
    "\"Livet \xE4r inte definierat av glada stunder.\n"
    "Lyckan gl\xF6ms l\xE4tt, men sorgen best\xE5r f\xF6r alltid\".\n"
    "\n"
    "               -  Varnholt";
}

void resetScene0()
{
    // The stream itself is closed with the others by whoever runs the show again.
    state = SceneState();
}

int runScene0(sf::RenderTarget& target)
{
    // White text, set once; the font is the bold one it holds since start-up.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        sharedText.setFillColor(sf::Color(255, 255, 255, 255));
        sharedText.setCharacterSize(36);
        sharedText.setPosition(290.0f, 200.0f);
        sharedText.setString(showString(quotation));
        std::cout << "scene 01 loaded" << std::endl;
    }

    switch (state.phase)
    {
    case prerollPhase:
        // The screen stays black until the timer passes the pre-roll; that
        // frame starts the music.
        state.timer += frameDelta;
        if (state.timer > prerollSeconds)
        {
            state.musicChannel = createMusicStream("angel6.mp3");
            playMusicStream(state.musicChannel);
            state.timer = 0.0f;
            state.phase = fadeInPhase;
        }
        break;

    case fadeInPhase:
        if (fadeInFromBlack(state.timer, state.overlayAlpha))
            state.phase = holdPhase;
        break;

    case holdPhase:
        state.timer += frameDelta;
        if (state.timer >= holdSeconds)
        {
            state.timer = 0.0f;
            state.phase = fadeOutPhase;
        }
        break;

    case fadeOutPhase:
        // Over once the screen is fully black again.
        state.timer += frameDelta;
        state.overlayAlpha = fadeOutAlpha(state.timer, fadeSeconds);
        if (state.overlayAlpha >= 255.0f)
            state.result = 1;
        break;
    }

    // The quotation under the black overlay, drawn in every frame.
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.overlayAlpha);
    target.draw(sharedText, sf::RenderStates::Default);
    drawOverlay(target, black);

    return state.result;
}

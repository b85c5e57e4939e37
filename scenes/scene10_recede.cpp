// Scene 10: a caption over a receding picture. The picture, enlarged about
// the centre, shrinks slowly the whole time; it fades in from black, the
// black caption comes and goes, and the screen fades to white.
#include "scenes/scene.h"

#include "assets/catalogue.h"
#include "draw/text_line.h"

namespace
{
// Phases: fade-in, caption, fade to white.
const int fadeInPhase = 0;
const int captionPhase = 1;
const int fadeToWhitePhase = 2;

const float captionSeconds = 8.0f;

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    int phase = fadeInPhase;
    float timer = 0.0f;
    float blackOverlayAlpha = 255.0f;
    float whiteOverlayAlpha = 0.0f;
    float pictureScale = 1.4f;
    int result = 10;

    TextLine caption;
};
SceneState state;
}

void resetScene10()
{
    state = SceneState();
}

int runScene10(sf::RenderTarget& target)
{
    // A black caption in the upper left; no log line.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        state.caption.text = "I can't capture you anymore ...";
        state.caption.characterSize = 57;
        state.caption.x = 40;
        state.caption.y = 80;
        state.caption.red = 0;
        state.caption.green = 0;
        state.caption.blue = 0;
    }

    switch (state.phase)
    {
    case fadeInPhase:
        // The fade-in ends once its timer reaches 2 s; the caption follows.
        if (fadeInFromBlack(state.timer, state.blackOverlayAlpha))
        {
            state.phase = captionPhase;
            state.caption.fadeState = textLineFadingIn;
        }
        break;
    case captionPhase:
        state.timer += frameDelta;
        if (state.timer > captionSeconds)
        {
            state.caption.fadeState = textLineFadingOut;
            state.phase = fadeToWhitePhase;
            state.timer = 0.0f;
        }
        break;
    default:
        // The white follows the timer as it stood before this frame.
        state.whiteOverlayAlpha = fadeOutAlpha(state.timer, fadeSeconds);
        state.timer += frameDelta;
        if (state.timer > fadeSeconds)
            state.result = 11;
        break;
    }

    // The slow pull-back, 0.025 per second, with no floor.
    state.pictureScale = static_cast<float>(state.pictureScale - frameDelta / 40.0);

    // A caption whose fade was just set moves in this same frame.
    updateTextLine(state.caption);

    // The picture, the caption, then black under white.
    sf::Sprite& receding = picture("SF3.png");
    receding.setScale(state.pictureScale, state.pictureScale);
    target.draw(receding, sf::RenderStates::Default);
    drawTextLine(state.caption, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.blackOverlayAlpha);
    drawOverlay(target, black);
    sf::Sprite& white = picture("white.png");
    setSpriteAlpha(white, state.whiteOverlayAlpha);
    drawOverlay(target, white);

    return state.result;
}

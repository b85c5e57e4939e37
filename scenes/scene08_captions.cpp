// Scene 8: two white captions over a picture whose top layer blurs. The
// first caption gives way to the second, which leaves while the picture
// fades to black. The fade's values are written out frame by frame.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "draw/text_line.h"

#include <iostream>

namespace
{
// Phases: opening, captions, fade-out.
const int openingPhase = 0;
const int captionsPhase = 1;
const int fadeOutPhase = 2;

const float captionsSeconds = 8.0f;

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    int phase = openingPhase;
    float timer = 0.0f;
    float blurAmount = 0.0f;   // "blur_radius" is a hundredth of it
    float overlayAlpha = 0.0f; // transparent from the first frame
    int captionStep = 0;       // 0 first caption, 1 second caption, 2 second leaving
    int result = 8;

    TextLine firstCaption;
    TextLine secondCaption;
};
SceneState state;

void setUpCaption(TextLine& caption, const char* text, int x, int y)
{
    caption.text = text;
    caption.characterSize = 56;
    caption.x = x;
    caption.y = y;
    caption.red = 255;
    caption.green = 255;
    caption.blue = 255;
}

}

void resetScene8()
{
    state = SceneState();
}

int runScene8(sf::RenderTarget& target)
{
    if (state.firstEntry)
    {
        state.firstEntry = false;
        std::cout << "scene 09 loaded" << std::endl;
        setUpCaption(state.firstCaption, "Guilt ... resentment ...", 100, 100);
        setUpCaption(state.secondCaption, "Canvas ... Brush ...", 140, 180);
    }

    switch (state.phase)
    {
    case openingPhase:
        // The blur creeps in; the opening ends once its timer reaches 2 s.
        state.blurAmount = static_cast<float>(state.blurAmount + 0.125 * frameDelta);
        state.timer += frameDelta;
        if (state.timer >= fadeSeconds)
        {
            state.phase = captionsPhase;
            state.firstCaption.fadeState = textLineFadingIn;
            state.timer = 0.0f;
        }
        break;
    case captionsPhase:
        // Past 4 s the second caption takes over; past 8 s the fade begins.
        state.timer += frameDelta;
        state.blurAmount += frameDelta;
        if (state.timer > holdSeconds && state.captionStep == 0)
        {
            state.captionStep = 1;
            state.firstCaption.fadeState = textLineFadingOut;
            state.secondCaption.fadeState = textLineFadingIn;
        }
        if (state.timer > captionsSeconds)
        {
            state.phase = fadeOutPhase;
            state.timer = 0.0f;
        }
        break;
    default:
        // The second caption leaves half a second into the fade.
        state.timer += frameDelta;
        if (state.timer > halfStepSeconds && state.captionStep == 1)
        {
            state.captionStep = 2;
            state.secondCaption.fadeState = textLineFadingOut;
        }
        state.blurAmount += frameDelta;

        // Each frame writes the overlay's value before and after its clamp.
        state.overlayAlpha = static_cast<float>(static_cast<double>(state.timer) * 255.0 / fadeSeconds);
        std::cout << state.overlayAlpha << std::endl;
        if (state.overlayAlpha >= 255.0f)
            state.overlayAlpha = 255.0f;
        std::cout << state.overlayAlpha << std::endl;

        // Black from 2 s on, and held until the timer reaches 4 s.
        if (state.timer >= holdSeconds)
        {
            state.result = 9;
            state.timer = 0.0f;
        }
        break;
    }

    // A caption whose fade was just set moves in this same frame.
    updateTextLine(state.firstCaption);
    updateTextLine(state.secondCaption);

    setBlurRadius(static_cast<float>(state.blurAmount / 100.0));

    // The sharp picture with its blurring top layer, the captions, the black.
    drawPicture(target, picture("S5-1.png"));
    drawBlurred(target, picture("S5-2.png"));
    drawTextLine(state.firstCaption, target);
    drawTextLine(state.secondCaption, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.overlayAlpha);
    drawOverlay(target, black);

    return state.result;
}

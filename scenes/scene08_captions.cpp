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

bool sceneFirstEntry = true;
int scenePhase = openingPhase;
float sceneTimer = 0.0f;
float blurAmount = 0.0f;   // "blur_radius" is a hundredth of it
float overlayAlpha = 0.0f; // transparent from the first frame
int captionStep = 0;       // 0 first caption, 1 second caption, 2 second leaving
int sceneResult = 8;

TextLine firstCaption;
TextLine secondCaption;

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
    sceneFirstEntry = true;
    scenePhase = openingPhase;
    sceneTimer = 0.0f;
    blurAmount = 0.0f;
    overlayAlpha = 0.0f;
    captionStep = 0;
    sceneResult = 8;
    firstCaption = TextLine();
    secondCaption = TextLine();
}

int runScene8(sf::RenderTarget& target)
{
    if (sceneFirstEntry)
    {
        sceneFirstEntry = false;
        std::cout << "scene 09 loaded" << std::endl;
        setUpCaption(firstCaption, "Guilt ... resentment ...", 100, 100);
        setUpCaption(secondCaption, "Canvas ... Brush ...", 140, 180);
    }

    switch (scenePhase)
    {
    case openingPhase:
        // The blur creeps in; the opening ends once its timer reaches 2 s.
        blurAmount = static_cast<float>(blurAmount + 0.125 * frameDelta);
        sceneTimer += frameDelta;
        if (sceneTimer >= fadeSeconds)
        {
            scenePhase = captionsPhase;
            firstCaption.fadeState = textLineFadingIn;
            sceneTimer = 0.0f;
        }
        break;
    case captionsPhase:
        // Past 4 s the second caption takes over; past 8 s the fade begins.
        sceneTimer += frameDelta;
        blurAmount += frameDelta;
        if (sceneTimer > holdSeconds && captionStep == 0)
        {
            captionStep = 1;
            firstCaption.fadeState = textLineFadingOut;
            secondCaption.fadeState = textLineFadingIn;
        }
        if (sceneTimer > captionsSeconds)
        {
            scenePhase = fadeOutPhase;
            sceneTimer = 0.0f;
        }
        break;
    default:
        // The second caption leaves half a second into the fade.
        sceneTimer += frameDelta;
        if (sceneTimer > halfStepSeconds && captionStep == 1)
        {
            captionStep = 2;
            secondCaption.fadeState = textLineFadingOut;
        }
        blurAmount += frameDelta;

        // Each frame writes the overlay's value before and after its clamp.
        overlayAlpha = static_cast<float>(static_cast<double>(sceneTimer) * 255.0 / fadeSeconds);
        std::cout << overlayAlpha << std::endl;
        if (overlayAlpha >= 255.0f)
            overlayAlpha = 255.0f;
        std::cout << overlayAlpha << std::endl;

        // Black from 2 s on, and held until the timer reaches 4 s.
        if (sceneTimer >= holdSeconds)
        {
            sceneResult = 9;
            sceneTimer = 0.0f;
        }
        break;
    }

    // A caption whose fade was just set moves in this same frame.
    updateTextLine(firstCaption);
    updateTextLine(secondCaption);

    setBlurRadius(static_cast<float>(blurAmount / 100.0));

    // The sharp picture with its blurring top layer, the captions, the black.
    drawPicture(target, picture("S5-1.png"));
    drawBlurred(target, picture("S5-2.png"));
    drawTextLine(firstCaption, target);
    drawTextLine(secondCaption, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, overlayAlpha);
    drawOverlay(target, black);

    return sceneResult;
}

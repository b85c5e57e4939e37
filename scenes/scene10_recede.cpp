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

bool sceneFirstEntry = true;
int scenePhase = fadeInPhase;
float sceneTimer = 0.0f;
float blackOverlayAlpha = 255.0f;
float whiteOverlayAlpha = 0.0f;
float pictureScale = 1.4f;
int sceneResult = 10;

TextLine caption;
}

void resetScene10()
{
    sceneFirstEntry = true;
    scenePhase = fadeInPhase;
    sceneTimer = 0.0f;
    blackOverlayAlpha = 255.0f;
    whiteOverlayAlpha = 0.0f;
    pictureScale = 1.4f;
    sceneResult = 10;
    caption = TextLine();
}

int runScene10(sf::RenderTarget& target)
{
    // A black caption in the upper left; no log line.
    if (sceneFirstEntry)
    {
        sceneFirstEntry = false;
        caption.text = "I can't capture you anymore ...";
        caption.characterSize = 57;
        caption.x = 40;
        caption.y = 80;
        caption.red = 0;
        caption.green = 0;
        caption.blue = 0;
    }

    switch (scenePhase)
    {
    case fadeInPhase:
        // The fade-in ends once its timer reaches 2 s; the caption follows.
        sceneTimer += frameDelta;
        blackOverlayAlpha = fadeInAlpha(sceneTimer, fadeSeconds);
        if (sceneTimer >= fadeSeconds)
        {
            scenePhase = captionPhase;
            caption.fadeState = textLineFadingIn;
            sceneTimer = 0.0f;
        }
        break;
    case captionPhase:
        sceneTimer += frameDelta;
        if (sceneTimer > captionSeconds)
        {
            caption.fadeState = textLineFadingOut;
            scenePhase = fadeToWhitePhase;
            sceneTimer = 0.0f;
        }
        break;
    default:
        // The white follows the timer as it stood before this frame.
        whiteOverlayAlpha = fadeOutAlpha(sceneTimer, fadeSeconds);
        sceneTimer += frameDelta;
        if (sceneTimer > fadeSeconds)
            sceneResult = 11;
        break;
    }

    // The slow pull-back, 0.025 per second, with no floor.
    pictureScale = static_cast<float>(pictureScale - frameDelta / 40.0);

    // A caption whose fade was just set moves in this same frame.
    updateTextLine(caption);

    // The picture, the caption, then black under white.
    sf::Sprite& receding = picture("SF3.png");
    receding.setScale(pictureScale, pictureScale);
    target.draw(receding, sf::RenderStates::Default);
    drawTextLine(caption, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, blackOverlayAlpha);
    drawOverlay(target, black);
    sf::Sprite& white = picture("white.png");
    setSpriteAlpha(white, whiteOverlayAlpha);
    drawOverlay(target, white);

    return sceneResult;
}

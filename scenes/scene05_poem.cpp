// Scene 5: the first poem. Over the rippled, softly blurred picture left by
// scene 4, six red lines fade in one by one, stand together, fade out in the
// same order, and the picture fades to black.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "scenes/poem.h"

namespace
{
bool sceneFirstEntry = true;
int sceneResult = 5;

// Where the poem stands: its phase, timer, ripple clock, lines and overlay.
PoemCourse poem;

// The last line keeps its trailing blank.
const char* const poemTexts[poemLineCount] = {
    "The burning pyre",
    "The dark above",
    "The flowers that we gave, my love",
    "And all that still remains",
    "Is the painted wind, and the memory",
    "Of a Grave ",
};
}

void resetScene5()
{
    sceneFirstEntry = true;
    sceneResult = 5;
    poem = PoemCourse();
}

int runScene5(sf::RenderTarget& target)
{
    // The picture is already there: no fade-in and no log line.
    if (sceneFirstEntry)
    {
        sceneFirstEntry = false;
        effectTime = 0.0f;
        setUpPoemLines(poem, poemTexts);
    }

    // Lines in one a step, a fade's hold, lines out one a step, then the
    // picture to black; scene 6 follows.
    if (advancePoem(poem))
        sceneResult = 6;

    // The rippled picture with its unrippled title, blurred as a whole.
    setPoemEffects(poem);
    sf::RenderTexture& canvas = blurCanvas();
    drawRippled(canvas, picture("S3-1.png"));
    drawPicture(canvas, picture("title3.png"));
    drawBlurredCanvas(target);

    // The poem stays sharp, under the black overlay.
    drawPoemLines(poem, target);

    return sceneResult;
}

// Scene 5: the first poem. Over the rippled, softly blurred picture left by
// scene 4, six red lines fade in one by one, stand together, fade out in the
// same order, and the picture fades to black.
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "scenes/poem.h"

namespace
{
// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    int result = 5;

    // Where the poem stands: its phase, timer, ripple clock, lines and overlay.
    PoemCourse poem;
};
SceneState state;

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
    state = SceneState();
}

int runScene5(sf::RenderTarget& target)
{
    // The picture is already there: no fade-in and no log line.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        effectTime = 0.0f;
        setUpPoemLines(state.poem, poemTexts);
    }

    // Lines in one a step, a fade's hold, lines out one a step, then the
    // picture to black; scene 6 follows.
    if (advancePoem(state.poem))
        state.result = 6;

    // The rippled picture with its unrippled title, blurred as a whole.
    setPoemEffects(state.poem);
    sf::RenderTexture& canvas = blurCanvas();
    drawRippled(canvas, picture("S3-1.png"));
    drawPicture(canvas, picture("title3.png"));
    drawBlurredCanvas(target);

    // The poem stays sharp, under the black overlay.
    drawPoemLines(state.poem, target);

    return state.result;
}

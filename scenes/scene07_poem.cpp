// Scene 7: the second poem, twin of the first. Over the rippled picture with
// the front layer of scene 2 on top, softly blurred, six red lines fade in
// one by one, stand together, fade out in the same order, and the picture
// fades to black.
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
    int result = 7;

    // Where the poem stands: its phase, timer, ripple clock, lines and overlay.
    PoemCourse poem;
};
SceneState state;

// The last line keeps its trailing blank.
const char* const poemTexts[poemLineCount] = {
    "Taken away too soon",
    "Absent you, the brush begins to move",
    "The canvas will bring forth, ascend",
    "The painful loss, the guilty heart",
    "Ill bring you back...",
    "...Again ",
};
}

void resetScene7()
{
    state = SceneState();
}

int runScene7(sf::RenderTarget& target)
{
    // The picture is there at once: no fade-in and no log line.
    if (state.firstEntry)
    {
        state.firstEntry = false;
        effectTime = 0.0f;
        setUpPoemLines(state.poem, poemTexts);
    }

    // Lines in one a step, a fade's hold, lines out one a step, then the
    // picture to black; scene 8 follows.
    if (advancePoem(state.poem))
        state.result = 8;

    // The rippled back layer with the front layer unrippled on top, at the
    // scale scene 2 left it, blurred as a whole.
    setPoemEffects(state.poem);
    sf::RenderTexture& canvas = blurCanvas();
    drawRippled(canvas, picture("S2-1.png"));
    drawPicture(canvas, picture("S1-2.png"));
    drawBlurredCanvas(target);

    // The poem stays sharp, under the black overlay.
    drawPoemLines(state.poem, target);

    return state.result;
}

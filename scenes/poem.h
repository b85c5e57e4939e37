#pragma once
// The course both poems follow (scenes 5 and 7): six red lines fade in one by
// one a step apart, stand together for a fade's length, fade out in the same
// order, and the picture under them fades to black. Each poem scene owns its
// course, its lines and the picture it ripples and blurs.
#include "draw/text_line.h"

#include <SFML/Graphics/RenderTarget.hpp>

const int poemLineCount = 6;

struct PoemCourse
{
    int phase = 0;             // 0-5 one line in each, 6 hold, 7-12 one line out each, 13 to black
    float timer = 0.0f;        // seconds into the current phase
    int lineIndex = 0;         // the next line to start fading
    float rippleTime = 0.0f;   // the poem's slow ripple clock
    float overlayAlpha = 0.0f; // the black overlay of the last phase
    TextLine lines[poemLineCount];
};

// Red lines stepping down the screen, each a little further right.
void setUpPoemLines(PoemCourse& poem, const char* const texts[poemLineCount]);

// One frame of the course: the effect clocks, the lines' fades, the phases.
// True once the picture has faded to black.
bool advancePoem(PoemCourse& poem);

// The ripple and the blur, grown very slowly from the clocks.
void setPoemEffects(const PoemCourse& poem);

// The lines, sharp, over whatever the scene drew, under the black overlay.
void drawPoemLines(const PoemCourse& poem, sf::RenderTarget& target);

#pragma once
// Where the two poems' red lines lie over the pictures beneath them, so that
// those pictures can be light right under the lines and darker away from
// them: the red only reads on a light ground, and a frame that is light all
// over would flash after the darker picture before it.

// A line's ink, in window pixels (right and bottom exclusive).
struct InkBox
{
    float left, top, right, bottom;
};

const int poemLines = 6;
extern const InkBox firstPoemInk[poemLines];
extern const InkBox secondPoemInk[poemLines];

// 0 on and near a poem's lines (within `margin` pixels of any of them),
// rising smoothly to 1 at `reach` pixels beyond that margin. With `round`,
// the lines' boxes melt into one another over that many pixels, filling the
// corners between a short line and a long one, so the light they leave
// reads as one pool rather than a stack of boxes.
float awayFromLines(float x, float y, const InkBox (&lines)[poemLines], float margin, float reach, float round = 0);

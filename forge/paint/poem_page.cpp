#include "paint/poem_page.h"

#include "paint/canvas.h"
#include "paint/shapes.h"

#include <algorithm>

// The ink of the show's bold hand at 75 px, each line 100 px below and 10 px
// to the right of the one before, from (40, 50).
const InkBox firstPoemInk[poemLines] = {
    {45, 70, 510, 146}, {55, 170, 474, 232}, {65, 270, 997, 346},
    {70, 370, 786, 431}, {80, 470, 1118, 546}, {92, 570, 399, 646},
};
const InkBox secondPoemInk[poemLines] = {
    {45, 70, 608, 146}, {50, 170, 1066, 246}, {65, 270, 1043, 346},
    {75, 370, 979, 446}, {80, 470, 620, 546}, {92, 570, 309, 646},
};

float awayFromLines(float x, float y, const InkBox (&lines)[poemLines], float margin, float reach, float round)
{
    float nearest = 1e9f;
    for (const InkBox& box : lines)
    {
        float hw = (box.right - box.left) / 2, hh = (box.bottom - box.top) / 2;
        float d = sdBox(x, y, box.left + hw, box.top + hh, hw, hh);
        if (round <= 0 || nearest > 1e8f)
        {
            nearest = std::min(nearest, d);
            continue;
        }
        // A smooth minimum: never farther than the nearer box, closer where
        // two boxes are both near.
        float h = std::clamp(0.5f + 0.5f * (nearest - d) / round, 0.f, 1.f);
        nearest = nearest + (d - nearest) * h - round * h * (1 - h);
    }
    return smoothstep(margin, margin + reach, nearest);
}

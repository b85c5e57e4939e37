// The two pencil sketches: every stroke passes its key points at their
// entries, keeps its stamps evenly spaced, fills its extent and runs the
// right way round.
#include "scenes/outlines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
struct KeyPoint
{
    int entry;
    float x, y;
};

struct Stroke
{
    const char* name;
    int first, last;
    float left, right, top, bottom;
    std::vector<KeyPoint> keys;
};

float gap(const TweenPoint& a, const TweenPoint& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Twice the signed area of a stroke taken as a loop; positive runs
// clockwise on the screen, where y grows downwards.
double windingArea(const TweenPoint* table, int first, int last)
{
    double sum = 0.0;
    for (int i = first; i <= last; ++i)
    {
        const TweenPoint& a = table[i];
        const TweenPoint& b = table[i == last ? first : i + 1];
        sum += double(a.x) * b.y - double(b.x) * a.y;
    }
    return sum;
}

const std::vector<Stroke> headStrokeKeys = {
    {"oval", 0, 133, 517, 710, 160, 473,
     {{0, 672, 444}, {8, 630, 469}, {16, 580, 464}, {24, 544, 429}, {32, 524, 371}, {40, 517, 300},
      {48, 528, 238}, {56, 545, 200}, {64, 574, 173}, {72, 613, 160}, {80, 649, 169}, {88, 679, 197},
      {96, 694, 232}, {104, 706, 280}, {112, 709, 327}, {120, 703, 379}, {128, 689, 426}, {133, 672, 452}}},
    {"guide line", 134, 168, 515, 717, 316, 320,
     {{134, 525, 319}, {135, 519, 316}, {136, 515, 317}, {137, 527, 320}, {142, 548, 319}, {150, 582, 318},
      {154, 609, 319}, {158, 648, 318}, {162, 681, 317}, {166, 705, 319}, {168, 717, 319}}},
    {"centre line", 169, 220, 607, 621, 164, 491,
     {{169, 607, 164}, {175, 612, 193}, {181, 609, 229}, {187, 607, 278}, {193, 613, 332},
      {199, 616, 402}, {205, 620, 435}, {211, 618, 459}, {217, 621, 480}, {220, 621, 491}}},
    {"shoulder arc", 221, 287, 412, 857, 463, 544,
     {{221, 412, 544}, {227, 435, 525}, {233, 464, 507}, {239, 502, 487}, {245, 539, 474}, {251, 570, 467},
      {257, 611, 464}, {263, 655, 466}, {269, 710, 472}, {275, 766, 482}, {281, 816, 492}, {287, 857, 510}}},
};

const std::vector<Stroke> bustStrokeKeys = {
    {"head pass", 0, 54, 571, 687, 163, 312,
     {{0, 615, 166}, {6, 584, 194}, {12, 571, 238}, {18, 579, 286}, {24, 616, 308}, {30, 664, 306},
      {36, 684, 270}, {42, 683, 219}, {48, 667, 178}, {54, 626, 164}}},
    {"shoulders", 55, 115, 534, 715, 300, 410,
     {{55, 539, 379}, {61, 544, 328}, {67, 578, 304}, {73, 631, 302}, {79, 678, 311}, {85, 707, 340},
      {91, 714, 387}, {97, 674, 407}, {103, 620, 410}, {109, 571, 400}, {115, 534, 380}}},
    {"cross line", 116, 130, 572, 675, 231, 259,
     {{116, 572, 231}, {119, 588, 250}, {122, 614, 254}, {125, 639, 258}, {128, 664, 256}, {130, 675, 247}}},
    {"centre line", 131, 153, 604, 654, 166, 315,
     {{131, 654, 166}, {135, 630, 184}, {139, 614, 207}, {143, 607, 238}, {147, 606, 274}, {151, 615, 306},
      {153, 624, 315}}},
    {"further head passes", 154, 287, 566, 687, 160, 304,
     {{154, 568, 242}, {160, 583, 286}, {166, 623, 304}, {172, 671, 294}, {178, 686, 250}, {184, 675, 206},
      {190, 651, 170}, {196, 608, 166}, {202, 580, 199}, {208, 568, 244}, {214, 582, 286}, {220, 626, 299},
      {226, 671, 287}, {232, 684, 244}, {238, 678, 195}, {244, 644, 167}, {250, 596, 164}, {256, 574, 200},
      {262, 566, 250}, {268, 584, 287}, {274, 634, 294}, {280, 671, 275}, {286, 682, 226}, {287, 680, 218}}},
};

// Checks every stroke of a table and returns the mean gap between stamps.
double checkStrokes(const TweenPoint* table, const std::vector<Stroke>& strokes, float minGap, float maxGap)
{
    int expectedFirst = 0;
    double gapSum = 0.0;
    int gapCount = 0;
    for (const Stroke& stroke : strokes)
    {
        SCOPED_TRACE(stroke.name);
        // The strokes follow one another and fill the table.
        EXPECT_EQ(stroke.first, expectedFirst);
        expectedFirst = stroke.last + 1;

        for (const KeyPoint& key : stroke.keys)
        {
            EXPECT_EQ(table[key.entry].x, key.x) << "entry " << key.entry;
            EXPECT_EQ(table[key.entry].y, key.y) << "entry " << key.entry;
        }

        float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
        for (int i = stroke.first; i <= stroke.last; ++i)
        {
            const TweenPoint& p = table[i];
            EXPECT_EQ(p.x, std::floor(p.x)) << "entry " << i;
            EXPECT_EQ(p.y, std::floor(p.y)) << "entry " << i;
            left = std::min(left, p.x);
            right = std::max(right, p.x);
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
            if (i < stroke.last)
            {
                float g = gap(p, table[i + 1]);
                EXPECT_GE(g, minGap) << "entries " << i << " and " << i + 1;
                EXPECT_LE(g, maxGap) << "entries " << i << " and " << i + 1;
                gapSum += g;
                ++gapCount;
            }
        }
        EXPECT_EQ(left, stroke.left);
        EXPECT_EQ(right, stroke.right);
        EXPECT_EQ(top, stroke.top);
        EXPECT_EQ(bottom, stroke.bottom);
    }
    EXPECT_EQ(expectedFirst, sketchStampCount);
    return gapSum / gapCount;
}
}

TEST(Outlines, TheHeadSketchPassesItsKeyPointsWithStampsCloseEnoughToOverlap)
{
    double meanGap = checkStrokes(headOutline, headStrokeKeys, 3.0f, 13.0f);
    EXPECT_GE(meanGap, 6.0);
    EXPECT_LE(meanGap, 7.0);

    // The oval runs clockwise on the screen.
    EXPECT_GT(windingArea(headOutline, 0, 133), 0.0);
}

TEST(Outlines, TheBustSketchPassesItsKeyPointsWithLooserStamps)
{
    double meanGap = checkStrokes(bustOutline, bustStrokeKeys, 6.3f, 10.8f);
    EXPECT_NEAR(meanGap, 8.0, 0.5);

    // The head passes run counter-clockwise on the screen, the shoulders clockwise.
    EXPECT_LT(windingArea(bustOutline, 0, 54), 0.0);
    EXPECT_LT(windingArea(bustOutline, 154, 287), 0.0);
    EXPECT_GT(windingArea(bustOutline, 55, 115), 0.0);
}

// The studio at night: the painter's silhouette has a person's proportions,
// and the unfinished portrait's paint stays on its canvas. The studio by day,
// as the show leaves it: the chair stands on the floor and the wall is quiet.
#include "support/picture_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{
Picture shownPicture(const char* name)
{
    Picture p = readPicture(std::string(SHOW_DIR) + "/" + name);
    EXPECT_TRUE(p.ok) << name;
    return p;
}

// The figure's widest row of covered pixels between two rows, in pixels,
// left of a column (the raised arm and the brush lie to its right).
const int leftOfTheArm = 600;

int widestRow(const Picture& p, int top, int bottom)
{
    int widest = 0;
    for (int y = top; y < bottom; ++y)
    {
        int first = -1, last = -1;
        for (int x = 0; x < leftOfTheArm; ++x)
            if (p.at(x, y).a > 0.5f)
            {
                if (first < 0)
                    first = x;
                last = x;
            }
        widest = std::max(widest, first < 0 ? 0 : last - first + 1);
    }
    return widest;
}

// How many legs a row of the figure crosses: covered runs of 8 pixels or
// more under his body, left of the raised arm, right of the hanging hand.
int legsInRow(const Picture& p, int y)
{
    int legs = 0, run = 0;
    for (int x = 330; x <= 500; ++x)
    {
        run = x < 500 && p.at(x, y).a > 0.5f ? run + 1 : 0;
        legs += run == 8;
    }
    return legs;
}

int narrowestRow(const Picture& p, int top, int bottom)
{
    int narrowest = leftOfTheArm;
    for (int y = top; y < bottom; ++y)
        narrowest = std::min(narrowest, widestRow(p, y, y + 1));
    return narrowest;
}
}

// Seen from behind: a head, a short neck under it, shoulders and a back
// between two and three heads wide (not a bell under a small head, nor a
// post), below the arm that reaches for the canvas; under his shirt, which
// ends at the hip, two legs apart at the knee down to his heels on the
// floor, inside the picture; and nearly black and matt, so that it stands
// out against the dark wall even as the view blurs it.
TEST(ForgeStudio, ThePaintersSilhouetteHasHumanProportions)
{
    Picture figure = shownPicture("S5-2.png");
    ASSERT_TRUE(figure.ok);
    ASSERT_TRUE(figure.hasAlphaChannel);
    int head = widestRow(figure, 270, 345);
    ASSERT_GT(head, 50);
    int neck = narrowestRow(figure, 348, 366);
    int back = widestRow(figure, 520, 720);
    EXPECT_LT(neck, head * 0.7f) << "no neck";
    EXPECT_GT(back, head * 2) << "the back is narrower than two heads: " << back << " under " << head;
    EXPECT_LT(back, head * 3.2f) << "the back is a bell: " << back << " under " << head;
    // The shoulders spread close under the head, not after a long neck.
    int shoulderRow = 0;
    for (int y = 348; y < 480 && !shoulderRow; ++y)
        if (widestRow(figure, y, y + 1) > head * 2.4f)
            shoulderRow = y;
    EXPECT_GT(shoulderRow, 0) << "no shoulders";
    EXPECT_LT(shoulderRow, 400) << "the shoulders hang far below the head";
    // Narrower at the knees than at the hips: not a coat widening to a hem.
    int hips = widestRow(figure, 505, 530);
    int knees = widestRow(figure, 596, 612);
    EXPECT_LT(knees, hips * 0.8f) << "the figure widens below the hips: " << knees << " at the knees under " << hips;
    int twoLegs = 0;
    for (int y = 630; y < 650; ++y)
        twoLegs += legsInRow(figure, y) == 2;
    EXPECT_GT(twoLegs, 15) << "no two legs apart at the knees";
    int lowest = 0;
    for (int y = 600; y < figure.height; ++y)
        if (widestRow(figure, y, y + 1) > 0)
            lowest = y;
    EXPECT_GT(lowest, 680) << "his legs stop short of the floor";
    EXPECT_LT(lowest, figure.height - 4) << "his legs run out of the picture, his feet unseen";
    // Standing, his legs from where they part to his heels (one foot may
    // stand alone on the boards) are well over a third of his height, his
    // hair included; a shorter share makes him squat.
    int top = 0;
    while (top < lowest && widestRow(figure, top, top + 1) == 0)
        ++top;
    int parted = lowest;
    while (parted > 440 && (legsInRow(figure, parted - 1) == 2 || parted > lowest - 40))
        --parted;
    float legsShare = float(lowest - parted) / (lowest - top);
    EXPECT_GT(legsShare, 0.34f) << "his legs part at " << parted << ", under " << top << " and over " << lowest;
    std::vector<float> core;
    for (int y = 560; y < 700; y += 3)
        for (int x = 360; x < 440; x += 3)
            if (figure.at(x, y).a > 0.9f)
                core.push_back(relativeLuminance(figure.at(x, y)));
    ASSERT_FALSE(core.empty());
    std::sort(core.begin(), core.end());
    // About 12 of 255 in sRGB.
    EXPECT_LT(core[core.size() / 2], 0.0037f) << "the figure is as light as the wall";
    // Matt: from the neck down, away from his outline, where the moon lays
    // its faint rim, no small patch of him is lit into a streak or a line
    // (about 40 of 255 in sRGB).
    float brightest = 0;
    int atX = 0, atY = 0;
    for (int y = 340; y < 700; y += 2)
        for (int x = 300; x < 500; x += 2)
        {
            bool inside = true;
            for (int v = -6; v <= 6 && inside; ++v)
                for (int u = -6; u <= 6 && inside; ++u)
                    inside = figure.at(x + u, y + v).a > 0.95f;
            if (!inside)
                continue;
            float patch = 0;
            for (int v = -2; v <= 2; ++v)
                for (int u = -2; u <= 2; ++u)
                    patch += relativeLuminance(figure.at(x + u, y + v)) / 25;
            if (patch > brightest)
                brightest = patch, atX = x, atY = y;
        }
    EXPECT_LT(brightest, 0.02f) << "a light streak inside the figure at " << atX << ", " << atY;
}

namespace
{
// The mean luminance of a box; of a layer laid over a dark ground, weighed
// by its coverage, what the layer shows there.
float meanLuminance(const Picture& p, int left, int top, int right, int bottom, bool byCoverage = false)
{
    double sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            sum += relativeLuminance(p.at(x, y)) * (byCoverage ? p.at(x, y).a : 1.0f);
    return float(sum / ((right - left) * (bottom - top)));
}
}

// The wall beside and above the unfinished portrait is the wall: none of
// the portrait's dark paint spills off the canvas onto it. The canvas
// stands at x 730 to 950, y 190 to 470; the easel's mast and legs rise
// above it near its middle.
TEST(ForgeStudio, ThePortraitsPaintStaysOnItsCanvas)
{
    Picture room = shownPicture("S5-1.png");
    ASSERT_TRUE(room.ok);
    // The wall's own value, well away from the canvas on its left.
    std::vector<float> wall;
    for (int y = 200; y < 460; y += 2)
        for (int x = 600; x < 640; x += 2)
            wall.push_back(relativeLuminance(room.at(x, y)));
    std::sort(wall.begin(), wall.end());
    float typical = wall[wall.size() / 2];
    ASSERT_GT(typical, 0.005f);
    int dark = 0, all = 0;
    auto check = [&](int x, int y) {
        ++all;
        dark += relativeLuminance(room.at(x, y)) < typical * 0.5f;
    };
    for (int y = 200; y < 460; ++y)
        for (int x = 694; x < 726; ++x)
            check(x, y);
    for (int y = 154; y < 186; ++y)
        for (int x = 740; x < 940; ++x)
            if (x < 800 || x > 880)
                check(x, y);
    EXPECT_LT(dark, all / 100) << dark << " of " << all << " wall pixels round the canvas carry its dark paint";
}


// At night the moon through the window is the room's light: the bare
// half of the portrait on the easel, in its light, stays darker than the
// sky in the panes.
TEST(ForgeStudio, TheMoonlitWindowOutshinesTheBareCanvas)
{
    Picture room = shownPicture("S5-1.png");
    ASSERT_TRUE(room.ok);
    float canvas = meanLuminance(room, 900, 200, 940, 460);
    float sky = meanLuminance(room, 1090, 260, 1140, 390);
    EXPECT_LT(canvas, sky) << "the unpainted canvas outshines the moonlit window";
}

// The studio at dusk, as its shrinking view shows it: the low sun lays a
// patch on the wall round the easel with the canvas's shadow cast well dark
// into it, and the wall round the canvas sinks into dusk, so that the lit
// canvas and its shadow are shapes large and strong enough to survive the
// view's blur. The canvas stands at x 548 to 732, y 260 to 400.
TEST(ForgeStudio, TheDuskLightRakesAcrossTheEasel)
{
    Picture studio = shownPicture("S1-1.png");
    ASSERT_TRUE(studio.ok);
    float patch = meanLuminance(studio, 500, 300, 540, 390);
    float shadow = meanLuminance(studio, 740, 300, 770, 390);
    float dusk = meanLuminance(studio, 1000, 200, 1100, 300);
    float canvas = meanLuminance(studio, 560, 270, 640, 390);
    float wallRound = (meanLuminance(studio, 490, 270, 540, 390) + meanLuminance(studio, 560, 205, 720, 250)) / 2;
    EXPECT_GT(patch, shadow * 2.5f) << "the canvas's shadow is a change of colour, not a shadow";
    EXPECT_GT(patch, dusk * 1.8f) << "the wall round the light is as light as the light";
    EXPECT_GT(canvas, patch * 1.5f);
    EXPECT_GT(canvas, wallRound * 5) << "the wall round the canvas is a flat light room, not dusk";

    // The shadow is deepest right beside the canvas and pales away from it
    // into sunlit wall, so it reads as a shadow on a lit wall, not a dark
    // doorway between the canvas and the dusk.
    float inner = meanLuminance(studio, 734, 300, 756, 390);
    float outer = meanLuminance(studio, 760, 300, 782, 390);
    float beyond = meanLuminance(studio, 800, 300, 830, 390);
    EXPECT_GT(outer, inner * 1.15f) << "the shadow is one flat dark block";
    EXPECT_GT(beyond, outer) << "the shadow runs on into the dark, a doorway beside the canvas";
    EXPECT_GT(beyond, inner * 1.6f) << "the shadow runs on into the dark, a doorway beside the canvas";
}

// The low sun strikes the canvas from the left: its left half is lighter
// and warmer than its right, which cools towards the wall's dusk; and the
// shadow it throws is the wall's own tone gone deeper, lighter than the
// wall beyond the shaft of light, not a black doorway beside it.
TEST(ForgeStudio, TheCanvasCoolsAwayFromTheSunAndItsShadowIsNotBlack)
{
    Picture studio = shownPicture("S1-1.png");
    ASSERT_TRUE(studio.ok);
    auto warmth = [&](int left, int right) {
        float sum = 0;
        int n = 0;
        for (int y = 270; y < 390; y += 2)
            for (int x = left; x < right; x += 2, ++n)
                sum += studio.at(x, y).r - studio.at(x, y).b;
        return sum / n;
    };
    float litHalf = meanLuminance(studio, 556, 270, 620, 390);
    float farHalf = meanLuminance(studio, 660, 270, 724, 390);
    EXPECT_GT(litHalf, farHalf * 1.4f) << "the canvas is lit evenly, not by a low sun from the left";
    EXPECT_GT(warmth(556, 620), warmth(660, 724) + 0.1f) << "the canvas does not cool away from the sun";
    float shadow = meanLuminance(studio, 740, 300, 770, 390);
    float dusk = meanLuminance(studio, 1000, 200, 1100, 300);
    EXPECT_GT(shadow, dusk * 1.5f) << "the canvas's shadow is a black hole in the wall";
}

// The curtains' tie-back, where it hangs in shadow (under the second poem
// the right one lies in the dark beyond the lamplight), is a dark band of
// cloth only a little apart from the dark folds round it, never a bright
// bar across them. Coverage counts: the layer lies over a dark ground.
TEST(ForgeStudio, TheTieBackInShadowIsNoBrightBar)
{
    Picture curtains = shownPicture("S1-2.png");
    ASSERT_TRUE(curtains.ok);
    auto seen = [&](int left, int top, int right, int bottom) {
        return meanLuminance(curtains, left, top, right, bottom, true);
    };
    float band = seen(850, 464, 925, 476);
    float around = (seen(850, 446, 925, 454) + seen(850, 486, 925, 494)) / 2;
    EXPECT_LT(band, around * 2) << "the tie-back shows as a bright bar over the dark cloth";

    // Over the studio at dusk, where the curtains hang in front of the
    // room, it is the curtain's own cloth drawn in, a little deeper than the
    // cloth round it, not a black smear across the view.
    Picture room = shownPicture("S1-1.png");
    ASSERT_TRUE(room.ok);
    std::vector<Rgba> view = blackFrame();
    drawLayer(view, room, 0);
    drawLayer(view, curtains, 0);
    auto shown = [&](int left, int top, int right, int bottom) { return relativeLuminance(meanIn(view, left, top, right, bottom)); };
    float wrapped = shown(850, 464, 925, 476);
    float cloth = (shown(850, 446, 925, 454) + shown(850, 486, 925, 494)) / 2;
    EXPECT_GT(wrapped, cloth * 0.55f) << "the tie-back is a black smear over the studio";
}

// The bare canvas is lit evenly from the side: no dark line runs across it
// (a mast's shadow there would read as a fold or a book's spine).
TEST(ForgeStudio, TheBareCanvasHasNoDarkLineAcrossIt)
{
    Picture studio = shownPicture("S1-1.png");
    ASSERT_TRUE(studio.ok);
    // Along each row, the darkest narrow band against the canvas beside
    // it; a line that crosses the canvas shows in row after row.
    std::vector<float> rows;
    for (int y = 270; y < 390; y += 4)
    {
        float deepest = 1;
        for (int x = 580; x < 700; x += 2)
        {
            float band = meanLuminance(studio, x, y, x + 4, y + 4);
            float beside = (meanLuminance(studio, x - 20, y, x - 12, y + 4) + meanLuminance(studio, x + 16, y, x + 24, y + 4)) / 2;
            deepest = std::min(deepest, band / beside);
        }
        rows.push_back(deepest);
    }
    std::sort(rows.begin(), rows.end());
    float deepest = rows[rows.size() / 2];
    EXPECT_GT(deepest, 0.85f) << "a dark line crosses the bare canvas";
}

// The canvas on the easel at night is a thing in the room, not a picture
// pasted on the wall: its side towards the window (just right of x 950)
// catches the moonlight as a strip well lighter than the wall beyond it
// yet darker than the canvas's face, and it casts a soft shadow on the
// wall at its left, away from the window.
TEST(ForgeStudio, TheNightCanvasHasItsSideAndCastsAShadow)
{
    Picture room = shownPicture("S5-1.png");
    ASSERT_TRUE(room.ok);
    float side = meanLuminance(room, 951, 200, 955, 460);
    float beyond = meanLuminance(room, 966, 200, 990, 460);
    EXPECT_GT(side, beyond * 3) << "the canvas has no thickness";
    // The side turns from us: darker than the canvas's face, not a bright
    // strip along its edge.
    EXPECT_LT(side, meanLuminance(room, 930, 200, 946, 460)) << "the canvas's side outshines its face";
    float shadow = meanLuminance(room, 700, 260, 726, 460);
    float wall = meanLuminance(room, 640, 260, 680, 460);
    EXPECT_LT(shadow, wall * 0.95f) << "the canvas casts no shadow on the wall";
}

// As the view blurs the painter away, his head and shoulders must still
// stand as a dark mass against something lighter: the wall on either side
// of his head is lifted well above the dark wall away from him.
TEST(ForgeStudio, TheWallBehindThePainterIsLighter)
{
    Picture room = shownPicture("S5-1.png");
    ASSERT_TRUE(room.ok);
    float farWall = std::max(meanLuminance(room, 60, 120, 200, 200), meanLuminance(room, 520, 60, 640, 140));
    EXPECT_GT(meanLuminance(room, 250, 250, 330, 340), farWall * 1.5f) << "left of his head";
    EXPECT_GT(meanLuminance(room, 470, 250, 550, 340), farWall * 1.5f) << "right of his head";
}

namespace
{
// A full-screen picture blurred by a box of the given radius three times
// over, its colour and alpha alike, as the view's blur takes them.
std::vector<Rgba> blurred(std::vector<Rgba> layer, int radius)
{
    std::vector<Rgba> scratch(layer.size());
    auto pass = [&](std::vector<Rgba>& from, std::vector<Rgba>& to, bool rows) {
        const int length = rows ? 1280 : 720, lines = rows ? 720 : 1280;
        for (int line = 0; line < lines; ++line)
        {
            auto index = [&](int i) {
                i = std::min(std::max(i, 0), length - 1);
                return rows ? size_t(line) * 1280 + i : size_t(i) * 1280 + line;
            };
            Rgba sum{0, 0, 0, 0};
            for (int i = -radius; i <= radius; ++i)
            {
                const Rgba& c = from[index(i)];
                sum.r += c.r; sum.g += c.g; sum.b += c.b; sum.a += c.a;
            }
            const float norm = 1.f / (2 * radius + 1);
            for (int i = 0; i < length; ++i)
            {
                to[index(i)] = {sum.r * norm, sum.g * norm, sum.b * norm, sum.a * norm};
                const Rgba &in = from[index(i + radius + 1)], &out = from[index(i - radius)];
                sum.r += in.r - out.r; sum.g += in.g - out.g; sum.b += in.b - out.b; sum.a += in.a - out.a;
            }
        }
    };
    for (int k = 0; k < 3 && radius > 0; ++k)
    {
        pass(layer, scratch, true);
        pass(scratch, layer, false);
    }
    return layer;
}

// The frame the night scene shows: the room, and over it the painter's
// layer blurred (close to the view's blur about four seconds in at radius
// 12).
std::vector<Rgba> nightFrame(const Picture& room, const Picture& figure, int radius)
{
    std::vector<Rgba> frame = room.pixels;
    Picture blurredFigure = figure;
    blurredFigure.pixels = blurred(figure.pixels, radius);
    drawLayer(frame, blurredFigure, 0);
    return frame;
}

float meanLuminance(const std::vector<Rgba>& frame, int left, int top, int right, int bottom)
{
    double sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            sum += relativeLuminance(frame[size_t(y) * 1280 + x]);
    return float(sum / ((right - left) * (bottom - top)));
}
}

// As the view blurs the painter, his raised arm stays apart from his body:
// the wall shows through the gap under the sleeve (x 496 to 516, below the
// shoulder) well lighter than his back beside it and than the arm beyond
// it, sharp and through the blur, so that the shape still reads as a man
// with his arm out to the canvas and not as a column.
TEST(ForgeStudio, ThePaintersArmStandsApartFromHimAsTheViewBlurs)
{
    Picture room = shownPicture("S5-1.png");
    Picture figure = shownPicture("S5-2.png");
    ASSERT_TRUE(room.ok && figure.ok);
    ASSERT_EQ(figure.width, 1280);
    ASSERT_EQ(figure.height, 720);
    for (int radius : {0, 8, 12})
    {
        std::vector<Rgba> frame = nightFrame(room, figure, radius);
        float back = meanLuminance(frame, 420, 470, 450, 520);
        float gap = meanLuminance(frame, 496, 470, 516, 520);
        float arm = meanLuminance(frame, 545, 470, 575, 520);
        EXPECT_GT(gap, back * 2.4f) << "blurred by " << radius << ": the gap under his arm is as dark as his back";
        EXPECT_GT(gap, arm * 1.4f) << "blurred by " << radius << ": his arm runs into his body";
    }
}

// The low sun lays the image of its window on the studio's wall at dusk,
// and it still reads as the view blurs (a box of radius 10 three times
// over, about what the view does to the picture half-way through): left of
// the canvas, at the chair's height, a light on the wall, the dark shadow
// of an upright bar, and the light again before the canvas, both lights
// well above the dusk wall over the image's slanting top.
TEST(ForgeStudio, TheDuskSunLaysAWindowOnTheWall)
{
    Picture studio = shownPicture("S1-1.png");
    ASSERT_TRUE(studio.ok);
    std::vector<Rgba> view = blurred(studio.pixels, 10);
    float outerLight = meanLuminance(view, 436, 300, 456, 390);
    float bar = meanLuminance(view, 482, 300, 498, 390);
    float innerLight = meanLuminance(view, 512, 300, 530, 390);
    float dusk = meanLuminance(view, 860, 160, 900, 200);
    EXPECT_LT(bar, outerLight * 0.7f) << "no bar's shadow parts the light on the wall";
    EXPECT_LT(bar, innerLight * 0.7f) << "no bar's shadow parts the light on the wall";
    EXPECT_GT(outerLight, dusk * 3) << "the window's light fades into the dusk wall";
    EXPECT_GT(innerLight, dusk * 3) << "the window's light fades into the dusk wall";
}

// The jars of brushes on the table are jars, not pale boxes: each has a lip
// lighter than its body, and a brush standing out of its mouth, a stem
// that parts from the wall behind it.
TEST(ForgeStudio, EachJarOnTheTableHasALipAndABrush)
{
    Picture room = shownPicture("S5-1.png");
    ASSERT_TRUE(room.ok);
    const struct { int x, mouth, height; } jars[] = {{90, 465, 48}, {150, 471, 42}, {210, 477, 36}};
    for (const auto& jar : jars)
    {
        float lip = meanLuminance(room, jar.x - 12, jar.mouth, jar.x + 12, jar.mouth + 4);
        float body = meanLuminance(room, jar.x - 12, jar.mouth + 10, jar.x + 12, jar.mouth + jar.height - 8);
        EXPECT_GT(lip, body * 1.5f) << "the jar at x " << jar.x << " has no lip";
        // Above the mouth: the wall either side, and the column that differs
        // most from it.
        float wall = (meanLuminance(room, jar.x - 32, jar.mouth - 34, jar.x - 20, jar.mouth - 12) +
                      meanLuminance(room, jar.x + 20, jar.mouth - 34, jar.x + 32, jar.mouth - 12)) / 2;
        float stem = 0;
        for (int x = jar.x - 16; x < jar.x + 16; ++x)
            stem = std::max(stem, std::fabs(meanLuminance(room, x, jar.mouth - 34, x + 1, jar.mouth - 12) - wall) / wall);
        EXPECT_GT(stem, 0.3f) << "no brush stands in the jar at x " << jar.x;
    }
}

// The studio by day as the view draws away from it: the chair's four legs
// stand on the boards, each over a small dark shadow of its own, so the
// chair does not float. The floor under each foot is darker than the
// floor a little to its left, on the window's side.
TEST(ForgeStudio, TheChairsLegsStandInTheirShadows)
{
    Picture room = shownPicture("SF3.png");
    ASSERT_TRUE(room.ok);
    const struct { int x, y; } feet[] = {{378, 612}, {494, 612}, {390, 594}, {478, 594}};
    for (const auto& foot : feet)
    {
        float under = meanLuminance(room, foot.x - 4, foot.y + 2, foot.x + 8, foot.y + 7);
        float beside = meanLuminance(room, foot.x - 34, foot.y + 2, foot.x - 22, foot.y + 7);
        EXPECT_LT(under, beside * 0.8f) << "the leg at x " << foot.x << " floats over the floor";
    }
}

// The wall behind the chair and the easel is quiet: its brushwork differs
// from the wall round it (a box 25 pixels wide) by little against the
// wall's own value, so that the strokes read as plaster, not rain, and stay
// fainter than the things in the room.
TEST(ForgeStudio, TheWallBehindTheChairIsQuiet)
{
    Picture room = shownPicture("SF3.png");
    ASSERT_TRUE(room.ok);
    std::vector<double> grey(size_t(room.width) * room.height);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = 0.2126 * room.pixels[i].r + 0.7152 * room.pixels[i].g + 0.0722 * room.pixels[i].b;
    auto g = [&](int x, int y) { return grey[size_t(y) * room.width + x]; };
    const struct { int left, top, right, bottom; } walls[] = {{100, 250, 280, 560}, {500, 100, 780, 300}, {1120, 200, 1260, 560}};
    for (const auto& wall : walls)
    {
        double sum = 0, squares = 0, level = 0;
        int n = 0;
        for (int y = wall.top; y < wall.bottom; y += 3)
            for (int x = wall.left; x < wall.right; x += 3, ++n)
            {
                double round = 0;
                for (int v = -12; v <= 12; v += 2)
                    for (int u = -12; u <= 12; u += 2)
                        round += g(x + u, y + v);
                round /= 13 * 13;
                double stroke = g(x, y) - round;
                sum += stroke;
                squares += stroke * stroke;
                level += g(x, y);
            }
        double spread = std::sqrt(squares / n - (sum / n) * (sum / n));
        EXPECT_LT(spread / (level / n), 0.013) << "the wall at x " << wall.left << " is streaked";
    }
}

// Her shawl is cloth thrown over the chair, not a red block on it: its end
// falls past the left post (at x 376) well below the top rail, and one deep
// fold runs from the rail down into that end, darker than the lit ridge
// beside it.
TEST(ForgeStudio, TheShawlFallsOverTheChairInAFold)
{
    Picture room = shownPicture("SF3.png");
    ASSERT_TRUE(room.ok);
    auto red = [&](int x, int y) {
        const Rgba& c = room.at(x, y);
        return c.r > 0.3f && c.r > c.g * 2.5f && c.r > c.b * 2.2f;
    };
    int cloth = 0, all = 0;
    for (int y = 400; y < 450; ++y)
        for (int x = 346; x < 370; ++x, ++all)
            cloth += red(x, y);
    EXPECT_GT(cloth, all * 0.6f) << "the shawl stops at the chair's side";
    float valley = 0, ridge = 0;
    for (int k = 0; k <= 20; ++k)
    {
        float t = 0.3f + 0.5f * k / 20;
        int x = int(416 - 60 * t), y = int(360 + 106 * t);
        valley += relativeLuminance(room.at(x, y));
        ridge += relativeLuminance(room.at(x + 8, y));
        EXPECT_TRUE(red(x + 8, y)) << "the ridge at " << x + 8 << ", " << y << " is not on the shawl";
    }
    EXPECT_LT(valley, ridge * 0.75f) << "the shawl has no fold";

    // In the studio at dusk it lies over the chair by the easel the same
    // way, not as a red block with a level hem: its end slides off the rail
    // past the left post (at x 462) and hangs well below its middle.
    Picture studio = shownPicture("S1-1.png");
    ASSERT_TRUE(studio.ok);
    auto lowestRed = [&](int left, int right) {
        int lowest = 0;
        for (int y = 400; y < 560; ++y)
            for (int x = left; x < right; ++x)
            {
                const Rgba& c = studio.at(x, y);
                if (c.r > 0.25f && c.r > c.g * 2.5f && c.r > c.b * 2.2f)
                    lowest = y;
            }
        return lowest;
    };
    EXPECT_GT(lowestRed(440, 452), lowestRed(484, 496) + 15) << "the shawl ends at the chair's side in a level hem";
}

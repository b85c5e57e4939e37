// The sitter as the portrait's layers lay her: the face the viewer sees
// between the hair narrows to a chin, and the hair and skin overlap so that
// no ground shows along the jaw and the neck.
#include "support/picture_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
// The portrait's head, in window pixels: centre and half sizes.
const float headX = 626, headY = 236, headRx = 58, headRy = 74;

int rowAt(float v) { return int(headY + v * headRy); }
int columnAt(float u) { return int(headX + u * headRx); }

Picture layer(const char* name)
{
    Picture p = readPicture(std::string(SHOW_DIR) + "/" + name);
    EXPECT_TRUE(p.ok) << name;
    EXPECT_TRUE(p.hasAlphaChannel) << name;
    return p;
}

// How much of the face shows at a pixel: skin not covered by hair.
float faceShown(const Picture& skin, const Picture& hair, int x, int y)
{
    return skin.at(x, y).a * (1 - hair.at(x, y).a);
}

// The mean width, in pixels, of the face shown over rows from v0 to v1.
float shownWidth(const Picture& skin, const Picture& hair, float v0, float v1)
{
    float sum = 0;
    int rows = 0;
    for (int y = rowAt(v0); y < rowAt(v1); ++y, ++rows)
        for (int x = columnAt(-1.5f); x < columnAt(1.5f); ++x)
            sum += faceShown(skin, hair, x, y) > 0.5f;
    return rows ? sum / rows : 0;
}
}

// The face holds the cheeks' width down past the mouth and only then
// turns in at the jaw's corners to a chin: not a moon, which stays round
// to the bottom, nor a wedge, which narrows from just under the eyes. The
// corners stand well out from the neck, so the head does not sit on a stalk.
TEST(ForgeSitter, TheJawTurnsBelowTheMouthToAChin)
{
    Picture skin = layer("S3-2.png"), hair = layer("S3-22.png");
    ASSERT_TRUE(skin.ok && hair.ok);
    float cheeks = shownWidth(skin, hair, 0.15f, 0.25f);
    float mouth = shownWidth(skin, hair, 0.55f, 0.6f);
    float corners = shownWidth(skin, hair, 0.68f, 0.72f);
    float chin = shownWidth(skin, hair, 0.84f, 0.88f);
    float neck = shownWidth(skin, hair, 1.1f, 1.2f);
    ASSERT_GT(cheeks, headRx);   // a face is there at all
    EXPECT_GT(mouth, cheeks * 0.8f) << "the face narrows from under the eyes: " << mouth << " of " << cheeks;
    EXPECT_LT(chin, cheeks * 0.55f) << "the jaw hardly narrows";
    EXPECT_GT(chin, cheeks * 0.2f) << "no chin, a point";
    EXPECT_GT(corners, neck + 2 * 0.15f * headRx) << "the jaw runs straight into the neck";
}

namespace
{
float meanLuminance(const Picture& p, float u0, float v0, float u1, float v1)
{
    double sum = 0;
    int n = 0;
    for (int y = rowAt(v0); y < rowAt(v1); ++y)
        for (int x = columnAt(u0); x < columnAt(u1); ++x, ++n)
            sum += relativeLuminance(p.at(x, y));
    return float(sum / std::max(1, n));
}

// The candle stands on the picture's right, and lights her from there:
// a box on her lit side, given from the nose out towards the light as
// negative u, as though the light were on the left.
float litSideLuminance(const Picture& p, float u0, float v0, float u1, float v1)
{
    return meanLuminance(p, -u1, v0, -u0, v1);
}

// The mean value (0 to 255) of the face shown between the hair over rows
// v0 to v1, from u0 to u1.
float shownValue(const Picture& skin, const Picture& hair, float u0, float u1, float v0, float v1)
{
    double sum = 0;
    int n = 0;
    for (int y = rowAt(v0); y < rowAt(v1); ++y)
        for (int x = columnAt(u0); x < columnAt(u1); ++x)
            if (faceShown(skin, hair, x, y) > 0.9f)
            {
                const Rgba c = skin.at(x, y);
                sum += 255 * (c.r + c.g + c.b) / 3, ++n;
            }
    return float(sum / std::max(1, n));
}
}

// One light falls on her face, the candle's, from the picture's right: the
// half of her face away from it turns through a soft terminator into a
// shadow side a clear step darker than the half towards it, but not into
// the dark, and the lit half is not the darker. Across the far cheek the
// lightness falls by that step within a few pixels, well inside the face,
// and the shadow holds its value out to the hair: not a ramp that darkens
// all the way to the contour.
TEST(ForgeSitter, TheSideAwayFromTheCandleIsAStepDarker)
{
    Picture skin = layer("S3-2.png"), hair = layer("S3-22.png");
    ASSERT_TRUE(skin.ok && hair.ok);
    float away = shownValue(skin, hair, -0.75f, -0.1f, -0.3f, 0.6f);
    float towards = shownValue(skin, hair, 0.1f, 0.75f, -0.3f, 0.6f);
    ASSERT_GT(towards, 0) << "no face shown";
    EXPECT_LT(away, towards * 0.9f) << "the face is lit evenly, or from the side away from the candle";
    EXPECT_GT(away, towards * 0.75f) << "the side away from the candle is in the dark";

    const int span = 8;   // pixels, about a seventh of the head's width
    for (float v0 : {0.1f, 0.4f})
    {
        // The far cheek's values column by column, from just inside the
        // hair towards the nose.
        std::vector<float> across;
        for (int x = columnAt(-1.f); x < columnAt(-0.15f); ++x)
        {
            float sum = 0;
            int n = 0;
            for (int y = rowAt(v0); y < rowAt(v0 + 0.15f); ++y)
                if (faceShown(skin, hair, x, y) > 0.9f)
                {
                    const Rgba c = skin.at(x, y);
                    sum += 255 * (c.r + c.g + c.b) / 3, ++n;
                }
            if (n >= (rowAt(v0 + 0.15f) - rowAt(v0)) / 2)
                across.push_back(sum / n);
        }
        if (across.size() > 2)
            across.erase(across.begin(), across.begin() + 2);
        ASSERT_GT(across.size(), size_t(3 * span)) << "no far cheek at v " << v0;
        size_t step = 0;
        float rise = 0;
        for (size_t i = 0; i + span < across.size(); ++i)
            if (across[i + span] - across[i] > rise)
                rise = across[i + span] - across[i], step = i;
        auto shadow = std::minmax_element(across.begin(), across.begin() + step + 1);
        EXPECT_GT(rise, 0.18f * across[step + span]) << "no terminator across the far cheek at v " << v0;
        EXPECT_GE(step, size_t(6)) << "the far cheek darkens only at its contour, at v " << v0;
        EXPECT_LT(*shadow.second - *shadow.first, 0.5f * rise) << "the far cheek is a ramp into the dark at v " << v0;
    }
}

// The neck sits back under the face: its lit side a step below the lit
// cheek, not as bright.
TEST(ForgeSitter, TheNeckIsDarkerThanTheLitCheek)
{
    Picture skin = layer("S3-2.png");
    ASSERT_TRUE(skin.ok);
    float cheek = litSideLuminance(skin, -0.55f, 0.1f, -0.35f, 0.3f);
    float neck = litSideLuminance(skin, -0.3f, 1.2f, -0.15f, 1.4f);
    EXPECT_LT(neck, cheek * 0.8f) << "the neck is as bright as the lit cheek";
}

// Round the jaw and down the neck, where the face meets the hair falling
// behind it, skin and hair together cover the canvas: the light ground
// never shows between them as a pale rim.
TEST(ForgeSitter, NoGroundShowsAlongTheJawAndNeck)
{
    Picture skin = layer("S3-2.png"), hair = layer("S3-22.png");
    ASSERT_TRUE(skin.ok && hair.ok);
    int open = 0, all = 0;
    for (int y = rowAt(0.3f); y < rowAt(1.2f); ++y)
        for (int x = columnAt(-0.95f); x < columnAt(0.95f); ++x, ++all)
        {
            float covered = 1 - (1 - skin.at(x, y).a) * (1 - hair.at(x, y).a);
            open += covered < 0.9f;
        }
    EXPECT_LT(open, all / 500) << open << " of " << all << " pixels round the jaw and neck let the ground through";
}

// Her eyes are open, not slits: between the brow and the cheek, the rows
// across the lit eye that show its white, iris or lash line (colours far
// from the skin: grey or dark) span the opening of a waking eye, about 0.4
// of the eye's width.
TEST(ForgeSitter, HerEyesAreOpen)
{
    Picture skin = layer("S3-2.png");
    ASSERT_TRUE(skin.ok);
    int rows = 0;
    for (int y = rowAt(-0.19f); y < rowAt(0.13f); ++y)
    {
        int eye = 0;
        for (int x = columnAt(0.24f); x < columnAt(0.48f); ++x)
        {
            const Rgba c = skin.at(x, y);
            bool grey = c.r - c.b < 0.2f * c.r, dark = relativeLuminance(c) < 0.13f;
            eye += c.a > 0.5f && (grey || dark);
        }
        rows += eye >= 2;
    }
    EXPECT_GE(rows, 10) << "the eye is a slit " << rows << " pixels tall";
    EXPECT_LE(rows, 16) << "the eye stares";
}

// The nose stands out of the face: the light catches its tip, the ridge
// above it turns a step darker (not one lit strip from the brows down),
// and its underside, turned from the light, is dark.
TEST(ForgeSitter, TheNoseIsLitAtItsTipAndDarkUnderneath)
{
    Picture skin = layer("S3-2.png");
    ASSERT_TRUE(skin.ok);
    float tip = litSideLuminance(skin, -0.06f, 0.25f, 0.02f, 0.31f);
    float ridge = litSideLuminance(skin, -0.06f, 0.12f, 0.02f, 0.2f);
    float underside = meanLuminance(skin, -0.08f, 0.39f, 0.08f, 0.42f);
    EXPECT_LT(ridge, tip * 0.77f) << "the nose is one lit strip";
    EXPECT_LT(underside, tip * 0.35f) << "the nose has no underside";
}

// Her hands, folded at her waist, are in proportion to her head, not small
// knots: the skin laid over the dress there covers at least one hand's
// worth (a hand about three quarters of the face's length, two fifths of
// that wide), and no more than a few.
TEST(ForgeSitter, HerHandsAreInProportionToHerHead)
{
    Picture dress = layer("S3-23.png");
    ASSERT_TRUE(dress.ok);
    const float handLength = 0.75f * 1.7f * headRy;   // the face runs from the hairline to the chin
    const float hand = handLength * 0.4f * handLength;
    int skin = 0;
    for (int y = rowAt(4.1f); y < rowAt(6.f); ++y)
        for (int x = columnAt(-1.1f); x < columnAt(1.3f); ++x)
        {
            const Rgba c = dress.at(x, y);
            skin += c.a > 0.9f && c.r > 0.25f && c.g > 0.5f * c.r && c.r > c.b;
        }
    EXPECT_GT(skin, hand) << "her hands cover " << skin << " pixels, less than one hand's " << hand;
    EXPECT_LT(skin, 3 * hand) << "skin over " << skin << " pixels of her dress";
}

// The locks that fall past her shoulders end in soft tips, each thinning
// to a few strands, not in a row of pointed teeth: a sawtooth edge shows
// red through the dress as it fades in over them. Column by column across
// both falls, the hair's lowest edge steps little from one column to the
// next but one, and over its last 13 rows a column's cover has thinned.
TEST(ForgeSitter, TheLocksEndInSoftTipsNotTeeth)
{
    Picture hair = layer("S3-22.png");
    ASSERT_TRUE(hair.ok);
    struct Bottom { int side, row; };
    std::vector<Bottom> bottoms;
    int columns = 0, full = 0;
    for (int side : {-1, 1})
        for (int x = columnAt(side * 0.75f); x != columnAt(side * 1.45f); x += side)
        {
            int bottom = -1;
            for (int y = rowAt(1.2f); y < rowAt(2.2f); ++y)
                if (hair.at(x, y).a > 0.1f)
                    bottom = y;
            if (bottom < 0)
                continue;
            bottoms.push_back({side, bottom});
            float cover = 0;
            for (int y = bottom - 12; y <= bottom; ++y)
                cover += hair.at(x, y).a;
            ++columns;
            full += cover / 13 > 0.8f;
        }
    ASSERT_GT(columns, 40) << "no locks fall past her shoulders";
    int steps = 0, pairs = 0;
    for (size_t i = 0; i + 2 < bottoms.size(); ++i)
        if (bottoms[i].side == bottoms[i + 2].side)
        {
            ++pairs;
            steps += std::abs(bottoms[i + 2].row - bottoms[i].row) > 5;
        }
    EXPECT_LT(steps, pairs / 5) << steps << " of " << pairs << " columns step more than 5 px: the locks end in teeth";
    EXPECT_LT(full, columns / 5) << full << " of " << columns << " locks hold their full cover to the tip";
}

// The sitter as the portrait's layers lay her: the face the viewer sees
// between the hair narrows to a chin, and the hair and skin overlap so that
// no ground shows along the jaw and the neck.
#include "support/picture_test.h"

#include <gtest/gtest.h>

#include <string>

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

// Below the mouth the jaw has already turned in towards the chin: the face
// is well narrower there than across the cheeks, not a round moon.
TEST(ForgeSitter, TheJawNarrowsBeforeTheChin)
{
    Picture skin = layer("S3-2.png"), hair = layer("S3-22.png");
    ASSERT_TRUE(skin.ok && hair.ok);
    float cheeks = shownWidth(skin, hair, 0.15f, 0.25f);
    float belowMouth = shownWidth(skin, hair, 0.6f, 0.66f);
    float chin = shownWidth(skin, hair, 0.8f, 0.86f);
    ASSERT_GT(cheeks, headRx);   // a face is there at all
    EXPECT_LT(belowMouth, cheeks * 0.72f) << "the jaw hardly narrows";
    EXPECT_LT(chin, belowMouth * 0.8f);
    EXPECT_GT(chin, cheeks * 0.2f) << "no chin, a point";
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

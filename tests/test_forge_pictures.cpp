// The forge's pictures as the show uses them: same bytes from the same
// sources, the sizes and transparency each scene relies on, the brush and
// the strands where the glints fly, and captions that stay legible over the
// pictures beneath them.
#include "forge.h"
#include "paint/brush.h"
#include "paint/pictures.h"
#include "paint/png_file.h"
#include "paint/poem_page.h"
#include "paint/shapes.h"
#include "paint/text.h"
#include "scenes/glint_outlines.h"
#include "scenes/outlines.h"
#include "support/picture_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <unistd.h>

namespace
{
std::string showFile(const std::string& name)
{
    return std::string(SHOW_DIR) + "/" + name;
}

const Picture& shown(const std::string& name)
{
    static std::map<std::string, Picture> cache;
    auto found = cache.find(name);
    if (found == cache.end())
        found = cache.emplace(name, readPicture(showFile(name))).first;
    return found->second;
}

float luminanceAt(const Picture& p, int x, int y)
{
    return relativeLuminance(p.at(x, y));
}

// Fraction of a picture's pixels with alpha above a level.
float coveredFraction(const Picture& p, float level, int left = 0, int top = 0, int right = -1, int bottom = -1)
{
    if (right < 0) right = p.width;
    if (bottom < 0) bottom = p.height;
    long covered = 0, all = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x, ++all)
            covered += p.at(x, y).a > level;
    return all ? float(covered) / all : 0;
}

// A brush pixel: the lacquer and the paint on the bristles are the only deep
// red in the still life.
bool isBrushRed(const Rgba& c)
{
    return c.r - std::max(c.g, c.b) > 0.22f && c.r > 0.3f;
}

struct Caption
{
    std::string text;
    int size, x, y;
    Rgba colour;
};

float captionContrast(const std::vector<Rgba>& frame, const Caption& caption)
{
    TextBox box = captionBox(caption.text, caption.size, caption.x, caption.y);
    EXPECT_TRUE(box.ok) << caption.text;
    Rgba beneath = meanIn(frame, box.left, box.top, box.right, box.bottom);
    float ratio = contrastRatio(caption.colour, beneath);
    std::cout << "contrast " << ratio << " : " << caption.text << std::endl;
    return ratio;
}
}

// Every picture painted again gives the very bytes the build put in the show.
TEST(ForgePictures, PaintingAgainGivesTheSameBytes)
{
    char pattern[] = "/tmp/ostralis-pictures-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    ASSERT_EQ(forgePictures(dir, dir + "/sheet.png"), 0);
    for (const PictureRecipe& recipe : pictureRecipes())
    {
        std::string again = fileBytes(dir + "/" + recipe.file);
        EXPECT_FALSE(again.empty()) << recipe.file;
        EXPECT_TRUE(again == fileBytes(showFile(recipe.file))) << recipe.file << " differs between runs";
        std::remove((dir + "/" + recipe.file).c_str());
    }
    Picture sheet = readPicture(dir + "/sheet.png");
    EXPECT_TRUE(sheet.ok);
    EXPECT_FALSE(sheet.hasAlphaChannel);
    std::remove((dir + "/sheet.png").c_str());
    rmdir(dir.c_str());
}

// The painter keeps to its own seeds: the same picture twice in one process
// (and after other pictures) is the same, pixel for pixel.
TEST(ForgePictures, OnePictureTwiceInAProcessIsTheSame)
{
    for (const PictureRecipe& recipe : pictureRecipes())
    {
        std::string file = recipe.file;
        if (file != "SF1.png" && file != "S4-23.png" && file != "pencilsprite.png")
            continue;
        EXPECT_EQ(quantised(recipe.paint(), recipe.alpha), quantised(recipe.paint(), recipe.alpha)) << file;
    }
}

// Sizes, and opaque pictures saved without an alpha channel while layers
// carry real transparency, as each scene's stacking needs.
TEST(ForgePictures, SizesAndTransparency)
{
    ASSERT_EQ(pictureRecipes().size(), 29u);
    for (const PictureRecipe& recipe : pictureRecipes())
    {
        const Picture& p = shown(recipe.file);
        ASSERT_TRUE(p.ok) << recipe.file;
        std::string file = recipe.file;
        int w = 1280, h = 720;
        if (file == "title2.png") w = p.width;
        if (file == "ostralis.png") { w = p.width; h = p.height; }
        if (file == "pencilsprite.png" || file == "glint.png") w = h = 16;
        if (file == "heatmap.png") w = h = 256;
        EXPECT_EQ(p.width, w) << file;
        EXPECT_EQ(p.height, h) << file;
        EXPECT_EQ(p.hasAlphaChannel, recipe.alpha) << file;
        if (recipe.alpha)
        {
            EXPECT_GT(coveredFraction(p, 0.25f), 0.0005f) << file << " adds nothing visible";
            EXPECT_LT(coveredFraction(p, 0.98f), 0.9f) << file << " hides what lies beneath";
        }
    }
    // The middle layer drifts 56 px left over 14 s without uncovering its edge.
    EXPECT_GE(shown("title2.png").width, 1280 + 60);
    // The lettering, drawn at (342, 78), is centred on the screen.
    EXPECT_NEAR(342 + shown("ostralis.png").width / 2.0, 640, 2);
    for (int i = 0; i < 1280 * 720; i += 997)
    {
        EXPECT_EQ(shown("black.png").pixels[i].r + shown("black.png").pixels[i].g, 0.f);
        EXPECT_EQ(shown("white.png").pixels[i].b * shown("white.png").pixels[i].g, 1.f);
    }
}

// Layers that lie over other pictures frame them rather than hide them.
TEST(ForgePictures, FramesAndStampsLeaveTheirMiddleOpen)
{
    EXPECT_LT(coveredFraction(shown("title3.png"), 0.5f, 320, 180, 960, 540), 0.05f);
    EXPECT_LT(coveredFraction(shown("S3-3.png"), 0.5f, 100, 100, 1180, 620), 0.01f);
    // The portrait's colour layers fill the head where the sketch lands.
    EXPECT_GT(coveredFraction(shown("S3-2.png"), 0.9f, 596, 190, 657, 282), 0.95f);
    EXPECT_GT(coveredFraction(shown("S3-23.png"), 0.9f, 560, 360, 690, 400), 0.9f);
    // The light leak drifts across the sketch: its own edges never show.
    const Picture& leak = shown("S2-2.png");
    float edge = 0;
    for (int x = 0; x < leak.width; ++x)
        edge = std::max({edge, leak.at(x, 0).a, leak.at(x, leak.height - 1).a});
    for (int y = 0; y < leak.height; ++y)
        edge = std::max({edge, leak.at(0, y).a, leak.at(leak.width - 1, y).a});
    EXPECT_LT(edge, 0.01f) << "the light leak's edge shows as it drifts";
    // Stamps: centred on (8, 8), transparent at the corners.
    for (const char* name : {"pencilsprite.png", "glint.png"})
    {
        const Picture& p = shown(name);
        double sum = 0, sx = 0, sy = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
            {
                sum += p.at(x, y).a;
                sx += p.at(x, y).a * (x + 0.5);
                sy += p.at(x, y).a * (y + 0.5);
            }
        ASSERT_GT(sum, 4) << name;
        EXPECT_NEAR(sx / sum, 8, 0.5) << name;
        EXPECT_NEAR(sy / sum, 8, 0.5) << name;
        EXPECT_LT(p.at(0, 0).a + p.at(15, 0).a + p.at(0, 15).a + p.at(15, 15).a, 0.05f) << name;
        EXPECT_GT(p.at(8, 8).a, std::string(name) == "glint.png" ? 0.6f : 0.4f) << name;
    }
    // The distortion map tiles: its wrap-around seams are no rougher than its inside.
    const Picture& heat = shown("heatmap.png");
    double seam = 0, inside = 0;
    for (int i = 0; i < 256; ++i)
    {
        seam += std::fabs(heat.at(255, i).r - heat.at(0, i).r) + std::fabs(heat.at(i, 255).g - heat.at(i, 0).g);
        inside += std::fabs(heat.at(127, i).r - heat.at(128, i).r) + std::fabs(heat.at(i, 127).g - heat.at(i, 128).g);
    }
    EXPECT_LT(seam, inside * 2 + 2);
}

namespace
{
// Mean of a box of a composited frame, as luminance and as redness (how
// much of its red the green lacks: lips and roses high, skin lower).
float boxLuminance(const std::vector<Rgba>& frame, int left, int top, int right, int bottom)
{
    return relativeLuminance(meanIn(frame, left, top, right, bottom));
}

float boxRedness(const std::vector<Rgba>& frame, int left, int top, int right, int bottom)
{
    Rgba c = meanIn(frame, left, top, right, bottom);
    return c.r > 0 ? 1 - std::max(c.g, c.b) / c.r : 0;
}

// The finished portrait as scene 4 leaves it: its five layers, each over
// the one before.
std::vector<Rgba> finishedPortrait()
{
    std::vector<Rgba> portrait = blackFrame();
    for (const char* layer : {"S3-1.png", "S3-2.png", "S3-22.png", "S3-23.png", "S3-3.png"})
        drawLayer(portrait, shown(layer), 0);
    return portrait;
}
}

// The sketch lays its stamps at three quarters strength, mostly 4 to 9 px
// apart at full size, now and then 10 to 12 on a quick stretch, and in the
// bust about 8 px apart at half size. Laid so along a level line, the dab
// must give one stroke: no row of it may swell and thin from stamp to stamp,
// or the pencil line reads as a string of beads; and halved stamps 8 px
// apart must still touch, or the bust is ringed by separate dots. The
// full-size rows are judged after a running mean over 3 px along them, so
// the paper's single grains are not taken for beads while a swelling at
// the stamps' period is.
namespace
{
// The dab's alpha at a point of the sprite, filtered as a smooth texture is:
// bilinear between texel centres, the edge texels held out to the edge.
float dabAlphaAt(const Picture& dab, float u, float v)
{
    float fx = std::clamp(u - 0.5f, 0.0f, 15.0f), fy = std::clamp(v - 0.5f, 0.0f, 15.0f);
    int x0 = std::min(int(fx), 14), y0 = std::min(int(fy), 14);
    float tx = fx - x0, ty = fy - y0;
    float top = dab.at(x0, y0).a * (1 - tx) + dab.at(x0 + 1, y0).a * tx;
    float bottom = dab.at(x0, y0 + 1).a * (1 - tx) + dab.at(x0 + 1, y0 + 1).a * tx;
    return top * (1 - ty) + bottom * ty;
}

// The coverage of 30 stamps laid spacing px apart along a level line at
// scale, their centres on whole pixels; rows of 24 px about the line.
std::vector<std::vector<float>> stampedLine(const Picture& dab, int spacing, float scale)
{
    const int stamps = 30, width = stamps * spacing + 24;
    std::vector<std::vector<float>> rows(24, std::vector<float>(size_t(width), 0.0f));
    const float half = 8 * scale;
    for (int i = 0; i < stamps; ++i)
    {
        float cx = 12.0f + i * spacing, cy = 12.0f;
        for (int y = 0; y < 24; ++y)
            for (int x = int(cx - half); x < int(cx + half); ++x)
            {
                float u = (x + 0.5f - cx) / scale + 8, v = (y + 0.5f - cy) / scale + 8;
                if (v < 0 || v >= 16)
                    continue;
                float& c = rows[size_t(y)][size_t(x)];
                c += 0.75f * dabAlphaAt(dab, u, v) * (1 - c);
            }
    }
    return rows;
}

// The stroke's middle, stamps 10 to 20, away from its two ends, after a
// running mean over 3 px along each row.
std::vector<float> middleOfRow(const std::vector<float>& row, int spacing)
{
    std::vector<float> middle;
    for (int x = 12 + 10 * spacing; x < 12 + 20 * spacing; ++x)
        middle.push_back((row[size_t(x - 1)] + row[size_t(x)] + row[size_t(x + 1)]) / 3);
    return middle;
}
}

TEST(ForgePictures, PencilStampsJoinIntoOneEvenLine)
{
    const Picture& dab = shown("pencilsprite.png");
    for (int spacing = 5; spacing <= 12; ++spacing)
    {
        std::vector<std::vector<float>> rows = stampedLine(dab, spacing, 1);
        std::vector<float> low, high, mean;
        for (const std::vector<float>& row : rows)
        {
            std::vector<float> middle = middleOfRow(row, spacing);
            low.push_back(*std::min_element(middle.begin(), middle.end()));
            high.push_back(*std::max_element(middle.begin(), middle.end()));
            float sum = 0;
            for (float c : middle)
                sum += c;
            mean.push_back(sum / float(middle.size()));
        }
        float strongest = *std::max_element(mean.begin(), mean.end());
        EXPECT_GT(strongest, 0.35f) << "a line " << spacing << " px apart is too faint to read";
        // The quick stretches may swell a little more than the steady strokes.
        const float allowed = spacing <= 9 ? 0.25f : 0.6f;
        for (size_t y = 0; y < rows.size(); ++y)
        {
            if (mean[y] <= 0.3f * strongest)
                continue; // the line's faint fringe
            EXPECT_LT(high[y] - low[y], allowed * strongest) << "row " << y << " of a line " << spacing << " px apart beads";
        }
    }

    // At half size, along the middle of the line, as the bust ring is drawn.
    std::vector<std::vector<float>> halved = stampedLine(dab, 8, 0.5f);
    std::vector<float> centre;
    for (int x = 12 + 10 * 8; x < 12 + 20 * 8; ++x)
        centre.push_back(std::max(halved[11][size_t(x)], halved[12][size_t(x)]));
    float thinnest = *std::min_element(centre.begin(), centre.end());
    float thickest = *std::max_element(centre.begin(), centre.end());
    EXPECT_GT(thinnest, 0.08f * thickest) << "halved stamps 8 px apart do not meet: the bust is ringed by dots";
}

// The finished portrait shows her face: the eyes darker than the cheeks,
// the lips redder than the skin around them, and neither hair nor dress
// laid over the face or the throat.
TEST(ForgePictures, ThePortraitShowsAFace)
{
    std::vector<Rgba> portrait = finishedPortrait();
    float cheeks = boxLuminance(portrait, 594, 250, 606, 258) + boxLuminance(portrait, 646, 250, 658, 258);
    float eyes = boxLuminance(portrait, 598, 229, 611, 236) + boxLuminance(portrait, 641, 229, 654, 236);
    EXPECT_LT(eyes, cheeks * 0.75f) << "no eyes to be seen";
    EXPECT_GT(boxRedness(portrait, 616, 274, 636, 282), boxRedness(portrait, 614, 288, 638, 296) + 0.08f) << "no lips";
    // The head is lit by the candle on the right: the far cheek lies in a
    // shadow plane, well below the lit one, not a faint fall-off that
    // leaves the face flat as a mask.
    EXPECT_LT(boxLuminance(portrait, 588, 240, 600, 260), boxLuminance(portrait, 660, 240, 672, 260) * 0.7f) << "no shadow side to her face";
    for (Point p : {Point{626, 210}, Point{626, 250}, Point{626, 298}})
    {
        EXPECT_LT(shown("S3-22.png").at(int(p.x), int(p.y)).a, 0.1f) << "hair over the face at " << p.y;
        EXPECT_LT(shown("S3-23.png").at(int(p.x), int(p.y)).a, 0.1f) << "dress over the face at " << p.y;
    }
}

// The finished portrait stands in a room rather than a flat swirl: the dark
// ground is lit behind her head by the candle on her lit side: a warm light
// in a lower key than her lit cheek, not a white disc.
TEST(ForgePictures, ThePortraitsGroundIsLitBehindHerHead)
{
    std::vector<Rgba> portrait = finishedPortrait();
    float behindHead = boxLuminance(portrait, 700, 130, 780, 230);
    float corner = boxLuminance(portrait, 80, 480, 200, 600);
    EXPECT_GT(behindHead, 0.06f);
    EXPECT_GT(behindHead, corner * 4) << "no light behind her head";
    float litCheek = boxLuminance(portrait, 652, 240, 664, 260);
    EXPECT_LT(behindHead, litCheek) << "the light behind her outshines her face";
    EXPECT_LT(behindHead, 0.7f) << "the light behind her head is a hot disc";
    Rgba light = meanIn(portrait, 700, 130, 780, 230);
    EXPECT_GT(light.r - light.b, 0.2f) << "the light behind her is not warm";
}

// The candle stands on a table, not on a ledge in the air: across the lower
// right the table's top is a clear step darker than the wall above it, its
// front in shade darker still, and round the candlestick's foot the flame's
// light spills over the top.
TEST(ForgePictures, TheCandleStandsOnATable)
{
    std::vector<Rgba> portrait = finishedPortrait();
    float tops = 0;
    for (int x : {820, 960, 1100})
    {
        float wall = boxLuminance(portrait, x - 40, 260, x + 40, 330);
        float top = boxLuminance(portrait, x - 40, 470, x + 40, 540);
        EXPECT_LT(top, wall * 0.7f) << "no table top under the wall at x " << x;
        tops += top / 3;
    }
    EXPECT_LT(boxLuminance(portrait, 800, 590, 1200, 670), tops * 0.7f) << "the table has no front in shade";
    float foot = boxLuminance(portrait, 740, 400, 800, 440), along = boxLuminance(portrait, 1060, 400, 1140, 440);
    EXPECT_GT(foot, along * 1.6f) << "no candlelight on the table round the candlestick";
}

// The finished figure does not dissolve under her chest: the velvet goes on
// down past the table's front edge to the frame's foot, opaque and red
// across her body, and her sleeve on the candle's side is lit while the
// far one is in shade.
TEST(ForgePictures, HerDressGoesOnDownToTheTable)
{
    const Picture& dress = shown("S3-23.png");
    for (int top : {520, 640})
    {
        int red = 0, all = 0;
        for (int y = top; y < top + 30; ++y)
            for (int x = 580; x < 680; ++x, ++all)
            {
                // Red by its hue, so the folds that fall into shade count too.
                const Rgba c = dress.at(x, y);
                float others = std::max(c.g, c.b);
                red += c.a > 0.9f && c.r - others > 0.1f && c.r > 1.6f * others;
            }
        EXPECT_GT(red, all / 2) << "her dress has faded out above y " << top + 30;
    }
    std::vector<Rgba> portrait = finishedPortrait();
    float near = boxLuminance(portrait, 712, 420, 732, 500), far = boxLuminance(portrait, 523, 420, 543, 500);
    EXPECT_GT(near, far * 3) << "her sleeve towards the candle is not lit";
    EXPECT_GT(boxRedness(portrait, 712, 420, 732, 500), 0.5f) << "no sleeve towards the candle";
}

namespace
{
// Each poem's ground and the ink of its lines.
struct PoemGround
{
    const char* file;
    const InkBox* lines;
};
const PoemGround poemGrounds[] = {{"S3-1.png", firstPoemInk}, {"S2-1.png", secondPoemInk}};
}

// Each poem's light is one pool round the whole block of its lines, never a
// stack of boxes stepping in and out with each line's end: the ground is
// light all the way between any two ends of its lines (a little in from
// the straight path towards the block's middle), except where her drawing
// lies in the first poem's ground.
TEST(ForgePictures, EachPoemsLightIsOnePoolRoundAllItsLines)
{
    for (const PoemGround& ground : poemGrounds)
    {
        const Picture& p = shown(ground.file);
        std::vector<Point> ends;
        float cx = 0, cy = 0;
        for (int k = 0; k < poemLines; ++k)
            for (float y : {ground.lines[k].top, ground.lines[k].bottom})
            {
                ends.push_back({ground.lines[k].right, y});
                cx += ground.lines[k].right / (2 * poemLines), cy += y / (2 * poemLines);
            }
        int dark = 0, looked = 0;
        std::string where;
        for (size_t i = 0; i < ends.size(); ++i)
            for (size_t j = i + 1; j < ends.size(); ++j)
                for (float t : {0.25f, 0.5f, 0.75f})
                {
                    float x = ends[i].x + (ends[j].x - ends[i].x) * t, y = ends[i].y + (ends[j].y - ends[i].y) * t;
                    float toMiddle = length(cx - x, cy - y);
                    if (toMiddle > 24)
                        x += (cx - x) / toMiddle * 24, y += (cy - y) / toMiddle * 24;
                    if (ground.lines == firstPoemInk && x > 500 && x < 780 && y > 120 && y < 460)
                        continue;
                    // The median of the pixels round it, so that a stroke of the
                    // brush does not decide.
                    std::vector<float> near;
                    for (int dy = -4; dy <= 4; ++dy)
                        for (int dx = -4; dx <= 4; ++dx)
                            near.push_back(luminanceAt(p, int(x) + dx, int(y) + dy));
                    std::nth_element(near.begin(), near.begin() + near.size() / 2, near.end());
                    ++looked;
                    if (near[near.size() / 2] < 0.5f && ++dark <= 4)
                        where += " (" + std::to_string(int(x)) + ", " + std::to_string(int(y)) + ")";
                }
        EXPECT_GT(looked, 100) << ground.file;
        EXPECT_EQ(dark, 0) << ground.file << " is dark between its lines' ends, at" << where;
    }
}

// Where each poem's light dies away, its edge runs calmly round the lines:
// seen from their middle, the distance out to where the light has fallen
// to 0.7 changes smoothly from one degree to the next, with no notch bitten
// into it and no step where a lobe of light stops.
TEST(ForgePictures, EachPoemsLightHasACalmEdge)
{
    for (const PoemGround& ground : poemGrounds)
    {
        const Picture& p = shown(ground.file);
        auto brightness = [&](int x, int y) {
            float sum = 0;
            for (int dy = -4; dy <= 4; ++dy)
                for (int dx = -4; dx <= 4; ++dx)
                {
                    const Rgba& c = p.at(std::clamp(x + dx, 0, p.width - 1), std::clamp(y + dy, 0, p.height - 1));
                    sum += (c.r + c.g + c.b) / 3;
                }
            return sum / 81;
        };
        float cx = 0, cy = 0;
        for (int k = 0; k < poemLines; ++k)
            cx += (ground.lines[k].left + ground.lines[k].right) / (2.f * poemLines),
                cy += (ground.lines[k].top + ground.lines[k].bottom) / (2.f * poemLines);
        // Out along each degree to where the light falls; not through her
        // drawing, and not where the frame's edge comes first.
        std::vector<int> reach(360, -1);
        for (int degree = 0; degree < 360; ++degree)
        {
            float dx = std::cos(degree * 3.14159265f / 180), dy = std::sin(degree * 3.14159265f / 180);
            for (int r = 0;; ++r)
            {
                int x = int(cx + dx * r), y = int(cy + dy * r);
                if (x < 0 || y < 0 || x >= p.width || y >= p.height)
                    break;
                if (ground.lines == firstPoemInk && x > 500 && x < 780 && y > 120 && y < 460)
                    continue;
                if (brightness(x, y) < 0.7f)
                {
                    reach[degree] = r;
                    break;
                }
            }
        }
        int judged = 0, worst = 0, at = 0;
        for (int degree = 0; degree < 360; ++degree)
        {
            int before = reach[(degree + 359) % 360], here = reach[degree], after = reach[(degree + 1) % 360];
            if (before < 0 || here < 0 || after < 0)
                continue;
            ++judged;
            if (std::abs(before - 2 * here + after) > worst)
                worst = std::abs(before - 2 * here + after), at = degree;
        }
        EXPECT_GT(judged, 300) << ground.file;
        EXPECT_LE(worst, 14) << ground.file << "'s light has a notch or a step in its edge, " << at << " degrees round";
    }
}

// Her first drawing lies under the first poem's red words, so it is a faint
// warm grey chalk: its darkest marks stay pale, and where it darkens the
// ground it takes away all three colours alike, not mostly green and blue
// as a red chalk does, which would read as the words' own red.
TEST(ForgePictures, HerFirstDrawingIsAPaleGreyChalk)
{
    const Picture& p = shown("S3-1.png");
    // The plain ground to the left of her.
    Rgba ground{};
    int count = 0;
    for (int y = 180; y < 300; ++y)
        for (int x = 300; x < 450; ++x, ++count)
            ground.r += p.at(x, y).r, ground.g += p.at(x, y).g, ground.b += p.at(x, y).b;
    ground.r /= count, ground.g /= count, ground.b /= count;
    // The pencil's guide lines on the same ground are the stamps' own, and
    // are checked with them.
    std::vector<bool> pencil(size_t(220) * 290, false);
    for (const SketchStroke& stroke : bustStrokes)
        for (const SketchSegment& s : strokeSegments(stroke))
        {
            TweenPoint a = s.from, b = s.to;
            for (float t = 0; t <= 1; t += 0.05f)
                for (int dy = -4; dy <= 4; ++dy)
                    for (int dx = -4; dx <= 4; ++dx)
                    {
                        int x = int(a.x + t * (b.x - a.x)) + dx - 520, y = int(a.y + t * (b.y - a.y)) + dy - 150;
                        if (x >= 0 && x < 220 && y >= 0 && y < 290 && dx * dx + dy * dy <= 16)
                            pencil[size_t(y) * 220 + x] = true;
                    }
        }
    std::vector<float> drawn;
    double lostRed = 0, lostGreen = 0;
    for (int y = 150; y < 440; ++y)
        for (int x = 520; x < 740; ++x)
        {
            if (pencil[size_t(y - 150) * 220 + (x - 520)])
                continue;
            const Rgba& c = p.at(x, y);
            float l = relativeLuminance(c);
            drawn.push_back(l);
            if (l < relativeLuminance(ground) - 0.12f)
                lostRed += ground.r - c.r, lostGreen += ground.g - c.g;
        }
    std::nth_element(drawn.begin(), drawn.begin() + drawn.size() / 100, drawn.end());
    EXPECT_GT(drawn[drawn.size() / 100], 0.4f) << "her drawing is too dark to lie under the words";
    ASSERT_GT(lostGreen, 0) << "no drawing of her on the ground";
    EXPECT_GT(lostRed / lostGreen, 0.8) << "her drawing is a red chalk, the words' own colour";
}

// Each later layer of the grave shows where it is laid: the flowers at the
// foot of the stone, the candle's light beside it, the petals all over.
TEST(ForgePictures, GraveLayersEachAddTheirPart)
{
    std::vector<Rgba> grave = blackFrame();
    drawLayer(grave, shown("S4-1.png"), 0);
    drawLayer(grave, shown("S4-4.png"), 0);
    std::vector<Rgba> stoneOnly = grave;
    // The stone stands out from the hill behind it.
    EXPECT_GT(boxLuminance(grave, 540, 420, 660, 540), boxLuminance(grave, 300, 480, 420, 600) * 1.5f);
    drawLayer(grave, shown("S4-21.png"), 0);
    EXPECT_GT(boxRedness(grave, 500, 560, 660, 610), boxRedness(stoneOnly, 500, 560, 660, 610) + 0.1f) << "no flowers";
    std::vector<Rgba> flowers = grave;
    drawLayer(grave, shown("S4-22.png"), 0);
    EXPECT_GT(boxLuminance(grave, 700, 480, 820, 620), boxLuminance(flowers, 700, 480, 820, 620) * 1.5f) << "no candle light";
    // The lantern warms the side of the stone that faces it.
    Rgba side = meanIn(grave, 660, 470, 698, 580), unlit = meanIn(flowers, 660, 470, 698, 580);
    EXPECT_GT(side.r - side.b, unlit.r - unlit.b + 0.03f) << "the stone's side is not warmed";
    // A candle's light lies round it on the grass, not in a beam up the
    // hill: what it adds on the ground beside the lantern is well more than
    // what it adds as far above it.
    float aboveGain = boxLuminance(grave, 740, 400, 780, 440) - boxLuminance(flowers, 740, 400, 780, 440);
    float groundGain = boxLuminance(grave, 850, 600, 890, 630) - boxLuminance(flowers, 850, 600, 890, 630);
    EXPECT_GT(groundGain, aboveGain * 2) << "the lantern throws its light up the hill";

    // The petals blow downwind of the bouquet, to the right: none far up
    // wind, none lying on the lantern (x 732 to 788, its cap's top at 505),
    // and the far ones smaller and well greyer than those near the flowers.
    const Picture& petals = shown("S4-23.png");
    EXPECT_LT(coveredFraction(petals, 0.3f, 0, 0, 480, 720), 0.0002f) << "petals up wind of the bouquet";
    EXPECT_EQ(coveredFraction(petals, 0.3f, 732, 505, 788, 614), 0) << "a petal lies on the lantern";
    EXPECT_GT(coveredFraction(petals, 0.3f, 640, 0, 1280, 720), 0.001f) << "no petals down wind";
    auto petalStats = [&](int left, int right, float& coverage, float& chroma) {
        long count = 0;
        double spread = 0;
        for (int y = 0; y < petals.height; ++y)
            for (int x = left; x < right; ++x)
            {
                const Rgba& c = petals.at(x, y);
                if (c.a <= 0.3f)
                    continue;
                ++count;
                spread += std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
            }
        coverage = float(count) / ((right - left) * petals.height);
        chroma = count ? float(spread / count) : 0;
    };
    float nearCover, nearChroma, farCover, farChroma;
    petalStats(560, 800, nearCover, nearChroma);
    petalStats(1040, 1280, farCover, farChroma);
    EXPECT_LT(farChroma, nearChroma * 0.45f) << "far petals as bright in colour as the near ones";
    EXPECT_GT(nearCover, farCover) << "far petals no smaller or sparser than the near ones";
}

// The far stones along the slope sit darker than the grass beside them, as
// dark shapes in the dusk: none stands out as a pale post brighter than its
// surroundings. A column 5 px wide and 15 tall is compared with the columns
// 12 px either side of it, so the crest and the hills' horizontal edges
// cancel and only upright shapes count. The main stone and the tree's trunk
// are left out.
TEST(ForgePictures, FarStonesAreNoPalerThanTheHillAroundThem)
{
    const Picture& hill = shown("S4-1.png");
    auto column = [&](int cx, int cy) {
        double sum = 0;
        for (int y = cy - 7; y <= cy + 7; ++y)
            for (int x = cx - 2; x <= cx + 2; ++x)
            {
                const Rgba& c = hill.at(x, y);
                sum += (c.r + c.g + c.b) / 3;
            }
        return sum / 75;
    };
    struct Band { int left, right, top; };
    for (const Band& band : {Band{20, 440, 400}, Band{780, 960, 320}, Band{1050, 1260, 320}})
    {
        double brightest = -1;
        int bx = 0, by = 0;
        for (int y = band.top; y < 540; y += 2)
            for (int x = band.left; x < band.right; ++x)
            {
                double bump = column(x, y) - 0.5 * (column(x - 12, y) + column(x + 12, y));
                if (bump > brightest)
                    brightest = bump, bx = x, by = y;
            }
        EXPECT_LT(brightest, 0.075) << "a pale upright shape on the hill at " << bx << ", " << by;
    }
}

// The lone tree on the crest grows from a broad foot: its trunk is clearly
// wider there than just under its fork, not one width all the way up.
TEST(ForgePictures, TheLoneTreesTrunkNarrowsUpwards)
{
    const Picture& hill = shown("S4-1.png");
    // The trunk's width in a row: each pixel counts by how far it lies from
    // the ground either side towards the trunk's darkest pixel, so soft
    // edges count by their share.
    auto trunkWidth = [&](int top, int bottom) {
        double sum = 0;
        for (int y = top; y <= bottom; ++y)
        {
            std::vector<float> row;
            for (int x = 960; x < 1050; ++x)
            {
                const Rgba& c = hill.at(x, y);
                row.push_back((c.r + c.g + c.b) / 3);
            }
            std::vector<float> sorted = row;
            std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
            float ground = sorted[sorted.size() / 2], trunk = *std::min_element(row.begin(), row.end());
            EXPECT_GT(ground - trunk, 0.05f) << "no trunk in row " << y;
            for (float v : row)
                sum += std::clamp((ground - v) / (ground - trunk), 0.f, 1.f);
        }
        return sum / (bottom - top + 1);
    };
    double foot = trunkWidth(372, 396), underFork = trunkWidth(306, 318);
    EXPECT_GT(foot, 1.3 * underFork) << "the trunk is " << foot << " px wide at its foot and " << underFork << " px under the fork";
}

// The glint is a gleam, not a four-pointed star: its halo is as round on the
// diagonals as along the axes, and it is there at all. The halo reaches far
// enough that neighbours on the loop run together: glints drawn at three
// quarters' size 9 px apart meet 6 sprite pixels from each head, and there
// the two halos together still cover a fair part of the ground, so the chain
// reads as one filament rather than a string of beads.
TEST(ForgePictures, TheGlintIsARoundGleam)
{
    const Picture& glint = shown("glint.png");
    // Pixel centres lie at half pixels; the sprite's centre is (8, 8).
    double axes = 0, diagonals = 0;
    for (int k : {0, 1})
    {
        int near = 7 + k, far = k ? 11 : 4;    // 3.5 px from the centre along an axis
        axes += glint.at(far, near).a + glint.at(near, far).a;
        int d1 = k ? 10 : 5;                   // 3.5 px from the centre on a diagonal
        diagonals += glint.at(d1, d1).a + glint.at(d1, 15 - d1).a;
    }
    EXPECT_GT(diagonals / 4, 0.1) << "no halo round the glint's head";
    EXPECT_GT(diagonals, axes * 0.6) << "the glint's light runs in rays, a star";
    EXPECT_GT(glint.at(7, 7).a + glint.at(8, 8).a, 1.8f) << "no bright head";

    double between = 0;
    int ring = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            double r = std::hypot(x + 0.5 - 8, y + 0.5 - 8);
            if (r >= 5.5 && r < 6.5)
                between += glint.at(x, y).a, ++ring;
        }
    between /= ring;
    EXPECT_GT(1 - (1 - between) * (1 - between), 0.15) << "neighbouring glints do not meet: a string of beads";
}

// A pale, even sky laid with tapered strokes shows no outline round each
// stroke: after smoothing along the strokes, hardly a row is a thin line
// brighter than the rows just above and below it, as a stroke's rim is.
TEST(ForgePictures, TaperedStrokesLeaveNoRims)
{
    Composition sky = [](float x, float) { return rgb(150 + int(x) / 60, 160, 180); };
    PaintStyle style = brushStyle(101, 30, 3, 5, 0, Surface::none);
    style.taperedStrokes = true;
    Canvas painted = paintComposition(400, 200, sky, [](float, float) { return 0.f; }, style);
    const int w = painted.width, h = painted.height, reach = 4;
    auto smoothed = [&](int x, int y) {
        float sum = 0;
        for (int k = -reach; k <= reach; ++k)
        {
            const Colour& c = at(painted, std::min(std::max(x + k, 0), w - 1), y);
            sum += (c.r + c.g + c.b) / 3;
        }
        return sum / (2 * reach + 1);
    };
    long rims = 0, all = 0;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 0; x < w; ++x, ++all)
            rims += smoothed(x, y) - 0.5f * (smoothed(x, y - 1) + smoothed(x, y + 1)) > 0.006f;
    EXPECT_LT(double(rims) / all, 0.005) << "the strokes' edges show as bright rims";
}

// The zoomed pictures hold detail at their centre, where scene 2 starts at 3x.
TEST(ForgePictures, ZoomedPicturesHaveDetailAtTheirCentre)
{
    for (const char* name : {"S1-1.png", "SF3.png"})
    {
        const Picture& p = shown(name);
        double sum = 0, squares = 0;
        int n = 0;
        for (int y = 260; y < 460; y += 2)
            for (int x = 460; x < 820; x += 2, ++n)
            {
                float l = luminanceAt(p, x, y);
                sum += l;
                squares += l * l;
            }
        double spread = std::sqrt(squares / n - (sum / n) * (sum / n));
        EXPECT_GT(spread, 0.05) << name << " is flat at its centre";
    }
}

// The brush of the still life lies inside the loop the glints trace, from
// the end of its handle to the tip of its bristles.
TEST(ForgePictures, BrushLiesInsideTheGlintLoop)
{
    const Picture& still = shown("SF1.png");
    std::vector<Point> loop;
    for (int i = 0; i < glintCount; ++i)
        loop.push_back({glintLoop[i].x, glintLoop[i].y});
    long inside = 0, outside = 0;
    bool nearHandleEnd = false, nearTip = false;
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 1280; ++x)
        {
            if (!isBrushRed(still.at(x, y)))
                continue;
            // A pixel counts as inside when it or a neighbour within 2 px is.
            bool in = false;
            for (int dy = -2; dy <= 2 && !in; dy += 2)
                for (int dx = -2; dx <= 2 && !in; dx += 2)
                    in = insidePolygon(x + 0.5f + dx, y + 0.5f + dy, loop);
            (in ? inside : outside) += 1;
            if (in && std::hypot(x - 510.0, y - 408.0) < 25)
                nearHandleEnd = true;
            if (in && std::hypot(x - 694.0, y - 266.0) < 25)
                nearTip = true;
        }
    EXPECT_GT(inside, 800) << "too little of the brush shows";
    EXPECT_LT(outside, inside / 50) << "the brush strays outside the loop";
    EXPECT_TRUE(nearHandleEnd);
    EXPECT_TRUE(nearTip);
}

// Each glint comes to rest on a lit strand; between the strands is dark.
TEST(ForgePictures, StrandsRunUnderTheStrandPoints)
{
    const Picture& strands = shown("SF2.png");
    int onStrand = 0;
    for (int i = 0; i < glintCount; ++i)
    {
        int px = int(glintStrands[i].x), py = int(glintStrands[i].y);
        float brightest = 0;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                brightest = std::max(brightest, luminanceAt(strands, std::min(std::max(px + dx, 0), 1279), std::min(std::max(py + dy, 0), 719)));
        onStrand += brightest > 0.25f;
    }
    EXPECT_EQ(onStrand, glintCount);
    // Away from the strands (left of them, and between them below her face)
    // the picture is dark.
    for (Point p : {Point{400, 200}, Point{760, 250}, Point{1000, 500}})
        EXPECT_LT(luminanceAt(strands, int(p.x), int(p.y)), 0.15f) << p.x << "," << p.y;
    // Above her, between them, a soft shaft of light falls onto her: lit,
    // not dark hair, yet well below the hairs that edge it.
    float shaft = luminanceAt(strands, 765, 30);
    EXPECT_GT(shaft, 0.08f) << "no light falls between the strands above her";
    EXPECT_LT(shaft, 0.3f) << "the light between the strands outshines them";
}

// Each strand is a lock of many fine hairs, not one line: across its lower
// part, where it fans out, it shows many separate lit hairs over a width.
TEST(ForgePictures, StrandsAreLocksOfFineHairs)
{
    const Picture& strands = shown("SF2.png");
    struct Scan { int left, right, y; };
    const Scan locks[2][3] = {{{640, 760, 280}, {640, 760, 300}, {640, 760, 320}},
                              {{860, 960, 230}, {860, 960, 250}, {860, 960, 270}}};
    for (const auto& lock : locks)
    {
        int hairs = 0;
        for (const Scan& scan : lock)
        {
            std::vector<float> row;
            for (int x = scan.left; x < scan.right; ++x)
                row.push_back(luminanceAt(strands, x, scan.y));
            // A hair: a lit ridge, brighter than its neighbours on both sides.
            int first = -1, last = -1;
            for (int i = 2; i + 2 < int(row.size()); ++i)
            {
                float low = *std::min_element(row.begin() + i - 2, row.begin() + i + 3);
                if (row[i] >= row[i - 1] && row[i] > row[i + 1] && row[i] > 0.04f && row[i] - low > 0.015f)
                    ++hairs;
                if (row[i] > 0.05f)
                {
                    if (first < 0)
                        first = i;
                    last = i;
                }
            }
            EXPECT_GE(last - first, 24) << "a thin line at y " << scan.y;
        }
        EXPECT_GE(hairs, 20) << "too few hairs in the lock";
    }
}

// Between the locks she is remembered: her face, lit by the shaft of light,
// stands out clearly from the dark round her, yet stays well below the lit
// hairs so that the glints landing on them remain the brightest thing.
TEST(ForgePictures, StrandsFallEitherSideOfHerFace)
{
    const Picture& strands = shown("SF2.png");
    auto meanLuminance = [&](int left, int top, int right, int bottom, float* brightest) {
        double sum = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
            {
                float l = luminanceAt(strands, x, y);
                sum += l;
                *brightest = std::max(*brightest, l);
            }
        return float(sum / ((right - left) * (bottom - top)));
    };
    float faceBrightest = 0, darkBrightest = 0, lockBrightest = 0;
    float face = meanLuminance(776, 121, 818, 189, &faceBrightest);
    float dark = meanLuminance(300, 150, 400, 250, &darkBrightest);
    meanLuminance(680, 0, 940, 350, &lockBrightest);
    EXPECT_GT(face, 0.12f) << "no face between the locks";
    EXPECT_GT(face, 8 * dark) << "her face does not stand out from the dark";
    EXPECT_LT(faceBrightest, 0.6f * lockBrightest) << "her face outshines the hairs";

    // Her features keep their drawing: open eyes well darker than the
    // cheeks below them, and a mouth still red in the amber of memory.
    float cheekNear = meanLuminance(776, 157, 789, 167, &faceBrightest), cheekFar = meanLuminance(805, 157, 818, 167, &faceBrightest);
    EXPECT_LT(meanLuminance(777, 143, 786, 150, &faceBrightest), 0.35f * cheekNear) << "her left eye is smeared away";
    EXPECT_LT(meanLuminance(808, 143, 817, 150, &faceBrightest), 0.35f * cheekFar) << "her right eye is smeared away";
    EXPECT_GT(boxRedness(strands.pixels, 790, 182, 804, 188), boxRedness(strands.pixels, 772, 153, 798, 172) + 0.1f)
        << "her mouth is no redder than her skin";

    // The locks are the lit outer edges of her hair and never cut across
    // her face: in every row from her hairline to her chin, walking out from
    // the middle of her face to the first lit hair either way, a band of
    // dark hair lies between her cheek and the lock.
    const int middle = 797;
    int cutRows = 0, firstCut = -1;
    for (int y = 105; y <= 212; ++y)
        for (int step : {-1, 1})
        {
            int darkRun = 0, widest = 0;
            for (int x = middle; x > 600 && x < 1000 && luminanceAt(strands, x, y) < 0.5f; x += step)
            {
                darkRun = luminanceAt(strands, x, y) < 0.06f ? darkRun + 1 : 0;
                widest = std::max(widest, darkRun);
            }
            if (widest < 6 && cutRows++ == 0)
                firstCut = y;
        }
    EXPECT_EQ(cutRows, 0) << "a lock cuts into her face, first at row " << firstCut;
}

// Every caption against the mean colour beneath its text box in the frames
// the scenes show, with the layers stacked as the scenes stack them.
TEST(ForgePictures, CaptionsStayLegibleOverThePictures)
{
    const float legible = 3.0f;
    const Rgba black{0, 0, 0, 1}, white{1, 1, 1, 1}, red{226 / 255.f, 22 / 255.f, 22 / 255.f, 1};

    // Scene 1: the presenter line over the three title layers, the middle
    // one drifting left while the line shows.
    for (float drift : {-8.f, -20.f, -32.f})
    {
        std::vector<Rgba> frame = blackFrame();
        drawLayer(frame, shown("title1.png"), 0);
        drawLayer(frame, shown("title2.png"), drift);
        drawLayer(frame, shown("title3.png"), 0);
        EXPECT_GE(captionContrast(frame, {"Tollmere Crew presents", 86, 120, 60, black}), legible);
    }

    // Scenes 5 and 7: the two poems over their pictures.
    const int poemX[] = {40, 50, 60, 70, 80, 90};
    const int poemY[] = {50, 150, 250, 350, 450, 550};
    const char* firstPoem[] = {"The burning pyre", "The dark above", "The flowers that we gave, my love",
                               "And all that still remains", "Is the painted wind, and the memory", "Of a Grave "};
    const char* secondPoem[] = {"Taken away too soon", "Absent you, the brush begins to move",
                                "The canvas will bring forth, ascend", "The painful loss, the guilty heart",
                                "Ill bring you back...", "...Again "};
    std::vector<Rgba> grave = blackFrame();
    drawLayer(grave, shown("S3-1.png"), 0);
    drawLayer(grave, shown("title3.png"), 0);
    std::vector<Rgba> paper = blackFrame();
    drawLayer(paper, shown("S2-1.png"), 0);
    drawLayer(paper, shown("S1-2.png"), 0, 2.0f, true);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_GE(captionContrast(grave, {firstPoem[i], 75, poemX[i], poemY[i], red}), legible);
        EXPECT_GE(captionContrast(paper, {secondPoem[i], 75, poemX[i], poemY[i], red}), legible);
    }

    // Scene 8: white captions over the studio at night and the painter.
    std::vector<Rgba> night = blackFrame();
    drawLayer(night, shown("S5-1.png"), 0);
    drawLayer(night, shown("S5-2.png"), 0);
    EXPECT_GE(captionContrast(night, {"Guilt ... resentment ...", 56, 100, 100, white}), legible);
    EXPECT_GE(captionContrast(night, {"Canvas ... Brush ...", 56, 140, 180, white}), legible);

    // Scene 10: the black caption while the last picture recedes.
    for (float scale : {1.35f, 1.25f, 1.15f})
    {
        std::vector<Rgba> last = blackFrame();
        drawLayer(last, shown("SF3.png"), 0, scale, true);
        EXPECT_GE(captionContrast(last, {"I can't capture you anymore ...", 57, 40, 80, black}), legible);
    }
}

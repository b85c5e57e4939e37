// The show's fast paths give the pictures the slow ones would: pictures
// decoded on two threads land in their own sprites with their messages in
// order, a skipped clear overlay changes no pixel, nor does skipping what an
// opaque picture hides or a picture's clear parts, the coarse levels halved
// as the pictures decode are the driver's own, and the mipmapped blur is
// smooth where a few taps without mipmaps would be grainy, the narrow blur
// ramps across a hard edge as a fine blur does, and a blur drawn
// at reduced resolution is the picture the full-size blur draws, as is one
// drawn from the half-size canvas, and the warm-up leaves nothing behind that
// a scene could see.
#include "support/show_test.h"

#include "app/startup.h"
#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/picture_draw.h"
#include "assets/picture_levels.h"
#include "assets/render_target.h"
#include "assets/shaders.h"
#include "scenes/scene.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Shader.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace
{
// Collects what a piece of code writes to a stream.
struct StreamCapture
{
    std::ostream& stream;
    std::ostringstream text;
    std::streambuf* saved;
    explicit StreamCapture(std::ostream& s) : stream(s), saved(s.rdbuf(text.rdbuf())) {}
    ~StreamCapture() { stream.rdbuf(saved); }
};

// The spread of the red channel along one row, between two columns: how
// much a smooth ramp is broken by grain.
double rowRoughness(const sf::Image& image, unsigned row, unsigned from, unsigned to)
{
    double total = 0;
    for (unsigned x = from + 1; x < to; ++x)
        total += std::abs(int(image.getPixel(x, row).r) - int(image.getPixel(x - 1, row).r));
    return total / double(to - from - 1);
}

// The widest radius the narrow blur takes, to a hundred-thousandth.
float widestNarrowRadius()
{
    float widest = 0.001f;
    while (blurHalvings(widest + 0.00001f) == 0)
        widest += 0.00001f;
    return widest;
}

// A hard edge: black on the left half of the screen, white on the right.
sf::Image hardEdge()
{
    sf::Image edge;
    edge.create(1280, 720, sf::Color::Black);
    for (unsigned y = 0; y < 720; ++y)
        for (unsigned x = 640; x < 1280; ++x)
            edge.setPixel(x, y, sf::Color::White);
    return edge;
}
}

TEST(ParallelCatalogue, EveryPictureLandsInItsOwnSpriteAndFailuresKeepTheirOrder)
{
    // Damage three pictures, spread over the catalogue, in a copy of the show.
    std::string show = makeShowCopy();
    const char* damaged[] = {"title2.png", "S3-22.png", "SF1.png"};
    for (const char* file : damaged)
        writeShowFile(show, file, "not a picture at all");
    ASSERT_EQ(chdir(show.c_str()), 0);

    StreamCapture out(std::cout);
    StreamCapture err(sf::err());
    loadCatalogue();

    EXPECT_EQ(out.text.str(), "error loading texture title2.png\nerror loading texture S3-22.png\n"
                              "error loading texture SF1.png\n");
    // The image loader's own reason: one whole line per damaged picture, in order.
    std::vector<std::string> reasons = splitLines(err.text.str());
    ASSERT_EQ(reasons.size(), 3u) << err.text.str();
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(reasons[i].find(damaged[i]), std::string::npos) << reasons[i];

    // Every other sprite shows exactly its own file.
    for (int i = 0; i < catalogueSize; ++i)
    {
        sf::Sprite* sprite = catalogueSprite(i);
        bool isDamaged = false;
        for (const char* file : damaged)
            isDamaged = isDamaged || std::string(file) == catalogueFile(i);
        if (isDamaged)
        {
            EXPECT_EQ(sprite, nullptr) << catalogueFile(i);
            continue;
        }
        ASSERT_NE(sprite, nullptr) << catalogueFile(i);
        sf::Image expected;
        ASSERT_TRUE(expected.loadFromFile(catalogueFile(i)));
        sf::Image loaded = sprite->getTexture()->copyToImage();
        ASSERT_EQ(loaded.getSize(), expected.getSize()) << catalogueFile(i);
        size_t bytes = size_t(expected.getSize().x) * expected.getSize().y * 4;
        EXPECT_EQ(std::memcmp(loaded.getPixelsPtr(), expected.getPixelsPtr(), bytes), 0) << catalogueFile(i);
    }
}

TEST(Overlays, AClearOverlayIsSkippedWithoutChangingAPixelAndAFaintOneIsDrawn)
{
    loadShowForTest();
    sf::RenderTexture& target = testTarget();
    sf::Sprite& black = picture("black.png");
    sf::Sprite& scenePicture = picture("S3-1.png");

    // The frame with a clear overlay blended over it, the slow way.
    target.clear(sf::Color::Black);
    target.draw(scenePicture);
    setSpriteAlpha(black, 0.0f);
    target.draw(black);
    target.display();
    sf::Image blended = target.getTexture().copyToImage();

    target.clear(sf::Color::Black);
    target.draw(scenePicture);
    drawOverlay(target, black);
    target.display();
    sf::Image skipped = target.getTexture().copyToImage();
    EXPECT_EQ(std::memcmp(blended.getPixelsPtr(), skipped.getPixelsPtr(), 1280 * 720 * 4), 0);

    // An overlay of alpha 128 darkens the picture: it was drawn.
    setSpriteAlpha(black, 128.0f);
    target.clear(sf::Color::Black);
    target.draw(scenePicture);
    drawOverlay(target, black);
    target.display();
    sf::Image darkened = target.getTexture().copyToImage();
    EXPECT_LT(meanColor(darkened, 0, 0, 1280, 720).r + 10, meanColor(skipped, 0, 0, 1280, 720).r);
    setSpriteAlpha(black, 0.0f);
}

TEST(Overlays, AnOpaquePictureAtFullStrengthHidesWhatIsUnderItAndNothingElseDoes)
{
    loadShowForTest();
    sf::RenderTexture& target = testTarget();
    EXPECT_TRUE(pictureOpaque("S3-1.png"));
    EXPECT_FALSE(pictureOpaque("S3-2.png")); // a layer with clear parts
    EXPECT_FALSE(pictureOpaque("no-such-picture.png"));

    // The canvas as the bust scene draws it once it has faded in...
    sf::Sprite& canvas = picture("S3-1.png");
    sf::Sprite& layer = picture("S3-2.png");
    const sf::Color canvasColor = canvas.getColor(), layerColor = layer.getColor();
    setSpriteAlpha(canvas, 255.0f);
    EXPECT_TRUE(hidesTarget("S3-1.png", target));

    // ...and anything short of that.
    setSpriteAlpha(canvas, 254.0f);
    EXPECT_FALSE(hidesTarget("S3-1.png", target));
    setSpriteAlpha(canvas, 255.0f);
    canvas.setPosition(1.0f, 0.0f);
    EXPECT_FALSE(hidesTarget("S3-1.png", target));
    canvas.setPosition(0.0f, 0.0f);
    canvas.setScale(0.99f, 0.99f);
    EXPECT_FALSE(hidesTarget("S3-1.png", target));
    canvas.setScale(1.0f, 1.0f);
    canvas.setRotation(1.0f);
    EXPECT_FALSE(hidesTarget("S3-1.png", target));
    canvas.setRotation(0.0f);
    setSpriteAlpha(layer, 255.0f);
    EXPECT_FALSE(hidesTarget("S3-2.png", target));
    layer.setColor(layerColor);

    // Where it hides the target, what was under it leaves no trace.
    auto drawn = [&](bool withBackdrop) {
        target.clear(sf::Color::Black);
        if (withBackdrop)
        {
            target.draw(picture("S2-1.png"));
            target.draw(picture("S2-2.png"));
        }
        target.draw(canvas);
        target.display();
        return target.getTexture().copyToImage();
    };
    sf::Image over = drawn(true);
    sf::Image alone = drawn(false);
    EXPECT_EQ(std::memcmp(over.getPixelsPtr(), alone.getPixelsPtr(), 1280 * 720 * 4), 0);

    // Through the ripple the opaque picture replaces what is under it, and a
    // layer or a faded picture lets it through, each as a blended draw would.
    rippleShader.setUniform("time", 0.7f);
    auto rippled = [&](const sf::Sprite& sprite, bool blended) {
        target.clear(sf::Color::Black);
        target.draw(picture("S2-1.png"));
        if (blended)
            target.draw(sprite, sf::RenderStates(&rippleShader));
        else
            drawRippled(target, sprite);
        target.display();
        return target.getTexture().copyToImage();
    };
    sf::Sprite faded(canvas);
    setSpriteAlpha(faded, 150.0f);
    for (const sf::Sprite* sprite : {&canvas, &faded, &layer})
    {
        sf::Image blended = rippled(*sprite, true);
        sf::Image shown = rippled(*sprite, false);
        EXPECT_EQ(std::memcmp(blended.getPixelsPtr(), shown.getPixelsPtr(), 1280 * 720 * 4), 0)
            << "tint alpha " << int(sprite->getColor().a) << (sprite == &layer ? ", layer" : "");
    }
    canvas.setColor(canvasColor);
}

TEST(Overlays, APictureDrawnOnlyWhereItHoldsColourLeavesThePixelsADrawOfItAllWould)
{
    loadShowForTest();
    sf::RenderTexture& target = testTarget();

    // The layered pictures have clear parts worth leaving out; opaque ones
    // are drawn whole.
    for (const char* layer :
         {"S3-2.png", "S4-21.png", "S4-23.png", "S4-4.png", "S5-2.png", "title2.png", "title3.png"})
    {
        const std::vector<sf::IntRect>* parts = pictureVisibleParts(picture(layer).getTexture());
        ASSERT_NE(parts, nullptr) << layer;
        long long area = 0;
        for (const sf::IntRect& part : *parts)
            area += static_cast<long long>(part.width) * part.height;
        sf::Vector2u size = picture(layer).getTexture()->getSize();
        EXPECT_LT(area, 0.85 * size.x * size.y) << layer;
    }
    EXPECT_EQ(pictureVisibleParts(picture("S4-1.png").getTexture()), nullptr);

    // Every picture over a busy one, as it stands, moved by a fraction of a
    // pixel and faded, and zoomed and turned: the same pixels either way,
    // an opaque one at full strength drawn unblended included.
    sf::Sprite& backdrop = picture("S3-1.png");
    auto drawn = [&](const sf::Sprite& sprite, bool inParts) {
        target.clear(sf::Color::Black);
        target.draw(backdrop);
        if (inParts)
            drawPicture(target, sprite);
        else
            target.draw(sprite);
        target.display();
        return target.getTexture().copyToImage();
    };
    for (int i = 0; i < catalogueSize; ++i)
    {
        sf::Sprite* sprite = catalogueSprite(i);
        ASSERT_NE(sprite, nullptr);
        sf::Sprite still(*sprite), moved(*sprite), turned(*sprite);
        moved.move(-37.3f, 12.6f);
        moved.setColor(sf::Color(255, 255, 255, 160));
        turned.setScale(1.37f, 0.8f);
        turned.setRotation(7.0f);
        for (const sf::Sprite* shown : {&still, &moved, &turned})
        {
            sf::Image whole = drawn(*shown, false);
            sf::Image inParts = drawn(*shown, true);
            EXPECT_EQ(std::memcmp(whole.getPixelsPtr(), inParts.getPixelsPtr(), 1280 * 720 * 4), 0)
                << catalogueFile(i);
        }
    }

    // The overlays, drawn as quads of their one colour, at every strength a
    // fade passes through.
    for (const char* overlay : {"black.png", "white.png"})
        for (int alpha = 1; alpha < 255; alpha += 3)
        {
            sf::Sprite faded(picture(overlay));
            faded.setColor(sf::Color(255, 255, 255, static_cast<sf::Uint8>(alpha)));
            sf::Image whole = drawn(faded, false);
            sf::Image asQuad = drawn(faded, true);
            EXPECT_EQ(std::memcmp(whole.getPixelsPtr(), asQuad.getPixelsPtr(), 1280 * 720 * 4), 0)
                << overlay << " at alpha " << alpha;
        }
}

TEST(Blur, AWideBlurOverMipmapsIsASmoothRampAndWithoutThemIsGrainy)
{
    loadShowForTest();
    sf::Image edge = hardEdge();
    sf::Texture plain, mipmapped;
    ASSERT_TRUE(plain.loadFromImage(edge));
    ASSERT_TRUE(mipmapped.loadFromImage(edge));
    plain.setSmooth(true);
    mipmapped.setSmooth(true);
    ASSERT_TRUE(mipmapped.generateMipmap());

    // Radius 0.1 of the width, the widest the show uses: 128 pixels.
    sf::RenderTexture& target = testTarget();
    auto blurred = [&](const sf::Texture& texture) {
        blurShader.setUniform("blur_radius", 0.1f);
        sf::Sprite sprite(texture);
        target.clear(sf::Color::Black);
        target.draw(sprite, sf::RenderStates(&blurShader));
        target.display();
        blurShader.setUniform("blur_radius", 0.0f);
        return target.getTexture().copyToImage();
    };
    sf::Image smooth = blurred(mipmapped);
    sf::Image grainy = blurred(plain);

    // Across the edge the blur ramps from dark to light...
    EXPECT_LT(smooth.getPixel(560, 360).r, 100);
    EXPECT_GT(smooth.getPixel(720, 360).r, 155);
    EXPECT_GT(smooth.getPixel(640, 360).r, 60);
    EXPECT_LT(smooth.getPixel(640, 360).r, 195);
    // ...in small steps from pixel to pixel, unlike the same taps over one level.
    double smoothSteps = rowRoughness(smooth, 360, 540, 740);
    double grainySteps = rowRoughness(grainy, 360, 540, 740);
    EXPECT_LT(smoothSteps, 6.0);
    EXPECT_GT(grainySteps, 1.5 * smoothSteps);
}

namespace
{
// The mean and the largest difference of two images, over every channel.
struct Difference
{
    double mean = 0;
    int largest = 0;
};

Difference difference(const sf::Image& a, const sf::Image& b)
{
    Difference d;
    const sf::Uint8* p = a.getPixelsPtr();
    const sf::Uint8* q = b.getPixelsPtr();
    std::size_t bytes = std::size_t(a.getSize().x) * a.getSize().y * 4;
    for (std::size_t i = 0; i < bytes; ++i)
    {
        int step = std::abs(int(p[i]) - int(q[i]));
        d.mean += step;
        d.largest = std::max(d.largest, step);
    }
    d.mean /= double(bytes);
    return d;
}

// A picture with hard edges of every kind: a step, a bright square, thin bars.
sf::Image testPattern()
{
    sf::Image image;
    image.create(1280, 720, sf::Color(20, 30, 60));
    for (unsigned y = 0; y < 720; ++y)
        for (unsigned x = 0; x < 1280; ++x)
        {
            if (x >= 640)
                image.setPixel(x, y, sf::Color(230, 200, 120));
            if (x > 200 && x < 400 && y > 200 && y < 400)
                image.setPixel(x, y, sf::Color::White);
            if (y > 500 && (x / 8) % 2 == 0)
                image.setPixel(x, y, sf::Color(200, 40, 40));
        }
    return image;
}

// A texture of one colour, or of the hard-edged pattern, smoothed and with
// its coarse levels as the show's blurred pictures have them.
bool solidTexture(sf::Texture& texture, sf::Color colour)
{
    sf::Image image;
    image.create(1280, 720, colour);
    return texture.loadFromImage(image);
}

bool patternTexture(sf::Texture& texture)
{
    if (!texture.loadFromImage(testPattern()))
        return false;
    texture.setSmooth(true);
    return texture.generateMipmap();
}

// A sprite of the texture about its centre, moved, zoomed and faded as the
// scenes draw their layers.
sf::Sprite zoomedSprite(const sf::Texture& texture, sf::Vector2f place, float scale, sf::Uint8 alpha)
{
    sf::Sprite sprite(texture);
    sprite.setOrigin(640, 360);
    sprite.setPosition(place);
    sprite.setScale(scale, scale);
    sprite.setColor(sf::Color(255, 255, 255, alpha));
    return sprite;
}
}

TEST(Blur, AtReducedResolutionItDrawsWhatTheFullSizeBlurDraws)
{
    loadShowForTest();
    sf::Texture texture;
    ASSERT_TRUE(patternTexture(texture));
    sf::RenderTexture& target = testTarget();

    auto render = [&](const sf::Sprite& sprite, bool reduced) {
        target.clear(sf::Color::Black);
        if (reduced)
            drawBlurred(target, sprite);
        else
            target.draw(sprite, sf::RenderStates(&blurShader));
        target.display();
        return target.getTexture().copyToImage();
    };

    // Radii from a few pixels to the widest the show uses, on a sprite as it
    // stands and on one zoomed, moved and faded as the scenes draw them.
    sf::Sprite still(texture);
    sf::Sprite moved = zoomedSprite(texture, {600, 380}, 1.3f, 160);
    for (float radius : {0.0035f, 0.006f, 0.02f, 0.05f, 0.1f})
        for (const sf::Sprite* sprite : {&still, &moved})
        {
            SCOPED_TRACE("radius " + std::to_string(radius));
            setBlurRadius(radius);
            ASSERT_GT(blurHalvings(radius), 0);
            Difference d = difference(render(*sprite, false), render(*sprite, true));
            // At full size each pixel turns the spiral over a coarse level on
            // its own, so the hard edges keep a little grain there.
            EXPECT_LT(d.mean, 2.5);
            EXPECT_LT(d.largest, 64);
        }

    // No radius: exactly the picture drawn plainly.
    setBlurRadius(0.0f);
    target.clear(sf::Color::Black);
    target.draw(moved);
    target.display();
    sf::Image plain = target.getTexture().copyToImage();
    Difference none = difference(plain, render(moved, true));
    EXPECT_EQ(none.largest, 0);

    // Narrow radii, with half the taps, drawn at full size, or at the
    // picture's own size and stretched where it is magnified: still the full
    // blur's picture, and still a blur. The narrow blur is smooth, so the
    // largest difference is the full blur's own grain at the hard edges.
    sf::Sprite magnified = zoomedSprite(texture, {620, 350}, 3.0f, 200);
    for (const sf::Sprite* sprite : {&still, &magnified})
    {
        target.clear(sf::Color::Black);
        target.draw(*sprite);
        target.display();
        sf::Image sharp = target.getTexture().copyToImage();
        for (float radius : {0.001f, 0.0025f})
        {
            SCOPED_TRACE("radius " + std::to_string(radius) + (sprite == &still ? ", still" : ", magnified"));
            setBlurRadius(radius);
            ASSERT_EQ(blurHalvings(radius), 0);
            sf::Image narrow = render(*sprite, true);
            Difference d = difference(render(*sprite, false), narrow);
            EXPECT_LT(d.mean, 1.0);
            EXPECT_LT(d.largest, 64);
            EXPECT_GT(difference(sharp, narrow).largest, 24);
        }
    }
    setBlurRadius(0.0f);
}

// The narrow blur at its widest reads a few pixels around each it draws: a
// layer blurred only where it holds colour still gets every faint rim the
// blur spreads from it. The parts go through another vertex path than a
// whole sprite, which moves a channel by a step or two here and there; a
// lost rim is tens of steps.
TEST(Blur, ANarrowBlurOfALayerInItsPartsSpreadsEveryRimAWholeOneWould)
{
    loadShowForTest();
    sf::RenderTexture& target = testTarget();
    float widest = widestNarrowRadius();
    setBlurRadius(widest);
    auto drawn = [&](const sf::Sprite& layer, bool inParts) {
        target.clear(sf::Color::Black);
        target.draw(picture("S3-1.png"));
        if (inParts)
            drawBlurred(target, layer);
        else
            target.draw(layer, sf::RenderStates(&narrowBlurShader));
        target.display();
        return target.getTexture().copyToImage();
    };
    for (int i = 0; i < catalogueSize; ++i)
    {
        sf::Sprite moved(*catalogueSprite(i));
        moved.move(21.6f, -8.3f);
        EXPECT_LE(difference(drawn(moved, false), drawn(moved, true)).largest, 2)
            << catalogueFile(i) << " at radius " << widest;
    }
    setBlurRadius(0.0f);
}

// The narrow blur's taps fall so close that, unturned, they draw the soft
// edge of a fine blur: the same ramp on every row, no grain, no ghost steps.
TEST(Blur, ANarrowBlurRampsAcrossAHardEdgeAsAFineBlurDoesOnEveryRowAlike)
{
    loadShowForTest();
    sf::Texture texture;
    ASSERT_TRUE(texture.loadFromImage(hardEdge()));
    texture.setSmooth(true);
    sf::RenderTexture& target = testTarget();
    float widest = widestNarrowRadius();
    for (float radius : {0.0012f, widest})
    {
        SCOPED_TRACE("radius " + std::to_string(radius));
        setBlurRadius(radius);
        target.clear(sf::Color::Black);
        target.draw(sf::Sprite(texture), sf::RenderStates(&narrowBlurShader));
        target.display();
        sf::Image blurred = target.getTexture().copyToImage();

        // The fine blur: Gaussian weights over the disc, exp(-2 r^2) with r
        // the distance as a share of the radius, summed on a dense grid.
        float reach = radius * 1280.0f;
        auto fine = [&](float fromEdge) {
            double lit = 0, all = 0;
            for (int i = -100; i <= 100; ++i)
                for (int j = -100; j <= 100; ++j)
                {
                    double u = i / 100.0, v = j / 100.0;
                    if (u * u + v * v > 1.0)
                        continue;
                    double weight = std::exp(-2.0 * (u * u + v * v));
                    all += weight;
                    if (fromEdge + u * reach > 0.0)
                        lit += weight;
                }
            return 255.0 * lit / all;
        };
        int worstRow = 0, worstRamp = 0;
        for (unsigned x = 630; x < 650; ++x)
        {
            int middle = blurred.getPixel(x, 360).r;
            for (unsigned y = 10; y < 710; ++y)
                worstRow = std::max(worstRow, std::abs(int(blurred.getPixel(x, y).r) - middle));
            // Measured from the pixel's centre. Six taps draw the fine ramp in
            // a few coarse steps, each within about a tenth of the way; a ramp
            // shifted by a fifth of a pixel misses by a sixth.
            double expected = fine(float(x) + 0.5f - 640.0f);
            worstRamp = std::max(worstRamp, int(std::lround(std::abs(middle - expected))));
        }
        EXPECT_LE(worstRow, 1);
        EXPECT_LE(worstRamp, 32);
    }
    setBlurRadius(0.0f);
}

TEST(Blur, AZoomedPictureIsBlurredOnlyWhereItShowsAndNothingLeftFromEarlierBlursShows)
{
    loadShowForTest();
    sf::Texture texture;
    ASSERT_TRUE(patternTexture(texture));
    sf::Texture white, black;
    ASSERT_TRUE(solidTexture(white, sf::Color::White));
    ASSERT_TRUE(solidTexture(black, sf::Color::Black));
    sf::RenderTexture& target = testTarget();

    // Zoomed about the centre as the studio starts, zoomed with an edge on
    // the screen, turned, and moved wholly off the screen.
    sf::Sprite centred(texture), edge(texture), turned(texture), gone(texture);
    for (sf::Sprite* sprite : {&centred, &edge, &turned, &gone})
        sprite->setOrigin(640, 360);
    centred.setPosition(640, 360);
    centred.setScale(3.0f, 3.0f);
    edge.setPosition(1000, 300);
    edge.setScale(1.75f, 1.75f);
    turned.setPosition(600, 400);
    turned.setScale(2.0f, 2.0f);
    turned.setRotation(10.0f);
    gone.setPosition(-2000, 360);

    // Each blurred after a whole white picture, and after a whole black one,
    // has filled the small target: what shows must not depend on it.
    auto after = [&](const sf::Texture& earlier, const sf::Sprite& sprite) {
        target.clear(sf::Color::Black);
        drawBlurred(target, sf::Sprite(earlier));
        target.clear(sf::Color::Black);
        drawBlurred(target, sprite);
        target.display();
        return target.getTexture().copyToImage();
    };
    const sf::Sprite* placements[] = {&centred, &edge, &turned, &gone};
    for (float radius : {0.0035f, 0.006f, 0.02f, 0.05f})
        for (int i = 0; i < 4; ++i)
        {
            SCOPED_TRACE("radius " + std::to_string(radius) + ", placement " + std::to_string(i));
            setBlurRadius(radius);
            sf::Image afterWhite = after(white, *placements[i]);
            EXPECT_EQ(difference(afterWhite, after(black, *placements[i])).largest, 0);

            // And it is still the picture the full-size blur draws.
            target.clear(sf::Color::Black);
            target.draw(*placements[i], sf::RenderStates(&blurShader));
            target.display();
            EXPECT_LT(difference(target.getTexture().copyToImage(), afterWhite).mean, 2.5);
        }
    setBlurRadius(0.0f);
}

namespace
{
// Level `level` of a texture as the driver holds it.
std::vector<sf::Uint8> levelPixels(const sf::Texture& texture, int level, int& width, int& height)
{
    sf::Texture::bind(&texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    std::vector<sf::Uint8> pixels(std::size_t(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    sf::Texture::bind(nullptr);
    return pixels;
}

// The largest channel difference between two textures' levels below their
// own pixels, level by level, both chains as long as the driver's; -1 where
// the sizes differ.
std::vector<int> levelDifferences(const sf::Texture& ours, const sf::Texture& drivers)
{
    std::vector<int> largest;
    for (int level = 1;; ++level)
    {
        int width = 0, height = 0, ourWidth = 0, ourHeight = 0;
        std::vector<sf::Uint8> expected = levelPixels(drivers, level, width, height);
        if (width == 0)
            return largest;
        std::vector<sf::Uint8> made = levelPixels(ours, level, ourWidth, ourHeight);
        if (ourWidth != width || ourHeight != height)
        {
            largest.push_back(-1);
            continue;
        }
        int worst = 0;
        for (std::size_t i = 0; i < made.size(); ++i)
            worst = std::max(worst, std::abs(int(made[i]) - int(expected[i])));
        largest.push_back(worst);
    }
}
}

TEST(Blur, PicturesGetTheCoarseLevelsTheDriverWouldMakeAndReadThem)
{
    loadShowForTest();

    // Noise with odd sides, and each picture the blur reads, its levels made
    // our way and the driver's.
    sf::Image noise;
    noise.create(45, 23);
    std::mt19937 random(7);
    for (unsigned y = 0; y < 23; ++y)
        for (unsigned x = 0; x < 45; ++x)
            noise.setPixel(x, y, sf::Color(random() % 256, random() % 256, random() % 256, random() % 256));
    std::vector<std::pair<std::string, sf::Image>> images = {{"noise", noise}};
    for (const char* file : {"S1-1.png", "S5-2.png", "SF2.png"})
    {
        images.emplace_back(file, sf::Image());
        ASSERT_TRUE(images.back().second.loadFromFile(file));
    }
    for (const auto& [name, image] : images)
    {
        SCOPED_TRACE(name);
        sf::Texture ours, drivers;
        ASSERT_TRUE(ours.loadFromImage(image));
        ASSERT_TRUE(drivers.loadFromImage(image));
        ours.setSmooth(true);
        drivers.setSmooth(true);
        ASSERT_TRUE(setTextureLevels(ours, halvedLevels(image)));
        ASSERT_TRUE(drivers.generateMipmap());
        std::vector<int> largest = levelDifferences(ours, drivers);
        EXPECT_FALSE(largest.empty());
        for (std::size_t level = 0; level < largest.size(); ++level)
            EXPECT_TRUE(largest[level] >= 0 && largest[level] <= 1)
                << "level " << level + 1 << " differs by " << largest[level];
        if (name == "noise")
            continue;

        // The catalogue's own texture of the picture holds the levels and reads them.
        const sf::Texture* shownTexture = picture(name.c_str()).getTexture();
        ASSERT_NE(shownTexture, nullptr);
        const sf::Texture& shown = *shownTexture;
        for (int shownLargest : levelDifferences(shown, drivers))
            EXPECT_TRUE(shownLargest >= 0 && shownLargest <= 1) << "the catalogue's differs by " << shownLargest;
        GLint filter = 0;
        sf::Texture::bind(&shown);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        sf::Texture::bind(nullptr);
        EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    }
}

TEST(Blur, AWideBlurGetsTheCoarseLevelsItReadsAndANarrowOneDoesWithoutThem)
{
    loadShowForTest();
    sf::Texture texture;
    ASSERT_TRUE(texture.loadFromImage(testPattern()));
    sf::RenderTexture source;
    ASSERT_TRUE(source.create(1280, 720));
    source.setSmooth(true);
    sf::RenderTexture& target = testTarget();

    // The off-screen picture as a scene leaves it, its levels built one way
    // or the other, drawn through the blur.
    auto blurred = [&](bool alwaysBuildLevels) {
        source.clear();
        source.draw(sf::Sprite(texture));
        source.display();
        if (alwaysBuildLevels)
            ASSERT_TRUE(source.generateMipmap());
        else
            generateBlurLevels(source);
        target.clear(sf::Color::Black);
        drawBlurred(target, sf::Sprite(source.getTexture()));
        target.display();
    };
    for (float radius : {0.0f, 0.001f, 0.0025f, 0.0035f, 0.006f, 0.02f, 0.1f})
    {
        SCOPED_TRACE("radius " + std::to_string(radius));
        setBlurRadius(radius);
        blurred(true);
        sf::Image withLevels = target.getTexture().copyToImage();
        blurred(false);
        sf::Image asBuilt = target.getTexture().copyToImage();
        EXPECT_EQ(difference(withLevels, asBuilt).largest, 0);
    }
    setBlurRadius(0.0f);
}

TEST(Blur, APictureBlurredFromTheHalfSizeCanvasIsTheOneBlurredFromTheOffScreenTarget)
{
    loadShowForTest();
    sf::Texture texture;
    ASSERT_TRUE(patternTexture(texture));
    sf::RenderTexture& target = testTarget();

    // A picture laid out as a scene lays its blurred picture out: hard edges
    // placed as they are and zoomed, a rippled painting, a sparse layer. The
    // canvas, opaque, hides the picture it is shown over, drawn blended or not.
    sf::Sprite pattern(texture);
    sf::Sprite zoomed = zoomedSprite(texture, {610, 370}, 1.3f, 150);
    rippleShader.setUniform("time", 3.0f);
    auto layOut = [&](sf::RenderTexture& canvas) {
        canvas.draw(pattern, sf::RenderStates::Default);
        canvas.draw(zoomed, sf::RenderStates::Default);
        sf::Sprite& painting = picture("S3-1.png");
        sf::Color kept = painting.getColor();
        painting.setColor(sf::Color(255, 255, 255, 110));
        canvas.draw(painting, sf::RenderStates(&rippleShader));
        painting.setColor(kept);
        drawPicture(canvas, picture("title3.png"));
    };

    // The same picture on the full-size off-screen target with all its levels.
    auto fromOffScreen = [&]() {
        layOut(renderTexture);
        renderTexture.display();
        EXPECT_TRUE(renderTexture.generateMipmap());
        target.clear(sf::Color::Black);
        target.draw(picture("S2-1.png"));
        drawBlurred(target, renderTextureSprite);
        target.display();
        return target.getTexture().copyToImage();
    };
    auto fromCanvas = [&]() {
        layOut(blurCanvas());
        target.clear(sf::Color::Black);
        target.draw(picture("S2-1.png"));
        drawBlurredCanvas(target);
        target.display();
        return target.getTexture().copyToImage();
    };

    // Too narrow to be halved, or none at all: the canvas is the target itself.
    for (float radius : {0.0f, 0.002f})
    {
        SCOPED_TRACE("radius " + std::to_string(radius));
        setBlurRadius(radius);
        EXPECT_EQ(&blurCanvas(), &renderTexture);
        EXPECT_EQ(difference(fromOffScreen(), fromCanvas()).largest, 0);
    }

    // Halved once and more: the canvas's pixels stand in for the first level,
    // and the blur reads one level less of it.
    for (float radius : {0.0035f, 0.005f, 0.008f, 0.02f, 0.05f, 0.1f})
    {
        SCOPED_TRACE("radius " + std::to_string(radius));
        setBlurRadius(radius);
        ASSERT_GT(blurHalvings(radius), 0);
        EXPECT_EQ(blurCanvas().getSize(), sf::Vector2u(640, 360));
        // The canvas first: what is drawn on it right after it is made counts too.
        sf::Image fromHalfSize = fromCanvas();
        Difference d = difference(fromOffScreen(), fromHalfSize);
        EXPECT_LT(d.mean, 0.4);
        EXPECT_LT(d.largest, 12);
    }
    setBlurRadius(0.0f);
}

// An opaque picture, untinted, replaces what it covers instead of blending,
// and reads its own pixels with its coarse levels set aside: neither changes
// a pixel, a wide blur that follows still reads the levels, and so does the
// picture drawn shrunk.
TEST(Blur, AnOpaquePictureDrawsThePixelsBlendingWouldAndItsWideBlurStillReadsItsLevels)
{
    loadShowForTest();
    sf::RenderTexture& target = testTarget();
    const sf::Texture* picturesOwn = picture("SF2.png").getTexture();
    ASSERT_NE(picturesOwn, nullptr);

    auto drawn = [&](const sf::Sprite& sprite) {
        target.clear(sf::Color::Black);
        target.draw(picture("S3-1.png"));
        drawBlurred(target, sprite);
        target.display();
        return target.getTexture().copyToImage();
    };
    sf::Sprite asItIs(*picturesOwn);
    sf::Sprite faded(*picturesOwn);
    faded.setColor(sf::Color(255, 255, 255, 150));
    sf::Sprite magnified = zoomedSprite(*picturesOwn, {640, 360}, 3.0f, 255);
    for (sf::Sprite* sprite : {&asItIs, &faded, &magnified})
        for (float radius : {0.0f, 0.002f, 0.01f, 0.002f, 0.03f, 0.0f})
        {
            SCOPED_TRACE("radius " + std::to_string(radius) + ", tint alpha " +
                         std::to_string(sprite->getColor().a) + ", scale " + std::to_string(sprite->getScale().x));
            setBlurRadius(radius);
            sf::Image shown = drawn(*sprite);
            // The same pixels in a texture of no picture, blended, mipmapped
            // afresh: its levels as they were made, whatever came before.
            sf::Texture fresh(*picturesOwn);
            fresh.setSmooth(true);
            ASSERT_TRUE(fresh.generateMipmap());
            sprite->setTexture(fresh);
            sf::Image blended = drawn(*sprite);
            sprite->setTexture(*picturesOwn);
            EXPECT_EQ(difference(shown, blended).largest, 0);
        }

    // Shown smaller than it is, with no radius, it reads its levels as a plain draw does.
    setBlurRadius(0.0f);
    sf::Sprite shrunk = zoomedSprite(*picturesOwn, {640, 360}, 0.4f, 255);
    sf::Image shown = drawn(shrunk);
    target.clear(sf::Color::Black);
    target.draw(picture("S3-1.png"));
    target.draw(shrunk);
    target.display();
    EXPECT_EQ(difference(shown, target.getTexture().copyToImage()).largest, 0);
}

TEST(Blur, TheCanvasStartsOpaqueBlackSoThatItHidesWhatItIsShownOver)
{
    loadShowForTest();
    sf::RenderTexture& target = testTarget();
    auto shown = [&](bool onCanvas) {
        target.clear(sf::Color::Black);
        if (onCanvas)
        {
            target.draw(picture("S2-1.png"));
            drawPicture(blurCanvas(), picture("title3.png"));
            drawBlurredCanvas(target);
        }
        else
            drawPicture(target, picture("title3.png"));
        target.display();
        return target.getTexture().copyToImage();
    };

    // A newly made off-screen target with only a sparse layer on it: the
    // layer over black, whether the canvas is shown as it is or blurred.
    for (float radius : {0.0f, 0.002f})
    {
        SCOPED_TRACE("radius " + std::to_string(radius));
        createRenderTarget();
        setBlurRadius(radius);
        sf::Image canvas = shown(true);
        setBlurRadius(0.0f);
        if (radius > 0.0f)
        {
            // The blur softens the layer; what matters is that nothing of the picture under it shows.
            EXPECT_LT(difference(shown(false), canvas).mean, 1.0);
        }
        else
            EXPECT_EQ(difference(shown(false), canvas).largest, 0);
    }
    setBlurRadius(0.0f);

    // Shown plainly, the off-screen picture hides what is under it untinted
    // and lets it through faded, as a blended draw does.
    renderTexture.clear(sf::Color::Black);
    drawPicture(renderTexture, picture("title3.png"));
    renderTexture.display();
    for (float alpha : {255.0f, 140.0f})
    {
        setSpriteAlpha(renderTextureSprite, alpha);
        auto over = [&](bool blended) {
            target.clear(sf::Color::Black);
            target.draw(picture("S2-1.png"));
            if (blended)
                target.draw(renderTextureSprite);
            else
                drawRenderTexture(target);
            target.display();
            return target.getTexture().copyToImage();
        };
        EXPECT_EQ(difference(over(true), over(false)).largest, 0) << "alpha " << alpha;
    }
    setSpriteAlpha(renderTextureSprite, 255.0f);
}

TEST(Blur, HalvingsFollowTheTapSpacing)
{
    // Each doubling of the radius halves the picture once more, up to the limit.
    EXPECT_EQ(blurHalvings(0.0f), 0);
    EXPECT_EQ(blurHalvings(-1.0f), 0);
    // Taps under two pixels apart: the blur stays full size.
    EXPECT_EQ(blurHalvings(0.003f), 0);
    int previous = 0;
    for (float radius = 0.0035f; radius < 0.1f; radius *= 2.0f)
    {
        EXPECT_EQ(blurHalvings(radius), previous + 1) << radius;
        previous = blurHalvings(radius);
    }
    EXPECT_EQ(blurHalvings(10.0f), maxBlurHalvings);
}

namespace
{
// What a scene may rely on in a sprite it did not set itself.
struct SpriteState
{
    sf::Vector2f position, scale, origin;
    float rotation;
    sf::Color color;
    sf::IntRect rect;
};

SpriteState stateOf(const sf::Sprite& sprite)
{
    return {sprite.getPosition(), sprite.getScale(), sprite.getOrigin(), sprite.getRotation(), sprite.getColor(),
            sprite.getTextureRect()};
}

bool operator==(const SpriteState& a, const SpriteState& b)
{
    return a.position == b.position && a.scale == b.scale && a.origin == b.origin && a.rotation == b.rotation &&
           a.color == b.color && a.rect == b.rect;
}

// The largest channel value of an image, alpha left out.
int brightest(const sf::Image& image)
{
    const sf::Uint8* p = image.getPixelsPtr();
    int most = 0;
    for (std::size_t i = 0; i < std::size_t(image.getSize().x) * image.getSize().y * 4; ++i)
        if (i % 4 != 3)
            most = std::max(most, int(p[i]));
    return most;
}
}

TEST(WarmUp, LeavesEveryPictureAsItWasAndBothTargetsBlack)
{
    loadShowForTest();
    sf::RenderWindow window;
    openShowWindow(window);

    // A sprite placed, turned and faded as a scene leaves it.
    sf::Sprite& placed = picture("S5-2.png");
    placed.setPosition(40.0f, -12.0f);
    placed.setScale(1.25f, 0.5f);
    placed.setRotation(7.0f);
    placed.setColor(sf::Color(255, 255, 255, 90));

    std::vector<SpriteState> before;
    for (int i = 0; i < catalogueSize; ++i)
        before.push_back(catalogueSprite(i) ? stateOf(*catalogueSprite(i)) : SpriteState{});
    SpriteState offScreenBefore = stateOf(renderTextureSprite);

    warmUpShow(window);

    for (int i = 0; i < catalogueSize; ++i)
        EXPECT_TRUE(!catalogueSprite(i) || stateOf(*catalogueSprite(i)) == before[i]) << catalogueFile(i);
    EXPECT_TRUE(stateOf(renderTextureSprite) == offScreenBefore);

    // Nothing drawn while warming up is left on either target.
    EXPECT_EQ(brightest(renderTexture.getTexture().copyToImage()), 0);
    setBlurRadius(0.01f);
    sf::RenderTexture& canvas = blurCanvas();
    setBlurRadius(0.0f);
    ASSERT_NE(&canvas, &renderTexture);
    EXPECT_EQ(brightest(canvas.getTexture().copyToImage()), 0);
    sf::Texture windowPicture;
    ASSERT_TRUE(windowPicture.create(1280, 720));
    windowPicture.update(window);
    EXPECT_EQ(brightest(windowPicture.copyToImage()), 0);
}

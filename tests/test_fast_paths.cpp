// The show's fast paths give the pictures the slow ones would: pictures
// decoded on two threads land in their own sprites with their messages in
// order, a skipped clear overlay changes no pixel, and the mipmapped blur is
// smooth where a few taps without mipmaps would be grainy.
#include "support/show_test.h"

#include "assets/catalogue.h"
#include "assets/shaders.h"
#include "scenes/scene.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Shader.hpp>
#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iostream>
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

TEST(Blur, AWideBlurOverMipmapsIsASmoothRampAndWithoutThemIsGrainy)
{
    loadShowForTest();
    // A hard edge: black on the left half, white on the right.
    sf::Image edge;
    edge.create(1280, 720, sf::Color::Black);
    for (unsigned y = 0; y < 720; ++y)
        for (unsigned x = 640; x < 1280; ++x)
            edge.setPixel(x, y, sf::Color::White);
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

// The runtime in-process: show strings, the picture catalogue and the shaders.
#include "support/show_test.h"

#include "assets/catalogue.h"
#include "assets/fonts.h"
#include "assets/shaders.h"
#include "tools/tool_common.h"

#include <SFML/Graphics/Shader.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Window/Context.hpp>
#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>

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

const char* const shaderFiles[] = {
    "vertex_shader.vs.txt",  "heat_shader.vs.txt",      "heat_shader.fs.txt",        "blur_shader.fs.txt",
    "ripple_shader.fs.txt",  "shockwave_shader.fs.txt", "pixelation_shader.fs.txt",
};
}

TEST(ShowStrings, EachByteBecomesTheCodePointOfTheSameValue)
{
    sf::String text = showString("gl\xE4" "d s\xF6" "t \xE5" "\xFF");
    ASSERT_EQ(text.getSize(), 11u);
    EXPECT_EQ(text[2], 0xE4u); // ä
    EXPECT_EQ(text[6], 0xF6u); // ö
    EXPECT_EQ(text[9], 0xE5u); // å
    EXPECT_EQ(text[10], 0xFFu);
    EXPECT_EQ(showString("Ostralis").toAnsiString(), "Ostralis");
}

TEST(Catalogue, LoadsEveryPictureSilentlyWithItsOriginAndPosition)
{
    ASSERT_EQ(chdir(SHOW_DIR), 0);
    StreamCapture out(std::cout);
    loadCatalogue();
    EXPECT_EQ(out.text.str(), "");

    for (int i = 0; i < catalogueSize; ++i)
    {
        sf::Sprite* sprite = catalogueSprite(i);
        ASSERT_NE(sprite, nullptr) << catalogueFile(i);
        ASSERT_NE(sprite->getTexture(), nullptr);
        EXPECT_EQ(&picture(catalogueFile(i)), sprite);
        // Smoothed on purpose: the zooms of scenes 2, 7 and 10 and the
        // spinning stamps would alias with the pictures' own pixels.
        EXPECT_TRUE(sprite->getTexture()->isSmooth()) << catalogueFile(i);
    }
    EXPECT_EQ(picture("S1-1.png").getOrigin(), sf::Vector2f(640, 360));
    EXPECT_EQ(picture("SF3.png").getPosition(), sf::Vector2f(640, 360));
    EXPECT_EQ(picture("glint.png").getOrigin(), sf::Vector2f(8, 8));
    EXPECT_EQ(picture("glint.png").getPosition(), sf::Vector2f(0, 0));
    EXPECT_EQ(picture("black.png").getTexture()->getSize(), sf::Vector2u(1280, 720));
}

// The decoded pixels are let go as each picture becomes a texture: at its
// peak, loading holds the textures, a few pictures in flight and the
// decoder's working memory (about 1.5 times the textures here), well short
// of the whole catalogue twice (2.3 times when no picture was let go).
TEST(Catalogue, LetsGoOfEachDecodedPictureOnceItIsATexture)
{
    ASSERT_EQ(chdir(SHOW_DIR), 0);
    sf::Context context; // the driver's own memory comes before the pictures
    sf::Texture first;
    ASSERT_TRUE(first.create(64, 64));
    const std::uint64_t before = peakResidentBytes();
    loadCatalogue();
    const std::uint64_t growth = peakResidentBytes() - before;

    std::uint64_t textureBytes = 0;
    for (int i = 0; i < catalogueSize; ++i)
        if (catalogueSprite(i))
            textureBytes += std::uint64_t(catalogueSprite(i)->getTexture()->getSize().x) *
                            catalogueSprite(i)->getTexture()->getSize().y * 4;
    ASSERT_GT(textureBytes, 0u);
    EXPECT_LT(double(growth), 1.8 * double(textureBytes))
        << "the peak grew by " << growth / 1048576.0 << " MiB for " << textureBytes / 1048576.0 << " MiB of textures";
}

TEST(Catalogue, AMissingPictureIsOneLineAndABlankSpriteThatDrawsNothing)
{
    StreamCapture out(std::cout);
    EXPECT_EQ(loadSprite("/nonexistent/missing.png"), nullptr);
    EXPECT_EQ(out.text.str(), "error loading texture /nonexistent/missing.png\n");
    EXPECT_EQ(picture("missing.png").getTexture(), nullptr);
}

TEST(Catalogue, APictureClaimingAHugeSizeIsRefusedBeforeDecoding)
{
    // A PNG signature and a header claiming 30000 x 30000 RGBA pixels.
    std::string header("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x75\x30\0\0\x75\x30\x08\x06\0\0\0", 29);
    std::string file = "/tmp/ostralis-huge.png";
    std::ofstream(file, std::ios::binary) << header << std::string(64, '\0');
    StreamCapture out(std::cout);
    EXPECT_EQ(loadSprite(file), nullptr);
    EXPECT_EQ(out.text.str(), "error loading texture " + file + "\n");
}

TEST(Shaders, EverySourceIsValidLegacyGlsl)
{
    for (const char* file : shaderFiles)
    {
        std::string stage = std::string(file).find(".vs.") != std::string::npos ? "vert" : "frag";
        ProcessResult result = runProcess({"glslangValidator", "-d", "-S", stage, file});
        EXPECT_EQ(result.exitCode, 0) << file << "\n" << result.out << result.err;
    }
}

TEST(Shaders, AllCompileAndTakeTheirUniformsWithoutAComplaint)
{
    ASSERT_EQ(chdir(SHOW_DIR), 0);
    ASSERT_TRUE(sf::Shader::isAvailable());
    loadDistortionTexture();
    StreamCapture err(sf::err());
    ASSERT_TRUE(loadShaders());
    for (sf::Shader* shader :
         {&heatShader, &blurShader, &narrowBlurShader, &rippleShader, &shockwaveShader, &pixelationShader})
        EXPECT_NE(shader->getNativeHandle(), 0u);

    // The uniforms the scenes change.
    blurShader.setUniform("blur_radius", 0.16f);
    rippleShader.setUniform("time", 3.2f);
    EXPECT_EQ(err.text.str(), "");
}

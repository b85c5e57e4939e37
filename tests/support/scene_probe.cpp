// Probes for the scene tests.
#include "support/scene_probe.h"

#include "support/show_test.h"

#include "assets/render_target.h"
#include "assets/shaders.h"

#include <algorithm>
#include <stdexcept>

std::vector<std::string> CoutCapture::takeLines()
{
    std::cout.flush();
    std::vector<std::string> lines = splitLines(caught.str());
    caught.str("");
    return lines;
}

namespace
{
// Visits every pixel of a rectangle, clipped to the image.
template <typename Visit>
void eachPixel(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height,
               Visit visit)
{
    unsigned right = std::min(left + width, image.getSize().x);
    unsigned bottom = std::min(top + height, image.getSize().y);
    for (unsigned y = top; y < bottom; ++y)
        for (unsigned x = left; x < right; ++x)
            visit(image.getPixel(x, y));
}
}

int maxRed(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height)
{
    int red = 0;
    eachPixel(image, left, top, width, height, [&](sf::Color c) { red = std::max(red, int(c.r)); });
    return red;
}

int redPixelCount(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height,
                  int minRed)
{
    int count = 0;
    eachPixel(image, left, top, width, height, [&](sf::Color c) {
        if (c.r > minRed && c.g * 3 < c.r && c.b * 3 < c.r)
            ++count;
    });
    return count;
}

void usePlainShaders()
{
    // The uniforms take part, so that setting them finds them.
    const char* plain =
        "uniform sampler2D texture;\n"
        "uniform float blur_radius;\n"
        "uniform float time;\n"
        "void main()\n"
        "{\n"
        "    float keep = step(-1.0e30, blur_radius + time);\n"
        "    gl_FragColor = gl_Color * texture2D(texture, gl_TexCoord[0].xy) * keep;\n"
        "}\n";
    for (sf::Shader* shader : {&blurShader, &narrowBlurShader, &rippleShader})
    {
        if (!shader->loadFromMemory(plain, sf::Shader::Fragment))
            throw std::runtime_error("the plain shader did not compile");
        shader->setUniform("texture", sf::Shader::CurrentTexture);
    }
}

void useTinyRenderTexture()
{
    if (!renderTexture.create(32, 18))
        throw std::runtime_error("the tiny off-screen target could not be made");
    renderTextureSprite.setTexture(renderTexture.getTexture(), true);
}

// Mipmap levels made on the CPU, one halving at a time, each pixel the
// smoothed read at its centre that the driver's own halving makes: the
// blend of its four nearest pixels in eight-bit fixed point, along the row
// first, then down. An exact halving averages two by two pixels; an odd side
// is spread over the pixels of the level below.
#include "assets/picture_levels.h"

#include <SFML/OpenGL.hpp>
#include <SFML/Window/Context.hpp>

#include <algorithm>
#include <cmath>

namespace
{
// A blend's weights are in 256ths.
const int fullWeight = 256;

// Where along one side a pixel of the halved level reads the level above: the
// two neighbours it blends and the second one's weight.
struct SideRead
{
    unsigned first, second;
    int secondWeight;
};

std::vector<SideRead> sideReads(unsigned from, unsigned to)
{
    std::vector<SideRead> reads(to);
    float step = static_cast<float>(from) / static_cast<float>(to);
    for (unsigned i = 0; i < to; ++i)
    {
        // The centre of the new pixel, in the old level's pixels, clamped to
        // its edge as a smoothed read is.
        float centre = (static_cast<float>(i) + 0.5f) * step - 0.5f;
        float left = std::floor(centre);
        unsigned first = static_cast<unsigned>(std::clamp(left, 0.0f, static_cast<float>(from - 1)));
        unsigned second = std::min(static_cast<unsigned>(std::max(left + 1.0f, 0.0f)), from - 1);
        reads[i] = {first, second, static_cast<int>((centre - left) * fullWeight + 0.5f)};
    }
    return reads;
}

// Two values blended, the second with the given weight, rounded to nearest.
int blend(int first, int second, int secondWeight)
{
    return (first * (fullWeight - secondWeight) + second * secondWeight + fullWeight / 2) / fullWeight;
}

// The level below `above`, each side halved and rounded down, at least 1.
PictureLevel halved(const sf::Uint8* above, unsigned width, unsigned height)
{
    PictureLevel level;
    level.width = std::max(width / 2, 1u);
    level.height = std::max(height / 2, 1u);
    level.pixels.resize(std::size_t(level.width) * level.height * 4);
    std::vector<SideRead> across = sideReads(width, level.width);
    std::vector<SideRead> down = sideReads(height, level.height);
    sf::Uint8* out = level.pixels.data();
    for (const SideRead& row : down)
    {
        const sf::Uint8* upper = above + std::size_t(row.first) * width * 4;
        const sf::Uint8* lower = above + std::size_t(row.second) * width * 4;
        for (const SideRead& column : across)
            for (unsigned channel = 0; channel < 4; ++channel)
            {
                unsigned left = column.first * 4 + channel, right = column.second * 4 + channel;
                int top = blend(upper[left], upper[right], column.secondWeight);
                int bottom = blend(lower[left], lower[right], column.secondWeight);
                *out++ = static_cast<sf::Uint8>(blend(top, bottom, row.secondWeight));
            }
    }
    return level;
}
}

std::vector<PictureLevel> halvedLevels(const sf::Image& image)
{
    std::vector<PictureLevel> levels;
    unsigned width = image.getSize().x, height = image.getSize().y;
    const sf::Uint8* above = image.getPixelsPtr();
    if (!above)
        return levels;
    while (width > 1 || height > 1)
    {
        levels.push_back(halved(above, width, height));
        width = levels.back().width;
        height = levels.back().height;
        above = levels.back().pixels.data();
    }
    return levels;
}

bool setTextureLevels(sf::Texture& texture, const std::vector<PictureLevel>& levels)
{
    // The levels go to the texture through the context current on this
    // thread: without one there is nothing to give them to.
    if (sf::Context::getActiveContextId() == 0)
        return false;

    // The drawing code keeps track of the bound texture: put it back after.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, texture.getNativeHandle());
    // Errors left from earlier calls would pass for the driver refusing a level.
    for (int stale = 0; stale < 16 && glGetError() != GL_NO_ERROR; ++stale)
    {
    }

    // A texture padded out to a power of two has other levels than its
    // picture; each level is stored as the texture's own pixels are.
    GLint width = 0, height = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    sf::Vector2u size = texture.getSize();
    bool fits = !levels.empty() && sf::Vector2u(width, height) == size && levels[0].width == std::max(size.x / 2, 1u) &&
                levels[0].height == std::max(size.y / 2, 1u) && levels.back().width == 1 && levels.back().height == 1;

    bool accepted = fits;
    for (std::size_t i = 0; accepted && i < levels.size(); ++i)
    {
        const PictureLevel& level = levels[i];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i + 1), format, level.width, level.height, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, level.pixels.data());
        accepted = glGetError() == GL_NO_ERROR;
    }
    // Read across the levels as a texture smoothed after generateMipmap is;
    // short of a level, the filter stays as it was, reading its pixels alone.
    if (accepted)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        texture.isSmooth() ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR);
    // Other contexts draw it: hand the levels to the driver now.
    glFlush();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return accepted;
}

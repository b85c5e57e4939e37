// The contact sheet: thumbnails shrunk on the CPU (a plain box filter, so
// that fine lines do not alias), labelled with the show's font.
#include "tools/contact_sheet.h"

#include "assets/fonts.h"
#include "tools/tool_common.h"
#include "scenes/scene.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cmath>
#include <cstdio>

namespace
{
const unsigned cellMargin = 8;
const unsigned labelHeight = 24;
const unsigned titleHeight = 40;
const unsigned labelSize = 15;
const sf::Color sheetBackground(28, 28, 32);
const sf::Color labelColour(210, 210, 210);
}

long thumbnailFrame(const ContactSheet& sheet, long n)
{
    return std::lround(n * sheet.everySeconds * sheet.fps);
}

bool wantsThumbnail(const ContactSheet& sheet, long frame)
{
    // Decided by the frame number alone: frames are read back some frames
    // after they are drawn, so the thumbnails taken so far lag behind.
    long nearest = std::lround(frame / (sheet.everySeconds * sheet.fps));
    return frame == thumbnailFrame(sheet, nearest);
}

void addThumbnail(ContactSheet& sheet, long frame, int scene, const std::uint8_t* pixels,
                  unsigned width, unsigned height)
{
    Thumbnail thumbnail;
    thumbnail.frame = frame;
    thumbnail.seconds = double(frame) / sheet.fps;
    thumbnail.scene = scene;
    sheet.thumbWidth = width / thumbnailShrink;
    sheet.thumbHeight = height / thumbnailShrink;
    thumbnail.pixels.resize(size_t(sheet.thumbWidth) * sheet.thumbHeight * 4);

    // Each thumbnail pixel is the mean of a square of the frame; opaque like the screen.
    const unsigned area = thumbnailShrink * thumbnailShrink;
    for (unsigned ty = 0; ty < sheet.thumbHeight; ++ty)
        for (unsigned tx = 0; tx < sheet.thumbWidth; ++tx)
        {
            unsigned sum[3] = {0, 0, 0};
            for (unsigned y = ty * thumbnailShrink; y < (ty + 1) * thumbnailShrink; ++y)
            {
                const std::uint8_t* p = pixels + (size_t(y) * width + tx * thumbnailShrink) * 4;
                for (unsigned x = 0; x < thumbnailShrink; ++x, p += 4)
                {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            std::uint8_t* out = &thumbnail.pixels[(size_t(ty) * sheet.thumbWidth + tx) * 4];
            for (int c = 0; c < 3; ++c)
                out[c] = std::uint8_t((sum[c] + area / 2) / area);
            out[3] = 255;
        }
    sheet.thumbnails.push_back(std::move(thumbnail));
}

std::string thumbnailLabel(const Thumbnail& thumbnail, int sceneCount)
{
    int minutes = int(thumbnail.seconds / 60);
    double seconds = thumbnail.seconds - minutes * 60;
    char label[64];
    if (thumbnail.scene < sceneCount)
        std::snprintf(label, sizeof label, "%d:%04.1f  scene %d", minutes, seconds, thumbnail.scene);
    else
        std::snprintf(label, sizeof label, "%d:%04.1f  end", minutes, seconds);
    return label;
}

bool saveContactSheet(const ContactSheet& sheet, const std::string& path, const std::string& shownPath,
                      std::string& error)
{
    if (sheet.thumbnails.empty())
    {
        error = "no frame was rendered for the contact sheet";
        return false;
    }
    unsigned count = unsigned(sheet.thumbnails.size());
    unsigned columns = std::min(count, contactColumns);
    unsigned rows = (count + columns - 1) / columns;
    unsigned cellWidth = sheet.thumbWidth + cellMargin;
    unsigned cellHeight = sheet.thumbHeight + labelHeight + cellMargin;

    sf::RenderTexture canvas;
    if (!canvas.create(columns * cellWidth + cellMargin, titleHeight + rows * cellHeight + cellMargin))
    {
        error = "cannot create the contact sheet's canvas";
        return false;
    }
    canvas.clear(sheetBackground);

    // A title line: what the sheet shows.
    char title[96];
    std::snprintf(title, sizeof title, "Ostralis: a frame every %g s, %g frames per second",
                  sheet.everySeconds, sheet.fps);
    sf::Text text(title, textFont, 20);
    text.setFillColor(labelColour);
    text.setPosition(float(cellMargin), 8.0f);
    canvas.draw(text);

    sf::Texture thumbTexture;
    thumbTexture.create(sheet.thumbWidth, sheet.thumbHeight);
    text.setCharacterSize(labelSize);
    for (unsigned i = 0; i < count; ++i)
    {
        const Thumbnail& thumbnail = sheet.thumbnails[i];
        float left = float(cellMargin + (i % columns) * cellWidth);
        float top = float(titleHeight + (i / columns) * cellHeight);

        // One texture for all: GL keeps each draw's pixels apart from the next update.
        thumbTexture.update(thumbnail.pixels.data());
        sf::Sprite sprite(thumbTexture);
        sprite.setPosition(left, top);
        canvas.draw(sprite);

        text.setString(thumbnailLabel(thumbnail, sceneCount));
        text.setPosition(left, top + sheet.thumbHeight + 3);
        canvas.draw(text);
    }
    canvas.display();

    return writeOpaquePng(canvas.getTexture().copyToImage(), path, shownPath, error);
}

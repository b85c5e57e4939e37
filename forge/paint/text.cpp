// FreeType lettering: one face of the bold font, opened once per call so that
// painting threads never share it.
#include "paint/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <iostream>

namespace
{
struct Face
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool open(int pixelSize)
    {
        if (FT_Init_FreeType(&library) != 0)
            return false;
        if (FT_New_Face(library, FORGE_BOLD_FONT, 0, &face) != 0)
        {
            std::cerr << "ostralis-forge: cannot open the font " << FORGE_BOLD_FONT << std::endl;
            return false;
        }
        return FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize)) == 0;
    }
    ~Face()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

struct Glyph
{
    int x, y, w, h;               // placement relative to the pen origin and baseline
    std::vector<unsigned char> bits;
};

// Lays out the text with kerning; returns the glyphs and fills the ink box.
bool layout(Face& font, const std::string& text, float letterSpacing, std::vector<Glyph>& glyphs,
            int& left, int& top, int& right, int& bottom)
{
    left = top = 1 << 20;
    right = bottom = -(1 << 20);
    float pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text)
    {
        FT_UInt index = FT_Get_Char_Index(font.face, ch);
        if (previous && index && FT_HAS_KERNING(font.face))
        {
            FT_Vector kern;
            FT_Get_Kerning(font.face, previous, index, FT_KERNING_DEFAULT, &kern);
            pen += kern.x / 64.f;
        }
        previous = index;
        if (FT_Load_Glyph(font.face, index, FT_LOAD_RENDER) != 0)
            continue;
        FT_GlyphSlot slot = font.face->glyph;
        Glyph g;
        g.x = int(std::floor(pen)) + slot->bitmap_left;
        g.y = -slot->bitmap_top;
        g.w = int(slot->bitmap.width);
        g.h = int(slot->bitmap.rows);
        g.bits.resize(size_t(g.w) * g.h);
        for (int row = 0; row < g.h; ++row)
            for (int col = 0; col < g.w; ++col)
                g.bits[size_t(row) * g.w + col] = slot->bitmap.buffer[row * slot->bitmap.pitch + col];
        if (g.w > 0 && g.h > 0)
        {
            left = std::min(left, g.x);
            top = std::min(top, g.y);
            right = std::max(right, g.x + g.w);
            bottom = std::max(bottom, g.y + g.h);
        }
        pen += slot->advance.x / 64.f + letterSpacing;
        glyphs.push_back(std::move(g));
    }
    return right > left;
}
}

TextMask renderText(const std::string& text, int pixelSize, float letterSpacing)
{
    TextMask mask;
    Face font;
    std::vector<Glyph> glyphs;
    int left, top, right, bottom;
    if (!font.open(pixelSize) || !layout(font, text, letterSpacing, glyphs, left, top, right, bottom))
        return mask;
    mask.width = right - left;
    mask.height = bottom - top;
    mask.baseline = -top;
    mask.coverage.assign(size_t(mask.width) * mask.height, 0.f);
    for (const Glyph& g : glyphs)
        for (int row = 0; row < g.h; ++row)
            for (int col = 0; col < g.w; ++col)
            {
                float& c = mask.coverage[size_t(g.y - top + row) * mask.width + (g.x - left + col)];
                c = std::max(c, g.bits[size_t(row) * g.w + col] / 255.f);
            }
    mask.ok = true;
    return mask;
}

TextBox captionBox(const std::string& text, int pixelSize, int x, int y)
{
    TextBox box;
    Face font;
    std::vector<Glyph> glyphs;
    int left, top, right, bottom;
    if (!font.open(pixelSize) || !layout(font, text, 0, glyphs, left, top, right, bottom))
        return box;
    box.left = x + left;
    box.right = x + right;
    box.top = y + pixelSize + top;
    box.bottom = y + pixelSize + bottom;
    box.ok = true;
    return box;
}

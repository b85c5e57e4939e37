// Reading pictures back and stacking them as the scenes do.
#include "support/picture_test.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

Picture readPicture(const std::string& path)
{
    Picture picture;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return picture;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return Picture();
    }
    png_init_io(png, file);
    png_read_info(png, info);
    int colourType = png_get_color_type(png, info);
    picture.width = int(png_get_image_width(png, info));
    picture.height = int(png_get_image_height(png, info));
    picture.hasAlphaChannel = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
    // Everything as 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    std::vector<unsigned char> bytes(size_t(picture.width) * picture.height * 4);
    std::vector<png_bytep> rows(picture.height);
    for (int y = 0; y < picture.height; ++y)
        rows[y] = &bytes[size_t(y) * picture.width * 4];
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    picture.pixels.resize(size_t(picture.width) * picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = {bytes[i * 4] / 255.f, bytes[i * 4 + 1] / 255.f, bytes[i * 4 + 2] / 255.f, bytes[i * 4 + 3] / 255.f};
    picture.ok = true;
    return picture;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<Rgba> blackFrame()
{
    return std::vector<Rgba>(1280 * 720, Rgba{0, 0, 0, 1});
}

void drawLayer(std::vector<Rgba>& frame, const Picture& layer, float left, float scale, bool centred)
{
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 1280; ++x)
        {
            float u = centred ? (x + 0.5f - 640) / scale + 640 : x + 0.5f - left;
            float v = centred ? (y + 0.5f - 360) / scale + 360 : y + 0.5f;
            int px = int(std::floor(u)), py = int(std::floor(v));
            if (px < 0 || py < 0 || px >= layer.width || py >= layer.height)
                continue;
            const Rgba& c = layer.at(px, py);
            Rgba& under = frame[size_t(y) * 1280 + x];
            under.r += (c.r - under.r) * c.a;
            under.g += (c.g - under.g) * c.a;
            under.b += (c.b - under.b) * c.a;
        }
}

Rgba meanIn(const std::vector<Rgba>& frame, int left, int top, int right, int bottom)
{
    double r = 0, g = 0, b = 0;
    long count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, 720); ++y)
        for (int x = std::max(left, 0); x < std::min(right, 1280); ++x)
        {
            const Rgba& c = frame[size_t(y) * 1280 + x];
            r += c.r; g += c.g; b += c.b;
            ++count;
        }
    if (count == 0)
        return Rgba();
    return {float(r / count), float(g / count), float(b / count), 1};
}

float relativeLuminance(const Rgba& c)
{
    auto linear = [](float v) { return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f); };
    return 0.2126f * linear(c.r) + 0.7152f * linear(c.g) + 0.0722f * linear(c.b);
}

float contrastRatio(const Rgba& a, const Rgba& b)
{
    float la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
}

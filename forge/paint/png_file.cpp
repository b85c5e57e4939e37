// PNG output through libpng. The show loads every picture at start-up, so
// the files are written for decoding speed rather than size: see the
// compression choice below.
#include "paint/png_file.h"
#include "paint/noise.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <iostream>

namespace
{
// Measured on the show's pictures with SFML's loader: grainy paintings barely
// compress, and inflating them costs far more than reading stored bytes, so
// they are stored (deflate level 0, no filter), about seven times faster to
// decode than libpng's defaults. Layers that are mostly empty compress to a
// sliver and then decode fast as well: those get full deflate, no filter.
const int storedLevel = 0;
const int packedLevel = 9;
const double packedAtMost = 0.15;   // compressed share of the raw size

// The share of its raw size the image deflates to, by a quick first pass.
double compressedShare(const std::vector<unsigned char>& bytes, size_t stride, int rows)
{
    std::vector<unsigned char> raw;
    raw.reserve(bytes.size() + rows);
    for (int y = 0; y < rows; ++y)
    {
        raw.push_back(0);   // the row's filter byte, as the file will hold it
        raw.insert(raw.end(), bytes.begin() + long(y * stride), bytes.begin() + long((y + 1) * stride));
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 1) != Z_OK)
        return 1;
    return double(packedSize) / double(raw.size());
}
}

std::vector<unsigned char> quantised(const Canvas& canvas, bool withAlpha)
{
    int channels = withAlpha ? 4 : 3;
    std::vector<unsigned char> bytes(size_t(canvas.width) * canvas.height * channels);
    size_t i = 0;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
        {
            const Colour& c = at(canvas, x, y);
            // One dither value per pixel shared by all channels keeps grey grey.
            float dither = hashUnit(uint32_t(x), uint32_t(y), 0xD17Eu) - 0.5f;
            const float values[4] = {c.r, c.g, c.b, c.a};
            for (int k = 0; k < channels; ++k)
            {
                float v = clamp01(values[k]) * 255.f;
                if (k < 3 || (v > 0.5f && v < 254.5f))
                    v += dither;
                int q = int(v + 0.5f);
                bytes[i++] = static_cast<unsigned char>(q < 0 ? 0 : (q > 255 ? 255 : q));
            }
        }
    return bytes;
}

bool writePng(const std::string& path, const Canvas& canvas, bool withAlpha)
{
    std::vector<unsigned char> bytes = quantised(canvas, withAlpha);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        std::cerr << "ostralis-forge: cannot write " << path << std::endl;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::cerr << "ostralis-forge: libpng failed on " << path << std::endl;
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(canvas.width), png_uint_32(canvas.height), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    size_t stride = size_t(canvas.width) * (withAlpha ? 4 : 3);
    bool packs = compressedShare(bytes, stride, canvas.height) <= packedAtMost;
    png_set_compression_level(png, packs ? packedLevel : storedLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < canvas.height; ++y)
        png_write_row(png, &bytes[size_t(y) * stride]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    bool ok = std::fclose(file) == 0;
    if (!ok)
        std::cerr << "ostralis-forge: cannot finish " << path << std::endl;
    return ok;
}

#pragma once
// Saving a canvas as a PNG file the show decodes quickly.
#include "paint/canvas.h"

#include <string>

// Writes RGB when the picture is opaque (withAlpha false), RGBA otherwise.
// Colours are rounded with a fixed dither so that gradients do not band.
// Returns false after one line on stderr.
bool writePng(const std::string& path, const Canvas& canvas, bool withAlpha);

// The 8-bit pixels writePng would save, row by row, 3 or 4 bytes each.
std::vector<unsigned char> quantised(const Canvas& canvas, bool withAlpha);

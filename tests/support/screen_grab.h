#pragma once
// What an X screen shows, read back from the server as a viewer would see it.
// Kept apart from SFML's headers, which Xlib's macros break.
#include <cstdint>
#include <vector>

struct ScreenPixels
{
    unsigned width = 0;
    unsigned height = 0;
    std::vector<std::uint8_t> rgb; // rows from the top, three bytes a pixel
};

// The whole root window of the display named by DISPLAY; empty if it cannot
// be read.
ScreenPixels grabScreen();

#pragma once
// Probes for the scene tests: standard output caught while a scene runs,
// the strongest red in a part of a rendered frame, and cheap stand-ins for
// runs that test timing rather than looks.
#include <SFML/Graphics/Image.hpp>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// Catches what is written to std::cout while it lives.
class CoutCapture
{
public:
    CoutCapture() : previous(std::cout.rdbuf(caught.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(previous); }
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;

    // The lines caught since the last call, taken away.
    std::vector<std::string> takeLines();

private:
    std::ostringstream caught;
    std::streambuf* previous;
};

// The red channel of the reddest pixel in a rectangle (clipped to the image).
int maxRed(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height);

// How many pixels of a rectangle are plainly red: red above `minRed`, green
// and blue below a third of the red.
int redPixelCount(const sf::Image& image, unsigned left, unsigned top, unsigned width, unsigned height,
                  int minRed);

// Swaps the blur and ripple shaders for ones that pass the picture through
// untouched: a software renderer takes seconds per frame for the real blur.
// They accept the same uniforms. loadShaders() brings the real ones back.
void usePlainShaders();

// Makes the off-screen target tiny, for long runs that only count frames and
// read state: what scenes draw into it then costs next to nothing. The
// sprite that shows it is fitted to it.
void useTinyRenderTexture();

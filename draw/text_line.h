#pragma once
// Caption lines: poem lines and captions that fade in and out one by one,
// all drawn through sharedText in the bold font.
#include <SFML/Graphics/RenderTarget.hpp>
#include <string>

struct TextLine
{
    int red = 0, green = 0, blue = 0; // only the low 8 bits are used
    float alpha = 0.0f;               // 0 to 1
    unsigned characterSize = 0;
    int fadeState = 0;                // 0 idle, 1 fading in, 2 fading out
    std::string text;                 // ISO 8859-1 bytes
    int x = 0, y = 0;
};

const int textLineIdle = 0;
const int textLineFadingIn = 1;
const int textLineFadingOut = 2;

// Advances the line's fade by frameDelta: a full fade takes one second.
void updateTextLine(TextLine& line);

// Draws the line through sharedText in boldFont, whatever its alpha, and
// leaves sharedText holding textFont.
void drawTextLine(const TextLine& line, sf::RenderTarget& target);

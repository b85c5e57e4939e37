// The fonts and the shared text object.
#include "assets/fonts.h"

#include <iostream>

sf::Font textFont;
sf::Font boldFont;
sf::Text sharedText;

void loadFonts()
{
    if (!textFont.loadFromFile("KGYouWontBringMeDown.ttf"))
        std::cout << std::endl << "Error while loading font!" << std::endl;

    // The bold font is given before it is loaded; the text picks up its glyphs
    // when it is first drawn.
    sharedText.setFont(boldFont);
    boldFont.loadFromFile("KGYouWontBringMeDownBold.ttf");
}

void restoreSharedText()
{
    sharedText = sf::Text();
    sharedText.setFont(boldFont);
}

sf::String showString(const std::string& latin1)
{
    sf::String text;
    for (unsigned char byte : latin1)
        text += sf::Uint32(byte);
    return text;
}

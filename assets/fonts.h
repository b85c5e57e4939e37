#pragma once
// The two fonts and the one text object through which every caption is drawn.
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/System/String.hpp>
#include <string>

extern sf::Font textFont;  // "KGYouWontBringMeDown.ttf"
extern sf::Font boldFont;  // "KGYouWontBringMeDownBold.ttf"
extern sf::Text sharedText;

// Loads textFont (with its message on failure), gives sharedText boldFont,
// then loads boldFont.
void loadFonts();

// Puts sharedText back as loadFonts left it: the bold font, nothing else
// set; for a show run again from its start in one process.
void restoreSharedText();

// The show's strings are ISO 8859-1 bytes: each byte becomes the code point
// of the same value (0xE4 is U+00E4, "ä"), whatever the C++ locale says.
sf::String showString(const std::string& latin1);

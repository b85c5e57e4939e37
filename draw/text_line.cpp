// Caption lines: each fades on its own and is drawn through the one shared
// text object, in the bold font.
#include "draw/text_line.h"

#include "assets/fonts.h"
#include "draw/frame.h"

void updateTextLine(TextLine& line)
{
    // A full fade takes one second; the line then rests at 1 or 0, still in
    // its fade state.
    if (line.fadeState == textLineFadingIn)
    {
        line.alpha += frameDelta;
        if (line.alpha > 1.0f)
            line.alpha = 1.0f;
    }
    else if (line.fadeState == textLineFadingOut)
    {
        line.alpha -= frameDelta;
        if (line.alpha < 0.0f)
            line.alpha = 0.0f;
    }
}

void drawTextLine(const TextLine& line, sf::RenderTarget& target)
{
    // Only the low 8 bits of each channel count; the opacity becomes a byte.
    sf::Color color(static_cast<sf::Uint8>(line.red), static_cast<sf::Uint8>(line.green),
                    static_cast<sf::Uint8>(line.blue), alphaByte(line.alpha * 255.0f));

    // The bold face goes in before the other fields: switched only after
    // them, from the regular face every earlier caption left, SFML still
    // drew the line in the regular face.
    sharedText.setFont(boldFont);
    sharedText.setPosition(static_cast<float>(line.x), static_cast<float>(line.y));
    sharedText.setString(showString(line.text));
    sharedText.setCharacterSize(line.characterSize);
    sharedText.setFillColor(color);

    // Drawn even when fully transparent, then the shared text goes back to
    // the regular font.
    target.draw(sharedText, sf::RenderStates::Default);
    sharedText.setFont(textFont);
}

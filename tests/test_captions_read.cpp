// Every caption of the show, set in the fonts the show ships at the sizes and
// places its scenes use, keeps its ink inside the frame with a margin, and
// the fonts travel with their licence.
#include "assets/fonts.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Text.hpp>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{
const float frameWidth = 1280, frameHeight = 720;
const float breathingRoom = 24;

struct Caption
{
    std::string text; // ISO 8859-1 bytes, as the scenes hold them
    unsigned size;
    float x, y;
    bool centred; // the credits are centred across the frame
};

std::vector<Caption> showCaptions()
{
    std::vector<Caption> all;
    all.push_back({"\"Livet \xE4r inte definierat av glada stunder.\n"
                   "Lyckan gl\xF6ms l\xE4tt, men sorgen best\xE5r f\xF6r alltid\".\n"
                   "\n"
                   "               -  Varnholt",
                   36, 290, 200, false});
    all.push_back({"Tollmere Crew presents", 86, 120, 60, false});
    const char* firstPoem[] = {"The burning pyre", "The dark above", "The flowers that we gave, my love",
                               "And all that still remains", "Is the painted wind, and the memory", "Of a Grave "};
    const char* secondPoem[] = {"Taken away too soon", "Absent you, the brush begins to move",
                                "The canvas will bring forth, ascend", "The painful loss, the guilty heart",
                                "Ill bring you back..."};
    // A poem's lines step down and a little to the right, one after another.
    for (int i = 0; i < 6; ++i)
        all.push_back({firstPoem[i], 75, 40.f + 10 * i, 50.f + 100 * i, false});
    for (int i = 0; i < 5; ++i)
        all.push_back({secondPoem[i], 75, 40.f + 10 * i, 50.f + 100 * i, false});
    all.push_back({"Guilt ... resentment ...", 56, 100, 100, false});
    all.push_back({"Canvas ... Brush ...", 56, 140, 180, false});
    all.push_back({"I can't capture you anymore ...", 57, 40, 80, false});
    all.push_back({"Ostralis", 120, 0, 120, true});
    all.push_back({"a Tollmere Crew production", 46, 0, 280, true});
    all.push_back({"pictures  -  Tollmere Crew", 38, 0, 460, true});
    return all;
}

sf::FloatRect inkOnScreen(const sf::Font& font, const Caption& caption)
{
    sf::Text text(showString(caption.text), font, caption.size);
    sf::FloatRect ink = text.getLocalBounds();
    float x = caption.centred ? (frameWidth - ink.width) / 2 - ink.left : caption.x;
    text.setPosition(x, caption.y);
    return text.getGlobalBounds();
}

bool fileExists(const std::string& path)
{
    return std::ifstream(path).good();
}
}

// Each caption is measured in both of the show's fonts: the scenes hand the
// shared text either, and a line must read whichever it gets.
TEST(CaptionsRead, EveryCaptionsInkStaysWellInsideTheFrame)
{
    const char* files[] = {"KGYouWontBringMeDown.ttf", "KGYouWontBringMeDownBold.ttf"};
    for (const char* file : files)
    {
        sf::Font font;
        ASSERT_TRUE(font.loadFromFile(std::string(SHOW_DIR) + "/" + file)) << file;
        for (const Caption& caption : showCaptions())
        {
            sf::FloatRect ink = inkOnScreen(font, caption);
            ASSERT_GT(ink.width, caption.size) << file << ": no ink for " << caption.text;
            float right = frameWidth - (ink.left + ink.width);
            float bottom = frameHeight - (ink.top + ink.height);
            std::cout << file << "  right margin " << right << "  : " << caption.text.substr(0, 40) << std::endl;
            EXPECT_GE(right, breathingRoom) << file << ": " << caption.text;
            EXPECT_GE(bottom, breathingRoom) << file << ": " << caption.text;
            EXPECT_GE(ink.left, breathingRoom) << file << ": " << caption.text;
            EXPECT_GE(ink.top, breathingRoom) << file << ": " << caption.text;
        }
    }
}

TEST(CaptionsRead, TheFontsShipWithTheirLicence)
{
    std::string show = SHOW_DIR;
    EXPECT_TRUE(fileExists(show + "/KGYouWontBringMeDown.ttf"));
    EXPECT_TRUE(fileExists(show + "/KGYouWontBringMeDownBold.ttf"));
    std::ifstream licence(show + "/DancingScript-LICENSE.txt");
    ASSERT_TRUE(licence.good());
    std::string all((std::istreambuf_iterator<char>(licence)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("SIL OPEN FONT LICENSE"), std::string::npos);
}

// Draws into an off-screen target that is followed in memory by a run of
// zeroed guard words, as the show draws its small quads, and checks that
// the driver left the guard words alone. Exits 1 naming the first word that
// changed, 0 when none did.
//   guarded-draw
#include <SFML/Graphics.hpp>

#include <cstdint>
#include <cstdio>

namespace
{
const int guardWords = 64;
const int frames = 300;

// The target and the memory just past it, in the order the show's own
// off-screen targets sit in its data.
struct GuardedTarget
{
    sf::RenderTexture target;
    std::uint32_t guard[guardWords] = {};
};

GuardedTarget guarded;
}

int main()
{
    if (!guarded.target.create(256, 256))
    {
        std::fprintf(stderr, "guarded-draw: no off-screen target\n");
        return 2;
    }

    // A small picture to draw as sprites, and a plain shape beside it.
    sf::Image image;
    image.create(64, 64, sf::Color(200, 120, 40));
    sf::Texture texture;
    texture.loadFromImage(image);
    sf::Sprite sprite(texture);
    sf::RectangleShape bar(sf::Vector2f(100.f, 8.f));
    bar.setFillColor(sf::Color(40, 80, 200, 128));

    // Frames of a few quads each: these go through the target's small vertex cache.
    for (int frame = 0; frame < frames; ++frame)
    {
        guarded.target.clear();
        for (int i = 0; i < 4; ++i)
        {
            sprite.setPosition(float(i * 40), float(frame % 100));
            guarded.target.draw(sprite);
        }
        bar.setPosition(10.f, float(frame % 200));
        guarded.target.draw(bar);
        guarded.target.display();
    }
    guarded.target.getTexture().copyToImage();

    for (int word = 0; word < guardWords; ++word)
        if (guarded.guard[word] != 0)
        {
            const auto offset = reinterpret_cast<const char*>(&guarded.guard[word]) -
                                reinterpret_cast<const char*>(&guarded.target);
            std::printf("the word at target+%ld was changed to %u\n", long(offset), guarded.guard[word]);
            return 1;
        }
    std::printf("the %d words past the target are untouched\n", guardWords);
    return 0;
}

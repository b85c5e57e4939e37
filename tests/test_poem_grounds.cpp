// The poems as the capture tool draws them at 60 frames per second: every red
// line reads against the ground right under it while it is fully shown, and
// where a scene's picture comes at once (the two poems and the night studio)
// the frame's brightness does not jump from one frame to the next.
#include "support/picture_test.h"
#include "support/tool_test.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Text.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
const int fps = 60;
const float readable = 3.5f;
const double largestStep = 48;

const Rgba poemRed{226 / 255.f, 22 / 255.f, 22 / 255.f};

std::string frameName(long frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06ld.png", frame);
    return name;
}

std::string seconds(double frame)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", frame / fps);
    return text;
}

// The frames of show frames [first, last] (every `every`-th), as the capture
// tool writes them; an empty list when it fails.
std::vector<std::pair<long, sf::Image>> captured(const ScratchDir& scratch, long first, long last, int every)
{
    std::vector<std::pair<long, sf::Image>> frames;
    // Half a frame either side, so rounding cannot lose the first or last.
    ProcessResult capture = runTool("ostralis-capture", {"--frames", scratch.path, "--from", seconds(first - 0.5),
                                                         "--to", seconds(last + 0.5), "--every", std::to_string(every)});
    EXPECT_EQ(capture.exitCode, 0) << capture.err;
    for (long frame = first; frame <= last; frame += every)
    {
        sf::Image image;
        if (!image.loadFromFile(scratch.path + "/" + frameName(frame)))
        {
            ADD_FAILURE() << "frame " << frame << " was not captured";
            return {};
        }
        frames.emplace_back(frame, image);
    }
    return frames;
}

std::vector<TimelineEvent> showTimeline()
{
    ProcessResult run = runTool("ostralis-capture", {"--timeline"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return parseTimeline(run.out);
}

// A poem line where its scene puts it, and the pixels its letters cover.
struct PoemLine
{
    std::string text;
    int left = 0, top = 0, right = 0, bottom = 0; // the ink box, right and bottom exclusive
    std::vector<uint8_t> cover;                   // the letters' coverage over the whole frame
};

std::vector<PoemLine> poemLines(const std::vector<std::string>& texts)
{
    sf::Font font;
    EXPECT_TRUE(font.loadFromFile(std::string(SHOW_DIR) + "/KGYouWontBringMeDownBold.ttf"));
    sf::RenderTexture target;
    EXPECT_TRUE(target.create(1280, 720));
    std::vector<PoemLine> lines;
    for (size_t k = 0; k < texts.size(); ++k)
    {
        // The lines step down and a little to the right, one after another.
        sf::Text text(texts[k], font, 75);
        text.setPosition(40.f + 10 * k, 50.f + 100 * k);
        text.setFillColor(sf::Color::White);
        target.clear(sf::Color::Black);
        target.draw(text);
        target.display();
        sf::Image image = target.getTexture().copyToImage();
        PoemLine line;
        line.text = texts[k];
        sf::FloatRect box = text.getGlobalBounds();
        line.left = std::max(0, int(std::floor(box.left)));
        line.top = std::max(0, int(std::floor(box.top)));
        line.right = std::min(1280, int(std::ceil(box.left + box.width)));
        line.bottom = std::min(720, int(std::ceil(box.top + box.height)));
        line.cover.resize(1280 * 720);
        for (unsigned y = 0; y < 720; ++y)
            for (unsigned x = 0; x < 1280; ++x)
                line.cover[y * 1280 + x] = image.getPixel(x, y).r;
        lines.push_back(line);
    }
    return lines;
}

// Whether the line stands at full strength: its solid letter pixels carry
// the show's red itself.
bool fullyShown(const sf::Image& frame, const PoemLine& line)
{
    double off = 0;
    long solid = 0;
    for (int y = line.top; y < line.bottom; ++y)
        for (int x = line.left; x < line.right; ++x)
            if (line.cover[y * 1280 + x] == 255)
            {
                sf::Color c = frame.getPixel(x, y);
                off += std::abs(c.r - 226) + std::abs(c.g - 22) + std::abs(c.b - 22);
                ++solid;
            }
    return solid > 500 && off / solid < 12;
}

// The mean ground in the line's ink box, clear of its letters by two pixels.
Rgba groundUnder(const sf::Image& frame, const PoemLine& line)
{
    double r = 0, g = 0, b = 0;
    long count = 0;
    for (int y = line.top; y < line.bottom; ++y)
        for (int x = line.left; x < line.right; ++x)
        {
            bool clear = true;
            for (int dy = -2; dy <= 2 && clear; ++dy)
                for (int dx = -2; dx <= 2 && clear; ++dx)
                {
                    int u = std::clamp(x + dx, 0, 1279), v = std::clamp(y + dy, 0, 719);
                    clear = line.cover[v * 1280 + u] == 0;
                }
            if (!clear)
                continue;
            sf::Color c = frame.getPixel(x, y);
            r += c.r, g += c.g, b += c.b;
            ++count;
        }
    EXPECT_GT(count, 1000) << line.text;
    return count ? Rgba{float(r / count / 255), float(g / count / 255), float(b / count / 255)} : Rgba{};
}

double meanBrightness(const sf::Image& image)
{
    sf::Color mean = meanColor(image, 0, 0, image.getSize().x, image.getSize().y);
    return (mean.r + mean.g + mean.b) / 3.0;
}
}

// Each poem sampled twice a second from its first frame to its last line's
// fade: every line is judged in each sampled frame in which it stands full.
TEST(PoemGrounds, EveryRedLineReadsOnTheGroundUnderIt)
{
    std::vector<TimelineEvent> timeline = showTimeline();
    struct Poem
    {
        const char* scene;
        std::vector<std::string> texts;
    };
    const Poem poems[] = {
        {"scene 5", {"The burning pyre", "The dark above", "The flowers that we gave, my love",
                     "And all that still remains", "Is the painted wind, and the memory", "Of a Grave "}},
        {"scene 7", {"Taken away too soon", "Absent you, the brush begins to move",
                     "The canvas will bring forth, ascend", "The painful loss, the guilty heart",
                     "Ill bring you back...", "...Again "}},
    };
    for (const Poem& poem : poems)
    {
        long start = timelineFrame(timeline, poem.scene);
        ASSERT_GT(start, 0) << poem.scene;
        std::vector<PoemLine> lines = poemLines(poem.texts);
        ScratchDir scratch;
        std::vector<std::pair<long, sf::Image>> frames = captured(scratch, start, start + 15 * fps, fps / 2);
        ASSERT_FALSE(frames.empty());
        for (const PoemLine& line : lines)
        {
            int judged = 0;
            float worst = 100;
            for (const auto& [frame, image] : frames)
            {
                if (!fullyShown(image, line))
                    continue;
                ++judged;
                worst = std::min(worst, contrastRatio(poemRed, groundUnder(image, line)));
            }
            std::cout << poem.scene << "  contrast " << worst << " in " << judged << " frames : " << line.text << std::endl;
            // Each line stands full for several seconds.
            EXPECT_GE(judged, 8) << line.text;
            EXPECT_GE(worst, readable) << line.text;
        }
    }
}

// The last frames of the picture before each cut and the first of the one
// after it, frame by frame.
TEST(PoemGrounds, NoFlashWhereAScenesPictureComesAtOnce)
{
    std::vector<TimelineEvent> timeline = showTimeline();
    for (const char* scene : {"scene 5", "scene 7", "scene 8"})
    {
        long cut = timelineFrame(timeline, scene);
        ASSERT_GT(cut, 0) << scene;
        ScratchDir scratch;
        std::vector<std::pair<long, sf::Image>> frames = captured(scratch, cut - 3, cut + 2, 1);
        ASSERT_EQ(frames.size(), 6u) << scene;
        double step = 0;
        for (size_t i = 1; i < frames.size(); ++i)
            step = std::max(step, std::fabs(meanBrightness(frames[i].second) - meanBrightness(frames[i - 1].second)));
        std::cout << scene << "  largest brightness step " << step << " at its cut (frame " << cut << ")" << std::endl;
        EXPECT_LE(step, largestStep) << scene;
        // The cut lies where the timeline puts it: the picture changes there.
        ImageDifference change = compareImages(frames[2].second, frames[3].second, 40);
        EXPECT_GT(change.pixelsBeyond, 1280 * 720 / 10) << scene;
    }
}

// The bench: its JSON holds every figure, consistent with itself and with
// the show's files; its table and plot are written; mistakes fail cleanly.
#include "support/show_test.h"
#include "support/tool_test.h"

#include "assets/catalogue.h"
#include "scenes/scene.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace
{
std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Width times height times four of a PNG, read from its header.
std::uint64_t pngTextureBytes(const std::string& path)
{
    std::string header = readFile(path).substr(0, 24);
    if (header.size() < 24)
        return 0;
    auto bigEndian = [&](int at) {
        return (std::uint64_t(std::uint8_t(header[at])) << 24) | (std::uint64_t(std::uint8_t(header[at + 1])) << 16) |
               (std::uint64_t(std::uint8_t(header[at + 2])) << 8) | std::uint64_t(std::uint8_t(header[at + 3]));
    };
    return bigEndian(16) * bigEndian(20) * 4;
}

using Json = nlohmann::json;

double numberAt(const Json& object, const std::string& key)
{
    bool isNumber = object.is_object() && object.contains(key) && object[key].is_number();
    EXPECT_TRUE(isNumber) << key;
    return isNumber ? object[key].get<double>() : -1;
}

// The member of an object, or null when there is none.
const Json& memberOf(const Json& object, const std::string& key)
{
    static const Json none;
    return object.is_object() && object.contains(key) ? object[key] : none;
}
}

TEST(Bench, JsonHoldsEveryFigureAndThePlotAndTableAreWritten)
{
    ScratchDir scratch;
    const std::string json = scratch.path + "/bench.json";
    const std::string plot = scratch.path + "/frames.png";
    ProcessResult bench = runTool("ostralis-bench", {"--fps", "1", "--floor-frames", "12", "--json", json,
                                                     "--plot", plot});
    ASSERT_EQ(bench.exitCode, 0) << bench.err;

    Json report = Json::parse(readFile(json), nullptr, false);
    ASSERT_FALSE(report.is_discarded()) << readFile(json);
    EXPECT_EQ(numberAt(report, "fps"), 1);

    // The sections in the order readers of the file have always found them.
    std::vector<std::string> sections;
    nlohmann::ordered_json inOrder = nlohmann::ordered_json::parse(readFile(json));
    for (const auto& item : inOrder.items())
        sections.push_back(item.key());
    EXPECT_EQ(sections, (std::vector<std::string>{"fps", "renderer", "shader_cache_disabled", "startup", "floors",
                                                  "scenes", "memory", "jump"}));

    // Start-up: every step by name, and the first frame after all of them.
    const Json& startup = memberOf(report, "startup");
    const Json& steps = memberOf(startup, "steps_ms");
    ASSERT_TRUE(steps.is_object());
    double stepsTotal = 0;
    for (const char* step : {"window", "pictures", "distortion", "fonts", "shaders", "audio"})
    {
        double ms = numberAt(steps, step);
        EXPECT_GE(ms, 0) << step;
        stepsTotal += ms;
    }
    double firstFrame = numberAt(startup, "first_frame_ms");
    EXPECT_GE(firstFrame, stepsTotal);
    // The first frame comes before the warm-up, as the player shows it.
    double windowToFirstFrame = numberAt(startup, "window_to_first_frame_ms");
    EXPECT_GT(windowToFirstFrame, 0);
    EXPECT_LE(windowToFirstFrame, firstFrame - numberAt(steps, "window"));
    EXPECT_GT(numberAt(steps, "warm_up"), 0);
    EXPECT_GT(numberAt(startup, "picture_decode_ms"), 0);

    const Json& floors = memberOf(report, "floors");
    EXPECT_GT(numberAt(floors, "null_ms"), 0);
    EXPECT_GT(numberAt(floors, "copy_ms"), 0);

    // One entry per scene, in order, each with its own frames.
    const Json& scenes = memberOf(report, "scenes");
    ASSERT_TRUE(scenes.is_array());
    ASSERT_EQ(scenes.size(), size_t(sceneCount));
    for (int i = 0; i < sceneCount; ++i)
    {
        const Json& scene = scenes[i];
        EXPECT_EQ(numberAt(scene, "index"), i);
        EXPECT_GE(numberAt(scene, "frames"), 1) << "scene " << i;
        double median = numberAt(scene, "median_ms"), p99 = numberAt(scene, "p99_ms");
        double slowest = numberAt(scene, "max_ms"), first = numberAt(scene, "first_ms");
        EXPECT_GT(median, 0) << "scene " << i;
        EXPECT_LE(median, p99) << "scene " << i;
        EXPECT_LE(p99, slowest) << "scene " << i;
        EXPECT_LE(first, slowest) << "scene " << i;
        // Only the frames before the first that shows anything are black.
        double black = numberAt(scene, "black_frames");
        EXPECT_GE(black, 0) << "scene " << i;
        EXPECT_LT(black, numberAt(scene, "frames")) << "scene " << i;
        EXPECT_LE(numberAt(scene, "black_max_ms"), slowest) << "scene " << i;
        // Each scene is compared with the copy floor frames run among its own.
        double copy = numberAt(scene, "copy_ms");
        EXPECT_GT(copy, 0) << "scene " << i;
        EXPECT_NEAR(numberAt(scene, "median_to_copy"), median / copy, 1e-3) << "scene " << i;
        EXPECT_NEAR(numberAt(scene, "p99_to_copy"), p99 / copy, 1e-3) << "scene " << i;
    }

    // The show opens on black: at one frame a second, its first two frames.
    EXPECT_EQ(numberAt(scenes[0], "black_frames"), 2);

    // The jump to the last scene, replayed by the preview beside the bench.
    const Json& jump = memberOf(report, "jump");
    EXPECT_EQ(numberAt(jump, "scene"), sceneCount - 1);
    ASSERT_TRUE(memberOf(jump, "measured").is_boolean());
    EXPECT_TRUE(jump["measured"].get<bool>()) << jump.dump();
    double landing = numberAt(jump, "landing_s");
    EXPECT_GT(landing, 0);
    EXPECT_LE(landing, numberAt(jump, "wall_s"));

    // Memory: the textures hold at least the pictures' own pixels.
    const Json& memory = memberOf(report, "memory");
    std::uint64_t pictureBytes = 0;
    for (int i = 0; i < catalogueSize; ++i)
        pictureBytes += pngTextureBytes(std::string(SHOW_DIR) + "/" + catalogueFile(i));
    EXPECT_GT(pictureBytes, 0u);
    EXPECT_GE(numberAt(memory, "texture_bytes"), double(pictureBytes));
    // The peak is the show's own: the pictures are resident on top of what the
    // window alone holds (the software driver keeps textures in main memory).
    EXPECT_GT(numberAt(memory, "window_rss_bytes"), 0);
    EXPECT_GT(numberAt(memory, "peak_rss_bytes"), numberAt(memory, "window_rss_bytes") + double(pictureBytes) / 2);

    // The table: a row per scene; the plot: a picture of its own size.
    int sceneRows = 0;
    for (const std::string& line : splitLines(bench.out))
    {
        std::istringstream row(line);
        int index = -1;
        long frames = -1;
        if (row >> index >> frames && index == sceneRows)
            ++sceneRows;
    }
    EXPECT_EQ(sceneRows, sceneCount) << bench.out;
    sf::Image plotImage;
    ASSERT_TRUE(plotImage.loadFromFile(plot));
    EXPECT_EQ(plotImage.getSize(), sf::Vector2u(1600, 600));
    EXPECT_EQ(listDir(scratch.path), (std::vector<std::string>{"bench.json", "frames.png"}));
}

TEST(Bench, MistakesFailWithOneLineAndWriteNothing)
{
    ScratchDir scratch;
    const std::vector<std::vector<std::string>> mistakes = {
        {"--fps", "0"}, {"--json"}, {"--plot", scratch.path + "/plot.jpg"}, {"--frames", "3"}};
    for (const std::vector<std::string>& args : mistakes)
    {
        ProcessResult bench = runTool("ostralis-bench", args);
        EXPECT_EQ(bench.exitCode, 2) << args[0];
        EXPECT_EQ(splitLines(bench.err).size(), 1u) << args[0] << ": " << bench.err;
        EXPECT_EQ(bench.out, "") << args[0];
    }

    // An output that cannot be written is found before the show runs.
    ProcessResult bench = runTool("ostralis-bench", {"--json", scratch.path + "/missing/bench.json"});
    EXPECT_EQ(bench.exitCode, 2);
    EXPECT_EQ(splitLines(bench.err).size(), 1u) << bench.err;
    EXPECT_EQ(bench.out, "");
    EXPECT_TRUE(listDir(scratch.path).empty());
}

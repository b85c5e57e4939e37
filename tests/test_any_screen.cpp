// The show on screens of other sizes: where the screen offers no 1280 x 720
// mode the player keeps the screen's own mode and shows the whole picture
// scaled to the largest centred 16:9 rectangle, black bars around it; its
// standard output stays the show's own, and Escape still ends it with 0.
#include "assets/letterbox.h"
#include "support/player_control.h"
#include "support/reliability.h"
#include "support/screen_grab.h"
#include "support/show_test.h"
#include "support/tool_test.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

TEST(Letterbox, FitsThePictureUniformlyAndCentresIt)
{
    // Exactly the show's size, and twice it, fill the window.
    EXPECT_EQ(letterboxRect({1280, 720}), sf::IntRect(0, 0, 1280, 720));
    EXPECT_EQ(letterboxRect({1920, 1080}), sf::IntRect(0, 0, 1920, 1080));
    // Taller windows get bars above and below, wider ones at the sides.
    EXPECT_EQ(letterboxRect({1024, 768}), sf::IntRect(0, 96, 1024, 576));
    EXPECT_EQ(letterboxRect({1440, 900}), sf::IntRect(0, 45, 1440, 810));
    EXPECT_EQ(letterboxRect({2560, 1080}), sf::IntRect(320, 0, 1920, 1080));
    EXPECT_EQ(letterboxRect({720, 1280}), sf::IntRect(0, 437, 720, 405));
    // A size that does not divide evenly still stays inside the window.
    sf::IntRect odd = letterboxRect({1366, 768});
    EXPECT_LE(odd.left + odd.width, 1366);
    EXPECT_EQ(odd.height, 768);
    EXPECT_NEAR(odd.width, 1365, 1);
    // Nothing to show on an empty window.
    EXPECT_EQ(letterboxRect({0, 0}), sf::IntRect());
    EXPECT_EQ(letterboxRect({1280, 0}), sf::IntRect());
}

namespace
{
struct Box
{
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < left; }
    void add(int x, int y)
    {
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x), bottom = std::max(bottom, y);
    }
};

// The box around the bright pixels (the quotation's letters) of a picture.
template <typename Bright>
Box brightBox(unsigned width, unsigned height, Bright bright)
{
    Box box;
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            if (bright(x, y))
                box.add(static_cast<int>(x), static_cast<int>(y));
    return box;
}

const std::uint8_t* pixelAt(const ScreenPixels& screen, unsigned x, unsigned y)
{
    return &screen.rgb[(std::size_t(y) * screen.width + x) * 3];
}

// The quotation of the first scene in its hold, drawn in this process at
// 1280 x 720: the picture the screen should show, only scaled.
Box quotationBox()
{
    loadShowForTest();
    for (int frame = 0; frame < 90; ++frame)
        runTestFrame(0, 0.05f);
    sf::Image image = testFrame();
    return brightBox(1280, 720, [&](unsigned x, unsigned y) { return image.getPixel(x, y).r > 128; });
}

struct Screen
{
    unsigned width, height;
};

std::string screenName(const ::testing::TestParamInfo<Screen>& info)
{
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

// What a screen shows of the quotation: the pixels lit outside the
// letterbox's area, and the box of its letters against where the 1280 x 720
// picture has them, scaled into that area.
struct ScaledQuotation
{
    long litInBars = 0;
    Box seen;
    double left, top, right, bottom, slack;
};

ScaledQuotation measureQuotation(const ScreenPixels& shown, const Box& expected)
{
    ScaledQuotation q;
    sf::IntRect area = letterboxRect({shown.width, shown.height});
    for (unsigned y = 0; y < shown.height; ++y)
        for (unsigned x = 0; x < shown.width; ++x)
            if (!area.contains(static_cast<int>(x), static_cast<int>(y)))
            {
                const std::uint8_t* p = pixelAt(shown, x, y);
                q.litInBars += p[0] != 0 || p[1] != 0 || p[2] != 0;
            }
    q.seen = brightBox(shown.width, shown.height, [&](unsigned x, unsigned y) { return pixelAt(shown, x, y)[0] > 128; });
    double scale = static_cast<double>(area.width) / 1280.0;
    q.slack = 2.0 + scale;
    q.left = area.left + expected.left * scale;
    q.top = area.top + expected.top * scale;
    q.right = area.left + (expected.right + 1) * scale - 1;
    q.bottom = area.top + (expected.bottom + 1) * scale - 1;
    return q;
}

bool quotationScaledBetweenBars(const ScreenPixels& shown, const Box& expected)
{
    ScaledQuotation q = measureQuotation(shown, expected);
    return q.litInBars == 0 && std::abs(q.seen.left - q.left) <= q.slack && std::abs(q.seen.top - q.top) <= q.slack &&
           std::abs(q.seen.right - q.right) <= q.slack && std::abs(q.seen.bottom - q.bottom) <= q.slack;
}

void expectQuotationScaledBetweenBars(const ScreenPixels& shown, const Box& expected)
{
    ScaledQuotation q = measureQuotation(shown, expected);
    EXPECT_EQ(q.litInBars, 0) << "pixels lit in the bars";
    EXPECT_NEAR(q.seen.left, q.left, q.slack);
    EXPECT_NEAR(q.seen.top, q.top, q.slack);
    EXPECT_NEAR(q.seen.right, q.right, q.slack);
    EXPECT_NEAR(q.seen.bottom, q.bottom, q.slack);
}

// Whether a screen shows the quotation in its hold: some letter at full
// white, on a picture mostly black (not a full-screen picture).
bool quotationHeld(const ScreenPixels& shown)
{
    bool white = false;
    long lit = 0;
    for (std::size_t i = 0; i < shown.rgb.size(); i += 3)
    {
        white = white || (shown.rgb[i] >= 250 && shown.rgb[i + 1] >= 250 && shown.rgb[i + 2] >= 250);
        lit += shown.rgb[i] > 16 || shown.rgb[i + 1] > 16 || shown.rgb[i + 2] > 16;
    }
    return white && lit * 10 < long(shown.rgb.size() / 3);
}

class OtherScreen : public ::testing::TestWithParam<Screen>
{
};
}

TEST_P(OtherScreen, ShowsTheWholePictureScaledBetweenBlackBarsAndEndsOnEscape)
{
    const Screen screen = GetParam();
    const bool showSized = screen.width == 1280 && screen.height == 720;
    Box expected = quotationBox();
    ASSERT_FALSE(expected.empty()) << "the quotation drew nothing";

    PrivateDisplay display(std::to_string(screen.width) + "x" + std::to_string(screen.height) + "x24");
    WatchedPlayer player = startPlayer(SHOW_DIR, 1.0, {}, true);
    ASSERT_TRUE(waitForLine(player, "Playing SYNC module", 180)) << player.out;

    // Wait for the quotation's hold: its letters at full white.
    ScreenPixels shown;
    bool held = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!held && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        shown = grabScreen();
        for (std::size_t i = 0; i < shown.rgb.size() && !held; i += 3)
            held = shown.rgb[i] >= 250 && shown.rgb[i + 1] >= 250 && shown.rgb[i + 2] >= 250;
    }
    holdEscapeUntilExit(player.process);
    ProcessResult result = finishPlayer(player, 60);

    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    ShowOutput output = splitShowOutput(result.out);
    EXPECT_EQ(output.startup, startupWith());
    EXPECT_EQ(output.scenes, std::vector<std::string>{"scene 01 loaded"});
    std::vector<std::string> errors = errorLinesOfTheShow(result.err);
    if (showSized)
        EXPECT_TRUE(errors.empty()) << result.err;
    else
        EXPECT_EQ(errors, std::vector<std::string>{"ostralis: the screen is " + std::to_string(screen.width) + " x " +
                                                   std::to_string(screen.height) +
                                                   ", not 1280 x 720: the show is scaled to fit it"});

    ASSERT_TRUE(held) << "the quotation never showed at full strength";
    ASSERT_EQ(shown.width, screen.width);
    ASSERT_EQ(shown.height, screen.height);

    expectQuotationScaledBetweenBars(shown, expected);
}

// The show's own size first: there nothing may change.
INSTANTIATE_TEST_SUITE_P(Screens, OtherScreen,
                         ::testing::Values(Screen{1280, 720}, Screen{1920, 1080}, Screen{1024, 768}, Screen{1440, 900}),
                         screenName);

// The bench times the frames the player shows: on a screen of another size,
// the frame scaled to fit it between black bars, not the scenes drawn on the
// window unscaled. Its show frames alternate on the screen with its copy
// floor's, drawn unscaled, so the screen is looked at until it shows the
// quotation held and scaled, or for as long as the quotation is held.
TEST(BenchOnOtherScreen, ShowsEachFrameScaledBetweenBlackBarsAsThePlayerDoes)
{
    Box expected = quotationBox();
    ASSERT_FALSE(expected.empty()) << "the quotation drew nothing";

    PrivateDisplay display("1024x768x24");
    RunningProcess bench = startProcess({toolPath("ostralis-bench"), "--floor-frames", "1"});
    ScreenPixels shown;
    int heldGrabs = 0;
    bool scaled = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(300);
    while (!scaled && heldGrabs < 40 && std::chrono::steady_clock::now() < deadline && !processEnded(bench))
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ScreenPixels grab = grabScreen();
        if (!quotationHeld(grab))
            continue;
        ++heldGrabs;
        shown = grab;
        scaled = quotationScaledBetweenBars(shown, expected);
    }
    kill(bench.pid, SIGKILL);
    ProcessResult result = finishProcess(bench, 60);

    ASSERT_GT(heldGrabs, 0) << "the bench never showed the quotation at full strength: " << result.err;
    ASSERT_EQ(shown.width, 1024u);
    ASSERT_EQ(shown.height, 768u);
    EXPECT_TRUE(scaled) << "none of " << heldGrabs << " looks found the quotation scaled between bars";
    expectQuotationScaledBetweenBars(shown, expected);
}

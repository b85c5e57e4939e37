// The bench's report: figures per scene, the table, the JSON and the plot.
#include "tools/bench_report.h"

#include "assets/fonts.h"
#include "tools/tool_common.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    if (values.size() % 2 == 1)
        return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

SceneFigures sceneFigures(int index, const std::vector<double>& frameMs, const std::vector<double>& copyMs,
                          long shownFrom)
{
    SceneFigures figures;
    figures.index = index;
    figures.frames = long(frameMs.size());
    figures.copyMs = medianOf(copyMs);
    if (frameMs.empty())
        return figures;
    std::vector<double> sorted(frameMs);
    std::sort(sorted.begin(), sorted.end());
    figures.blackFrames = shownFrom > 0 && shownFrom < long(frameMs.size()) ? shownFrom : 0;
    for (long frame = 0; frame < figures.blackFrames; ++frame)
        figures.blackMaxMs = std::max(figures.blackMaxMs, frameMs[size_t(frame)]);
    figures.firstMs = frameMs[size_t(figures.blackFrames)];
    figures.medianMs = medianOf(sorted);
    size_t rank = size_t(std::ceil(0.99 * double(sorted.size())));
    figures.p99Ms = sorted[std::max<size_t>(rank, 1) - 1];
    figures.maxMs = sorted.back();
    return figures;
}

namespace
{
double ratio(double value, double floor)
{
    return floor > 0 ? value / floor : 0;
}

double mebibytes(std::uint64_t bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

// Memory goal: resident at most 1.3 x (textures + 64 MiB).
double memoryRatio(const BenchResults& results)
{
    return double(results.peakRssBytes) / (double(results.textureBytes) + 64.0 * 1024 * 1024);
}
}

void printBenchTable(const BenchResults& results, std::ostream& out)
{
    char line[200];
    out << "Ostralis bench: " << results.fps << " frames per second of show time, " << results.renderer
        << (results.shaderCacheDisabled ? ", shader cache disabled" : "") << "\n\n";

    out << "start-up                         ms\n";
    for (size_t i = 0; i <= results.steps.size(); ++i)
    {
        if (i == results.stepsBeforeFirstFrame)
        {
            std::snprintf(line, sizeof line, "  %-22s %9.1f   from the window opened %.1f ms\n", "to the first frame",
                          results.firstFrameMs, results.windowToFirstFrameMs);
            out << line;
            if (i < results.steps.size())
                out << "  then, in the black opening:\n";
        }
        if (i == results.steps.size())
            break;
        const StartupStep& step = results.steps[i];
        std::snprintf(line, sizeof line, "  %-22s %9.1f", step.name.c_str(), step.ms);
        out << line;
        if (step.name == "pictures" && results.pictureDecodeMs > 0)
        {
            std::snprintf(line, sizeof line, "   decoding alone %.1f ms (x%.2f)", results.pictureDecodeMs,
                          ratio(step.ms, results.pictureDecodeMs));
            out << line;
        }
        out << "\n";
    }
    out << "\n";

    std::snprintf(line, sizeof line,
                  "floors after the show (median of %ld frames)     ms\n  %-22s %9.3f\n  %-22s %9.3f   (%s)\n\n",
                  results.floorFrames, "clear and present", results.nullMs, "copy through target",
                  results.copyMs, results.copyPicture.c_str());
    out << line;

    // Each scene against the copy floor frames that ran among its own. Its
    // first frame is the first that shows anything; the wholly black frames
    // before it are counted apart, with the longest of them.
    out << "scene  frames   first  median     p99     max    copy   first/med  med/copy  p99/copy  med/null"
           "   black  blk max\n";
    for (const SceneFigures& scene : results.scenes)
    {
        std::snprintf(line, sizeof line,
                      "%5d %7ld %7.2f %7.2f %7.2f %7.2f %7.2f %11.2f %9.2f %9.2f %9.2f %7ld %8.2f\n", scene.index,
                      scene.frames, scene.firstMs, scene.medianMs, scene.p99Ms, scene.maxMs, scene.copyMs,
                      ratio(scene.firstMs, scene.medianMs), ratio(scene.medianMs, scene.copyMs),
                      ratio(scene.p99Ms, scene.copyMs), ratio(scene.medianMs, results.nullMs), scene.blackFrames,
                      scene.blackMaxMs);
        out << line;
    }
    double total = 0;
    for (double ms : results.frameMs)
        total += ms;
    std::snprintf(line, sizeof line, "whole show: %zu frames in %.1f s\n\n", results.frameMs.size(), total / 1000);
    out << line;

    std::snprintf(line, sizeof line,
                  "memory\n  %-22s %9.1f MiB\n  %-22s %9.1f MiB\n"
                  "  %-22s %9.1f MiB   (resident / (textures + 64 MiB) = %.2f)\n",
                  "window alone", mebibytes(results.windowRssBytes), "peak resident", mebibytes(results.peakRssBytes),
                  "textures", mebibytes(results.textureBytes), memoryRatio(results));
    out << line;

    if (results.jumpNote.empty())
        std::snprintf(line, sizeof line,
                      "\njump to scene %d in the preview: landed %.2f s after it started, %.2f s in all\n",
                      results.jumpScene, results.jumpLandingSeconds, results.jumpWallSeconds);
    else
        std::snprintf(line, sizeof line, "\njump to scene %d in the preview: not measured (%s)\n", results.jumpScene,
                      results.jumpNote.c_str());
    out << line << std::flush;
}

namespace
{
// Figures are written to a tenth of a microsecond (four decimals of a
// millisecond); what is not a number is written as 0.
double jsonNumber(double value)
{
    return std::isfinite(value) ? std::round(value * 1e4) / 1e4 : 0.0;
}
}

std::string benchJson(const BenchResults& results)
{
    // Keys stay in the order a reader of the file expects, not sorted.
    using Json = nlohmann::ordered_json;
    Json json;
    json["fps"] = results.fps;
    json["renderer"] = results.renderer;
    json["shader_cache_disabled"] = results.shaderCacheDisabled;

    Json steps = Json::object();
    for (const StartupStep& step : results.steps)
        steps[step.name] = jsonNumber(step.ms);
    json["startup"] = {{"steps_ms", steps},
                       {"first_frame_ms", jsonNumber(results.firstFrameMs)},
                       {"window_to_first_frame_ms", jsonNumber(results.windowToFirstFrameMs)},
                       {"picture_decode_ms", jsonNumber(results.pictureDecodeMs)}};

    json["floors"] = {{"null_ms", jsonNumber(results.nullMs)},
                      {"copy_ms", jsonNumber(results.copyMs)},
                      {"frames", results.floorFrames},
                      {"copy_picture", results.copyPicture}};

    Json scenes = Json::array();
    for (const SceneFigures& scene : results.scenes)
        scenes.push_back({{"index", scene.index},
                          {"frames", scene.frames},
                          {"median_ms", jsonNumber(scene.medianMs)},
                          {"p99_ms", jsonNumber(scene.p99Ms)},
                          {"max_ms", jsonNumber(scene.maxMs)},
                          {"first_ms", jsonNumber(scene.firstMs)},
                          {"black_frames", scene.blackFrames},
                          {"black_max_ms", jsonNumber(scene.blackMaxMs)},
                          {"copy_ms", jsonNumber(scene.copyMs)},
                          {"first_to_median", jsonNumber(ratio(scene.firstMs, scene.medianMs))},
                          {"median_to_copy", jsonNumber(ratio(scene.medianMs, scene.copyMs))},
                          {"p99_to_copy", jsonNumber(ratio(scene.p99Ms, scene.copyMs))},
                          {"median_to_null", jsonNumber(ratio(scene.medianMs, results.nullMs))}});
    json["scenes"] = scenes;

    json["memory"] = {{"window_rss_bytes", results.windowRssBytes},
                      {"peak_rss_bytes", results.peakRssBytes},
                      {"texture_bytes", results.textureBytes},
                      {"rss_to_textures_plus_64mib", jsonNumber(memoryRatio(results))}};

    json["jump"] = {{"scene", results.jumpScene}, {"measured", results.jumpNote.empty()}};
    if (results.jumpNote.empty())
    {
        json["jump"]["landing_s"] = jsonNumber(results.jumpLandingSeconds);
        json["jump"]["wall_s"] = jsonNumber(results.jumpWallSeconds);
    }
    else
        json["jump"]["note"] = results.jumpNote;
    // A renderer name that is not valid UTF-8 is written with replacement
    // characters rather than failing the whole report.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

namespace
{
const unsigned plotWidth = 1600, plotHeight = 600;
const float plotLeft = 70, plotRight = 20, plotTop = 44, plotBottom = 40;

// A round step for the axis: 1, 2 or 5 times a power of ten.
double tickStep(double range, int wanted)
{
    double raw = range / wanted;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}

void drawLine(sf::RenderTexture& canvas, float x0, float y0, float x1, float y1, sf::Color colour)
{
    sf::Vertex line[] = {sf::Vertex({x0, y0}, colour), sf::Vertex({x1, y1}, colour)};
    canvas.draw(line, 2, sf::Lines);
}

void drawLabel(sf::RenderTexture& canvas, const std::string& label, float x, float y, unsigned size,
               sf::Color colour, bool rightAligned = false)
{
    sf::Text text(label, textFont, size);
    text.setFillColor(colour);
    float width = text.getLocalBounds().width;
    text.setPosition(std::round(rightAligned ? x - width : x), std::round(y));
    canvas.draw(text);
}
}

bool writeFramePlot(const BenchResults& results, const std::string& path, const std::string& shownPath,
                    std::string& error)
{
    if (results.frameMs.empty())
    {
        error = "no frame was measured for the plot";
        return false;
    }
    sf::RenderTexture canvas;
    if (!canvas.create(plotWidth, plotHeight))
    {
        error = "cannot create the plot's canvas";
        return false;
    }
    canvas.clear(sf::Color::White);

    // The scale: up to the slowest frame, unless a few spikes would flatten
    // everything else; those are clipped at the top and drawn in red.
    double highestP99 = results.copyMs;
    for (const SceneFigures& scene : results.scenes)
        highestP99 = std::max({highestP99, scene.p99Ms, scene.copyMs});
    double slowest = *std::max_element(results.frameMs.begin(), results.frameMs.end());
    double top = std::max(std::min(slowest, 3 * highestP99), 0.001);
    double step = tickStep(top, 6);
    top = std::ceil(top / step) * step;

    const float width = plotWidth - plotLeft - plotRight, height = plotHeight - plotTop - plotBottom;
    auto xOf = [&](size_t frame) { return plotLeft + width * float(frame) / float(results.frameMs.size()); };
    auto yOf = [&](double ms) { return plotTop + height * float(1.0 - std::min(ms, top) / top); };
    const sf::Color grid(225, 225, 225), ink(40, 40, 40);

    for (double ms = 0; ms <= top + step / 2; ms += step)
    {
        drawLine(canvas, plotLeft, yOf(ms), plotLeft + width, yOf(ms), grid);
        char label[32];
        std::snprintf(label, sizeof label, "%g ms", ms);
        drawLabel(canvas, label, plotLeft - 6, yOf(ms) - 9, 14, ink, true);
    }

    // Scene boundaries, numbered, and each scene's copy floor as a level
    // line over the scene's own frames.
    const sf::Color copyColour(230, 140, 0);
    size_t frames = results.frameScene.size();
    for (size_t frame = 0; frame < frames;)
    {
        int scene = results.frameScene[frame];
        size_t end = frame;
        while (end < frames && results.frameScene[end] == scene)
            ++end;
        drawLine(canvas, xOf(frame), plotTop, xOf(frame), plotTop + height, sf::Color(150, 150, 200));
        drawLabel(canvas, std::to_string(scene), xOf(frame) + 3, plotTop + 2, 14, sf::Color(70, 70, 160));
        for (const SceneFigures& figures : results.scenes)
            if (figures.index == scene)
                drawLine(canvas, xOf(frame), yOf(figures.copyMs), xOf(end), yOf(figures.copyMs), copyColour);
        frame = end;
    }

    // The floor that only clears and presents, as a level line.
    drawLine(canvas, plotLeft, yOf(results.nullMs), plotLeft + width, yOf(results.nullMs), sf::Color(120, 120, 120));

    // Frame time, one point per frame.
    sf::VertexArray curve(sf::LineStrip, results.frameMs.size());
    for (size_t frame = 0; frame < results.frameMs.size(); ++frame)
    {
        double ms = results.frameMs[frame];
        curve[frame] = sf::Vertex({xOf(frame), yOf(ms)}, ms > top ? sf::Color::Red : sf::Color(30, 80, 200));
    }
    canvas.draw(curve);

    // Axes, title and legend.
    drawLine(canvas, plotLeft, plotTop + height, plotLeft + width, plotTop + height, ink);
    drawLine(canvas, plotLeft, plotTop, plotLeft, plotTop + height, ink);
    double seconds = double(results.frameMs.size()) / results.fps;
    double secondStep = tickStep(seconds, 12);
    for (double s = 0; s <= seconds; s += secondStep)
    {
        float x = plotLeft + width * float(s / seconds);
        drawLine(canvas, x, plotTop + height, x, plotTop + height + 5, ink);
        char label[32];
        std::snprintf(label, sizeof label, "%g s", s);
        drawLabel(canvas, label, x - 10, plotTop + height + 8, 14, ink);
    }
    char title[256];
    std::snprintf(title, sizeof title,
                  "Ostralis: frame time over the show (%d frames per second of show time, %s)", results.fps,
                  results.renderer.c_str());
    drawLabel(canvas, title, plotLeft, 2, 17, ink);
    char legend[160];
    std::snprintf(legend, sizeof legend,
                  "grey: clear and present %.2f ms   orange: copy through target, among each scene's frames",
                  results.nullMs);
    drawLabel(canvas, legend, plotLeft, 23, 14, ink);
    canvas.display();

    return writeOpaquePng(canvas.getTexture().copyToImage(), path, shownPath, error);
}

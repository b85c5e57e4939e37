// The pictures: every image of the show, painted by the forge's own painter
// (forge/paint/), two at a time, and a contact sheet of them all.
#include "forge.h"
#include "paint/brush.h"
#include "paint/pictures.h"
#include "paint/png_file.h"

#include "common/progress.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

namespace
{
Canvas paintBlack() { return makeCanvas(screenW, screenH, {0, 0, 0, 1}); }
Canvas paintWhite() { return makeCanvas(screenW, screenH, {1, 1, 1, 1}); }

// Lays every picture, shrunk, on a checkerboard so that transparency shows.
Canvas contactSheet(const std::vector<Canvas>& pictures)
{
    const int columns = 6, cellW = 320, cellH = 190, gap = 8;
    int rows = int(pictures.size() + columns - 1) / columns;
    Canvas sheet = makeCanvas(columns * (cellW + gap) + gap, rows * (cellH + gap) + gap, rgb(40, 40, 44));
    for (size_t i = 0; i < pictures.size(); ++i)
    {
        const Canvas& picture = pictures[i];
        float fit = std::min(float(cellW) / picture.width, float(cellH) / picture.height);
        int w = std::max(1, int(picture.width * fit)), h = std::max(1, int(picture.height * fit));
        int left = gap + int(i % columns) * (cellW + gap) + (cellW - w) / 2;
        int top = gap + int(i / columns) * (cellH + gap) + (cellH - h) / 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                bool light = ((x / 8) + (y / 8)) % 2 == 0;
                Colour c = light ? rgb(200, 200, 200) : rgb(150, 150, 150);
                Colour p = sampleBilinear(picture, (x + 0.5f) / fit, (y + 0.5f) / fit);
                c = mix(c, Colour{p.r, p.g, p.b, 1}, p.a);
                at(sheet, left + x, top + y) = c;
            }
    }
    return sheet;
}
}

const std::vector<PictureRecipe>& pictureRecipes()
{
    static const std::vector<PictureRecipe> recipes = {
        {"black.png", screenW, screenH, false, paintBlack},
        {"white.png", screenW, screenH, false, paintWhite},
        {"title1.png", screenW, screenH, false, paintTitleDawn},
        {"title2.png", titleMistWidth, screenH, true, paintTitleMist},
        {"title3.png", screenW, screenH, true, paintTitleReeds},
        {"ostralis.png", lettersWidth, lettersHeight, true, paintTitleLettering},
        {"credz.png", screenW, screenH, false, paintCredits},
        {"S1-1.png", screenW, screenH, false, paintStudioDusk},
        {"S1-2.png", screenW, screenH, true, paintStudioCurtains},
        {"S2-1.png", screenW, screenH, false, paintSketchPaper},
        {"S2-2.png", screenW, screenH, true, paintLightLeak},
        {"S3-1.png", screenW, screenH, false, paintUnderpainting},
        {"S3-2.png", screenW, screenH, true, paintSkin},
        {"S3-22.png", screenW, screenH, true, paintHair},
        {"S3-23.png", screenW, screenH, true, paintClothes},
        {"S3-3.png", screenW, screenH, true, paintFrame},
        {"S4-1.png", screenW, screenH, false, paintCemetery},
        {"S4-4.png", screenW, screenH, true, paintGravestone},
        {"S4-21.png", screenW, screenH, true, paintFlowers},
        {"S4-22.png", screenW, screenH, true, paintCandleGlow},
        {"S4-23.png", screenW, screenH, true, paintPetals},
        {"S5-1.png", screenW, screenH, false, paintStudioNight},
        {"S5-2.png", screenW, screenH, true, paintPainterShadow},
        {"SF1.png", screenW, screenH, false, paintBrushOnPalette},
        {"SF2.png", screenW, screenH, false, paintHangingStrands},
        {"SF3.png", screenW, screenH, false, paintPortraitAndChair},
        {"pencilsprite.png", stampSize, stampSize, true, paintPencilDab},
        {"glint.png", stampSize, stampSize, true, paintGlint},
        {"heatmap.png", 256, 256, false, paintHeatMap},
    };
    return recipes;
}

bool forgePicture(const PictureRecipe& recipe, const std::string& showDir)
{
    Canvas canvas = recipe.paint();
    return writePng(showDir + "/" + recipe.file, canvas, recipe.alpha);
}

int forgePictures(const std::string& showDir, const std::string& sheetFile)
{
    auto started = std::chrono::steady_clock::now();
    const std::vector<PictureRecipe>& recipes = pictureRecipes();
    std::vector<Canvas> painted(recipes.size());
    std::vector<char> written(recipes.size(), 0);

    // Each picture is painted and saved by one worker; which worker takes
    // which picture does not matter, so the bytes are the same every run.
    std::atomic<size_t> next{0}, done{0};
    Progress progress;
    startProgress(progress, "ostralis-forge: painting, ", double(recipes.size()));
    auto work = [&]() {
        for (size_t i = next++; i < recipes.size(); i = next++)
        {
            painted[i] = recipes[i].paint();
            written[i] = writePng(showDir + "/" + recipes[i].file, painted[i], recipes[i].alpha);
            reportProgress(progress, double(++done), recipes[i].file);
        }
    };
    unsigned workers = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    finishProgress(progress, "");

    if (std::find(written.begin(), written.end(), 0) != written.end())
        return 1;
    if (!writePng(sheetFile, contactSheet(painted), false))
        return 1;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "ostralis-forge: painted " << recipes.size() << " pictures in " << seconds << " s" << std::endl;
    return 0;
}

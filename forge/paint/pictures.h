#pragma once
// Every picture of the show: its file name, whether it has transparency,
// its size, and the routine that paints it.
#include "paint/canvas.h"

#include <string>
#include <vector>

struct PictureRecipe
{
    const char* file;
    int width;
    int height;
    bool alpha;          // saved as RGBA; opaque pictures are saved as RGB
    Canvas (*paint)();
};

// The 29 pictures, in the order the player loads them.
const std::vector<PictureRecipe>& pictureRecipes();

// Paints the named picture into showDir; false after one line on stderr.
bool forgePicture(const PictureRecipe& recipe, const std::string& showDir);

// The painting routines, one per picture, by group.
Canvas paintTitleDawn();      // title1.png
Canvas paintTitleMist();      // title2.png
Canvas paintTitleReeds();     // title3.png
Canvas paintTitleLettering(); // ostralis.png
Canvas paintCredits();        // credz.png
Canvas paintStudioDusk();     // S1-1.png
Canvas paintStudioCurtains(); // S1-2.png
Canvas paintStudioNight();    // S5-1.png
Canvas paintPainterShadow();  // S5-2.png
Canvas paintSketchPaper();    // S2-1.png
Canvas paintLightLeak();      // S2-2.png
Canvas paintPencilDab();      // pencilsprite.png
Canvas paintGlint();          // glint.png
Canvas paintHeatMap();        // heatmap.png
Canvas paintUnderpainting();  // S3-1.png
Canvas paintSkin();           // S3-2.png
Canvas paintHair();           // S3-22.png
Canvas paintClothes();        // S3-23.png
Canvas paintFrame();          // S3-3.png
Canvas paintPortraitAndChair(); // SF3.png
Canvas paintCemetery();       // S4-1.png
Canvas paintGravestone();     // S4-4.png
Canvas paintFlowers();        // S4-21.png
Canvas paintCandleGlow();     // S4-22.png
Canvas paintPetals();         // S4-23.png
Canvas paintBrushOnPalette(); // SF1.png
Canvas paintHangingStrands(); // SF2.png

// Shared sizes.
const int screenW = 1280;
const int screenH = 720;
const int titleMistWidth = 1400;
const int lettersWidth = 596;
const int lettersHeight = 200;
const int stampSize = 16;

// Scene 9: glints gliding from one outline to another. The picture fades in
// from black; 74 spinning glints fade in on a loop and glide to two strands
// while the front picture fades away to uncover a blurred one, which then
// comes into focus. The glints fade out and the sharp picture holds.
#include "scenes/glint_outlines.h"
#include "scenes/scene.h"

#include "assets/blur.h"
#include "assets/catalogue.h"
#include "assets/render_target.h"

#include <cstdlib>
#include <iostream>

const TweenPoint glintLoop[glintCount] = {
    {507, 411}, {512, 416}, {518, 420}, {527, 422}, {532, 418}, {538, 414}, {540, 407}, {544, 399}, {548, 394}, {555, 387},
    {560, 379}, {567, 374}, {574, 371}, {583, 371}, {591, 370}, {599, 367}, {604, 363}, {614, 362}, {620, 359}, {624, 354},
    {630, 348}, {632, 339}, {632, 330}, {634, 322}, {639, 315}, {644, 310}, {651, 306}, {658, 303}, {664, 300}, {671, 296},
    {678, 291}, {684, 286}, {690, 279}, {694, 274}, {699, 268}, {704, 262}, {702, 255}, {698, 248}, {694, 242}, {684, 242},
    {675, 242}, {667, 244}, {662, 250}, {655, 254}, {647, 256}, {640, 262}, {632, 267}, {627, 271}, {620, 275}, {614, 279},
    {610, 284}, {604, 290}, {596, 295}, {588, 296}, {579, 296}, {572, 300}, {568, 306}, {563, 312}, {559, 318}, {554, 324},
    {550, 334}, {548, 342}, {542, 346}, {536, 350}, {531, 355}, {526, 360}, {519, 366}, {515, 371}, {510, 375}, {508, 383},
    {504, 391}, {500, 396}, {500, 406}, {500, 412},
};

const TweenPoint glintStrands[glintCount] = {
    {715, 8}, {715, 18}, {714, 26}, {712, 34}, {708, 40}, {704, 48}, {703, 59}, {703, 71}, {704, 79}, {711, 82},
    {720, 83}, {727, 87}, {735, 96}, {736, 104}, {738, 114}, {738, 123}, {736, 131}, {730, 136}, {723, 144}, {719, 152},
    {714, 156}, {708, 163}, {703, 175}, {699, 182}, {695, 191}, {692, 202}, {691, 211}, {690, 222}, {687, 234}, {687, 244},
    {687, 258}, {687, 268}, {687, 282}, {687, 291}, {688, 303}, {690, 312}, {692, 323}, {696, 331}, {699, 338}, {703, 347},
    {923, 294}, {923, 284}, {920, 272}, {919, 263}, {915, 255}, {911, 247}, {910, 238}, {904, 218}, {903, 207}, {898, 198},
    {895, 188}, {892, 180}, {888, 174}, {886, 166}, {882, 159}, {878, 152}, {871, 146}, {866, 136}, {862, 127}, {855, 118},
    {851, 110}, {844, 106}, {836, 100}, {828, 92}, {823, 86}, {818, 83}, {818, 74}, {818, 64}, {818, 55}, {818, 46},
    {816, 36}, {814, 30}, {811, 20}, {810, 12},
};

namespace
{
// Phases: fade-in, glints appear, picture change, settle.
const int fadeInPhase = 0;
const int glintsAppearPhase = 1;
const int pictureChangePhase = 2;
const int settlePhase = 3;

const float settleSeconds = 8.0f;
const float glintShift = 8.0f;   // the glints stand this far right of and below the loop
const double randomRange = 32767.0; // the draws run from 0 to this

// What the scene keeps from frame to frame, as at start-up.
struct SceneState
{
    bool firstEntry = true;
    int phase = fadeInPhase;
    float timer = 0.0f;
    float overlayAlpha = 255.0f;
    float pictureAlpha = 255.0f; // of the front picture, shown through renderTexture
    float blurAmount = 8.0f;     // "blur_radius" is this over 85
    int result = 9;
};
SceneState state;

// One draw from the C library's generator, from 0 to 32767. The C library
// may offer a wider range (glibc goes to 2^31 - 1); its low 15 bits are
// spread just as evenly.
int randomDraw()
{
    return std::rand() % 32768;
}

void setUpGlints()
{
    createTweenGroup(glintGroup, glintCount, &picture("glint.png"));

    // Each glint its own size, spin speed and starting angle, drawn in turn.
    for (int i = 0; i < glintCount; ++i)
    {
        TweenSprite& glint = glintGroup.records[i];
        int r1 = randomDraw();
        int r2 = randomDraw();
        int r3 = randomDraw();
        glint.scale = static_cast<float>(0.5 + r1 * 0.5 / randomRange);
        glint.rotationSpeed = static_cast<float>(32.0 + r2 * 58.0 / randomRange);
        glint.rotation = static_cast<float>(r3 * 360.0 / randomRange);
        glint.alpha = 0.0f;
    }

    // The fresh glints are placed on the loop at once, still invisible.
    TweenPoint start[glintCount];
    for (int i = 0; i < glintCount; ++i)
        start[i] = {glintLoop[i].x + glintShift, glintLoop[i].y + glintShift};
    setTweenTargets(glintGroup, start, 0.01f);
}

// Adds delta to every glint's opacity, kept within 0 and 1.
void fadeGlints(float delta)
{
    for (int i = 0; i < glintGroup.count; ++i)
    {
        float& alpha = glintGroup.records[i].alpha;
        alpha += delta;
        if (alpha > 1.0f)
            alpha = 1.0f;
        if (alpha < 0.0f)
            alpha = 0.0f;
    }
}
}

void resetScene9()
{
    state = SceneState();
}

int runScene9(sf::RenderTarget& target)
{
    if (state.firstEntry)
    {
        state.firstEntry = false;
        setUpGlints();
        std::cout << "scene 10 loaded" << std::endl;
    }

    // The glints spin in every phase, and glide once they have targets.
    updateTweenGroup(glintGroup);

    switch (state.phase)
    {
    case fadeInPhase:
        // The fade-in ends once its timer reaches 2 s.
        if (fadeInFromBlack(state.timer, state.overlayAlpha))
            state.phase = glintsAppearPhase;
        break;
    case glintsAppearPhase:
        // The glints fade in on the loop, then set off for the strands.
        fadeGlints(frameDelta);
        state.timer += frameDelta;
        if (state.timer > holdSeconds)
        {
            state.timer = 0.0f;
            state.phase = pictureChangePhase;
            setTweenTargets(glintGroup, glintStrands, holdSeconds);
        }
        break;
    case pictureChangePhase:
        // The front picture fades away; the blur beneath starts to ease off.
        state.timer += frameDelta;
        state.pictureAlpha = fadeInAlpha(state.timer, fadeSeconds);
        state.blurAmount -= frameDelta;
        if (state.timer >= fadeSeconds)
        {
            state.timer = 0.0f;
            state.phase = settlePhase;
        }
        break;
    default:
        // The picture comes into focus; past 4 s the glints fade out.
        state.timer += frameDelta;
        state.blurAmount -= frameDelta;
        if (state.blurAmount < 0.0f)
            state.blurAmount = 0.0f;
        if (state.timer > holdSeconds)
            fadeGlints(-frameDelta);
        if (state.timer > settleSeconds)
            state.result = 10;
        break;
    }

    setBlurRadius(static_cast<float>(state.blurAmount / 85.0));

    // The blurred back picture, the front one through renderTexture over it.
    // Until the front one starts to fade it hides the back one, which is
    // then not drawn.
    setSpriteAlpha(renderTextureSprite, state.pictureAlpha);
    if (!hidesTarget("SF1.png", renderTexture) || !coversTarget(renderTextureSprite, target))
        drawBlurred(target, picture("SF2.png"));
    drawPicture(renderTexture, picture("SF1.png"));
    renderTexture.display();
    drawRenderTexture(target);

    // The glints, then the black overlay.
    drawTweenGroup(glintGroup, target);
    sf::Sprite& black = picture("black.png");
    setSpriteAlpha(black, state.overlayAlpha);
    drawOverlay(target, black);

    return state.result;
}

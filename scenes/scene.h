#pragma once
// What every scene shares: the frame's time step, the timing constants, the
// effect clock, the twelve scene routines and the fades they all use.
#include "assets/catalogue.h"
#include "assets/picture_draw.h"
#include "draw/frame.h"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Config.hpp>

// Timing constants the scenes read and never write.
extern const float holdSeconds;      // 4.0
extern const float fadeSeconds;      // 2.0
extern const float stepSeconds;      // 1.0
extern const float halfStepSeconds;  // 0.5

// The running time of the shader effects; scenes 3, 4, 5 and 7 drive it.
extern float effectTime;

const int sceneCount = 12;   // scenes 0 to 11
const int showEndIndex = 12; // the index that ends the frame loop

// One routine per scene: runs one frame of it on the target and returns the
// index of the scene for the next frame (its own, or its successor's).
int runScene0(sf::RenderTarget& target);
int runScene1(sf::RenderTarget& target);
int runScene2(sf::RenderTarget& target);
int runScene3(sf::RenderTarget& target);
int runScene4(sf::RenderTarget& target);
int runScene5(sf::RenderTarget& target);
int runScene6(sf::RenderTarget& target);
int runScene7(sf::RenderTarget& target);
int runScene8(sf::RenderTarget& target);
int runScene9(sf::RenderTarget& target);
int runScene10(sf::RenderTarget& target);
int runScene11(sf::RenderTarget& target);

// One per scene: puts the scene's own state back as at start-up, so that
// the show can run again from its start in the same process (the preview's
// jumps; the player never runs it twice).
void resetScene0();
void resetScene1();
void resetScene2();
void resetScene3();
void resetScene4();
void resetScene5();
void resetScene6();
void resetScene7();
void resetScene8();
void resetScene9();
void resetScene10();
void resetScene11();

// Every scene's reset, and the effect clock back to 0.
void resetScenes();

// Runs one frame of the scene sceneIndex (0 to 11) and returns the next index.
// Any other index draws nothing and comes back unchanged.
int dispatchScene(int sceneIndex, sf::RenderTarget& target);

// Fade of the picture in (the overlay goes away) over `length` seconds:
// 255 - timer * 255 / length, never below 0, computed in double precision.
float fadeInAlpha(float timer, float length);

// Fade of the picture out (the overlay comes back): timer * 255 / length,
// never above 255, computed in double precision.
float fadeOutAlpha(float timer, float length);

// One frame of a scene's opening fade from black: the timer runs on by
// frameDelta and the overlay thins with it. True on the frame the fade is
// over (its timer reaching fadeSeconds), with the timer back at 0.
bool fadeInFromBlack(float& timer, float& overlayAlpha);

// Tints a sprite white at the given opacity (0..255).
inline void setSpriteAlpha(sf::Sprite& sprite, float alpha)
{
    sprite.setColor(sf::Color(255, 255, 255, alphaByte(alpha)));
}

// Draws a full-screen overlay or fading layer, or nothing when it is fully
// transparent: a clear one would leave every pixel as it was, at the cost of
// a whole screen of blending.
inline void drawOverlay(sf::RenderTarget& target, const sf::Sprite& overlay)
{
    if (overlay.getColor().a != 0)
        drawPicture(target, overlay);
}

// Whether a sprite, drawn now, would cover the target's whole view at full
// strength and unturned.
bool coversTarget(const sf::Sprite& sprite, const sf::RenderTarget& target);

// Whether the picture with this file name, drawn now, would hide everything
// drawn before it on the target: opaque in every pixel and covering it.
// What it hides need not be drawn.
bool hidesTarget(const char* file, const sf::RenderTarget& target);

// Draws a picture through the ripple shader, which only bends where each
// pixel reads the picture from, blended as the catalogue blends it.
void drawRippled(sf::RenderTarget& target, const sf::Sprite& picture);

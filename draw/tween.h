#pragma once
// Tween groups: many instances of one small sprite, each with its own place,
// opacity, scale and spin, moved together to new points with an ease-out.
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>

struct TweenSprite
{
    float startX, startY;   // where the current move began
    float targetX, targetY; // where it ends
    float x, y;             // current position
    float elapsed;          // seconds spent in the current move
    float duration;         // length of the current move
    bool visible;
    bool fresh;             // never given a target yet
    bool moving;
    float alpha;            // 0 to 1
    float rotation;         // degrees
    float rotationSpeed;    // degrees per second
    float scale;
};

struct TweenGroup
{
    TweenSprite* records = nullptr; // heap array, released at the end of the show
    int count = 0;
    sf::Sprite* sprite = nullptr;   // a catalogue sprite, drawn once per visible record
};

// The pencil stamps of scenes 3 and 4, and the glints of scene 9.
extern TweenGroup stampGroup;
extern TweenGroup glintGroup;

struct TweenPoint
{
    float x, y;
};

void createTweenGroup(TweenGroup& group, int count, sf::Sprite* sprite);
void setTweenTargets(TweenGroup& group, const TweenPoint* points, float duration);
void updateTweenGroup(TweenGroup& group);
void drawTweenGroup(TweenGroup& group, sf::RenderTarget& target);

// Releases the records of a group (a group never created is skipped).
void releaseTweenGroup(TweenGroup& group);

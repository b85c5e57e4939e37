// Tween groups: one sprite drawn once per visible record, every record moved
// with a quadratic ease-out and spun at its own speed.
#include "draw/tween.h"

#include "draw/frame.h"

#include <SFML/Graphics/RenderStates.hpp>

TweenGroup stampGroup;
TweenGroup glintGroup;

void createTweenGroup(TweenGroup& group, int count, sf::Sprite* sprite)
{
    // A group made twice gives up its old records rather than leaking them.
    releaseTweenGroup(group);
    if (count < 0)
        count = 0;

    group.count = count;
    group.records = count > 0 ? new TweenSprite[count] : nullptr;
    group.sprite = sprite;

    // Fresh records: invisible, still, opaque, unturned, full size. Their
    // positions come with the first targets.
    for (int i = 0; i < count; ++i)
    {
        TweenSprite& record = group.records[i];
        record.startX = record.startY = 0.0f;
        record.targetX = record.targetY = 0.0f;
        record.x = record.y = 0.0f;
        record.elapsed = 0.0f;
        record.duration = 0.0f;
        record.visible = false;
        record.fresh = true;
        record.moving = false;
        record.alpha = 1.0f;
        record.rotation = 0.0f;
        record.rotationSpeed = 0.0f;
        record.scale = 1.0f;
    }
}

void setTweenTargets(TweenGroup& group, const TweenPoint* points, float duration)
{
    for (int i = 0; i < group.count; ++i)
    {
        TweenSprite& record = group.records[i];
        const TweenPoint& point = points[i];

        // A record that never had a target is put straight on its point.
        if (record.fresh)
        {
            record.startX = record.targetX = record.x = point.x;
            record.startY = record.targetY = record.y = point.y;
            record.visible = true;
            record.fresh = false;
            continue;
        }

        // Any other record sets off from where it stands, also mid-move.
        record.startX = record.x;
        record.startY = record.y;
        record.targetX = point.x;
        record.targetY = point.y;
        record.elapsed = 0.0f;
        record.duration = duration;
        record.visible = true;
        record.moving = true;
    }
}

void updateTweenGroup(TweenGroup& group)
{
    const float dt = frameDelta;
    for (int i = 0; i < group.count; ++i)
    {
        TweenSprite& record = group.records[i];

        // Advance the move; the frame that reaches its length lands on the target.
        if (record.moving)
        {
            record.elapsed += dt;
            if (record.elapsed >= record.duration)
            {
                record.elapsed = record.duration;
                record.moving = false;
            }
            // A move of no length is over at once, rather than dividing by zero.
            float t = record.duration > 0.0f ? record.elapsed / record.duration : 1.0f;
            float ease = t * (2.0f - t);
            record.x = record.startX + (record.targetX - record.startX) * ease;
            record.y = record.startY + (record.targetY - record.startY) * ease;
        }

        // Every record spins, moving or not, drawn or not; the sprite reduces
        // the angle when it is applied.
        record.rotation += record.rotationSpeed * dt;
    }
}

void drawTweenGroup(TweenGroup& group, sf::RenderTarget& target)
{
    if (group.sprite == nullptr)
        return;
    sf::Sprite& sprite = *group.sprite;

    // Record 0 first, so higher indices lie on top.
    for (int i = 0; i < group.count; ++i)
    {
        const TweenSprite& record = group.records[i];
        if (!record.visible)
            continue;
        sprite.setPosition(record.x, record.y);
        sprite.setColor(sf::Color(255, 255, 255, alphaByte(record.alpha * 255.0f)));
        sprite.setScale(record.scale, record.scale);
        sprite.setRotation(record.rotation);
        target.draw(sprite, sf::RenderStates::Default);
    }
}

void releaseTweenGroup(TweenGroup& group)
{
    delete[] group.records;
    group.records = nullptr;
    group.count = 0;
}

// Tween groups: placing, easing, landing, spinning and drawing the records.
#include "draw/tween.h"
#include "scenes/scene.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace
{
// Runs one frame's update of the group with the given time step.
void advance(TweenGroup& group, float delta)
{
    frameDelta = delta;
    updateTweenGroup(group);
}

struct TweenMoves : ::testing::Test
{
    sf::Sprite sprite;
    TweenGroup group;
    const TweenPoint start[3] = {{100, 100}, {200, 50}, {300, 400}};
    const TweenPoint finish[3] = {{500, 300}, {200, 250}, {0, 0}};

    void TearDown() override { releaseTweenGroup(group); }
};
}

TEST_F(TweenMoves, FreshRecordsArePlacedAtOnceWhateverTheDuration)
{
    createTweenGroup(group, 3, &sprite);
    ASSERT_NE(group.records, nullptr);
    EXPECT_EQ(group.count, 3);
    EXPECT_EQ(group.sprite, &sprite);
    for (int i = 0; i < 3; ++i)
    {
        const TweenSprite& r = group.records[i];
        EXPECT_FALSE(r.visible);
        EXPECT_TRUE(r.fresh);
        EXPECT_FALSE(r.moving);
        EXPECT_EQ(r.alpha, 1.0f);
        EXPECT_EQ(r.scale, 1.0f);
        EXPECT_EQ(r.rotation, 0.0f);
        EXPECT_EQ(r.rotationSpeed, 0.0f);
    }

    // A long duration plays no part for fresh records: they stand still.
    setTweenTargets(group, start, 10.0f);
    advance(group, 0.5f);
    advance(group, 3.0f);
    for (int i = 0; i < 3; ++i)
    {
        const TweenSprite& r = group.records[i];
        EXPECT_TRUE(r.visible);
        EXPECT_FALSE(r.fresh);
        EXPECT_FALSE(r.moving);
        EXPECT_EQ(r.x, start[i].x);
        EXPECT_EQ(r.y, start[i].y);
        EXPECT_EQ(r.targetX, start[i].x);
        EXPECT_EQ(r.startY, start[i].y);
    }
}

TEST_F(TweenMoves, MovesEaseOutAndLandExactlyOnTheTarget)
{
    createTweenGroup(group, 3, &sprite);
    setTweenTargets(group, start, 0.1f);
    setTweenTargets(group, finish, 4.0f);
    EXPECT_TRUE(group.records[0].moving);
    EXPECT_EQ(group.records[0].elapsed, 0.0f);

    // Halfway in time is three quarters of the way.
    advance(group, 2.0f);
    EXPECT_FLOAT_EQ(group.records[0].x, 100 + 400 * 0.75f);
    EXPECT_FLOAT_EQ(group.records[0].y, 100 + 200 * 0.75f);
    EXPECT_FLOAT_EQ(group.records[2].x, 300 - 300 * 0.75f);
    EXPECT_FLOAT_EQ(group.records[1].x, 200.0f);
    EXPECT_TRUE(group.records[0].moving);

    // A frame that overshoots the remaining time lands on the target exactly.
    advance(group, 2.7f);
    for (int i = 0; i < 3; ++i)
    {
        const TweenSprite& r = group.records[i];
        EXPECT_FALSE(r.moving);
        EXPECT_EQ(r.elapsed, 4.0f);
        EXPECT_EQ(r.x, finish[i].x);
        EXPECT_EQ(r.y, finish[i].y);
    }

    // A still record stays where it landed.
    advance(group, 1.0f);
    EXPECT_EQ(group.records[0].x, 500.0f);
}

TEST_F(TweenMoves, ANewMoveSetsOffFromWhereTheRecordStands)
{
    createTweenGroup(group, 3, &sprite);
    setTweenTargets(group, start, 0.1f);
    setTweenTargets(group, finish, 4.0f);
    advance(group, 2.0f); // record 0 is at (400, 250)

    // Back to the start: the new move begins mid-way, with its clock reset.
    setTweenTargets(group, start, 1.0f);
    const TweenSprite& r = group.records[0];
    EXPECT_FLOAT_EQ(r.startX, 400.0f);
    EXPECT_FLOAT_EQ(r.startY, 250.0f);
    EXPECT_EQ(r.elapsed, 0.0f);
    EXPECT_EQ(r.duration, 1.0f);
    advance(group, 0.5f);
    EXPECT_FLOAT_EQ(r.x, 400.0f - 300.0f * 0.75f);
    advance(group, 0.5f);
    EXPECT_EQ(r.x, 100.0f);
    EXPECT_FALSE(r.moving);
}

TEST_F(TweenMoves, AMoveOfNoLengthEndsOnItsTargetWithoutDividingByZero)
{
    createTweenGroup(group, 3, &sprite);
    setTweenTargets(group, start, 0.1f);
    setTweenTargets(group, finish, 0.0f);
    advance(group, 0.016f);
    EXPECT_EQ(group.records[0].x, 500.0f);
    EXPECT_EQ(group.records[0].y, 300.0f);
    EXPECT_FALSE(group.records[0].moving);
}

TEST_F(TweenMoves, RecordsSpinWhetherOrNotTheyMoveOrShow)
{
    createTweenGroup(group, 3, &sprite);
    for (int i = 0; i < 3; ++i)
        group.records[i].rotationSpeed = 90.0f;

    // Record 0 hidden, 1 still, 2 on a long move.
    setTweenTargets(group, start, 0.1f);
    group.records[0].visible = false;
    TweenSprite& mover = group.records[2];
    mover.targetX = 0.0f;
    mover.targetY = 0.0f;
    mover.elapsed = 0.0f;
    mover.duration = 8.0f;
    mover.moving = true;

    for (int frame = 0; frame < 10; ++frame)
        advance(group, 0.5f);
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(group.records[i].rotation, 450.0f) << "record " << i;
    EXPECT_TRUE(group.records[2].moving);

    // The angle is not wrapped by the group.
    EXPECT_GT(group.records[1].rotation, 360.0f);
}

TEST(TweenDrawing, VisibleRecordsAreDrawnInOrderAndTheSpriteKeepsTheLastOnesValues)
{
    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(64, 64));
    sf::Image white;
    white.create(4, 4, sf::Color::White);
    sf::Texture stampTexture;
    ASSERT_TRUE(stampTexture.loadFromImage(white));
    sf::Sprite stamp(stampTexture);
    stamp.setOrigin(2, 2);

    TweenGroup group;
    createTweenGroup(group, 4, &stamp);
    const TweenPoint places[4] = {{10, 10}, {30, 10}, {30, 10}, {50, 50}};
    setTweenTargets(group, places, 1.0f);
    group.records[0].alpha = 1.0f;
    // Records 1 and 2 share a place: the later one, opaque, lies on top.
    group.records[1].alpha = 0.0f;
    group.records[2].alpha = 0.75f;
    group.records[2].scale = 2.0f;
    group.records[2].rotation = 450.0f;
    group.records[3].visible = false;

    canvas.clear(sf::Color::Black);
    drawTweenGroup(group, canvas);
    canvas.display();
    sf::Image frame = canvas.getTexture().copyToImage();

    EXPECT_EQ(frame.getPixel(10, 10), sf::Color::White);
    // 0.75 of white over black: colour alpha 191.
    EXPECT_NEAR(frame.getPixel(30, 10).r, 191, 1);
    // Scale 2 covers 8 x 8 pixels around the point.
    EXPECT_NEAR(frame.getPixel(33, 13).r, 191, 1);
    EXPECT_EQ(frame.getPixel(50, 50), sf::Color::Black);

    // The sprite holds record 2's values, the last record drawn.
    EXPECT_EQ(stamp.getPosition(), sf::Vector2f(30, 10));
    EXPECT_EQ(stamp.getColor(), sf::Color(255, 255, 255, 191));
    EXPECT_EQ(stamp.getScale(), sf::Vector2f(2, 2));
    EXPECT_FLOAT_EQ(stamp.getRotation(), 90.0f);
    releaseTweenGroup(group);
}

TEST(TweenDrawing, ReleasedOrNeverMadeGroupsAreSafeToUse)
{
    sf::RenderTexture canvas;
    ASSERT_TRUE(canvas.create(8, 8));
    TweenGroup never;
    releaseTweenGroup(never);
    EXPECT_EQ(never.records, nullptr);
    updateTweenGroup(never);
    drawTweenGroup(never, canvas);

    sf::Sprite stamp;
    TweenGroup group;
    createTweenGroup(group, 5, &stamp);
    createTweenGroup(group, 2, &stamp); // made again: the old records go
    EXPECT_EQ(group.count, 2);
    releaseTweenGroup(group);
    EXPECT_EQ(group.records, nullptr);
    EXPECT_EQ(group.count, 0);
    setTweenTargets(group, nullptr, 1.0f);
    updateTweenGroup(group);
    drawTweenGroup(group, canvas);
}

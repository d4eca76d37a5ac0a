// Ready-made movements for the animals, clouds, birds and boats of every
// scene. Each builds one action tree and runs it on the sprite; callers never
// keep the action. Some movements report their end through a tag:
// butterAnimation sets the sprite's tag to 1, sheepAnimation its parent's.
#pragma once

#include "engine/CCSprite.h"

class MyAnimation {
public:
    MyAnimation() = delete;

    // Flips the sprite to face a target on its left, then moves there. turn has no effect.
    static void flyTo(CCSprite* sprite, CGPoint location, float duraction, bool turn);
    // A series of shrinking hops, each direction x distance sideways and 30 points down.
    static void jumpSprite(CCSprite* sprite, int direction, float distance, int jumpCount, float height, float time);
    // One hop of the frog, in the air on "frog2.png", landed on "frog3.png".
    static void frogAnimation(CCSprite* sprite, CGPoint location, float time);
    // Drifts a cloud leftwards without end, re-entering from the right of a
    // 1024-point screen; the tag is rewritten at the start of every pass.
    // velocity has no effect.
    static void moveLeftForever(CCSprite* sprite, float velocity);
    // Up over a flower and down again; tag 1 when done (2 x time + 0.15 s).
    static void butterAnimation(CCSprite* sprite, int direction, bool flip, float time);
    // Three shakes of a head; the parent's tag is 1 when done (0.6 s).
    static void sheepAnimation(CCSprite* sprite);
    // Back and forth across the screen, dipping 80 points mid-way.
    static void birdAnimation(CCSprite* sprite, float duraction);
    // Like flyTo, but only ever flips towards the left.
    static void moveSprite(CCSprite* sprite, CGPoint position, float duraction);
    // Moves once to a random place and rests there.
    static void runOnTheScene(CCSprite* sprite);
    static void moveDown(CCSprite* sprite);
    // A boat rocking in place. wait has no effect.
    static void swim(CCSprite* sprite, float wait);
    // A holder sprite with one "num<d>.png" child per digit, most significant
    // at (0, 0); tag 1 is the units.
    static Ref<CCSprite> intToSprite(unsigned number);
};

#include "scenes/learning/MyAnimation.h"

#include <cmath>
#include <string>
#include <vector>

#include "app/KVTAppUtils.h"
#include "engine/CCActions.h"
#include "engine/CCTextureCache.h"
#include "platform/Random.h"

// Blocks capture plain sprite pointers: an action keeps its target alive
// while it runs, and a capture that owned the sprite would keep an endless
// action and its sprite alive for each other.

namespace {

Ref<CCCallBlock> showFrogPicture(CCSprite* sprite, const char* file) {
    return CCCallBlock::actionWithBlock([sprite, file] {
        sprite->setTexture(CCTextureCache::sharedTextureCache()->addImage(KVTAppUtils::realFileName(file)));
    });
}

// One pass of a hop: in the air on frog2, landed on frog3, a short rest.
Ref<CCSequence> hop(CCSprite* sprite, CCFiniteTimeAction* motion) {
    return CCSequence::actions({showFrogPicture(sprite, "frog2.png").get(), motion,
                                showFrogPicture(sprite, "frog3.png").get(), CCDelayTime::actionWithDuration(0.4f).get()});
}

}  // namespace

void MyAnimation::flyTo(CCSprite* sprite, CGPoint location, float duraction, bool) {
    sprite->setFlipX(sprite->position().x > location.x);
    sprite->runAction(CCMoveTo::actionWithDuration(duraction, location).get());
}

void MyAnimation::moveSprite(CCSprite* sprite, CGPoint position, float duraction) {
    if (sprite->position().x > position.x) sprite->setFlipX(true);
    sprite->runAction(CCMoveTo::actionWithDuration(duraction, position).get());
}

void MyAnimation::frogAnimation(CCSprite* sprite, CGPoint location, float time) {
    Ref<CCEaseOut> jump = CCEaseOut::actionWithAction(CCJumpTo::actionWithDuration(time, location, 50, 1).get(), 1.4f);
    Ref<CCSpawn> spawn = CCSpawn::actions({jump.get()});
    sprite->runAction(CCRepeat::actionWithAction(hop(sprite, spawn.get()).get(), 1).get());
}

void MyAnimation::jumpSprite(CCSprite* sprite, int direction, float distance, int jumpCount, float height,
                             float time) {
    Ref<CCEaseOut> jump = CCEaseOut::actionWithAction(
        CCJumpBy::actionWithDuration(time, {direction * distance, -30}, height, 1).get(), 1.4f);
    Ref<CCScaleTo> shrink = CCScaleTo::actionWithDuration(time, sprite->scale() - 0.15f);
    Ref<CCSpawn> spawn = CCSpawn::actions({jump.get(), shrink.get()});
    unsigned times = jumpCount > 0 ? static_cast<unsigned>(jumpCount) : 0;
    sprite->runAction(CCRepeat::actionWithAction(hop(sprite, spawn.get()).get(), times).get());
}

void MyAnimation::moveLeftForever(CCSprite* sprite, float) {
    sprite->runAction(CCPlace::actionWithPosition(sprite->position()).get());
    float w = sprite->texture() ? sprite->texture()->contentSize().width : 0;
    CGPoint start = sprite->position();
    std::uint32_t r = platform::arc4random();
    float duration = start.x / 16 + 10 + 10 * static_cast<float>(r % 5);

    Ref<CCCallBlock> startPass = CCCallBlock::actionWithBlock([sprite] {
        sprite->setPosition(sprite->position());
        std::uint32_t fresh = platform::arc4random();
        sprite->setTag(static_cast<int>(std::trunc(sprite->position().x / 4 - (9 + 3 * static_cast<float>(fresh % 5)))));
    });
    Ref<CCCallBlock> reenter = CCCallBlock::actionWithBlock([sprite, w] {
        sprite->setPosition({1024 + w / 2, sprite->position().y});
    });
    Ref<CCSequence> pass = CCSequence::actions(
        {startPass.get(), CCMoveTo::actionWithDuration(duration, {-w / 2, start.y}).get(), reenter.get()});
    sprite->runAction(CCRepeatForever::actionWithAction(pass.get()).get());
}

void MyAnimation::butterAnimation(CCSprite* sprite, int direction, bool flip, float time) {
    sprite->setFlipX(flip);
    auto dx = static_cast<float>(55 * direction);
    Ref<CCEaseRateAction> up =
        CCEaseRateAction::actionWithAction(CCJumpBy::actionWithDuration(time, {dx, 40}, 50, 1).get());
    Ref<CCEaseRateAction> down =
        CCEaseRateAction::actionWithAction(CCJumpBy::actionWithDuration(time, {dx, -40}, 50, 1).get());
    Ref<CCCallBlock> ready = CCCallBlock::actionWithBlock([sprite] { sprite->setTag(1); });
    sprite->runAction(
        CCSequence::actions({up.get(), CCDelayTime::actionWithDuration(0.15f).get(), down.get(), ready.get()}).get());
}

void MyAnimation::sheepAnimation(CCSprite* sprite) {
    Ref<CCSequence> shake = CCSequence::actions(
        {CCRotateBy::actionWithDuration(0.1f, -15).get(), CCRotateBy::actionWithDuration(0.1f, 15).get()});
    Ref<CCCallBlock> ready = CCCallBlock::actionWithBlock([sprite] {
        if (sprite->parent()) sprite->parent()->setTag(1);
    });
    sprite->runAction(CCSequence::actions({CCRepeat::actionWithAction(shake.get(), 3).get(), ready.get()}).get());
}

void MyAnimation::birdAnimation(CCSprite* sprite, float duraction) {
    Ref<CCSpawn> forward = CCSpawn::actions({CCJumpBy::actionWithDuration(duraction, {450, 0}, -80, 1).get(),
                                             CCRotateTo::actionWithDuration(duraction, -50).get()});
    Ref<CCSpawn> back = CCSpawn::actions({CCJumpBy::actionWithDuration(duraction, {-450, 0}, -80, 1).get(),
                                          CCRotateTo::actionWithDuration(duraction, 50).get()});
    Ref<CCCallBlock> turnBack = CCCallBlock::actionWithBlock([sprite] {
        sprite->setFlipX(true);
        sprite->setRotation(0);
    });
    Ref<CCCallBlock> turnForward = CCCallBlock::actionWithBlock([sprite] {
        sprite->setFlipX(false);
        sprite->setRotation(0);
    });
    Ref<CCSequence> round = CCSequence::actions({forward.get(), turnBack.get(), back.get(), turnForward.get()});
    sprite->runAction(CCRepeatForever::actionWithAction(round.get()).get());
}

void MyAnimation::swim(CCSprite* sprite, float) {
    Ref<CCSpawn> rise = CCSpawn::actions({CCJumpBy::actionWithDuration(2.0f, {0, 0}, 2, 1).get(),
                                          CCRotateTo::actionWithDuration(2.0f, -5).get()});
    Ref<CCSpawn> dip = CCSpawn::actions({CCJumpBy::actionWithDuration(2.0f, {0, 0}, -2, 1).get(),
                                         CCRotateTo::actionWithDuration(2.0f, 5).get()});
    sprite->runAction(CCRepeatForever::actionWithAction(CCSequence::actions({rise.get(), dip.get()}).get()).get());
}

void MyAnimation::runOnTheScene(CCSprite* sprite) {
    CGPoint p{static_cast<float>(140 + platform::rand() % 760), static_cast<float>(130 + platform::rand() % 450)};
    sprite->runAction(CCRepeatForever::actionWithAction(CCMoveTo::actionWithDuration(2.0f, p).get()).get());
}

void MyAnimation::moveDown(CCSprite* sprite) {
    sprite->runAction(CCMoveBy::actionWithDuration(0.3f, {0, -200}).get());
}

Ref<CCSprite> MyAnimation::intToSprite(unsigned number) {
    Ref<CCSprite> holder = CCSprite::node();
    std::vector<CCSprite*> digits;  // units first
    unsigned rest = number;
    int k = 1;
    do {
        Ref<CCSprite> digit = CCSprite::spriteWithFile("num" + std::to_string(rest % 10) + ".png");
        if (!digit) digit = CCSprite::node();  // a missing picture leaves a gap, not a crash
        digit->setAnchorPoint({0, 0});
        holder->addChild(digit.get(), 0, k++);
        digits.push_back(digit.get());
        rest /= 10;
    } while (rest > 0);
    CCSprite* mostSignificant = digits.back();
    float w = mostSignificant->texture() ? std::trunc(mostSignificant->texture()->contentSize().width) : 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        // The highest tag sits at the origin, the units furthest right.
        digits[digits.size() - 1 - i]->setPosition({w * static_cast<float>(i), 0});
    }
    return holder;
}

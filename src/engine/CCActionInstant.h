// Instant actions: done in the step that first reaches them.
#pragma once

#include <functional>

#include "engine/CCAction.h"
#include "engine/ccTypes.h"

class CCActionInstant : public CCFiniteTimeAction {
public:
    bool isDone() const override { return true; }
    void step(float dt) override;
};

// Puts the node at a position.
class CCPlace : public CCActionInstant {
public:
    static Ref<CCPlace> actionWithPosition(CGPoint position);
    void update(float t) override;

private:
    CGPoint position_;
};

// Runs a closure.
class CCCallBlock : public CCActionInstant {
public:
    static Ref<CCCallBlock> actionWithBlock(std::function<void()> block);
    void update(float t) override;

private:
    std::function<void()> block_;
};

// Calls a function of a target object, which the action keeps alive.
class CCCallFunc : public CCActionInstant {
public:
    static Ref<CCCallFunc> actionWithTarget(CCObject* target, std::function<void()> function);
    void update(float t) override;

private:
    Ref<CCObject> callTarget_;
    std::function<void()> function_;
};

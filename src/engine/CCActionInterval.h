// Interval actions: they spread their effect over their duration. The first
// step after a start applies t = 0 (the frame that started the action has
// already been accounted for); each later step adds the frame's delta time.
// A zero duration finishes in its first step at t = 1.
//
// Composites (sequence, spawn, repeat) pass eased time through to their
// children unclamped at the far end, so an elastic or back ease around a
// composite still overshoots.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/CCAction.h"
#include "engine/ccTypes.h"

class CCActionInterval : public CCFiniteTimeAction {
public:
    double elapsed() const { return elapsed_; }
    bool isDone() const override;
    void startWithTarget(CCNode* target) override;
    void step(float dt) override;

protected:
    // For composites, which flag each child's run in `running`. Both return
    // false when the call into the child stopped this action (see
    // CCAction.h); `token` is this action's run token before the call.
    // Starts the child on this target unless it is already running.
    bool startChild(CCFiniteTimeAction& child, bool& running, unsigned token);
    // Takes the child to its end: started if need be, applied at t = 1, stopped.
    bool finishChild(CCFiniteTimeAction& child, bool& running, unsigned token);

    double elapsed_ = 0;
    bool firstTick_ = true;
};

// Runs its actions one after another; its duration is their sum. Each child
// starts when the sequence reaches it, from the node's state at that moment;
// instant children run once per pass, in the step that reaches them.
class CCSequence : public CCActionInterval {
public:
    // Null entries are skipped.
    static Ref<CCSequence> actions(std::vector<CCFiniteTimeAction*> actions);
    void startWithTarget(CCNode* target) override;
    void stop() override;
    void update(float t) override;

private:
    struct Child {
        Ref<CCFiniteTimeAction> action;
        double start = 0;
        double end = 0;
        bool ran = false;  // instants: already run this pass
    };
    // Finishes (or, for an instant, runs) child i; false when that stopped us.
    bool complete(std::size_t i, unsigned token);

    std::vector<Child> children_;
    std::size_t current_ = 0;  // the child being run
    bool currentStarted_ = false;
};

// Runs its actions together; its duration is the longest. Shorter children
// stop at their own end.
class CCSpawn : public CCActionInterval {
public:
    // Null entries are skipped.
    static Ref<CCSpawn> actions(std::vector<CCFiniteTimeAction*> actions);
    void startWithTarget(CCNode* target) override;
    void stop() override;
    void update(float t) override;

private:
    struct Child {
        Ref<CCFiniteTimeAction> action;
        bool running = false;
        bool ran = false;  // instants: already run
    };
    std::vector<Child> children_;
};

// Runs an action a number of times; each pass starts it afresh.
class CCRepeat : public CCActionInterval {
public:
    static Ref<CCRepeat> actionWithAction(CCFiniteTimeAction* action, unsigned times);
    void startWithTarget(CCNode* target) override;
    void stop() override;
    void update(float t) override;

private:
    Ref<CCFiniteTimeAction> inner_;
    unsigned times_ = 0;
    unsigned pass_ = 0;
    bool innerRunning_ = false;
};

// Restarts its action whenever it completes, until stopped. Time left over
// at the end of a pass carries into the next one. An action of zero duration
// runs once per frame.
class CCRepeatForever : public CCAction {
public:
    static Ref<CCRepeatForever> actionWithAction(CCActionInterval* action);
    void startWithTarget(CCNode* target) override;
    void stop() override;
    bool isDone() const override { return false; }
    void step(float dt) override;

private:
    Ref<CCActionInterval> inner_;
};

class CCDelayTime : public CCActionInterval {
public:
    static Ref<CCDelayTime> actionWithDuration(float duration);
};

class CCMoveBy : public CCActionInterval {
public:
    static Ref<CCMoveBy> actionWithDuration(float duration, CGPoint offset);
    void startWithTarget(CCNode* target) override;
    void update(float t) override;

protected:
    CGPoint delta_;
    CGPoint start_;
};

class CCMoveTo : public CCMoveBy {
public:
    static Ref<CCMoveTo> actionWithDuration(float duration, CGPoint position);
    void startWithTarget(CCNode* target) override;

private:
    CGPoint end_;
};

// Hops along a straight line: y gains height·4·f·(1 - f), f being the
// fractional part of t·jumps.
class CCJumpBy : public CCActionInterval {
public:
    static Ref<CCJumpBy> actionWithDuration(float duration, CGPoint offset, float height, int jumps);
    void startWithTarget(CCNode* target) override;
    void update(float t) override;

protected:
    CGPoint delta_;
    CGPoint start_;
    float height_ = 0;
    int jumps_ = 1;
};

class CCJumpTo : public CCJumpBy {
public:
    static Ref<CCJumpTo> actionWithDuration(float duration, CGPoint position, float height, int jumps);
    void startWithTarget(CCNode* target) override;

private:
    CGPoint end_;
};

class CCScaleTo : public CCActionInterval {
public:
    static Ref<CCScaleTo> actionWithDuration(float duration, float scale);
    static Ref<CCScaleTo> actionWithDuration(float duration, float scaleX, float scaleY);
    void startWithTarget(CCNode* target) override;
    void update(float t) override;

private:
    float endX_ = 1, endY_ = 1;
    float startX_ = 1, startY_ = 1;
};

// Turns the shorter way to an angle: the start is reduced modulo 360 and the
// difference brought into -180..180.
class CCRotateTo : public CCActionInterval {
public:
    static Ref<CCRotateTo> actionWithDuration(float duration, float angle);
    void startWithTarget(CCNode* target) override;
    void update(float t) override;

private:
    float end_ = 0;
    float start_ = 0;
    float diff_ = 0;
};

class CCRotateBy : public CCActionInterval {
public:
    static Ref<CCRotateBy> actionWithDuration(float duration, float angle);
    void startWithTarget(CCNode* target) override;
    void update(float t) override;

private:
    float angle_ = 0;
    float start_ = 0;
};

// Opacity from the node's current value to a target; nodes without an
// opacity are left alone.
class CCFadeTo : public CCActionInterval {
public:
    static Ref<CCFadeTo> actionWithDuration(float duration, std::uint8_t opacity);
    void startWithTarget(CCNode* target) override;
    void update(float t) override;

protected:
    float to_ = 255;
    float from_ = 255;
};

class CCFadeIn : public CCFadeTo {
public:
    static Ref<CCFadeIn> actionWithDuration(float duration);
};

class CCFadeOut : public CCFadeTo {
public:
    static Ref<CCFadeOut> actionWithDuration(float duration);
};

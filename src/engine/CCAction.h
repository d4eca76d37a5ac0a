// Actions: objects that change one node over time. runAction hands an action
// to the action manager, which starts it on the node at once (reading the
// node's state then) and steps it every frame until it is done or stopped.
//
// An action runs on one node at a time, but it may be started again after it
// stops: composites rely on this to run the same object twice in a row, each
// time from the node's state at that moment.
//
// Any call into a child action may run game code that stops every action of
// the node, the caller included. Composites therefore note their run token
// before such a call and return at once when it has changed.
#pragma once

#include "engine/CCObject.h"

class CCNode;

inline constexpr int kCCActionTagInvalid = -1;

class CCAction : public CCObject {
public:
    // The node it runs on; null when not running.
    CCNode* target() const { return target_; }
    CCNode* originalTarget() const { return originalTarget_; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    virtual void startWithTarget(CCNode* target);
    virtual void stop();
    virtual bool isDone() const { return true; }
    // One frame: dt seconds have passed.
    virtual void step(float dt) {}
    // Applies the action at progress t (0 at the start, 1 at the end; eased
    // time may overshoot either end).
    virtual void update(float t) {}

    // Changes on every start and stop (see the file comment).
    unsigned runToken() const { return runToken_; }
    // Whether the action manager holds it (for refusing a second runAction).
    bool isManaged() const { return managed_; }

protected:
    CCNode* target_ = nullptr;
    CCNode* originalTarget_ = nullptr;
    int tag_ = kCCActionTagInvalid;
    unsigned runToken_ = 0;

private:
    friend class CCActionManager;
    bool managed_ = false;
    unsigned long addedInFrame_ = 0;  // the manager's step it was run in, 0 outside one
};

// An action with a duration in seconds (0 for instant actions).
class CCFiniteTimeAction : public CCAction {
public:
    float duration() const { return duration_; }
    void setDuration(float d) { duration_ = d < 0 ? 0 : d; }

protected:
    float duration_ = 0;
};

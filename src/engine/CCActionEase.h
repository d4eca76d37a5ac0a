// Eases: run an interval action with its time bent by a curve. Each maps
// the outer progress t to the inner action's progress.
#pragma once

#include "engine/CCActionInterval.h"

class CCActionEase : public CCActionInterval {
public:
    void startWithTarget(CCNode* target) override;
    void stop() override;
    void update(float t) override;
    // The curve; the base applies none.
    virtual float ease(float t) const { return t; }

protected:
    bool initWithAction(CCActionInterval* action);

    Ref<CCActionInterval> inner_;
};

// The base of the rate eases. The class itself applies no easing, whatever
// its rate.
class CCEaseRateAction : public CCActionEase {
public:
    static Ref<CCEaseRateAction> actionWithAction(CCActionInterval* action);
    static Ref<CCEaseRateAction> actionWithAction(CCActionInterval* action, float rate);
    float rate() const { return rate_; }
    void setRate(float rate) { rate_ = rate; }

protected:
    float rate_ = 0;
};

// t^(1/rate). A rate that is not positive would divide by zero: such an ease
// runs linearly.
class CCEaseOut : public CCEaseRateAction {
public:
    static Ref<CCEaseOut> actionWithAction(CCActionInterval* action, float rate);
    float ease(float t) const override;
};

// t^rate, the mirror of CCEaseOut.
class CCEaseIn : public CCEaseRateAction {
public:
    static Ref<CCEaseIn> actionWithAction(CCActionInterval* action, float rate);
    float ease(float t) const override;
};

// Period 0.3: 2^(-10t)·sin((t - 0.075)·2π/0.3) + 1, exactly 0 and 1 at the ends.
class CCEaseElasticOut : public CCActionEase {
public:
    static Ref<CCEaseElasticOut> actionWithAction(CCActionInterval* action);
    float ease(float t) const override;
};

// With u = t - 1: u²·(2.70158·u + 1.70158) + 1.
class CCEaseBackOut : public CCActionEase {
public:
    static Ref<CCEaseBackOut> actionWithAction(CCActionInterval* action);
    float ease(float t) const override;
};

// Four arcs, factor 7.5625, breaks at 1/2.75, 2/2.75 and 2.5/2.75.
class CCEaseBounceOut : public CCActionEase {
public:
    static Ref<CCEaseBounceOut> actionWithAction(CCActionInterval* action);
    float ease(float t) const override;
};

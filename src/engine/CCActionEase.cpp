#include "engine/CCActionEase.h"

#include <cmath>
#include <numbers>

#include "platform/Log.h"

bool CCActionEase::initWithAction(CCActionInterval* action) {
    if (!action) {
        platform::log("CCActionEase: no action to ease");
        return false;
    }
    inner_ = action;
    duration_ = action->duration();
    return true;
}

void CCActionEase::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    if (inner_) inner_->startWithTarget(target);
}

void CCActionEase::stop() {
    if (inner_ && target_) inner_->stop();
    CCActionInterval::stop();
}

void CCActionEase::update(float t) {
    if (inner_ && target_) inner_->update(ease(t));
}

Ref<CCEaseRateAction> CCEaseRateAction::actionWithAction(CCActionInterval* action) {
    Ref<CCEaseRateAction> e(new CCEaseRateAction);
    e->initWithAction(action);
    return e;
}

Ref<CCEaseRateAction> CCEaseRateAction::actionWithAction(CCActionInterval* action, float rate) {
    Ref<CCEaseRateAction> e = actionWithAction(action);
    e->rate_ = rate;
    return e;
}

Ref<CCEaseOut> CCEaseOut::actionWithAction(CCActionInterval* action, float rate) {
    Ref<CCEaseOut> e(new CCEaseOut);
    e->initWithAction(action);
    e->rate_ = rate;
    return e;
}

float CCEaseOut::ease(float t) const {
    if (rate_ <= 0 || t <= 0) return t;
    return std::pow(t, 1 / rate_);
}

Ref<CCEaseIn> CCEaseIn::actionWithAction(CCActionInterval* action, float rate) {
    Ref<CCEaseIn> e(new CCEaseIn);
    e->initWithAction(action);
    e->rate_ = rate;
    return e;
}

float CCEaseIn::ease(float t) const {
    if (rate_ <= 0 || t <= 0) return t;
    return std::pow(t, rate_);
}

Ref<CCEaseElasticOut> CCEaseElasticOut::actionWithAction(CCActionInterval* action) {
    Ref<CCEaseElasticOut> e(new CCEaseElasticOut);
    e->initWithAction(action);
    return e;
}

float CCEaseElasticOut::ease(float t) const {
    if (t == 0 || t == 1) return t;
    constexpr double period = 0.3;
    const double s = period / 4;
    return static_cast<float>(std::pow(2.0, -10.0 * t) * std::sin((t - s) * 2 * std::numbers::pi / period) + 1);
}

Ref<CCEaseBackOut> CCEaseBackOut::actionWithAction(CCActionInterval* action) {
    Ref<CCEaseBackOut> e(new CCEaseBackOut);
    e->initWithAction(action);
    return e;
}

float CCEaseBackOut::ease(float t) const {
    constexpr double overshoot = 1.70158;
    const double u = t - 1.0;
    return static_cast<float>(u * u * ((overshoot + 1) * u + overshoot) + 1);
}

Ref<CCEaseBounceOut> CCEaseBounceOut::actionWithAction(CCActionInterval* action) {
    Ref<CCEaseBounceOut> e(new CCEaseBounceOut);
    e->initWithAction(action);
    return e;
}

float CCEaseBounceOut::ease(float t) const {
    double x = t;
    if (x < 1 / 2.75) return static_cast<float>(7.5625 * x * x);
    if (x < 2 / 2.75) {
        x -= 1.5 / 2.75;
        return static_cast<float>(7.5625 * x * x + 0.75);
    }
    if (x < 2.5 / 2.75) {
        x -= 2.25 / 2.75;
        return static_cast<float>(7.5625 * x * x + 0.9375);
    }
    x -= 2.625 / 2.75;
    return static_cast<float>(7.5625 * x * x + 0.984375);
}

#include "engine/CCActionInterval.h"

#include <algorithm>
#include <cmath>

#include "engine/CCNode.h"
#include "platform/Log.h"

namespace {

// Frame times are sums of float deltas: 1/60 as a float is a hair over, and
// a duration as a float may be a hair over its decimal value. Without some
// slack an action could need one extra frame for a rounding error.
constexpr double kTimeSlack = 1e-6;

// Null entries are skipped: a list may end with one, the way nil-terminated
// argument lists did.
std::vector<Ref<CCFiniteTimeAction>> present(const std::vector<CCFiniteTimeAction*>& actions) {
    std::vector<Ref<CCFiniteTimeAction>> out;
    out.reserve(actions.size());
    for (CCFiniteTimeAction* a : actions)
        if (a) out.emplace_back(a);
    return out;
}

}  // namespace

// --- CCActionInterval -------------------------------------------------------------

void CCActionInterval::startWithTarget(CCNode* target) {
    CCFiniteTimeAction::startWithTarget(target);
    elapsed_ = 0;
    firstTick_ = true;
}

void CCActionInterval::step(float dt) {
    if (firstTick_) {
        firstTick_ = false;
        elapsed_ = 0;
    } else {
        elapsed_ += dt;
    }
    double t = 1;
    if (duration_ > 0 && elapsed_ < duration_ - kTimeSlack) t = std::max(0.0, elapsed_ / duration_);
    update(static_cast<float>(t));
}

bool CCActionInterval::isDone() const { return elapsed_ >= duration_ - kTimeSlack; }

bool CCActionInterval::startChild(CCFiniteTimeAction& child, bool& running, unsigned token) {
    if (!running) {
        running = true;
        child.startWithTarget(target_);
    }
    return token == runToken_;
}

bool CCActionInterval::finishChild(CCFiniteTimeAction& child, bool& running, unsigned token) {
    if (!startChild(child, running, token)) return false;
    child.update(1);
    if (token != runToken_) return false;
    running = false;
    child.stop();
    return token == runToken_;
}

// --- CCSequence ---------------------------------------------------------------------

Ref<CCSequence> CCSequence::actions(std::vector<CCFiniteTimeAction*> actions) {
    Ref<CCSequence> s(new CCSequence);
    double at = 0;
    for (auto& a : present(actions)) {
        Child c;
        c.start = at;
        at += a->duration();
        c.end = at;
        c.action = std::move(a);
        s->children_.push_back(std::move(c));
    }
    s->duration_ = static_cast<float>(at);
    return s;
}

void CCSequence::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    current_ = 0;
    currentStarted_ = false;
    for (Child& c : children_) c.ran = false;
}

void CCSequence::stop() {
    if (currentStarted_ && current_ < children_.size()) {
        currentStarted_ = false;
        children_[current_].action->stop();
    }
    CCActionInterval::stop();
}

bool CCSequence::complete(std::size_t i, unsigned token) {
    Child& c = children_[i];
    if (c.end <= c.start) {
        if (c.ran) return true;
        c.ran = true;
    }
    return finishChild(*c.action, currentStarted_, token);
}

void CCSequence::update(float t) {
    if (children_.empty() || !target_) return;
    const unsigned token = runToken_;
    const double time = t * children_.back().end;
    // The child that time falls in: the first that ends after it (one that
    // ends exactly there has finished), or the last.
    std::size_t k = 0;
    while (k + 1 < children_.size() && children_[k].end <= time + kTimeSlack) ++k;

    if (k < current_) {
        // Eased time came back into an earlier child: run that one again.
        // Instants passed on the way are not run twice in a pass.
        if (currentStarted_) {
            currentStarted_ = false;
            children_[current_].action->stop();
            if (token != runToken_) return;
        }
        current_ = k;
    }
    while (current_ < k) {
        if (!complete(current_, token)) return;
        ++current_;
    }
    Child& c = children_[k];
    if (c.end <= c.start) {
        complete(k, token);
        return;
    }
    if (!startChild(*c.action, currentStarted_, token)) return;
    const double local = (time - c.start) / (c.end - c.start);
    c.action->update(static_cast<float>(time - c.start > -kTimeSlack ? std::max(local, 0.0) : local));
}

// --- CCSpawn ------------------------------------------------------------------------

Ref<CCSpawn> CCSpawn::actions(std::vector<CCFiniteTimeAction*> actions) {
    Ref<CCSpawn> s(new CCSpawn);
    float longest = 0;
    for (auto& a : present(actions)) {
        longest = std::max(longest, a->duration());
        s->children_.push_back({std::move(a)});
    }
    s->duration_ = longest;
    return s;
}

void CCSpawn::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    const unsigned token = runToken_;
    for (Child& c : children_) {
        c.ran = false;
        c.running = false;
    }
    for (Child& c : children_) {
        if (c.action->duration() <= 0) continue;
        if (!startChild(*c.action, c.running, token)) return;
    }
}

void CCSpawn::stop() {
    for (Child& c : children_) {
        if (!c.running) continue;
        c.running = false;
        c.action->stop();
    }
    CCActionInterval::stop();
}

void CCSpawn::update(float t) {
    if (!target_) return;
    const unsigned token = runToken_;
    const double time = static_cast<double>(t) * duration_;
    for (Child& c : children_) {
        CCFiniteTimeAction* a = c.action.get();
        const double d = a->duration();
        if (d <= 0) {
            if (c.ran) continue;
            c.ran = true;
            if (!finishChild(*a, c.running, token)) return;
            continue;
        }
        const double local = time / d;
        if (d < duration_ && time >= d - kTimeSlack) {
            // A shorter child ends at its own end.
            if (!c.running) continue;
            if (!finishChild(*a, c.running, token)) return;
            continue;
        }
        if (!startChild(*a, c.running, token)) return;
        a->update(static_cast<float>(local));
        if (token != runToken_) return;
    }
}

// --- CCRepeat -----------------------------------------------------------------------

Ref<CCRepeat> CCRepeat::actionWithAction(CCFiniteTimeAction* action, unsigned times) {
    Ref<CCRepeat> r(new CCRepeat);
    if (!action) platform::log("CCRepeat: no action to repeat");
    r->inner_ = action;
    r->times_ = action ? times : 0;
    r->duration_ = action ? static_cast<float>(static_cast<double>(action->duration()) * r->times_) : 0;
    return r;
}

void CCRepeat::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    pass_ = 0;
    innerRunning_ = false;
    if (times_ == 0) return;
    innerRunning_ = true;
    inner_->startWithTarget(target);
}

void CCRepeat::stop() {
    if (innerRunning_) {
        innerRunning_ = false;
        inner_->stop();
    }
    CCActionInterval::stop();
}

void CCRepeat::update(float t) {
    if (times_ == 0 || !target_) return;
    const unsigned token = runToken_;
    const double d = inner_->duration();
    // Ends a pass; false when that stopped us.
    auto finishPass = [&] {
        if (!startChild(*inner_, innerRunning_, token)) return false;
        inner_->update(1);
        if (token != runToken_) return false;
        innerRunning_ = false;
        inner_->stop();
        ++pass_;
        return token == runToken_;
    };
    if (d <= 0) {
        while (pass_ < times_)
            if (!finishPass()) return;
        return;
    }
    const double time = t * d * times_;
    while (pass_ + 1 < times_ && time >= (pass_ + 1) * d - kTimeSlack) {
        if (!finishPass()) return;
    }
    if (!startChild(*inner_, innerRunning_, token)) return;
    inner_->update(static_cast<float>(std::max(0.0, (time - pass_ * d) / d)));
}

// --- CCRepeatForever ------------------------------------------------------------------

Ref<CCRepeatForever> CCRepeatForever::actionWithAction(CCActionInterval* action) {
    Ref<CCRepeatForever> r(new CCRepeatForever);
    if (!action) platform::log("CCRepeatForever: no action to repeat");
    r->inner_ = action;
    return r;
}

void CCRepeatForever::startWithTarget(CCNode* target) {
    CCAction::startWithTarget(target);
    if (inner_) inner_->startWithTarget(target);
}

void CCRepeatForever::stop() {
    if (inner_ && target_) inner_->stop();
    CCAction::stop();
}

void CCRepeatForever::step(float dt) {
    if (!inner_ || !target_) return;
    const unsigned token = runToken_;
    inner_->step(dt);
    if (token != runToken_ || !inner_->isDone()) return;
    if (inner_->duration() <= 0) {
        // Once a frame; it runs again in the next step.
        inner_->startWithTarget(target_);
        return;
    }
    // A long frame may cover several passes; the bound only guards against
    // a runaway delta.
    for (int pass = 0; pass < 1000 && inner_->isDone(); ++pass) {
        const double over = inner_->elapsed() - inner_->duration();
        inner_->startWithTarget(target_);
        if (token != runToken_) return;
        inner_->step(0);  // the new pass's t = 0
        if (token != runToken_) return;
        if (over > 0) {
            inner_->step(static_cast<float>(over));
            if (token != runToken_) return;
        }
    }
}

// --- simple interval actions --------------------------------------------------------

Ref<CCDelayTime> CCDelayTime::actionWithDuration(float duration) {
    Ref<CCDelayTime> a(new CCDelayTime);
    a->setDuration(duration);
    return a;
}

Ref<CCMoveBy> CCMoveBy::actionWithDuration(float duration, CGPoint offset) {
    Ref<CCMoveBy> a(new CCMoveBy);
    a->setDuration(duration);
    a->delta_ = offset;
    return a;
}

void CCMoveBy::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    start_ = target->position();
}

void CCMoveBy::update(float t) {
    if (target_) target_->setPosition({start_.x + delta_.x * t, start_.y + delta_.y * t});
}

Ref<CCMoveTo> CCMoveTo::actionWithDuration(float duration, CGPoint position) {
    Ref<CCMoveTo> a(new CCMoveTo);
    a->setDuration(duration);
    a->end_ = position;
    return a;
}

void CCMoveTo::startWithTarget(CCNode* target) {
    CCMoveBy::startWithTarget(target);
    delta_ = ccpSub(end_, start_);
}

Ref<CCJumpBy> CCJumpBy::actionWithDuration(float duration, CGPoint offset, float height, int jumps) {
    Ref<CCJumpBy> a(new CCJumpBy);
    a->setDuration(duration);
    a->delta_ = offset;
    a->height_ = height;
    a->jumps_ = jumps;
    return a;
}

void CCJumpBy::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    start_ = target->position();
}

void CCJumpBy::update(float t) {
    if (!target_) return;
    const double hops = static_cast<double>(t) * jumps_;
    const double f = hops - std::floor(hops);
    const double y = height_ * 4 * f * (1 - f) + delta_.y * static_cast<double>(t);
    target_->setPosition({start_.x + delta_.x * t, static_cast<float>(start_.y + y)});
}

Ref<CCJumpTo> CCJumpTo::actionWithDuration(float duration, CGPoint position, float height, int jumps) {
    Ref<CCJumpTo> a(new CCJumpTo);
    a->setDuration(duration);
    a->end_ = position;
    a->height_ = height;
    a->jumps_ = jumps;
    return a;
}

void CCJumpTo::startWithTarget(CCNode* target) {
    CCJumpBy::startWithTarget(target);
    delta_ = ccpSub(end_, start_);
}

Ref<CCScaleTo> CCScaleTo::actionWithDuration(float duration, float scale) {
    return actionWithDuration(duration, scale, scale);
}

Ref<CCScaleTo> CCScaleTo::actionWithDuration(float duration, float scaleX, float scaleY) {
    Ref<CCScaleTo> a(new CCScaleTo);
    a->setDuration(duration);
    a->endX_ = scaleX;
    a->endY_ = scaleY;
    return a;
}

void CCScaleTo::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    startX_ = target->scaleX();
    startY_ = target->scaleY();
}

void CCScaleTo::update(float t) {
    if (!target_) return;
    target_->setScaleX(startX_ + (endX_ - startX_) * t);
    target_->setScaleY(startY_ + (endY_ - startY_) * t);
}

Ref<CCRotateTo> CCRotateTo::actionWithDuration(float duration, float angle) {
    Ref<CCRotateTo> a(new CCRotateTo);
    a->setDuration(duration);
    a->end_ = angle;
    return a;
}

void CCRotateTo::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    start_ = std::fmod(target->rotation(), 360.0f);
    diff_ = std::fmod(end_ - start_, 360.0f);
    if (diff_ > 180) diff_ -= 360;
    if (diff_ < -180) diff_ += 360;
}

void CCRotateTo::update(float t) {
    if (target_) target_->setRotation(start_ + diff_ * t);
}

Ref<CCRotateBy> CCRotateBy::actionWithDuration(float duration, float angle) {
    Ref<CCRotateBy> a(new CCRotateBy);
    a->setDuration(duration);
    a->angle_ = angle;
    return a;
}

void CCRotateBy::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    start_ = target->rotation();
}

void CCRotateBy::update(float t) {
    if (target_) target_->setRotation(start_ + angle_ * t);
}

Ref<CCFadeTo> CCFadeTo::actionWithDuration(float duration, std::uint8_t opacity) {
    Ref<CCFadeTo> a(new CCFadeTo);
    a->setDuration(duration);
    a->to_ = opacity;
    return a;
}

void CCFadeTo::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    auto* rgba = dynamic_cast<CCRGBAProtocol*>(target);
    from_ = rgba ? rgba->opacity() : 255;
}

void CCFadeTo::update(float t) {
    auto* rgba = dynamic_cast<CCRGBAProtocol*>(target_);
    if (!rgba) return;
    const float v = std::clamp(from_ + (to_ - from_) * t, 0.0f, 255.0f);
    rgba->setOpacity(static_cast<std::uint8_t>(std::lround(v)));
}

Ref<CCFadeIn> CCFadeIn::actionWithDuration(float duration) {
    Ref<CCFadeIn> a(new CCFadeIn);
    a->setDuration(duration);
    a->to_ = 255;
    return a;
}

Ref<CCFadeOut> CCFadeOut::actionWithDuration(float duration) {
    Ref<CCFadeOut> a(new CCFadeOut);
    a->setDuration(duration);
    a->to_ = 0;
    return a;
}

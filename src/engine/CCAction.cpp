#include "engine/CCAction.h"

#include "engine/CCActionInstant.h"
#include "engine/CCNode.h"

void CCAction::startWithTarget(CCNode* target) {
    target_ = originalTarget_ = target;
    ++runToken_;
}

void CCAction::stop() {
    target_ = nullptr;
    ++runToken_;
}

// --- instant actions ----------------------------------------------------------

void CCActionInstant::step(float) { update(1); }

Ref<CCPlace> CCPlace::actionWithPosition(CGPoint position) {
    Ref<CCPlace> a(new CCPlace);
    a->position_ = position;
    return a;
}

void CCPlace::update(float) {
    if (target_) target_->setPosition(position_);
}

Ref<CCCallBlock> CCCallBlock::actionWithBlock(std::function<void()> block) {
    Ref<CCCallBlock> a(new CCCallBlock);
    a->block_ = std::move(block);
    return a;
}

void CCCallBlock::update(float) {
    if (block_) block_();
}

Ref<CCCallFunc> CCCallFunc::actionWithTarget(CCObject* target, std::function<void()> function) {
    Ref<CCCallFunc> a(new CCCallFunc);
    a->callTarget_ = target;
    a->function_ = std::move(function);
    return a;
}

void CCCallFunc::update(float) {
    if (function_) function_();
}

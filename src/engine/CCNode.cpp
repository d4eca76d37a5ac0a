#include "engine/CCNode.h"

#include <algorithm>
#include <cmath>

#include "engine/CCActionManager.h"
#include "engine/CCDirector.h"
#include "engine/CCRenderer.h"
#include "engine/CCScheduler.h"
#include "platform/Log.h"

namespace {
// Global so that a child moved by reorderChild sorts after every sibling of
// equal z, wherever it came from.
std::uint64_t globalOrderOfArrival = 0;
}  // namespace

Ref<CCNode> CCNode::node() {
    Ref<CCNode> n(new CCNode);
    n->init();
    return n;
}

CCNode::CCNode() = default;

CCNode::~CCNode() {
    // The scheduler does not own its nodes.
    if (updateScheduled_) CCDirector::sharedDirector()->scheduler()->unscheduleUpdateForTarget(this);
    for (auto& child : children_) child->parent_ = nullptr;
}

void CCNode::setPosition(CGPoint p) {
    position_ = p;
    markTransformDirty();
}

void CCNode::setAnchorPoint(CGPoint p) {
    anchorPoint_ = p;
    anchorPointInPoints_ = {contentSize_.width * p.x, contentSize_.height * p.y};
    markTransformDirty();
}

void CCNode::setContentSize(CGSize s) {
    contentSize_ = s;
    anchorPointInPoints_ = {s.width * anchorPoint_.x, s.height * anchorPoint_.y};
    markTransformDirty();
}

void CCNode::setScale(float s) {
    scaleX_ = scaleY_ = s;
    markTransformDirty();
}

void CCNode::setScaleX(float s) {
    scaleX_ = s;
    markTransformDirty();
}

void CCNode::setScaleY(float s) {
    scaleY_ = s;
    markTransformDirty();
}

void CCNode::setRotation(float degrees) {
    rotation_ = degrees;
    markTransformDirty();
}

void CCNode::setIgnoreAnchorPointForPosition(bool ignore) {
    ignoreAnchorPointForPosition_ = ignore;
    markTransformDirty();
}

void CCNode::setZOrder(int z) {
    if (parent_)
        parent_->reorderChild(this, z);
    else
        zOrder_ = z;
}

CGRect CCNode::boundingBox() const {
    return CGRectApplyAffineTransform(CGRectMake(0, 0, contentSize_.width, contentSize_.height),
                                      nodeToParentTransform());
}

// --- children -------------------------------------------------------------

void CCNode::addChild(CCNode* child, int z, int tag) {
    if (!child) {
        platform::log("CCNode: addChild with no child ignored");
        return;
    }
    if (child->parent_) {
        platform::log("CCNode: addChild of a node that already has a parent ignored");
        return;
    }
    if (child == this) return;
    insertChild(child, z);
    child->tag_ = tag;
    child->setParent(this);
    if (isRunning_) {
        child->onEnter();
        child->onEnterTransitionDidFinish();
    }
}

void CCNode::insertChild(CCNode* child, int z) {
    reorderChildDirty_ = true;
    child->zOrder_ = z;
    child->orderOfArrival_ = ++globalOrderOfArrival;
    children_.emplace_back(child);
}

CCNode* CCNode::getChildByTag(int tag) const {
    for (const auto& child : children_)
        if (child->tag_ == tag) return child.get();
    return nullptr;
}

void CCNode::removeFromParentAndCleanup(bool cleanup) {
    if (parent_) parent_->removeChild(this, cleanup);
}

void CCNode::removeChild(CCNode* child, bool cleanup) {
    if (!child || child->parent_ != this) return;
    detachChild(child, cleanup);
}

void CCNode::removeChildByTag(int tag, bool cleanup) {
    if (CCNode* child = getChildByTag(tag)) removeChild(child, cleanup);
}

void CCNode::detachChild(CCNode* child, bool cleanup) {
    // The child may be kept alive by nothing but our list, and its callbacks
    // may remove further nodes: hold it until we are done.
    Ref<CCNode> keep(child);
    if (isRunning_) child->onExit();
    if (cleanup) child->cleanup();
    child->setParent(nullptr);
    auto it = std::find_if(children_.begin(), children_.end(), [child](const Ref<CCNode>& c) { return c == child; });
    if (it != children_.end()) children_.erase(it);
}

void CCNode::removeAllChildrenWithCleanup(bool cleanup) {
    std::vector<Ref<CCNode>> old;
    old.swap(children_);
    for (auto& child : old) {
        if (isRunning_) child->onExit();
        if (cleanup) child->cleanup();
        child->setParent(nullptr);
    }
}

void CCNode::reorderChild(CCNode* child, int z) {
    if (!child || child->parent_ != this) return;
    reorderChildDirty_ = true;
    child->orderOfArrival_ = ++globalOrderOfArrival;
    child->zOrder_ = z;
}

void CCNode::sortAllChildren() {
    if (!reorderChildDirty_) return;
    std::sort(children_.begin(), children_.end(), [](const Ref<CCNode>& a, const Ref<CCNode>& b) {
        return a->zOrder_ != b->zOrder_ ? a->zOrder_ < b->zOrder_ : a->orderOfArrival_ < b->orderOfArrival_;
    });
    reorderChildDirty_ = false;
}

// --- life cycle -------------------------------------------------------------

// Children are walked over a snapshot: a callback may add or remove siblings.
void CCNode::onEnter() {
    std::vector<Ref<CCNode>> snapshot(children_);
    for (auto& child : snapshot)
        if (child->parent_ == this) child->onEnter();
    resumeSchedulerAndActions();
    isRunning_ = true;
}

void CCNode::onEnterTransitionDidFinish() {
    std::vector<Ref<CCNode>> snapshot(children_);
    for (auto& child : snapshot)
        if (child->parent_ == this) child->onEnterTransitionDidFinish();
}

void CCNode::onExit() {
    pauseSchedulerAndActions();
    isRunning_ = false;
    std::vector<Ref<CCNode>> snapshot(children_);
    for (auto& child : snapshot)
        if (child->parent_ == this) child->onExit();
}

void CCNode::cleanup() {
    stopAllActions();
    unscheduleAllSelectors();
    std::vector<Ref<CCNode>> snapshot(children_);
    for (auto& child : snapshot) child->cleanup();
}

// --- actions and updates -----------------------------------------------------------

CCAction* CCNode::runAction(CCAction* action) {
    if (!action) return nullptr;
    CCDirector::sharedDirector()->actionManager()->addAction(action, this, !isRunning_);
    return action;
}

void CCNode::stopAllActions() { CCDirector::sharedDirector()->actionManager()->removeAllActionsFromTarget(this); }

void CCNode::stopAction(CCAction* action) {
    if (action && action->target() == this) CCDirector::sharedDirector()->actionManager()->removeAction(action);
}

void CCNode::stopActionByTag(int tag) { CCDirector::sharedDirector()->actionManager()->removeActionByTag(tag, this); }

CCAction* CCNode::getActionByTag(int tag) const {
    return CCDirector::sharedDirector()->actionManager()->getActionByTag(tag, this);
}

int CCNode::numberOfRunningActions() const {
    return CCDirector::sharedDirector()->actionManager()->numberOfRunningActionsInTarget(this);
}

void CCNode::scheduleUpdateWithPriority(int priority) {
    updateScheduled_ = true;
    CCDirector::sharedDirector()->scheduler()->scheduleUpdateForTarget(this, priority, !isRunning_);
}

void CCNode::unscheduleUpdate() {
    if (!updateScheduled_) return;
    updateScheduled_ = false;
    CCDirector::sharedDirector()->scheduler()->unscheduleUpdateForTarget(this);
}

void CCNode::pauseSchedulerAndActions() {
    if (updateScheduled_) CCDirector::sharedDirector()->scheduler()->pauseTarget(this);
    CCDirector::sharedDirector()->actionManager()->pauseTarget(this);
}

void CCNode::resumeSchedulerAndActions() {
    if (updateScheduled_) CCDirector::sharedDirector()->scheduler()->resumeTarget(this);
    CCDirector::sharedDirector()->actionManager()->resumeTarget(this);
}

// --- drawing -----------------------------------------------------------------

void CCNode::visit() {
    if (!visible_) return;
    CCRenderer& renderer = CCRenderer::shared();
    worldTransform_ = CGAffineTransformConcat(nodeToParentTransform(), renderer.currentTransform());
    renderer.pushTransform(worldTransform_);
    sortAllChildren();
    std::size_t i = 0;
    // Index loops: a child's visit may not add or remove siblings, but a
    // subclass's draw may, and then the vector's storage moves.
    for (; i < children_.size() && children_[i]->zOrder_ < 0; ++i) children_[i]->visit();
    draw();
    for (; i < children_.size(); ++i) children_[i]->visit();
    renderer.popTransform();
}

// --- coordinates ---------------------------------------------------------------

CGAffineTransform CCNode::nodeToParentTransform() const {
    if (!transformDirty_) return transform_;
    float x = position_.x, y = position_.y;
    if (ignoreAnchorPointForPosition_) {
        x += anchorPointInPoints_.x;
        y += anchorPointInPoints_.y;
    }
    // Clockwise degrees are negative radians in a y-up system.
    float radians = -rotation_ * kCCDegreesToRadians;
    float c = 1, s = 0;
    if (rotation_ != 0) {
        c = std::cos(radians);
        s = std::sin(radians);
    }
    CGAffineTransform t{c * scaleX_, s * scaleX_, -s * scaleY_, c * scaleY_, x, y};
    // Rotate and scale about the anchor: p -> M (p - anchor) + position.
    float ax = anchorPointInPoints_.x, ay = anchorPointInPoints_.y;
    if (ax != 0 || ay != 0) {
        t.tx -= t.a * ax + t.c * ay;
        t.ty -= t.b * ax + t.d * ay;
    }
    transform_ = t;
    transformDirty_ = false;
    return transform_;
}

CGAffineTransform CCNode::parentToNodeTransform() const { return CGAffineTransformInvert(nodeToParentTransform()); }

CGAffineTransform CCNode::nodeToWorldTransform() const {
    CGAffineTransform t = nodeToParentTransform();
    for (const CCNode* p = parent_; p; p = p->parent_) t = CGAffineTransformConcat(t, p->nodeToParentTransform());
    return t;
}

CGAffineTransform CCNode::worldToNodeTransform() const { return CGAffineTransformInvert(nodeToWorldTransform()); }

CGPoint CCNode::convertToNodeSpace(CGPoint worldPoint) const {
    return CGPointApplyAffineTransform(worldPoint, worldToNodeTransform());
}

CGPoint CCNode::convertToWorldSpace(CGPoint nodePoint) const {
    return CGPointApplyAffineTransform(nodePoint, nodeToWorldTransform());
}

CGPoint CCNode::convertToNodeSpaceAR(CGPoint worldPoint) const {
    return ccpSub(convertToNodeSpace(worldPoint), anchorPointInPoints_);
}

CGPoint CCNode::convertToWorldSpaceAR(CGPoint nodePoint) const {
    return convertToWorldSpace(ccpAdd(nodePoint, anchorPointInPoints_));
}

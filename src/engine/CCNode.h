// CCNode: the element of the scene graph. A node has a position, anchor,
// size, scale and clockwise rotation in its parent's coordinates, owns its
// children and draws them in z order (equal z in the order they were added;
// negative z below the node itself).
//
// Life cycle: onEnter when the node's scene starts running (or the node is
// added to a running tree), onExit when it stops; cleanup when the node is
// removed for good. A node's actions and scheduled update run only while it
// is running: exit pauses them, entry resumes them, cleanup stops them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/CCObject.h"
#include "engine/ccTypes.h"

class CCAction;

inline constexpr int kCCNodeTagInvalid = -1;

class CCNode : public CCObject {
public:
    static Ref<CCNode> node();
    CCNode();
    ~CCNode() override;
    virtual bool init() { return true; }

    // --- geometry ---------------------------------------------------------
    CGPoint position() const { return position_; }
    virtual void setPosition(CGPoint p);
    // Fractions of the content size; (0.5, 0.5) is the centre.
    CGPoint anchorPoint() const { return anchorPoint_; }
    virtual void setAnchorPoint(CGPoint p);
    CGPoint anchorPointInPoints() const { return anchorPointInPoints_; }
    CGSize contentSize() const { return contentSize_; }
    virtual void setContentSize(CGSize s);
    // The uniform scale; scaleX when the two differ.
    float scale() const { return scaleX_; }
    virtual void setScale(float s);
    float scaleX() const { return scaleX_; }
    virtual void setScaleX(float s);
    float scaleY() const { return scaleY_; }
    virtual void setScaleY(float s);
    // Degrees, clockwise.
    float rotation() const { return rotation_; }
    virtual void setRotation(float degrees);
    bool visible() const { return visible_; }
    bool isVisible() const { return visible_; }
    virtual void setVisible(bool v) { visible_ = v; }
    // When set, position places the node's bottom-left corner instead of its
    // anchor (layers and scenes). Rotation and scale still pivot on the anchor.
    bool ignoreAnchorPointForPosition() const { return ignoreAnchorPointForPosition_; }
    virtual void setIgnoreAnchorPointForPosition(bool ignore);

    int zOrder() const { return zOrder_; }
    // Moves the node among its siblings (it goes after those of equal z).
    virtual void setZOrder(int z);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // Free for the game; the engine never reads it.
    void* userData() const { return userData_; }
    void setUserData(void* data) { userData_ = data; }

    CCNode* parent() const { return parent_; }
    virtual void setParent(CCNode* parent) { parent_ = parent; }
    // In drawing order once the node has been visited; insertion order before.
    const std::vector<Ref<CCNode>>& children() const { return children_; }
    bool isRunning() const { return isRunning_; }
    // Breaks ties of equal z: larger arrived later and draws later.
    std::uint64_t orderOfArrival() const { return orderOfArrival_; }

    // The node's rectangle in its parent's coordinates after scale and rotation.
    virtual CGRect boundingBox() const;

    // --- children -----------------------------------------------------------
    virtual void addChild(CCNode* child, int z, int tag);
    void addChild(CCNode* child, int z) { addChild(child, z, child ? child->tag() : kCCNodeTagInvalid); }
    void addChild(CCNode* child) { addChild(child, child ? child->zOrder() : 0); }
    // The first child with this tag, or null.
    CCNode* getChildByTag(int tag) const;
    void removeFromParentAndCleanup(bool cleanup);
    void removeFromParent() { removeFromParentAndCleanup(true); }
    virtual void removeChild(CCNode* child, bool cleanup);
    void removeChildByTag(int tag, bool cleanup);
    virtual void removeAllChildrenWithCleanup(bool cleanup);
    virtual void reorderChild(CCNode* child, int z);
    // Puts children into drawing order when z or insertion changed.
    void sortAllChildren();

    // --- life cycle ---------------------------------------------------------
    // Overriders call the base.
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExit();
    // Stops the node's actions and scheduled updates, and its children's.
    virtual void cleanup();

    // --- actions -------------------------------------------------------------
    // Starts the action on this node now (it reads the node's state at this
    // moment) and returns it; it is first stepped in the next frame.
    CCAction* runAction(CCAction* action);
    void stopAllActions();
    void stopAction(CCAction* action);
    void stopActionByTag(int tag);
    CCAction* getActionByTag(int tag) const;
    // The actions running (or paused) on this node; finished ones are gone.
    virtual int numberOfRunningActions() const;

    // --- per-frame updates ----------------------------------------------------
    // update(dt) is called once a frame while scheduled and running; lower
    // priorities first.
    void scheduleUpdate() { scheduleUpdateWithPriority(0); }
    void scheduleUpdateWithPriority(int priority);
    void unscheduleUpdate();
    void unscheduleAllSelectors() { unscheduleUpdate(); }
    virtual void update(float dt) {}
    void pauseSchedulerAndActions();
    void resumeSchedulerAndActions();

    // --- drawing ------------------------------------------------------------
    // Draws the subtree on top of the renderer's current transform.
    virtual void visit();
    // Draws this node alone, in node space (the current transform).
    virtual void draw() {}
    // The transform of the last visit from node space to the render target.
    const CGAffineTransform& worldTransformOfLastVisit() const { return worldTransform_; }

    // --- coordinates --------------------------------------------------------
    CGAffineTransform nodeToParentTransform() const;
    CGAffineTransform parentToNodeTransform() const;
    CGAffineTransform nodeToWorldTransform() const;
    CGAffineTransform worldToNodeTransform() const;
    CGPoint convertToNodeSpace(CGPoint worldPoint) const;
    CGPoint convertToWorldSpace(CGPoint nodePoint) const;
    // The same, relative to the anchor point.
    CGPoint convertToNodeSpaceAR(CGPoint worldPoint) const;
    CGPoint convertToWorldSpaceAR(CGPoint nodePoint) const;

protected:
    void detachChild(CCNode* child, bool cleanup);
    void insertChild(CCNode* child, int z);
    void markTransformDirty() { transformDirty_ = true; }

    CGPoint position_;
    CGPoint anchorPoint_;
    CGPoint anchorPointInPoints_;
    CGSize contentSize_;
    float scaleX_ = 1, scaleY_ = 1;
    float rotation_ = 0;
    bool visible_ = true;
    bool ignoreAnchorPointForPosition_ = false;
    bool isRunning_ = false;
    int zOrder_ = 0;
    int tag_ = kCCNodeTagInvalid;
    void* userData_ = nullptr;
    CCNode* parent_ = nullptr;
    std::vector<Ref<CCNode>> children_;
    std::uint64_t orderOfArrival_ = 0;
    bool reorderChildDirty_ = false;
    bool updateScheduled_ = false;

    mutable CGAffineTransform transform_;
    mutable bool transformDirty_ = true;
    CGAffineTransform worldTransform_;
};

// Nodes that carry a colour and an opacity (sprites, labels, colour layers).
class CCRGBAProtocol {
public:
    virtual ~CCRGBAProtocol() = default;
    virtual ccColor3B color() const = 0;
    virtual void setColor(ccColor3B color) = 0;
    virtual std::uint8_t opacity() const = 0;
    virtual void setOpacity(std::uint8_t opacity) = 0;
};

// Nodes that carry a blend function.
class CCBlendProtocol {
public:
    virtual ~CCBlendProtocol() = default;
    virtual ccBlendFunc blendFunc() const = 0;
    virtual void setBlendFunc(ccBlendFunc blend) = 0;
};

// The node's colour as the vertex colour wants it: premultiplied by opacity
// when the texture is.
inline ccColor4B ccVertexColor(ccColor3B c, std::uint8_t opacity, bool premultiply) {
    if (!premultiply) return {c.r, c.g, c.b, opacity};
    auto mul = [opacity](std::uint8_t v) { return static_cast<std::uint8_t>((v * opacity + 127) / 255); };
    return {mul(c.r), mul(c.g), mul(c.b), opacity};
}

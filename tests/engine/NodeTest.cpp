// The node tree without drawing: geometry, order, tags, life cycle, ownership.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CCLayer.h"
#include "engine/CCNode.h"
#include "engine/CCScene.h"

namespace {

void expectRect(const CGRect& r, float x, float y, float w, float h) {
    EXPECT_NEAR(r.origin.x, x, 1e-3);
    EXPECT_NEAR(r.origin.y, y, 1e-3);
    EXPECT_NEAR(r.size.width, w, 1e-3);
    EXPECT_NEAR(r.size.height, h, 1e-3);
}

Ref<CCNode> box(float w, float h, CGPoint anchor = {0.5f, 0.5f}) {
    Ref<CCNode> n = CCNode::node();
    n->setContentSize({w, h});
    n->setAnchorPoint(anchor);
    return n;
}

// Records the order of draws and life-cycle calls into a shared log.
struct Probe : CCNode {
    std::string name;
    std::vector<std::string>* log;
    int* destroyed = nullptr;
    Probe(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
    ~Probe() override {
        if (destroyed) ++*destroyed;
    }
    void draw() override { log->push_back("draw " + name); }
    void onEnter() override {
        CCNode::onEnter();
        log->push_back("enter " + name);
    }
    void onExit() override {
        CCNode::onExit();
        log->push_back("exit " + name);
    }
    void cleanup() override {
        CCNode::cleanup();
        log->push_back("cleanup " + name);
    }
};

}  // namespace

TEST(NodeGeometry, BoundingBoxFollowsAnchorScaleAndClockwiseRotation) {
    Ref<CCNode> n = box(100, 50);
    n->setPosition({200, 100});
    expectRect(n->boundingBox(), 150, 75, 100, 50);

    n->setScale(2);
    expectRect(n->boundingBox(), 100, 50, 200, 100);

    n->setScaleX(1);
    n->setScaleY(-1);  // mirrored: the same box
    expectRect(n->boundingBox(), 150, 75, 100, 50);

    n->setScaleY(1);
    n->setRotation(90);
    expectRect(n->boundingBox(), 175, 50, 50, 100);

    n->setRotation(45);
    const float half = (100 + 50) / std::sqrt(2.0f) / 2;
    expectRect(n->boundingBox(), 200 - half, 100 - half, 2 * half, 2 * half);
}

TEST(NodeGeometry, RotationIsClockwiseAboutTheAnchor) {
    Ref<CCNode> n = box(100, 10, {0, 0});
    n->setPosition({50, 50});
    n->setRotation(90);
    // The far end of a bar pointing right turns to point down.
    CGPoint end = n->convertToWorldSpace({100, 0});
    EXPECT_NEAR(end.x, 50, 1e-3);
    EXPECT_NEAR(end.y, -50, 1e-3);
    expectRect(n->boundingBox(), 50, -50, 10, 100);
}

TEST(NodeGeometry, TransformsComposeThroughParentsAndInvert) {
    Ref<CCNode> parent = box(200, 200);
    parent->setPosition({300, 300});
    parent->setScale(2);
    Ref<CCNode> child = box(10, 10);
    child->setPosition({150, 100});  // parent space: 50 right of its centre
    parent->addChild(child);

    CGPoint world = child->convertToWorldSpaceAR(CGPointZero);
    EXPECT_NEAR(world.x, 300 + 50 * 2, 1e-3);
    EXPECT_NEAR(world.y, 300, 1e-3);
    CGPoint back = child->convertToNodeSpaceAR(world);
    EXPECT_NEAR(back.x, 0, 1e-3);
    EXPECT_NEAR(back.y, 0, 1e-3);
}

TEST(NodeGeometry, LayersAndScenesArePlacedByTheirCorner) {
    Ref<CCLayer> layer = CCLayer::node();
    EXPECT_EQ(layer->contentSize(), CGSizeMake(1024, 768));
    EXPECT_TRUE(layer->ignoreAnchorPointForPosition());
    EXPECT_EQ(layer->anchorPoint(), ccp(0.5f, 0.5f));
    EXPECT_EQ(layer->anchorPointInPoints(), ccp(512, 384));
    layer->setPosition({10, 20});
    expectRect(layer->boundingBox(), 10, 20, 1024, 768);
    // Scaling still pivots on the centre.
    layer->setScale(0.5f);
    expectRect(layer->boundingBox(), 10 + 256, 20 + 192, 512, 384);

    Ref<CCScene> scene = CCScene::node();
    expectRect(scene->boundingBox(), 0, 0, 1024, 768);
}

TEST(NodeGeometry, HitTestsCountLeftAndBottomEdgesOnly) {
    CGRect r = CGRectMake(10, 20, 30, 40);
    EXPECT_TRUE(CGRectContainsPoint(r, {10, 20}));
    EXPECT_TRUE(CGRectContainsPoint(r, {39.99f, 59.99f}));
    EXPECT_FALSE(CGRectContainsPoint(r, {40, 30}));
    EXPECT_FALSE(CGRectContainsPoint(r, {20, 60}));
    EXPECT_FALSE(CGRectContainsPoint(r, {9.99f, 30}));
    // Adjacent boxes never both claim the shared edge.
    CGRect right = CGRectMake(40, 20, 30, 40);
    EXPECT_TRUE(CGRectContainsPoint(right, {40, 30}));
}

TEST(NodeChildren, DrawByZThenInsertionWithNegativeZBelowTheParent) {
    std::vector<std::string> log;
    Ref<Probe> root = makeRef<Probe>("root", &log);
    root->addChild(makeRef<Probe>("a1", &log), 1);
    root->addChild(makeRef<Probe>("b-1", &log), -1);
    root->addChild(makeRef<Probe>("c0", &log), 0);
    root->addChild(makeRef<Probe>("d0", &log), 0);
    root->addChild(makeRef<Probe>("e1", &log), 1);
    root->addChild(makeRef<Probe>("f-2", &log), -2);
    root->visit();
    EXPECT_EQ(log, (std::vector<std::string>{"draw f-2", "draw b-1", "draw root", "draw c0", "draw d0", "draw a1",
                                             "draw e1"}));

    // A reordered child goes after the siblings already at its new z.
    log.clear();
    for (const auto& child : root->children())
        if (static_cast<Probe*>(child.get())->name == "c0") child->setZOrder(1);
    root->visit();
    EXPECT_EQ(log, (std::vector<std::string>{"draw f-2", "draw b-1", "draw root", "draw d0", "draw a1", "draw e1",
                                             "draw c0"}));
}

TEST(NodeChildren, InvisibleNodesHideTheirSubtree) {
    std::vector<std::string> log;
    Ref<Probe> root = makeRef<Probe>("root", &log);
    Ref<Probe> hidden = makeRef<Probe>("hidden", &log);
    hidden->addChild(makeRef<Probe>("inner", &log));
    root->addChild(hidden);
    hidden->setVisible(false);
    root->visit();
    EXPECT_EQ(log, (std::vector<std::string>{"draw root"}));
}

TEST(NodeChildren, TagsFindTheFirstMatch) {
    Ref<CCNode> root = CCNode::node();
    Ref<CCNode> a = CCNode::node();
    Ref<CCNode> b = CCNode::node();
    Ref<CCNode> c = CCNode::node();
    EXPECT_EQ(a->tag(), -1);
    root->addChild(a, 0, 7);
    root->addChild(b, -5, 7);
    root->addChild(c, 0, 8);
    EXPECT_EQ(root->getChildByTag(7), a.get());
    EXPECT_EQ(root->getChildByTag(8), c.get());
    EXPECT_EQ(root->getChildByTag(9), nullptr);
    root->removeChildByTag(7, true);
    EXPECT_EQ(root->getChildByTag(7), b.get());
    EXPECT_EQ(a->parent(), nullptr);

    int value = 3;
    b->setUserData(&value);
    EXPECT_EQ(b->userData(), &value);
}

TEST(NodeChildren, AChildHasOneParent) {
    Ref<CCNode> first = CCNode::node();
    Ref<CCNode> second = CCNode::node();
    Ref<CCNode> child = CCNode::node();
    first->addChild(child);
    second->addChild(child);  // refused with a log line
    EXPECT_EQ(child->parent(), first.get());
    EXPECT_TRUE(second->children().empty());
    first->addChild(nullptr);
    EXPECT_EQ(first->children().size(), 1u);
}

TEST(NodeLifeCycle, EnterExitAndCleanupFollowTheRunningTree) {
    std::vector<std::string> log;
    Ref<Probe> root = makeRef<Probe>("root", &log);
    Ref<Probe> child = makeRef<Probe>("child", &log);
    root->addChild(child);
    root->onEnter();
    EXPECT_EQ(log, (std::vector<std::string>{"enter child", "enter root"}));
    EXPECT_TRUE(child->isRunning());

    // Added to a running tree: entered at once.
    log.clear();
    Ref<Probe> late = makeRef<Probe>("late", &log);
    root->addChild(late);
    EXPECT_EQ(log, (std::vector<std::string>{"enter late"}));

    log.clear();
    late->removeFromParentAndCleanup(false);
    EXPECT_EQ(log, (std::vector<std::string>{"exit late"}));

    log.clear();
    child->removeFromParent();
    EXPECT_EQ(log, (std::vector<std::string>{"exit child", "cleanup child"}));
    EXPECT_FALSE(child->isRunning());

    log.clear();
    root->addChild(late);
    root->removeAllChildrenWithCleanup(true);
    EXPECT_EQ(log, (std::vector<std::string>{"enter late", "exit late", "cleanup late"}));
}

TEST(NodeOwnership, ParentsOwnChildrenAndRemovalReleases) {
    std::vector<std::string> log;
    int destroyed = 0;
    Ref<CCNode> root = CCNode::node();
    {
        Ref<Probe> child = makeRef<Probe>("child", &log);
        child->destroyed = &destroyed;
        Ref<Probe> grandchild = makeRef<Probe>("grandchild", &log);
        grandchild->destroyed = &destroyed;
        child->addChild(grandchild);
        root->addChild(child);
    }
    EXPECT_EQ(destroyed, 0);
    root->children()[0]->removeFromParent();  // the node removes itself while only the parent holds it
    EXPECT_EQ(destroyed, 2);
}

TEST(NodeOwnership, RefCountsAndCasts) {
    Ref<CCLayer> layer = CCLayer::node();
    EXPECT_EQ(layer->retainCount(), 1);
    Ref<CCNode> asNode = layer;
    EXPECT_EQ(layer->retainCount(), 2);
    Ref<CCLayer> back = refCast<CCLayer>(asNode.get());
    EXPECT_EQ(back.get(), layer.get());
    EXPECT_EQ(refCast<CCScene>(asNode.get()), nullptr);
    asNode = nullptr;
    back.reset();
    EXPECT_EQ(layer->retainCount(), 1);
}

#include <gtest/gtest.h>

#include "engine/CCLayer.h"
#include "engine/CCMenu.h"
#include "engine/CCMenuItem.h"
#include "engine/CCParticleSystemQuad.h"
#include "engine/CCSprite.h"
#include "platform/PropertyList.h"
#include "scenefile/CCBReader.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using platform::Value;

namespace {

// A layer class of the game's kind: bound fields, an action, and a record of
// the order in which nodes finished loading.
std::vector<std::string> loadOrder;

class TestScene : public CCLayer, public CCBNodeLoadListener {
public:
    CCSprite* hero = nullptr;
    CCMenu* menu = nullptr;
    int clicks = 0;
    CCObject* lastSender = nullptr;
    bool heroBoundAtLoad = false;

    void didLoadFromCCB() override {
        heroBoundAtLoad = hero != nullptr;
        loadOrder.push_back("root");
    }
    void click(CCObject* sender) {
        ++clicks;
        lastSender = sender;
    }
};

class LoadingNode : public CCNode, public CCBNodeLoadListener {
public:
    void didLoadFromCCB() override { loadOrder.push_back("child " + std::to_string(tag())); }
};

// A layer whose init does work that must happen once, and one whose init fails.
int busyInits = 0;
class BusyLayer : public CCLayer {
public:
    bool init() override {
        if (!CCLayer::init()) return false;
        ++busyInits;
        addChild(CCNode::node(), 0, 77);
        return true;
    }
};
class FailingLayer : public CCLayer {
public:
    bool init() override { return false; }
};

// Every property a node of any kind reads, as a scene file must carry them.
Value commonProps(int tag = -1) {
    Value p;
    p.set("position", Value::Array{Value(100), Value(50)});
    p.set("contentSize", Value::Array{Value(0), Value(0)});
    p.set("scaleX", 1);
    p.set("scaleY", 1);
    p.set("anchorPoint", Value::Array{Value(0.5), Value(0.5)});
    p.set("rotation", 0);
    p.set("isRelativeAnchorPoint", true);
    p.set("visible", true);
    p.set("tag", tag);
    p.set("zOrder", 0);
    return p;
}

Value node(const std::string& kind, Value props, Value::Array children = {}) {
    Value n;
    n.set("class", kind);
    n.set("properties", std::move(props));
    n.set("children", Value(std::move(children)));
    return n;
}

Value sprite(const std::string& file, int tag) {
    Value p = commonProps(tag);
    p.set("spriteFile", file);
    p.set("spriteFramesFile", "");
    p.set("opacity", 255);
    p.set("color", Value::Array{Value(255), Value(255), Value(255)});
    p.set("flipX", false);
    p.set("flipY", false);
    p.set("blendFunc", Value::Array{Value(1), Value(771)});
    return node("CCSprite", p);
}

Value document(Value root, const std::string& type = "CocosBuilder", int version = 1) {
    Value d;
    d.set("fileType", type);
    d.set("fileVersion", version);
    d.set("nodeGraph", std::move(root));
    return d;
}

Value rootLayer(Value::Array children, const std::string& customClass = "TestScene") {
    Value p = commonProps(7);
    p.set("customClass", customClass);
    p.set("touchEnabled", true);
    p.set("accelerometerEnabled", false);
    return node("CCLayer", p, std::move(children));
}

Value bound(Value n, const std::string& name, int type) {
    Value props = n["properties"];
    props.set("memberVarAssignmentName", name);
    props.set("memberVarAssignmentType", type);
    n.set("properties", props);
    return n;
}

class CCBReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CCBClassBuilder<TestScene>("TestScene")
            .member("hero", &TestScene::hero)
            .member("menu", &TestScene::menu)
            .selector("click:", &TestScene::click)
            .add();
        CCBClassBuilder<LoadingNode>("LoadingNode").add();
        CCBClassBuilder<BusyLayer>("BusyLayer").add();
        CCBClassBuilder<FailingLayer>("FailingLayer").add();
    }
    void SetUp() override {
        auto red = testsupport::solidImage(8, 4, {255, 0, 0, 255});
        testsupport::writePngFile(dir / "hero.png", 8, 4, red);
        testsupport::writePngFile(dir / "missing-texture.png", 2, 2, testsupport::solidImage(2, 2, {0, 0, 0, 0}));
        testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), dir.path().string());
        loadOrder.clear();
    }
    // Loads through a file, as the game does, and returns the root with the log.
    Ref<CCNode> load(const Value& doc, std::string& log) {
        platform::writePropertyListFile(dir / "scene.ccb", doc, platform::PlistFormat::Xml);
        testing::internal::CaptureStderr();
        Ref<CCNode> root = CCBReader::nodeGraphFromFile("scene.ccb");
        log = testing::internal::GetCapturedStderr();
        return root;
    }
    testsupport::TempDir dir;
};

}  // namespace

TEST_F(CCBReaderTest, BindsMembersAndWiresActionsBeforeTheRootFinishes) {
    Value props = commonProps(3);
    props.set("spriteFileNormal", "hero.png");
    props.set("spriteFileSelected", "hero.png");
    props.set("spriteFileDisabled", "");
    props.set("spriteFramesFile", "");
    props.set("target", 1);
    props.set("selector", "click:");
    props.set("isEnabled", true);
    props.set("zOrder", -2);
    Value menuProps = commonProps(2);
    menuProps.set("zOrder", 4);
    menuProps.set("touchEnabled", true);
    menuProps.set("accelerometerEnabled", false);
    Value menu = bound(node("CCMenu", menuProps, {node("CCMenuItemImage", props)}), "menu", 1);
    Value child = node("CCNode", [] {
        Value p = commonProps(5);
        p.set("customClass", "LoadingNode");
        return p;
    }());
    std::string log;
    Ref<CCNode> root = load(document(rootLayer({bound(sprite("hero.png", 1), "hero", 1), menu, child})), log);

    auto* scene = dynamic_cast<TestScene*>(root.get());
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(log, "");
    ASSERT_NE(scene->hero, nullptr);
    EXPECT_EQ(scene->hero->tag(), 1);
    EXPECT_TRUE(scene->heroBoundAtLoad);
    EXPECT_EQ(loadOrder, (std::vector<std::string>{"child 5", "root"}));
    EXPECT_TRUE(scene->isTouchEnabled());
    EXPECT_EQ(scene->tag(), 7);

    ASSERT_NE(scene->menu, nullptr);
    auto* item = dynamic_cast<CCMenuItemImage*>(scene->menu->getChildByTag(3));
    ASSERT_NE(item, nullptr);
    // Each node keeps its own z order, whatever its parent's.
    EXPECT_EQ(scene->menu->zOrder(), 4);
    EXPECT_EQ(item->zOrder(), -2);
    item->activate();
    EXPECT_EQ(scene->clicks, 1);
    EXPECT_EQ(scene->lastSender, item);
}

TEST_F(CCBReaderTest, FileTypeAndVersionChecks) {
    std::string log;
    Ref<CCNode> loaded = load(document(rootLayer({}), "SomethingElse", 1), log);
    EXPECT_NE(loaded, nullptr);
    EXPECT_EQ(log, "WARNING! Trying to load invalid file type\n");

    EXPECT_EQ(load(document(rootLayer({}), "CocosBuilder", 2), log), nullptr);
    EXPECT_EQ(log,
              "WARNING! Trying to load file made with a newer version of CocosBuilder, please update the CCBReader "
              "class\n");

    testing::internal::CaptureStderr();
    EXPECT_EQ(CCBReader::nodeGraphFromFile("no-such.ccb"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING! Trying to load invalid file type\n");
}

TEST_F(CCBReaderTest, AnUnknownKindIsDroppedWhileItsSiblingsLoad) {
    std::string log;
    Ref<CCNode> root = load(document(rootLayer({sprite("hero.png", 1), node("CCLabelTTF", commonProps(2)),
                                                sprite("hero.png", 3)})),
                            log);
    ASSERT_NE(root, nullptr);
    EXPECT_NE(root->getChildByTag(1), nullptr);
    EXPECT_EQ(root->getChildByTag(2), nullptr);
    EXPECT_NE(root->getChildByTag(3), nullptr);
    EXPECT_NE(log.find("WARNING! Failed to load node of type: CCLabelTTF\n"), std::string::npos);
    EXPECT_NE(log.find("WARNING! Failed to add child=(null) to node=<"), std::string::npos) << log;
    EXPECT_NE(log.find("TestScene = 0x"), std::string::npos) << log;
}

TEST_F(CCBReaderTest, BadReferencesWarnAndFallBack) {
    Value item = commonProps(4);
    item.set("spriteFileNormal", "hero.png");
    item.set("spriteFileSelected", "gone.png");
    item.set("spriteFileDisabled", "");
    item.set("spriteFramesFile", "");
    item.set("target", 1);
    item.set("selector", "fly:");
    item.set("isEnabled", true);
    Value menuProps = commonProps(2);
    menuProps.set("touchEnabled", true);
    std::string log;
    Ref<CCNode> root = load(document(rootLayer({
                                sprite("gone.png", 1),
                                node("CCMenu", menuProps, {node("CCMenuItemImage", item)}),
                                bound(sprite("hero.png", 5), "hero", 2),   // owner binding, no owner
                                bound(sprite("hero.png", 6), "villain", 1),  // no such field
                            })),
                            log);
    ASSERT_NE(root, nullptr);
    auto* missing = dynamic_cast<CCSprite*>(root->getChildByTag(1));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->contentSize().width, 2);  // the missing-texture picture stands in
    EXPECT_NE(log.find("WARNING! CCMenuItemImage target doesn't respond to selector fly:\n"), std::string::npos);
    auto* button = dynamic_cast<CCMenuItemImage*>(root->getChildByTag(2)->getChildByTag(4));
    ASSERT_NE(button, nullptr);  // still shown, without an action
    button->activate();
    EXPECT_EQ(dynamic_cast<TestScene*>(root.get())->clicks, 0);
    EXPECT_NE(log.find("WARNING! Failed to find assignment object\n"), std::string::npos);
    EXPECT_NE(log.find("WARNING! Couldn't find member variable villain\n"), std::string::npos);
    EXPECT_EQ(dynamic_cast<TestScene*>(root.get())->hero, nullptr);
}

TEST_F(CCBReaderTest, CustomClassesMustExistAndBeOfTheKind) {
    std::string log;
    Ref<CCNode> root = load(document(rootLayer({}, "LoadingNode")), log);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(typeid(*root), typeid(CCLayer));
    EXPECT_NE(log.find("WARNING! LoadingNode is not subclass of CCLayer\n"), std::string::npos);

    root = load(document(rootLayer({}, "Nowhere")), log);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(typeid(*root), typeid(CCLayer));
    EXPECT_NE(log.find("WARNING! Class of type Nowhere couldn't be found\n"), std::string::npos);
}

TEST_F(CCBReaderTest, ACustomClassIsInitialisedOnceAndFallsBackWhenInitFails) {
    busyInits = 0;
    std::string log;
    Ref<CCNode> root = load(document(rootLayer({}, "BusyLayer")), log);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(typeid(*root), typeid(BusyLayer));
    EXPECT_EQ(busyInits, 1);
    EXPECT_EQ(root->children().size(), 1u);

    root = load(document(rootLayer({}, "FailingLayer")), log);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(typeid(*root), typeid(CCLayer));
    EXPECT_NE(log.find("WARNING! FailingLayer failed to initialise"), std::string::npos) << log;
    EXPECT_EQ(log.find("is not subclass"), std::string::npos) << log;
}

TEST_F(CCBReaderTest, ParticleSystemsTakeTheirPropertiesAndMoveWithTheirParent) {
    Value p = commonProps(9);
    p.set("spriteFile", "hero.png");
    p.set("emitterMode", 0);
    p.set("emissionRate", 40.5);
    p.set("duration", -1);
    p.set("totalParticles", 100);
    p.set("life", 1.5);
    p.set("startSize", 12.9);  // stored as an integer property: the fraction goes
    p.set("gravity", Value::Array{Value(0), Value(-300)});
    p.set("speed", 120);
    p.set("startColor", Value::Array{Value(1), Value(0.5), Value(0.25), Value(1)});
    p.set("blendFunc", Value::Array{Value(770), Value(1)});
    std::string log;
    Ref<CCNode> root = load(document(rootLayer({node("CCParticleSystem", p)})), log);
    ASSERT_NE(root, nullptr);
    auto* water = dynamic_cast<CCParticleSystemQuad*>(root->getChildByTag(9));
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->positionType(), kCCPositionTypeGrouped);
    EXPECT_EQ(water->startSize(), 12.0f);
    EXPECT_EQ(water->emitterMode(), kCCParticleModeGravity);
    EXPECT_EQ(water->blendFunc(), (ccBlendFunc{770, 1}));

    // Any mode but 0 is radius mode; the particles circle out from the emitter.
    p.set("emitterMode", 2);
    p.set("startRadius", 0);
    p.set("endRadius", 100);
    p.set("rotatePerSecond", 90);
    root = load(document(rootLayer({node("CCParticleSystem", p)})), log);
    auto* ring = dynamic_cast<CCParticleSystemQuad*>(root->getChildByTag(9));
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->emitterMode(), kCCParticleModeRadius);
    EXPECT_EQ(ring->endRadius(), 100.0f);
    EXPECT_NE(log.find("WARNING! emitter mode 2 read as radius mode"), std::string::npos) << log;
}

TEST(CCBReaderValues, MissingOrMisshapenValuesReadAsZero) {
    Value props;
    props.set("point", Value::Array{Value(1.5)});
    props.set("color", Value::Array{Value(300), Value(-1), Value(7)});
    props.set("text", "12");
    EXPECT_EQ(CCBReader::pointValFromDict(props, "point"), (CGPoint{1.5f, 0}));
    EXPECT_EQ(CCBReader::pointValFromDict(props, "absent"), (CGPoint{0, 0}));
    ccColor3B c = CCBReader::color3ValFromDict(props, "color");
    EXPECT_EQ(c.r, 300 & 0xff);  // each kept in one byte
    EXPECT_EQ(c.g, 255);
    EXPECT_EQ(c.b, 7);
    EXPECT_FALSE(CCBReader::boolValFromDict(props, "absent"));
    EXPECT_EQ(CCBReader::intValFromDict(Value("not a dictionary"), "x"), 0);
    EXPECT_EQ(CCBReader::floatValFromDict(props, "color"), 0.0f);
}

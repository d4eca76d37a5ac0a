// The shipped main-menu scene files, loaded by the real reader into the real
// menu class: complete and silent, and survivable when damaged.
#include <gtest/gtest.h>

#include <functional>

#include "engine/CCDirector.h"
#include "platform/PropertyList.h"
#include "scenefile/CCBReader.h"
#include "scenes/SceneClasses.h"
#include "scenes/menu/IntroScene.h"
#include "support/EngineHarness.h"

using platform::Value;

namespace {

class IntroSceneFile : public ::testing::TestWithParam<platform::DeviceProfile> {
protected:
    void SetUp() override {
        harness = &testsupport::EngineHarness::boot(GetParam(), NM_TEST_RESOURCES_DIR);
        registerSceneClasses();
    }
    void TearDown() override { testsupport::EngineHarness::shutdown(); }

    static std::string fileName() {
        return GetParam().idiom == platform::Idiom::Pad ? "main-menu~ipad.ccb" : "main-menu~iphone.ccb";
    }
    testsupport::EngineHarness* harness = nullptr;
};

// Every value of every node's properties replaced by what damage gives.
Value damaged(const Value& node, const std::function<Value(const Value&)>& spoil) {
    Value out = node;
    Value props;
    for (const auto& [key, value] : node["properties"].asDictionary()) props.set(key, spoil(value));
    out.set("properties", props);
    Value children{Value::Array{}};
    for (const Value& child : node["children"].asArray()) children.push(damaged(child, spoil));
    out.set("children", children);
    return out;
}

}  // namespace

TEST_P(IntroSceneFile, LoadsWithoutAWarningAndBindsEveryMember) {
    testing::internal::CaptureStderr();
    Ref<CCNode> root = CCBReader::nodeGraphFromFile(fileName());
    std::string log = testing::internal::GetCapturedStderr();
    auto* menu = dynamic_cast<IntroScene*>(root.get());
    ASSERT_NE(menu, nullptr) << log;
    EXPECT_EQ(log.find("WARNING!"), std::string::npos) << log;
    EXPECT_NE(menu->water, nullptr);
    EXPECT_NE(menu->fountain, nullptr);
    EXPECT_NE(menu->bird1, nullptr);
    EXPECT_NE(menu->bird2, nullptr);
    EXPECT_NE(menu->bird3, nullptr);
    EXPECT_NE(menu->butterfly, nullptr);
    EXPECT_NE(menu->frog, nullptr);
    ASSERT_NE(menu->mainMenu, nullptr);
    for (int tag = 1; tag <= 5; ++tag) EXPECT_NE(menu->mainMenu->getChildByTag(tag), nullptr) << tag;
    // The captions of the first four buttons, face and shadow each.
    int labels = 0;
    for (const auto& child : menu->children()) labels += child->zOrder() == 30;
    EXPECT_EQ(labels, 8);
}

TEST_P(IntroSceneFile, DamagedFilesLoadWithWarningsNotCrashes) {
    auto document = platform::readPropertyListFile(std::string(NM_TEST_RESOURCES_DIR) + "/" + fileName());
    ASSERT_TRUE(document);
    const std::vector<std::function<Value(const Value&)>> spoilers = {
        [](const Value&) { return Value("garbage"); },
        [](const Value&) { return Value(Value::Array{Value(-1e30), Value("x")}); },
        [](const Value&) { return Value(); },
        [](const Value& v) { return v.isString() ? Value("no-such-file.png") : v; },
    };
    for (const auto& spoil : spoilers) {
        Value broken = *document;
        broken.set("nodeGraph", damaged((*document)["nodeGraph"], spoil));
        testing::internal::CaptureStderr();
        Ref<CCNode> root = CCBReader::nodeGraphFromDictionary(broken, nullptr);
        testing::internal::GetCapturedStderr();
        ASSERT_NE(root, nullptr);
        // Running it for a while must not trip over what is missing.
        Ref<CCScene> scene = CCScene::node();
        scene->addChild(root.get());
        CCDirector::sharedDirector()->runWithScene(scene.get());
        harness->step(5);
        ASSERT_EQ(CCDirector::sharedDirector()->runningScene(), scene.get());
        // A clean stage for the next damage.
        harness = &testsupport::EngineHarness::boot(GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, IntroSceneFile,
                         ::testing::Values(platform::DeviceProfile::tablet(1), platform::DeviceProfile::phone(2)),
                         [](const auto& device) { return device.param.idiom == platform::Idiom::Pad ? "Tablet" : "Phone"; });

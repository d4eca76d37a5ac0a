// The node tree as JSON for the launcher's dump.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCNodeDump.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using testsupport::EngineHarness;

// A game-side class: the dump names it as it is.
struct DumpedScene : CCScene {};

TEST(Dump, NodesCarryTheirStateAndChildrenInDrawingOrder) {
    testsupport::TempDir dir;
    testsupport::writePngFile(dir / "dot.png", 2, 2, testsupport::solidImage(2, 2, {255, 255, 255, 255}));
    EngineHarness& h = EngineHarness::boot(platform::DeviceProfile::tablet(1), dir.path().string());
    EXPECT_EQ(runningSceneToJson(), "null\n");

    Ref<DumpedScene> scene = makeRef<DumpedScene>();
    scene->init();
    Ref<CCSprite> sprite = CCSprite::spriteWithFile("dot.png");
    sprite->setPosition({10.5f, -20});
    sprite->setScaleX(2);
    sprite->setRotation(45);
    sprite->setOpacity(128);
    sprite->setVisible(false);
    sprite->setFlipX(true);
    scene->addChild(sprite, 2, 5);
    Ref<CCLayerColor> layer = CCLayerColor::layerWithColor({1, 2, 3, 4});
    scene->addChild(layer, -1);
    CCDirector::sharedDirector()->runWithScene(scene);
    h.step();

    const std::string json = runningSceneToJson();
    EXPECT_EQ(json.rfind("{\"class\":\"DumpedScene\",\"tag\":-1,\"position\":[0,0],\"scale\":[1,1]", 0), 0u) << json;
    EXPECT_NE(json.find("\"class\":\"CCSprite\",\"tag\":5,\"position\":[10.5,-20],\"scale\":[2,1],\"rotation\":45,"
                        "\"visible\":false,\"opacity\":128,\"z\":2,\"size\":[2,2],\"texture\":\"dot.png\","
                        "\"flipX\":true,\"frame\":null,\"text\":null,\"actions\":0,\"children\":[]}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"class\":\"CCLayerColor\""), std::string::npos);
    EXPECT_LT(json.find("CCLayerColor"), json.find("CCSprite"));  // z -1 first
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), 3);
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::count(json.begin(), json.end(), '}'));
    CCDirector::sharedDirector()->end();
}

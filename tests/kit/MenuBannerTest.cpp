// The main menu's banner when the menu goes before its banner has loaded:
// the answer still arrives, and is dropped instead of reaching a layer that
// is gone.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "kit/KVTAdvertBannerLayer.h"
#include "kit/KVTWebService.h"
#include "platform/BackgroundWork.h"
#include "platform/Files.h"
#include "platform/Http.h"
#include "platform/UserDefaults.h"
#include "scenes/SceneClasses.h"
#include "scenes/menu/IntroScene.h"
#include "support/EngineHarness.h"
#include "support/HttpStandIn.h"
#include "support/RealPublisher.h"

TEST(MenuBanner, AMenuReplacedWhileItsBannerLoadsIsLeftAlone) {
    testsupport::TempDir dir;
    platform::setDataDirectory(dir / "data");
    platform::UserDefaults::standard().setLanguages({"en"});
    auto& harness = testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR);
    registerSceneClasses();
    testsupport::RealPublisher service;
    // The real answer, a little late.
    testsupport::HttpStandIn late([&service](testsupport::HttpExchange& ex) {
        platform::HttpRequest ask;
        ask.url = service.url(ex.path);
        ex.responseBody = platform::httpRequest(ask).body;
        ex.delaySeconds = 0.3;
    });
    KVTWebService::setApiHost(late.host());
    KVTWebService::setAnalyticsHost(testsupport::closedHost());

    CCDirector* director = CCDirector::sharedDirector();
    director->runWithScene(IntroScene::scene().get());
    harness.step(2);
    for (int i = 0; i < 2000 && late.requests().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(late.requests().size(), 1u);  // asked, and the answer takes 0.3 s
    director->replaceScene(CCScene::node().get());
    harness.step(2);  // the menu, and its banner layer with it, are gone

    platform::waitForBackgroundWork();
    EXPECT_EQ(service.count("GET /files/", 3), 3) << "the work ran to its end";
    EXPECT_TRUE(platform::fileExists(platform::documentsDirectory() + "/" + KVTAdvertBannerLayer::kBannerFile));
    harness.step(2);  // where the hand-over would have reached the dead layer
    EXPECT_EQ(director->runningScene()->children().size(), 0u);
    director->end();
}

// The advert banner layer against the real publisher service (and stand-ins
// that misbehave): what it asks, what it downloads and keeps, what it shows,
// and how it opens, closes and reports taps.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "engine/CCTextureCache.h"
#include "kit/GateTaps.h"
#include "kit/KVTAdvertBannerLayer.h"
#include "kit/KVTAnalyticsTracker.h"
#include "kit/KVTWebService.h"
#include "platform/BackgroundWork.h"
#include "platform/Files.h"
#include "platform/UserDefaults.h"
#include "support/EngineHarness.h"
#include "support/HttpStandIn.h"
#include "support/RealPublisher.h"

using namespace std::chrono;

namespace {

class AdvertBanner : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDataDirectory(dir / "data");
        platform::UserDefaults::standard().setLanguages({"en"});
        harness = &testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR);
        KVTAdvertBannerLayer::registerWithReader();
        KVTWebService::setApiHost(service.host());
        KVTWebService::setAnalyticsHost(service.host());
        KVTAnalyticsTracker::releaseSharedTracker();
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene.get());
        harness->step();
    }
    void TearDown() override {
        platform::waitForBackgroundWork();
        CCDirector::sharedDirector()->end();
    }

    // A banner hung above the screen as the menu hangs it, loaded to the end.
    KVTAdvertBannerLayer* loadBanner() {
        Ref<KVTAdvertBannerLayer> layer = KVTAdvertBannerLayer::layer();
        EXPECT_TRUE(layer);
        if (!layer) return nullptr;
        layer->setAnchorPoint({0, 0});
        layer->setPosition({0, 768});
        layer->setVisible(false);
        layer->setCanShowAnimation(true);
        scene->addChild(layer.get(), 90);
        layer->load();
        platform::waitForBackgroundWork();
        harness->step();  // the pictures go up
        return layer.get();
    }
    static std::string cached(const char* file) { return platform::documentsDirectory() + "/" + file; }
    // Picture requests the service logged, waiting for at least `atLeast`.
    long downloads(long atLeast = 0) const { return service.count("GET /files/", atLeast); }

    testsupport::TempDir dir;
    testsupport::RealPublisher service;
    testsupport::EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
};

}  // namespace

TEST_F(AdvertBanner, TheFirstLoadFetchesThreePicturesAndTheTabDropsIn) {
    KVTAdvertBannerLayer* banner = loadBanner();
    ASSERT_TRUE(banner && banner->isLoaded());
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(service.count("GET /api/banner.php?interfaceIdiom=iPad&scaleFactor=1&orientation=landscape"
                            "&appName=NumberMeadow&lang=en -> 200", 1),
              1);
    EXPECT_EQ(downloads(3), 3);
    EXPECT_EQ(banner->bannerData().URL, service.url("/apps/LetterGarden"));
    EXPECT_EQ(banner->banner->contentSize().width, 1024);  // the whole screen, in points
    EXPECT_EQ(banner->banner->contentSize().height, 768);
    ASSERT_TRUE(banner->icon);
    EXPECT_EQ(banner->icon->parent(), banner->shortcut);
    EXPECT_GT(banner->shortcut->position().y, 0);  // starts above the edge...
    harness->step(70);
    EXPECT_FLOAT_EQ(banner->shortcut->position().y, 0);  // ...and hangs from it after its bounce
    EXPECT_FLOAT_EQ(banner->shortcut->position().x, 512);

    // The next menu's banner finds its pictures current: it asks, and fetches nothing.
    KVTAdvertBannerLayer* again = loadBanner();
    EXPECT_TRUE(again && again->isLoaded());
    EXPECT_EQ(service.count("GET /api/banner.php", 2), 2);
    EXPECT_EQ(downloads(), 3);
}

TEST_F(AdvertBanner, TheCacheIsCurrentOnlyWhenAllThreeAreThereAndTheBannerMatches) {
    loadBanner();
    ASSERT_EQ(downloads(3), 3);
    std::filesystem::remove(cached(KVTAdvertBannerLayer::kIconFile));
    EXPECT_TRUE(loadBanner()->isLoaded());
    EXPECT_EQ(downloads(6), 6);
    testsupport::writeFile(cached(KVTAdvertBannerLayer::kBannerFile), "an older banner");
    EXPECT_TRUE(loadBanner()->isLoaded());
    EXPECT_EQ(downloads(9), 9);
}

TEST_F(AdvertBanner, ARedownloadedPictureIsShownNotTheTextureCachesOlderOne) {
    std::vector<std::uint8_t> old = testsupport::solidImage(4, 4, {255, 0, 0, 255});
    for (const char* file : {KVTAdvertBannerLayer::kBannerFile, KVTAdvertBannerLayer::kShortcutFile,
                             KVTAdvertBannerLayer::kIconFile})
        testsupport::writePngFile(cached(file), 4, 4, old);
    ASSERT_TRUE(CCTextureCache::sharedTextureCache()->addImage(cached(KVTAdvertBannerLayer::kBannerFile)));
    KVTAdvertBannerLayer* banner = loadBanner();
    ASSERT_TRUE(banner->isLoaded());
    EXPECT_EQ(downloads(3), 3);
    EXPECT_EQ(banner->banner->contentSize().width, 1024);
}

TEST_F(AdvertBanner, OpeningRecordsShowBannerOnceTheCornerClosesAndATapIsReportedAndOpened) {
    KVTAdvertBannerLayer* banner = loadBanner();
    ASSERT_TRUE(banner->isLoaded());
    KVTAnalyticsTracker* tracker = KVTAnalyticsTracker::sharedTracker();
    banner->open();
    harness->step(15);
    EXPECT_TRUE(banner->isOpen());
    EXPECT_FLOAT_EQ(banner->position().y, 0);
    banner->close();
    harness->step(15);
    EXPECT_FALSE(banner->isOpen());
    banner->open();
    harness->step(15);
    ASSERT_EQ(tracker->events().size(), 1u);
    EXPECT_EQ(tracker->events()[0].eventType, KVTAnalyticsTracker::showBanner);

    banner->clickBannerAtLocation({1024 - 80, 768 - 80});  // the corner's own edge
    harness->step(15);
    EXPECT_FALSE(banner->isOpen());
    EXPECT_EQ(tracker->events().size(), 1u);

    banner->open();
    harness->step(15);
    if (KVTParentalGate::enabled()) {
        // A tap on the picture asks a grown-up first: closing the check opens nothing.
        banner->clickBannerAtLocation({1024 - 81, 768 - 80});
        ASSERT_TRUE(KVTParentalGate::shown());
        gatetaps::tap(*harness, {2, 2});
        harness->step(15);
        EXPECT_TRUE(banner->isOpen());
        EXPECT_EQ(tracker->events().size(), 1u);
    }
    testing::internal::CaptureStderr();
    banner->clickBannerAtLocation({1024 - 81, 768 - 80});
    ASSERT_TRUE(gatetaps::answer(*harness));
    EXPECT_TRUE(tracker->events().empty());  // sent once the check is passed
    harness->step(4);
    // A child's taps while it closes (the corner, the tab) never cancel the link.
    banner->clickBannerAtLocation({1024 - 40, 768 - 40});
    banner->close();
    banner->open();
    harness->step(2);
    std::string early = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    harness->step(15);
    std::string later = testing::internal::GetCapturedStderr();
    EXPECT_EQ(early.find("openURL"), std::string::npos) << "the address opens once the banner has closed";
    EXPECT_NE(later.find("openURL: " + service.url("/apps/LetterGarden") + " (headless"), std::string::npos) << later;
    EXPECT_FALSE(banner->isOpen());
    platform::waitForBackgroundWork();
    auto stored = service.store().events();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].actionType, "showBanner");
    EXPECT_EQ(stored[1].actionType, "clickBanner");
}

// A service that misbehaves in one way or another; "HOST" in an answer is
// its own address.
struct BadService {
    const char* name;
    std::function<void(testsupport::HttpExchange&)> answer;
};

class AdvertBannerFromABadService : public AdvertBanner, public ::testing::WithParamInterface<BadService> {};

TEST_P(AdvertBannerFromABadService, LeavesNoBannerAndNoPictures) {
    std::unique_ptr<testsupport::HttpStandIn> standIn;
    if (GetParam().answer) {
        auto self = std::make_shared<std::string>();
        standIn = std::make_unique<testsupport::HttpStandIn>([self](testsupport::HttpExchange& ex) {
            GetParam().answer(ex);
            for (std::size_t at; (at = ex.responseBody.find("HOST")) != std::string::npos;)
                ex.responseBody.replace(at, 4, *self);
        });
        *self = standIn->host();
        KVTWebService::setApiHost(standIn->host());
    } else {
        KVTWebService::setApiHost(testsupport::closedHost());
    }
    auto start = steady_clock::now();
    KVTAdvertBannerLayer* banner = loadBanner();
    EXPECT_LT(steady_clock::now() - start, seconds(4));
    ASSERT_TRUE(banner);
    EXPECT_FALSE(banner->isLoaded());
    EXPECT_FALSE(banner->isVisible());
    EXPECT_FALSE(platform::fileExists(cached(KVTAdvertBannerLayer::kBannerFile)));
}

const std::string kValidAnswer = R"({"URL":"http://HOST/x","bannerURL":"http://HOST/b","shortcutURL":"http://HOST/s",)"
                                 R"("iconURL":"http://HOST/i","md5":"0"})";

INSTANTIATE_TEST_SUITE_P(
    Kinds, AdvertBannerFromABadService,
    ::testing::Values(
        BadService{"Dead", nullptr},
        BadService{"Garbage", [](testsupport::HttpExchange& ex) { ex.responseBody = "<html>\x01\xff{{"; }},
        BadService{"AMemberMissing",
                   [](testsupport::HttpExchange& ex) { ex.responseBody = R"({"URL":"http://a/","bannerURL":"http://a/b"})"; }},
        BadService{"ANumberForAText",
                   [](testsupport::HttpExchange& ex) {
                       ex.responseBody = kValidAnswer;
                       ex.responseBody.replace(ex.responseBody.find("\"0\""), 3, "0");
                   }},
        BadService{"PicturesThatAreErrorPages",
                   [](testsupport::HttpExchange& ex) {
                       bool asked = ex.path.rfind("/api/", 0) == 0;
                       ex.status = asked ? 200 : 404;
                       ex.responseBody = asked ? kValidAnswer : "<html>not here</html>";
                   }},
        BadService{"AHundredMegabytes", [](testsupport::HttpExchange& ex) { ex.streamedBytes = 100u << 20; }}),
    [](const auto& kind) { return std::string(kind.param.name); });

// The one test that waits out the real five-second time-out. Frames go on
// meanwhile (one that waited for the service would take seconds), and the
// request ends by its time-out, not by the answer a second later.
TEST_F(AdvertBanner, AServiceAnsweringAfterSixSecondsIsGivenUpWhileFramesGoOn) {
    testsupport::HttpStandIn slow([](testsupport::HttpExchange& ex) {
        ex.delaySeconds = 6;
        ex.responseBody = "{}";
    });
    KVTWebService::setApiHost(slow.host());
    Ref<KVTAdvertBannerLayer> banner = KVTAdvertBannerLayer::layer();
    scene->addChild(banner.get(), 90);
    testing::internal::CaptureStderr();
    banner->load();
    auto start = steady_clock::now();
    duration<double> longest{0};
    int frames = 0;
    while (steady_clock::now() - start < milliseconds(3000)) {
        auto frame = steady_clock::now();
        harness->step();
        ++frames;
        longest = std::max<duration<double>>(longest, steady_clock::now() - frame);
        std::this_thread::sleep_for(milliseconds(10));
    }
    platform::waitForBackgroundWork();
    harness->step();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_LT(longest.count(), 2.0) << "a frame waited for the service";
    EXPECT_GT(frames, 10);
    EXPECT_NE(log.find("Timeout was reached"), std::string::npos) << log;
    EXPECT_FALSE(banner->isLoaded());
    EXPECT_EQ(slow.requests().size(), 1u);
}

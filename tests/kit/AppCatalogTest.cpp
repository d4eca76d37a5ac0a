// The app catalogue shelf against the real publisher service (and stand-ins
// that misbehave): the list it asks for, how it lays out and scrolls the
// shelves, what a tap opens, and the alerts when there is no list.
#include <gtest/gtest.h>

#include <chrono>

#include "engine/CCDirector.h"
#include "engine/CCMenuItem.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "kit/GateTaps.h"
#include "kit/KVTAnalyticsTracker.h"
#include "kit/KVTAppCatalog.h"
#include "kit/KVTWebService.h"
#include "platform/BackgroundWork.h"
#include "platform/Files.h"
#include "platform/UserDefaults.h"
#include "platform/ui/AlertView.h"
#include "support/EngineHarness.h"
#include "support/HttpStandIn.h"
#include "support/RealPublisher.h"

using namespace std::chrono;

namespace {

class AppCatalog : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDataDirectory(dir / "data");
        platform::UserDefaults::standard().setLanguages({"en"});
        harness = &testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR);
        KVTWebService::setApiHost(service.host());
        KVTWebService::setAnalyticsHost(testsupport::closedHost());
        KVTAnalyticsTracker::releaseSharedTracker();
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene.get());
        catalog = KVTAppCatalog::node();
        scene->addChild(catalog.get(), 80, 1000);
        harness->step();
    }
    void TearDown() override {
        if (catalog->alert()) catalog->alert()->dismiss();
        platform::waitForBackgroundWork();
        CCDirector::sharedDirector()->end();
    }

    // A touch as the platform delivers it, in engine points (origin bottom-left).
    void touch(platform::TouchPhase phase, float x, float y) {
        platform::Application::shared().injectTouch(0, phase, {x, 768 - y});
    }
    void tap(float x, float y) {
        touch(platform::TouchPhase::Began, x, y);
        touch(platform::TouchPhase::Ended, x, y);
    }
    // Opens the shelf by its tab and lets the move (and the list request) finish.
    void open() {
        tap(512, 10);
        harness->step(15);
        // Icons come a few at a time: each batch's hand-over starts the next.
        for (int i = 0; i < 10; ++i) {
            platform::waitForBackgroundWork();
            harness->step();
        }
    }
    std::vector<CCMenuItem*> buttons() const {
        std::vector<CCMenuItem*> items;
        for (const auto& child : catalog->catalogMenu->children())
            if (auto* item = dynamic_cast<CCMenuItem*>(child.get())) items.push_back(item);
        return items;
    }
    CCMenuItem* button(int tag) const {
        for (CCMenuItem* item : buttons())
            if (item->tag() == tag) return item;
        return nullptr;
    }
    // Where a button's middle is on screen now.
    CGPoint onScreen(CCNode* node) const {
        const CGRect box = node->boundingBox();
        return node->parent()->convertToWorldSpace({box.origin.x + box.size.width / 2, box.origin.y + box.size.height / 2});
    }
    static long count(const std::string& text, const std::string& what) {
        long n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
    int eventsOf(int type) const {
        int n = 0;
        for (const auto& e : KVTAnalyticsTracker::sharedTracker()->events()) n += e.eventType == type;
        return n;
    }

    testsupport::TempDir dir;
    testsupport::RealPublisher service;
    testsupport::EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
    Ref<KVTAppCatalog> catalog;
};

TEST_F(AppCatalog, TheFirstOpeningAsksForTheListAndLaysOutTheShelves) {
    EXPECT_FALSE(catalog->isOpen());
    // The tab is the tablet's own picture at its size, not the phone's.
    const CGSize tablet = CCSprite::spriteWithFile("shelf-button-closed-ipad.png")->contentSize();
    const CGSize phone = CCSprite::spriteWithFile("shelf-button-closed.png")->contentSize();
    ASSERT_GT(tablet.width, phone.width);
    for (CCSprite* tab : {catalog->openButton, catalog->closeButton}) {
        ASSERT_TRUE(tab);
        EXPECT_EQ(tab->contentSize().width, tablet.width);
        EXPECT_EQ(tab->contentSize().height, tablet.height);
    }
    open();
    ASSERT_TRUE(catalog->isOpen());
    ASSERT_TRUE(catalog->isLoaded());
    EXPECT_EQ(service.count("GET /api/?appName=NumberMeadow&lang=en&isRetina=1&interfaceIdiom=iPad&scaleFactor=1 -> 200", 1), 1);
    ASSERT_EQ(catalog->buttonCount, 7) << "the service's sample catalogue, less this game";
    EXPECT_EQ(catalog->buttonsPerRow, 4);
    EXPECT_EQ(catalog->shelfCount, 2);
    EXPECT_EQ(service.count("GET /files/", 7), 7);
    ASSERT_EQ(buttons().size(), 7u);
    EXPECT_EQ(eventsOf(KVTAnalyticsTracker::openAppCatalog), 1);
    EXPECT_EQ(eventsOf(KVTAnalyticsTracker::showApp), 7);

    // Four to a shelf, left to right and then down: application 5 sits in
    // column 1 of row 1, application 2 in column 2 of row 0.
    const float w = catalog->shadowSize.width;
    for (int t = 0; t < 7; ++t) {
        SCOPED_TRACE("application " + std::to_string(t));
        ASSERT_NE(button(t), nullptr);
        const int column = t % 4, row = t / 4;
        const CGPoint p = button(t)->position();
        EXPECT_FLOAT_EQ(p.x, (column + 1) * (w + catalog->padding) - w / 2);
        EXPECT_FLOAT_EQ(p.y, 768 - (row + 1) * (catalog->shelfSize.height + 1) + catalog->shelfBottomBorderWidth -
                                 catalog->plateSize.height);
    }
    EXPECT_FALSE(catalog->topLabel->string().empty());

    // Closing and opening again asks nothing more.
    tap(512, 768 * 0.8f + 10);
    harness->step(15);
    EXPECT_FALSE(catalog->isOpen());
    open();
    EXPECT_EQ(service.count("GET /api/?"), 1);
    EXPECT_EQ(eventsOf(KVTAnalyticsTracker::openAppCatalog), 1);
}

TEST_F(AppCatalog, ShelvesScrollWithinTheirEndsAndOnlyAStillTapOpensAnApplication) {
    open();
    ASSERT_EQ(buttons().size(), 7u);
    const float top = static_cast<float>(catalog->shelfLayerDefaultY);
    const CGPoint first = onScreen(button(0));

    // Dragging down cannot pull the shelves below their top position.
    touch(platform::TouchPhase::Began, first.x, first.y);
    touch(platform::TouchPhase::Moved, first.x, first.y - 200);
    EXPECT_FLOAT_EQ(catalog->shelfLayer->position().y, top);
    // Dragging far up stops at the drawn shelves' end, and the shelves spring
    // back to the last filled one when let go.
    touch(platform::TouchPhase::Moved, first.x, first.y + 2000);
    const float cap = std::trunc(top + (catalog->drawnShelfCount() - catalog->visibleShelfCount - 1) * catalog->shelfSize.height);
    EXPECT_FLOAT_EQ(catalog->shelfLayer->position().y, cap);
    testing::internal::CaptureStderr();
    touch(platform::TouchPhase::Ended, first.x, first.y + 2000);
    harness->step(15);
    const float limit = std::max(top, std::trunc(top + catalog->shelfSize.height * (catalog->shelfCount - catalog->visibleShelfCount)));
    EXPECT_FLOAT_EQ(catalog->shelfLayer->position().y, limit);

    harness->step(20);
    testing::internal::GetCapturedStderr();

    // A finger that lands on a button and scrolls opens nothing; a still tap does.
    const CGPoint second = onScreen(button(1));
    testing::internal::CaptureStderr();
    touch(platform::TouchPhase::Began, second.x, second.y);
    touch(platform::TouchPhase::Moved, second.x, second.y + 20);
    touch(platform::TouchPhase::Ended, second.x, second.y + 20);
    harness->step(40);
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("openURL"), std::string::npos);
    harness->step(20);
    const CGPoint still = onScreen(button(1));
    const std::size_t before = KVTAnalyticsTracker::sharedTracker()->events().size();
    testing::internal::CaptureStderr();
    tap(still.x, still.y);
    harness->step(40);
    // A grown-up's check first: nothing is opened or counted until it is passed.
    if (KVTParentalGate::enabled()) {
        EXPECT_EQ(KVTAnalyticsTracker::sharedTracker()->events().size(), before);
        EXPECT_EQ(testing::internal::GetCapturedStderr().find("openURL"), std::string::npos);
        testing::internal::CaptureStderr();
    }
    ASSERT_TRUE(gatetaps::answer(*harness));
    harness->step(40);
    const std::string opened = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count(opened, "openURL: " + service.url("/apps/")), 1) << opened;
    EXPECT_TRUE(KVTAnalyticsTracker::sharedTracker()->events().empty()) << "the tap's event was committed";
}

// The bundle's English "CantConnectServer".
const char* const kCantConnect = "Can't connect to the server. Please check the Internet connection and try again.";

struct BadList {
    const char* name;
    std::function<void(testsupport::HttpExchange&)> answer;
    const char* message;  // the alert's
};

class AppCatalogWithoutAList : public AppCatalog, public ::testing::WithParamInterface<BadList> {};

// Every opening without a list shows the alert, records the opening, and
// asks again; the list request never blocks past its time-out.
TEST_P(AppCatalogWithoutAList, AlertsOnEveryOpeningAndLoadsOnceTheServiceAnswers) {
    std::unique_ptr<testsupport::HttpStandIn> standIn;
    if (GetParam().answer) {
        standIn = std::make_unique<testsupport::HttpStandIn>(GetParam().answer);
        KVTWebService::setApiHost(standIn->host());
    } else {
        KVTWebService::setApiHost(testsupport::closedHost());
    }
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const auto start = steady_clock::now();
        open();
        EXPECT_LT(steady_clock::now() - start, seconds(6));
        ASSERT_TRUE(catalog->alert()) << "attempt " << attempt;
        EXPECT_TRUE(catalog->alert()->isVisible());
        EXPECT_EQ(catalog->alert()->message(), GetParam().message);
        EXPECT_FALSE(catalog->isLoaded());
        EXPECT_TRUE(buttons().empty());
        EXPECT_EQ(eventsOf(KVTAnalyticsTracker::openAppCatalog), attempt);
        const platform::ui::Rect ok = catalog->alert()->buttonFrame();
        platform::Application::shared().injectTouch(0, platform::TouchPhase::Began, {ok.x + 5, ok.y + 5});
        platform::Application::shared().injectTouch(0, platform::TouchPhase::Ended, {ok.x + 5, ok.y + 5});
        EXPECT_FALSE(catalog->alert()->isVisible());
        tap(512, 768 * 0.8f + 10);  // closed again
        harness->step(15);
    }
    KVTWebService::setApiHost(service.host());
    open();
    EXPECT_TRUE(catalog->isLoaded());
    EXPECT_EQ(buttons().size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AppCatalogWithoutAList,
    ::testing::Values(
        BadList{"Dead", nullptr, kCantConnect},
        BadList{"Garbage", [](testsupport::HttpExchange& ex) { ex.responseBody = "<html>\x01\xff{{"; }, "Can't fetch data"},
        BadList{"ServerError",
                [](testsupport::HttpExchange& ex) {
                    ex.status = 503;
                    ex.responseBody = R"({"apps":[]})";
                },
                "Can't fetch data"},
        BadList{"NoApps", [](testsupport::HttpExchange& ex) { ex.responseBody = R"({"campaignName":"x"})"; }, "Can't fetch data"},
        BadList{"AHundredMegabytes", [](testsupport::HttpExchange& ex) { ex.streamedBytes = 100u << 20; },
                kCantConnect},
        BadList{"SixSecondsLate",
                [](testsupport::HttpExchange& ex) {
                    ex.delaySeconds = 6;
                    ex.responseBody = R"({"apps":[]})";
                },
                kCantConnect}),
    [](const auto& kind) { return std::string(kind.param.name); });

}  // namespace

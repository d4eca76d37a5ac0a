// The analytics tracker against the real publisher service: what exactly
// arrives, what the token decides, and what stays behind without one.
#include <gtest/gtest.h>

#include "kit/KVTAnalyticsTracker.h"
#include "platform/BackgroundWork.h"
#include "platform/PropertyList.h"
#include "support/RealPublisher.h"

namespace {

std::string bundleToken() {
    auto document = platform::readPropertyListFile(NM_TEST_RESOURCES_DIR "/data1.plist");
    return document ? (*document)["analytics-auth-token"].asString() : "";
}

class AnalyticsTracker : public ::testing::Test {
protected:
    void SetUp() override {
        platform::markMainThread();
        platform::beginBackgroundWork();
        KVTWebService::setAnalyticsHost(service.host());
    }
    void TearDown() override { platform::waitForBackgroundWork(); }

    static std::shared_ptr<KVTAnalyticsTracker> tracker(const std::string& token = bundleToken()) {
        return std::make_shared<KVTAnalyticsTracker>([token] { return KVTAppIdentity{"NumberMeadow", "0.1.0", token}; });
    }
    // The line the service logged for an analytics request with these actions.
    std::string received(const std::string& actions, const std::string& status = "200") const {
        KVTAppIdentity app{"NumberMeadow", "0.1.0", bundleToken()};
        return "publisher: GET /?auth_token=" + app.authToken() + "&appName=NumberMeadow&appVersion=0.1.0" + actions +
               " -> " + status;
    }

    testsupport::RealPublisher service;
};

}  // namespace

TEST_F(AnalyticsTracker, OneCommitSendsEveryEventEncodedAndCountedFromZero) {
    auto t = tracker();
    t->addEvent(KVTAnalyticsTracker::clickApp, "A b&c");
    t->addEvent(KVTAnalyticsTracker::showBanner);
    t->addEvent(9);
    t->commit();
    EXPECT_TRUE(t->events().empty());
    platform::waitForBackgroundWork();
    ASSERT_EQ(service.log(1).size(), 1u);
    EXPECT_EQ(service.log()[0], received("&actions[0][actionType]=clickApp&actions[0][targetAppName]=A%20b%26c"
                                         "&actions[1][actionType]=showBanner&actions[2][actionType]="));
    auto stored = service.store().events();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].targetAppName, "A b&c");  // intact, not split into parameters

    t->addEvent(KVTAnalyticsTracker::clickBanner);
    t->commit();
    t->commit();  // nothing left: nothing sent
    platform::waitForBackgroundWork();
    ASSERT_EQ(service.log(2).size(), 2u);
    EXPECT_EQ(service.log()[1], received("&actions[0][actionType]=clickBanner"));
}

TEST_F(AnalyticsTracker, AWrongTokenIsRefusedAndNothingIsStored) {
    auto t = tracker("not-the-token");
    t->addEvent(KVTAnalyticsTracker::showBanner);
    t->commit();
    platform::waitForBackgroundWork();
    EXPECT_EQ(service.count("-> 403", 1), 1);
    EXPECT_TRUE(service.store().events().empty());
}

TEST_F(AnalyticsTracker, WithoutATokenNothingGoesOutAndTheKeptEventsAreCapped) {
    auto t = tracker("");
    t->startTrackerWithDispatchPeriod(5);
    for (int i = 0; i < 100; ++i) t->addEvent(KVTAnalyticsTracker::showApp, "app" + std::to_string(i));
    t->commit();
    EXPECT_EQ(t->dispatchPeriod(), 0);  // automatic commits stop
    ASSERT_EQ(t->events().size(), KVTAnalyticsTracker::kMaxEvents);
    EXPECT_EQ(t->events().front().targetAppName, "app" + std::to_string(100 - KVTAnalyticsTracker::kMaxEvents));
    EXPECT_EQ(t->events().back().targetAppName, "app99");
    platform::waitForBackgroundWork();
    EXPECT_TRUE(service.log().empty());
}

TEST_F(AnalyticsTracker, PeriodicCommitsFollowTheRunLoopWhileTheTrackerLives) {
    platform::drainMainQueue(100);  // the loop's clock now
    auto t = tracker();
    t->startTrackerWithDispatchPeriod(1.0);
    t->addEvent(KVTAnalyticsTracker::openAppCatalog);
    platform::drainMainQueue(100.5);
    platform::waitForBackgroundWork();
    EXPECT_TRUE(service.log().empty());
    platform::drainMainQueue(101);
    platform::waitForBackgroundWork();
    EXPECT_EQ(service.count("actions[0][actionType]=openAppCatalog", 1), 1);

    t->addEvent(KVTAnalyticsTracker::openApp);
    t.reset();  // released: its next turn finds nobody
    platform::drainMainQueue(102);
    platform::waitForBackgroundWork();
    EXPECT_EQ(service.log().size(), 1u);
}

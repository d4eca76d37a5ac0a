// The feedback form against the real publisher service: what it stores for
// awkward texts, the outbox when the service is away, the pressed look of the
// social buttons, and the main menu held still while the form is open.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "engine/CCDirector.h"
#include "engine/CCFileUtils.h"
#include "engine/CCMenu.h"
#include "engine/CCScene.h"
#include "kit/GateTaps.h"
#include "kit/KVTFeedbackLayer.h"
#include "kit/KVTFeedbackLimits.h"
#include "kit/KVTWebService.h"
#include "platform/BackgroundWork.h"
#include "platform/Files.h"
#include "platform/Image.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "platform/ui/TextControl.h"
#include "platform/ui/Window.h"
#include "scenes/SceneClasses.h"
#include "scenes/menu/IntroScene.h"
#include "support/EngineHarness.h"
#include "support/HttpStandIn.h"
#include "support/RealPublisher.h"

namespace {

class FeedbackForm : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDataDirectory(dir / "data");
        platform::UserDefaults::standard().setLanguages({"en"});
        harness = &testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR);
        registerSceneClasses();
        KVTWebService::setApiHost(service.host());
        KVTWebService::setAnalyticsHost(testsupport::closedHost());
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene.get());
        form = KVTFeedbackLayer::node();
        ASSERT_TRUE(form);
        scene->addChild(form.get(), 10000);
        harness->step();
        platform::waitForBackgroundWork();  // the outbox of an earlier run
    }
    void TearDown() override {
        platform::waitForBackgroundWork();
        CCDirector::sharedDirector()->end();
    }
    void openForm() {
        form->showForm();
        harness->step(25);
        ASSERT_TRUE(form->textView && form->textView->window());
    }
    void send(const std::string& name, const std::string& email, const std::string& text) {
        openForm();
        form->fieldName->setText(name);
        form->fieldEmail->setText(email);
        form->textView->setText(text);
        form->sendFeedback();
        platform::waitForBackgroundWork();
        harness->step(40);
    }
    // A touch in engine points, as the platform delivers it.
    void touch(platform::TouchPhase phase, CGPoint p) {
        platform::Application::shared().injectTouch(0, phase, {p.x, 768 - p.y});
    }
    static CGPoint middleOf(CCNode* node) {
        const CGRect box = node->boundingBox();
        return node->parent()->convertToWorldSpace({box.origin.x + box.size.width / 2, box.origin.y + box.size.height / 2});
    }
    std::string outbox() const { return platform::documentsDirectory() + "/" + KVTFeedbackLayer::kOutboxFile; }

    testsupport::TempDir dir;
    testsupport::RealPublisher service;
    testsupport::EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
    Ref<KVTFeedbackLayer> form;
};

TEST_F(FeedbackForm, TheServiceStoresExactlyWhatWasTyped) {
    send("Anna Maria", "a&b=c+d", "Perché? Жук 100% / ok");
    send("", "", "");
    const auto stored = service.store().feedback(10);
    ASSERT_EQ(stored.size(), 2u);
    // Newest first.
    EXPECT_EQ(stored[1].name, "Anna Maria");
    EXPECT_EQ(stored[1].email, "a&b=c+d");
    EXPECT_EQ(stored[1].text, "Perché? Жук 100% / ok");
    EXPECT_EQ(stored[1].appName, "NumberMeadow");
    EXPECT_EQ(stored[0].name, "");
    EXPECT_EQ(stored[0].text, "");
    EXPECT_EQ(KVTFeedbackLayer::requestBody({"Ann", "abc", "Hi there"}),
              "actions[0][actionType]=feedback&actions[0][name]=Ann&actions[0][email]=abc&actions[0][text]=Hi%20there");
    EXPECT_FALSE(form->isFormOpen()) << "the card flew away";
    EXPECT_FALSE(platform::fileExists(outbox()));
}

TEST_F(FeedbackForm, AMessageTheServiceDidNotTakeIsSentAtTheNextStart) {
    KVTWebService::setApiHost(testsupport::closedHost());
    send("Ada", "ada@example.org", "first");
    send("Bo", "", "second & last");
    ASSERT_TRUE(platform::fileExists(outbox()));
    EXPECT_TRUE(service.store().feedback(10).empty());

    KVTFeedbackLayer::sendOutbox(KVTAppIdentity::current(), service.host());
    const auto stored = service.store().feedback(10);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].text, "first");
    EXPECT_EQ(stored[0].text, "second & last");
    EXPECT_FALSE(platform::fileExists(outbox()));

    // A damaged outbox is started afresh, not trusted.
    testsupport::writeFile(outbox(), "<plist><array><dict><key>name");
    KVTFeedbackLayer::sendOutbox(KVTAppIdentity::current(), service.host());
    EXPECT_EQ(service.store().feedback(10).size(), 2u);
}

TEST_F(FeedbackForm, TheLongestMessageTheFormTakesInAnyScriptIsOneTheServiceTakes) {
    auto repeat = [](const std::string& piece, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += piece;
        return out;
    };
    // Typed past the form's limits: the controls stop at them.
    send(repeat("Ж", 300), repeat("é", 300), repeat("\xF0\x9F\x90\xB8", 6000));  // a frog: four bytes
    const auto stored = service.store().feedback(10);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, repeat("Ж", KVTFeedbackLimits::kName));
    EXPECT_EQ(stored[0].email, repeat("é", KVTFeedbackLimits::kEmail));
    EXPECT_EQ(stored[0].text, repeat("\xF0\x9F\x90\xB8", KVTFeedbackLimits::kText));
    EXPECT_FALSE(platform::fileExists(outbox()));
}

TEST_F(FeedbackForm, TheOutboxKeepsWhatMayGoLaterDropsWhatWasRefusedAndHoldsTwentyAtMost) {
    std::atomic<int> status{400};
    testsupport::HttpStandIn standIn([&](testsupport::HttpExchange& e) {
        e.status = status;
        e.responseBody = "no such application";
    });
    const KVTAppIdentity app = KVTAppIdentity::current();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KVTFeedbackLayer::asynchSendFeedback({"Ann", "", "refused"}, app, standIn.host()));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("refused the message (status 400: no such application)"), std::string::npos) << log;
    EXPECT_FALSE(platform::fileExists(outbox())) << "refused for good: never sent again";

    // Timed out, busy or unreachable: kept; the newest twenty of twenty-five.
    for (int i = 0; i < 25; ++i) {
        status = i % 2 ? 429 : 408;
        EXPECT_FALSE(KVTFeedbackLayer::asynchSendFeedback({"", "", std::to_string(i)}, app,
                                                          i == 24 ? testsupport::closedHost() : standIn.host()));
    }
    // At the next start one is refused, one the service is too busy for, the rest taken.
    std::atomic<int> seen{0};
    testsupport::HttpStandIn next([&](testsupport::HttpExchange& e) {
        const int n = seen++;
        e.status = n == 0 ? 403 : n == 1 ? 503 : 200;
    });
    KVTFeedbackLayer::sendOutbox(app, next.host());
    EXPECT_EQ(seen, 20);
    auto kept = platform::readPropertyListFile(outbox());
    ASSERT_TRUE(kept && kept->size() == 1u);
    EXPECT_EQ((*kept)[0]["text"].asString(), "6") << "the five oldest were dropped, the 403 too, the 503 kept";
    KVTFeedbackLayer::sendOutbox(app, service.host());
    EXPECT_FALSE(platform::fileExists(outbox()));
    ASSERT_EQ(service.store().feedback(10).size(), 1u);
}

TEST_F(FeedbackForm, TheSocialButtonsPressedLookFollowsTheFinger) {
    openForm();
    ASSERT_TRUE(form->buttonFacebook && form->buttonTwitter && form->buttonFacebookIcon && form->buttonTwitterIcon);
    const CGPoint facebookRest = form->buttonFacebookIcon->position();
    const CGPoint twitterRest = form->buttonTwitterIcon->position();
    touch(platform::TouchPhase::Began, middleOf(form->buttonFacebook));
    EXPECT_FLOAT_EQ(form->buttonFacebookIcon->position().y, facebookRest.y - 5);
    touch(platform::TouchPhase::Moved, middleOf(form->buttonTwitter));
    EXPECT_FLOAT_EQ(form->buttonFacebookIcon->position().y, facebookRest.y);
    EXPECT_FLOAT_EQ(form->buttonTwitterIcon->position().y, twitterRest.y - 5);
    testing::internal::CaptureStderr();
    touch(platform::TouchPhase::Ended, middleOf(form->buttonTwitter));
    EXPECT_FLOAT_EQ(form->buttonTwitterIcon->position().y, twitterRest.y);
    // The page opens once a grown-up has passed the check; the form waits under it.
    if (KVTParentalGate::enabled()) {
        EXPECT_EQ(testing::internal::GetCapturedStderr().find("openURL"), std::string::npos);
        testing::internal::CaptureStderr();
    }
    ASSERT_TRUE(gatetaps::answer(*harness));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(form->isFormOpen());
    EXPECT_FALSE(form->textView->isHidden()) << "the message box is back";
    EXPECT_NE(log.find("openURL: " NM_TEST_TWITTER_PAGE), std::string::npos) << log;
    EXPECT_EQ(log.find("openURL: " NM_TEST_FACEBOOK_PAGE), std::string::npos);
}

TEST(FeedbackFormOnTheMenu, TheMenuHoldsStillWhileTheFormIsOpen) {
    testsupport::TempDir dir;
    platform::setDataDirectory(dir / "data");
    auto& harness = testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR);
    registerSceneClasses();
    KVTWebService::setApiHost(testsupport::closedHost());
    KVTWebService::setAnalyticsHost(testsupport::closedHost());
    CCDirector* director = CCDirector::sharedDirector();
    Ref<CCScene> menuScene = IntroScene::scene();
    director->runWithScene(menuScene.get());
    harness.step(2);
    auto* menu = dynamic_cast<IntroScene*>(menuScene->children().front().get());
    ASSERT_TRUE(menu && menu->feedbackLayer && menu->appCatalog);
    auto tap = [](CGPoint p) {
        platform::Application::shared().injectTouch(0, platform::TouchPhase::Began, {p.x, 768 - p.y});
        platform::Application::shared().injectTouch(0, platform::TouchPhase::Ended, {p.x, 768 - p.y});
    };
    auto middle = [](CCNode* node) {
        const CGRect box = node->boundingBox();
        return node->parent()->convertToWorldSpace({box.origin.x + box.size.width / 2, box.origin.y + box.size.height / 2});
    };
    tap(middle(menu->mainMenu->getChildByTag(5)));
    harness.step(5);
    EXPECT_EQ(menu->feedbackLayer->opaqueCardRect().size.width, 0) << "a flying card hides nothing";
    harness.step(20);
    ASSERT_TRUE(menu->feedbackLayer->isFormOpen());
    // What the open card hides is not drawn: the card's picture must be
    // opaque all over that rectangle.
    {
        CCSprite* card = menu->feedbackLayer->formFeedback;
        const CGRect hides = menu->feedbackLayer->opaqueCardRect();
        const CGPoint origin = card->parent()->convertToWorldSpace(card->boundingBox().origin);
        const auto picture =
            platform::loadImageFile(CCFileUtils::sharedFileUtils()->fullPathFromRelativePath("feedback-card~ipad.png"));
        ASSERT_TRUE(picture && hides.size.width > 0);
        ASSERT_EQ(picture->height, static_cast<int>(card->contentSize().height));
        const float h = card->contentSize().height;
        int clear = 0;
        for (int y = static_cast<int>(hides.origin.y - origin.y); y < hides.origin.y - origin.y + hides.size.height; ++y)
            for (int x = static_cast<int>(hides.origin.x - origin.x); x < hides.origin.x - origin.x + hides.size.width; ++x)
                clear += picture->rgba[(static_cast<std::size_t>(h - 1 - y) * picture->width + x) * 4 + 3] != 255;
        EXPECT_EQ(clear, 0);
    }
    EXPECT_EQ(platform::ui::Window::main().subviews().size(), 3u) << "the two fields and the message box";

    // The learn button, under the dimmer: nothing happens.
    tap(middle(menu->mainMenu->getChildByTag(1)));
    harness.step(5);
    EXPECT_EQ(director->runningScene(), menuScene.get());

    // Closing lets the menu have its buttons back.
    tap(middle(menu->feedbackLayer->buttonClose));
    harness.step(25);
    EXPECT_FALSE(menu->feedbackLayer->isFormOpen());
    EXPECT_TRUE(platform::ui::Window::main().subviews().empty());
    tap(middle(menu->mainMenu->getChildByTag(1)));
    harness.step(5);
    EXPECT_NE(director->runningScene(), menuScene.get());
    director->end();
}

}  // namespace

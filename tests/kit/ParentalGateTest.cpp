// The parental gate before anything leaves the game: a child's random taps
// never get past it, a grown-up's right numbers do, once; it closes on a
// wrong key or a tap beside it; and its texts fit its card in every language
// on both devices at both scales.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/SettingsManager.h"
#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "kit/GateTaps.h"
#include "kit/KVTParentalGate.h"
#include "platform/Files.h"
#include "platform/PropertyList.h"
#include "platform/Random.h"
#include "platform/UserDefaults.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

namespace {

class ParentalGate : public ::testing::Test {
protected:
    void SetUp() override {
        if (!KVTParentalGate::enabled()) GTEST_SKIP() << "built without the parental gate";
        platform::setDataDirectory(dir / "data");
        platform::UserDefaults::standard().setLanguages({"en"});
        boot(platform::DeviceProfile::tablet(1));
    }
    void TearDown() override {
        if (harness) CCDirector::sharedDirector()->end();
    }
    void boot(const platform::DeviceProfile& device) {
        harness = &testsupport::EngineHarness::boot(device, NM_TEST_RESOURCES_DIR);
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene.get());
        harness->step();
    }
    void tap(CGPoint p) { gatetaps::tap(*harness, p); }

    testsupport::TempDir dir;
    testsupport::EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
};

// A node's box in world points.
CGRect worldBox(const CCNode* node) {
    return CGRectApplyAffineTransform(CGRect{{0, 0}, node->contentSize()}, node->nodeToWorldTransform());
}

CGRect inset(const CGRect& r, float dx, float dy) {
    return CGRectMake(r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy);
}

bool inside(const CGRect& inner, const CGRect& outer) {
    return inner.origin.x >= outer.origin.x && inner.origin.y >= outer.origin.y &&
           inner.origin.x + inner.size.width <= outer.origin.x + outer.size.width &&
           inner.origin.y + inner.size.height <= outer.origin.y + outer.size.height;
}

}  // namespace

TEST_F(ParentalGate, AChildsRandomTapsNeverOpenALink) {
    const CGSize win = CCDirector::sharedDirector()->winSize();
    int opened = 0, tapsOnKeys = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        platform::seedRandom(seed);
        KVTParentalGate::ask([&] { ++opened; });
        ASSERT_TRUE(KVTParentalGate::shown());
        std::mt19937 child(seed);
        // Half the children tap anywhere, half mash the number keys.
        const bool masher = seed % 2 == 0;
        for (int t = 0; t < 40 && KVTParentalGate::shown(); ++t) {
            if (masher) {
                tap(gatetaps::keyAt(*KVTParentalGate::shown(), static_cast<int>(child() % 10)));
                ++tapsOnKeys;
            } else {
                tap({static_cast<float>(child() % static_cast<unsigned>(win.width)),
                     static_cast<float>(child() % static_cast<unsigned>(win.height))});
            }
        }
        if (KVTParentalGate::shown()) tap({1, 1});  // beside the card
        ASSERT_FALSE(KVTParentalGate::shown());
    }
    EXPECT_EQ(opened, 0);
    EXPECT_GT(tapsOnKeys, 200);
}

TEST_F(ParentalGate, TheRightNumbersOpenOnceAWrongOneOrATapBesideCloses) {
    int opened = 0;
    auto ask = [&] {
        KVTParentalGate::ask([&] { ++opened; });
        return KVTParentalGate::shown();
    };
    KVTParentalGate* gate = ask();
    ASSERT_TRUE(gate);
    ASSERT_EQ(gate->digits().size(), 4u);
    // The numbers are asked in words, the content's.
    const platform::Value& words = SettingsManager::sharedManager()->settings()["ParentalGate"]["Numbers"];
    std::string asked;
    for (int d : gate->digits()) asked += (asked.empty() ? "" : ", ") + words[d].asString();
    EXPECT_TRUE(std::any_of(gate->labels.begin(), gate->labels.end(), [&](CCLabelTTF* l) { return l->string() == asked; }))
        << asked;
    KVTParentalGate::ask([&] { opened += 100; });
    EXPECT_EQ(KVTParentalGate::shown(), gate) << "one check at a time";

    // A tap on the card between the keys changes nothing.
    const CGRect card = worldBox(gate->card);
    tap({card.origin.x + card.size.width / 2, card.origin.y + card.size.height * 0.75f});
    ASSERT_EQ(KVTParentalGate::shown(), gate);
    ASSERT_TRUE(gatetaps::answer(*harness));
    EXPECT_EQ(opened, 1);
    harness->step(5);
    EXPECT_EQ(opened, 1);

    // Three right numbers and a wrong one: closed, nothing opened.
    gate = ask();
    ASSERT_TRUE(gate);
    const std::vector<int> digits = gate->digits();
    for (int i = 0; i < 3; ++i) tap(gatetaps::keyAt(*gate, digits[static_cast<std::size_t>(i)]));
    ASSERT_EQ(KVTParentalGate::shown(), gate);
    tap(gatetaps::keyAt(*gate, (digits[3] + 1) % 10));
    EXPECT_FALSE(KVTParentalGate::shown());
    EXPECT_EQ(opened, 1);

    // A tap beside the card closes it.
    ASSERT_TRUE(ask());
    tap({card.origin.x - 5, card.origin.y + 5});
    EXPECT_FALSE(KVTParentalGate::shown());
    EXPECT_EQ(opened, 1);
}

TEST_F(ParentalGate, EveryLanguageFitsItsCardOnBothDevicesAndScales) {
    for (const auto& device : {platform::DeviceProfile::tablet(1), platform::DeviceProfile::tablet(2),
                               platform::DeviceProfile::phone(1), platform::DeviceProfile::phone(2)}) {
        CCDirector::sharedDirector()->end();
        boot(device);
        for (const char* lang : {"en", "it", "ru"}) {
            SCOPED_TRACE(std::string(device.idiom == platform::Idiom::Pad ? "tablet" : "phone") + " x" +
                         std::to_string(device.scale) + " " + lang);
            const std::string folder = std::string(lang) == "en" ? "" : std::string(lang) + ".lproj/";  // English is the base
            const auto document = platform::readPropertyListFile(NM_TEST_RESOURCES_DIR "/" + folder + "data1.plist");
            ASSERT_TRUE(document);
            const platform::Value& strings = (*document)["ParentalGate"];
            ASSERT_EQ(strings["Numbers"].size(), 10u);
            // The four longest number words, the longest line the gate can ask.
            std::vector<int> digits{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
            std::stable_sort(digits.begin(), digits.end(), [&](int a, int b) {
                return strings["Numbers"][a].asString().size() > strings["Numbers"][b].asString().size();
            });
            digits.resize(4);
            Ref<KVTParentalGate> gate = KVTParentalGate::gateWithStrings(strings, digits, [] {});
            scene->addChild(gate.get());
            harness->step();
            const CGRect card = worldBox(gate->card);
            EXPECT_TRUE(inside(card, {{0, 0}, CCDirector::sharedDirector()->winSize()}));
            ASSERT_EQ(gate->labels.size(), 4u);
            std::vector<CGRect> taken;
            for (CCSprite* key : gate->keys) {
                EXPECT_TRUE(inside(worldBox(key), card));
                taken.push_back(worldBox(key));
            }
            for (CCLabelTTF* label : gate->labels) {
                if (label->string().empty()) continue;  // the tapped numbers, none yet
                const CGRect box = worldBox(label);
                EXPECT_TRUE(inside(box, inset(card, 8, 4))) << label->string();
                for (const CGRect& other : taken)
                    EXPECT_FALSE(CGRectIntersectsRect(box, other)) << label->string() << " meets another text or a key";
                taken.push_back(box);
            }
            gate->removeFromParentAndCleanup(true);
        }
    }
}

#include "kit/KVTParentalGate.h"

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "engine/CCTextureCache.h"
#include "engine/CCTouchDispatcher.h"
#include "platform/Log.h"
#include "platform/Random.h"

namespace {

// Card points (origin at its lower-left corner), as content/kit/gate_layout.py
// draws the card and keys.
struct Layout {
    CGSize card;
    float title, prompt, words, entered;  // the texts' heights on the card
    float titleSize, promptSize, wordsSize, enteredSize, digitSize;
    float key;                              // a key's side
    float keyRows[2];
    float keyStep;                          // between the five keys of a row
};
constexpr Layout kTablet{{600, 440}, 403, 336, 284, 222, 40, 26, 32, 36, 40, 84, {140, 50}, 100};
constexpr Layout kPhone{{340, 272}, 250, 207, 179, 137, 20, 14, 16, 18, 22, 44, {86, 34}, 60};

const char* const kTitleFont = "P22UndergroundCYPro-Medium";
const char* const kTextFont = "P22UndergroundCYPro-Book";
constexpr ccColor3B kInk{60, 40, 20};
constexpr ccColor3B kWords{40, 110, 20};

KVTParentalGate* current = nullptr;

}  // namespace

bool KVTParentalGate::enabled() {
#ifdef NM_PARENTAL_GATE
    return true;
#else
    return false;
#endif
}

KVTParentalGate* KVTParentalGate::shown() { return current; }

void KVTParentalGate::ask(std::function<void()> passed, std::function<void()> gone) {
    if (!enabled()) {
        if (gone) gone();
        return passed();
    }
    CCScene* scene = CCDirector::sharedDirector()->runningScene();
    if (current || !scene) return;
    std::vector<int> digits;
    for (int i = 0; i < kDigits; ++i) digits.push_back(platform::randomBelow(10));
    Ref<KVTParentalGate> gate =
        gateWithStrings(SettingsManager::sharedManager()->settings()["ParentalGate"], digits, std::move(passed));
    gate->gone_ = std::move(gone);
    scene->addChild(gate.get(), 100000);
    current = gate.get();
}

Ref<KVTParentalGate> KVTParentalGate::gateWithStrings(const platform::Value& strings, std::vector<int> digits,
                                                      std::function<void()> passed) {
    Ref<KVTParentalGate> gate(new KVTParentalGate);
    gate->init();
    gate->digits_ = std::move(digits);
    gate->passed_ = std::move(passed);
    const bool pad = KVTAppUtils::isPad();
    const Layout& l = pad ? kTablet : kPhone;
    const CGSize win = CCDirector::sharedDirector()->winSize();
    const std::string suffix = pad ? "~ipad.png" : "~iphone.png";

    // The feedback form's dimmer: the scene stays in sight, quieter.
    if (Ref<CCTexture2D> dot = CCTextureCache::sharedTextureCache()->addImage("feedback-dot.png")) {
        Ref<CCSprite> dimmer = CCSprite::spriteWithTexture(dot.get(), CGRectMake(0, 0, win.width, win.height));
        dimmer->setAnchorPoint({0, 0});
        gate->addChild(dimmer.get(), -1);
    }
    Ref<CCSprite> card = CCSprite::spriteWithFile("gate-card" + suffix);
    if (!card) {
        // Without its card the check still works: an empty node of the card's size.
        platform::log("parental gate: no card picture; the check is drawn without it");
        card = CCSprite::node();
        card->setContentSize(l.card);
    }
    card->setPosition({win.width / 2, win.height / 2});
    gate->addChild(card.get());
    gate->card = card.get();

    auto text = [&](const std::string& string, const char* font, float size, ccColor3B color, float y) {
        Ref<CCLabelTTF> label = CCLabelTTF::labelWithString(string, font, size);
        if (!label) return static_cast<CCLabelTTF*>(nullptr);
        label->setColor(color);
        label->setPosition({l.card.width / 2, y});
        card->addChild(label.get(), 1);
        gate->labels.push_back(label.get());
        return label.get();
    };
    std::string words;
    for (int d : gate->digits_) {
        const std::string& word = strings["Numbers"][d].asString();
        // Digits in their place would let a child who knows them through: the
        // check stays closed to everyone instead.
        if (word.empty()) platform::log("parental gate: the content names no word for %d; it cannot be passed", d);
        words += (words.empty() ? "" : ", ") + word;
    }
    text(strings["Title"].asString(), kTitleFont, l.titleSize, ccWHITE, l.title);
    text(strings["Prompt"].asString(), kTextFont, l.promptSize, kInk, l.prompt);
    text(words, kTitleFont, l.wordsSize, kWords, l.words);
    gate->entered_ = text("", kTitleFont, l.enteredSize, kInk, l.entered);

    for (int digit = 0; digit < 10; ++digit) {
        Ref<CCSprite> key = CCSprite::spriteWithFile("gate-key" + suffix);
        if (!key) {
            key = CCSprite::node();
            key->setContentSize({l.key, l.key});
        }
        // 1 to 5 above, 6 to 9 and 0 below, as on a telephone's two rows.
        const int at = (digit + 9) % 10;
        key->setPosition({l.card.width / 2 + (at % 5 - 2) * l.keyStep, l.keyRows[at / 5]});
        card->addChild(key.get(), 1);
        if (Ref<CCLabelTTF> label = CCLabelTTF::labelWithString(std::to_string(digit), kTitleFont, l.digitSize)) {
            label->setPosition({key->contentSize().width / 2, key->contentSize().height / 2});
            key->addChild(label.get());
        }
        gate->keys.push_back(key.get());
    }
    gate->setIsTouchEnabled(true);
    return gate;
}

void KVTParentalGate::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, kTouchPriority, true);
}

// Every touch is the check's while it is shown: nothing below reacts.
bool KVTParentalGate::ccTouchBegan(UITouch*, void*) { return true; }

void KVTParentalGate::ccTouchEnded(UITouch* touch, void*) {
    const CGPoint p = CCDirector::sharedDirector()->convertTouchToGL(touch);
    if (!CGRectContainsPoint(card->boundingBox(), p)) return close();
    const CGPoint q = card->convertToNodeSpace(p);
    for (int digit = 0; digit < 10; ++digit)
        if (CGRectContainsPoint(keys[digit]->boundingBox(), q)) return press(digit);
}

void KVTParentalGate::press(int digit) {
    KVSoundManager::sharedManager()->playButtonSound();
    if (digit != digits_[typed_]) {
        platform::log("parental gate: a wrong number; closed");
        return close();
    }
    ++typed_;
    if (entered_) entered_->setString(entered_->string() + (typed_ > 1 ? " " : "") + std::to_string(digit));
    if (typed_ < kDigits) return;
    platform::log("parental gate: passed");
    auto passed = std::move(passed_);
    close();
    if (passed) passed();
}

void KVTParentalGate::close() {
    Ref<KVTParentalGate> keep(this);  // removing it from the scene may release it
    if (current == this) current = nullptr;
    removeFromParentAndCleanup(true);
    if (auto gone = std::move(gone_)) gone();
}

void KVTParentalGate::onExit() {
    if (current == this) current = nullptr;
    CCLayer::onExit();
}

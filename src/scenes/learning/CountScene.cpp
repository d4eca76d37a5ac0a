#include "scenes/learning/CountScene.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "platform/Log.h"
#include "platform/Random.h"
#include "scenes/learning/PackedPositions.h"

namespace {

constexpr int kNoKind = 100;
constexpr int kChoices = 5;
constexpr int kBallCount = 3;
constexpr int kCaptionZ = 2000;
constexpr int kNumberZ = 100;

// The kind shown by the previous question, over all count scenes of the run.
int previousKind = kNoKind;

const platform::Value& countSettings() { return SettingsManager::sharedManager()->settings()["CountAnimal"]; }

CGPoint toGL(UITouch* touch) { return CCDirector::sharedDirector()->convertTouchToGL(touch); }

}  // namespace

void CountScene::registerWithReader() {
    CCBClassBuilder<CountScene>("CountScene")
        .member("mainLayer", &CountScene::mainLayer)
        .member("buttonBack", &CountScene::buttonBack)
        .member("buttonSound", &CountScene::buttonSound)
        .member("label", &CountScene::label)
        .add();
}

Ref<CCScene> CountScene::scene() { return sceneWithLayout("count-animal.ccb"); }

int CountScene::drawKind(int& previous) {
    int k = 0;
    do {
        k = platform::randomBelow(9) + 1;
    } while (k == previous);
    previous = k;
    // There is no second kind to show: a drawn 2 shows the first.
    return k == 2 ? 1 : k;
}

std::array<int, 5> CountScene::drawChoices(int n) {
    std::array<int, kChoices> choices{};
    for (int i = 0; i < kChoices; ++i) choices[i] = n <= 5 ? n + i : n - i;
    for (int swaps = 0; swaps < kChoices; ++swaps) {
        const int i = platform::randomBelow(kChoices);
        const int j = platform::randomBelow(kChoices);
        std::swap(choices[i], choices[j]);
    }
    return choices;
}

void CountScene::didLoadFromCCB() {
    KVSoundManager::sharedManager()->setBackgroundMusic("bg-game.mp3");
    buttons.setUp(this, buttonBack, buttonSound);
    previousKind = kNoKind;
    stopAllActions();
    if (label) platform::log("%d", label->tag());

    const bool pad = KVTAppUtils::isPad();
    const CGSize win = CCDirector::sharedDirector()->winSize();
    const CGPoint captionPlace{win.width / 2, pad ? 590.0f : 255.0f};

    setIsTouchEnabled(true);
    clouds.setUp(this);
    balls.clear();
    for (int tag = 1; tag <= kBallCount && mainLayer; ++tag) {
        if (auto* b = dynamic_cast<CCSprite*>(mainLayer->getChildByTag(tag))) balls.push_back(b);
    }
    ballIsTouched = false;

    Ref<CCLabelTTF> caption = CCLabelTTF::labelWithString("", "P22UndergroundCYPro-Book", pad ? 30 : 14);
    if (caption) {
        mainLabel = caption.get();
        mainLabel->setPosition(captionPlace);
        mainLabel->setColor(ccc3(255, 255, 255));
        addChild(mainLabel, kCaptionZ);
    }
    Numbers.clear();
    for (int i = 0; i < kChoices; ++i) {
        Ref<CCLabelTTF> number = CCLabelTTF::labelWithString("", "P22UndergroundCYPro-Book", pad ? 90 : 42);
        if (!number) continue;
        number->setColor(ccc3(255, 255, 255));
        addChild(number.get(), kNumberZ);
        Numbers.push_back(number.get());
    }
    enableResetGame = false;
    resetGame();
}

void CountScene::resetGame() {
    enableResetGame = false;
    stopAllActions();
    const bool pad = KVTAppUtils::isPad();
    const float w = CCDirector::sharedDirector()->winSize().width;

    for (CCSprite* animal : animals) animal->removeFromParentAndCleanup(true);
    animals.clear();

    const int k = drawKind(previousKind);
    const int n = platform::randomBelow(9) + 1;
    rightAnswer = n;
    const std::array<int, kChoices> choices = drawChoices(n);

    const platform::Value& settings = countSettings();
    const platform::Value& places = settings[pad ? "LabelPositions" : "LabelPositions-iphone"];
    for (std::size_t j = 0; j < Numbers.size(); ++j) {
        CCLabelTTF* number = Numbers[j];
        number->setOpacity(0);
        number->setRotation(0);
        number->stopAllActions();
        number->setPosition(unpackPoint(places[j].asInt()));
        char text[16];
        std::snprintf(text, sizeof text, "%d", choices[j]);
        number->setString(text);
        number->setTag(choices[j]);
    }
    if (mainLabel) mainLabel->setString(settings["Strings"][k - 1].asString());

    const platform::Value& layout = settings["Positions"][k == 1 ? 0 : 1][n - 1];
    if (layout.size() != static_cast<std::size_t>(n)) {
        platform::log("count: the layout for %d animals of kind %d places %zu", n, k, layout.size());
    }
    const bool mirrored = (platform::arc4random() & 1) != 0;
    char file[32];
    std::snprintf(file, sizeof file, "animal%d.png", k);
    const std::string animalFile = KVTAppUtils::realFileName(file);
    for (const platform::Value& packed : layout.asArray()) {
        Ref<CCSprite> animal = CCSprite::spriteWithFile(animalFile);
        if (!animal) continue;
        PackedAnimal a = unpackCountAnimal(packed.asInt(), pad);
        animal->setScale(a.z == 5 ? 0.8f : a.z == 3 ? 0.6f : 1.0f);
        animal->setPosition(a.position);
        animal->setFlipX(a.flipX);
        animal->setAnchorPoint({0.5f, 0});
        animal->setOpacity(0);
        if (mirrored) {
            animal->setFlipX(!a.flipX);
            animal->setPosition({w - a.position.x, a.position.y});
        }
        if (mainLayer) mainLayer->addChild(animal.get(), a.z);
        animals.push_back(animal.get());
    }

    auto appear = CCCallBlock::actionWithBlock([this] {
        animalsApear();
        numbersApear();
    });
    auto ask = CCCallBlock::actionWithBlock([k] {
        KVSoundManager* sound = KVSoundManager::sharedManager();
        sound->stopSound();
        sound->stopVoice();
        sound->playSound(countSettings()["Voices"][k - 1].asString());
    });
    runAction(CCSequence::actions({appear.get(), CCDelayTime::actionWithDuration(0.5f).get(), ask.get()}).get());
}

void CountScene::animalsApear() {
    const std::vector<std::size_t> order = randomOrder(animals.size());
    for (std::size_t j = 0; j < order.size(); ++j) {
        animals[order[j]]->runAction(
            CCSequence::actions({CCDelayTime::actionWithDuration(0.1f * static_cast<float>(j)).get(),
                                 CCFadeIn::actionWithDuration(0.1f).get()})
                .get());
    }
}

void CountScene::numbersApear() { dropInRandomOrder(Numbers, KVTAppUtils::isPad() ? CGPoint{0, -55} : CGPoint{0, -30}); }

void CountScene::NumberFlyAway(CCLabelTTF* number) {
    const int a = platform::randomBelow(200);
    const int dy = platform::randomBelow(200) + 50;
    const bool left = (platform::arc4random() & 1) != 0;
    const float dx = left ? -150.0f - static_cast<float>(a) : 150.0f + static_cast<float>(a);
    number->runAction(CCSpawn::actions({CCJumpBy::actionWithDuration(0.8f, {dx, static_cast<float>(dy)}, 200, 1).get(),
                                        CCFadeOut::actionWithDuration(0.8f).get(),
                                        CCRotateBy::actionWithDuration(0.8f, left ? -360.0f : 360.0f).get()})
                          .get());
}

void CountScene::endGame(CCLabelTTF* right) {
    right->runAction(CCJumpBy::actionWithDuration(0.8f, {0, 0}, 10, 3).get());
    for (CCLabelTTF* number : Numbers) {
        if (number->tag() != -1) NumberFlyAway(number);
    }
    enableResetGame = true;
    auto praise = CCCallBlock::actionWithBlock([] {
        const platform::Value& good = SettingsManager::sharedManager()->settings()["VoicesGood"];
        KVSoundManager::sharedManager()->playSound(good[platform::randomBelow(3)].asString());
    });
    auto again = CCCallBlock::actionWithBlock([this] { resetGame(); });
    runAction(CCSequence::actions({CCDelayTime::actionWithDuration(1.0f).get(), praise.get(),
                                   CCDelayTime::actionWithDuration(1.0f).get(), again.get()})
                  .get());
}

void CountScene::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, 10, true);
}

bool CountScene::ccTouchBegan(UITouch* touch, void*) {
    const CGPoint p = toGL(touch);
    if (buttons.backTapped(p) || buttons.musicTapped(p)) return true;

    const bool pad = KVTAppUtils::isPad();
    KVSoundManager* sound = KVSoundManager::sharedManager();
    for (CCLabelTTF* number : Numbers) {
        if (number->tag() == -1) continue;
        const float x = number->position().x;
        const CGRect band = pad ? CGRectMake(x - 50, 20, 100, 65) : CGRectMake(x - 40, 0, 80, 60);
        const bool hit = nodeContains(number, p) || CGRectContainsPoint(band, p);
        // Still dropping in: not yet a choice.
        if (!hit || number->numberOfRunningActions() != 0) continue;
        const int shown = number->tag();
        number->setTag(-1);
        if (shown == rightAnswer) {
            sound->playVoice("soundrightansweraaa.mp3");
            endGame(number);
            return true;
        }
        sound->playVoice("soundwronganswer.mp3");
        NumberFlyAway(number);
    }

    if (clouds.grab(p)) return true;
    for (auto it = balls.rbegin(); it != balls.rend(); ++it) {
        if (nodeContains(*it, p)) {
            ball = *it;
            ballIsTouched = true;
            ball->stopAllActions();
            break;
        }
    }
    return true;
}

void CountScene::ccTouchMoved(UITouch* touch, void*) {
    const CGPoint c = toGL(touch);
    if (clouds.drag(c)) return;
    if (!ballIsTouched || !ball) return;
    const platform::Point previous = touch->previousLocationInView();
    const CGPoint p = CCDirector::sharedDirector()->convertToGL({previous.x, previous.y});
    ball->setPosition(c);
    // The ball rolls the way it is pushed.
    const float dx = c.x - p.x, dy = c.y - p.y;
    const float d = static_cast<float>(static_cast<int>(std::hypot(dx, dy)));
    if (dx > dy / 2)
        ball->setRotation(ball->rotation() + (dx > 0 ? d : -d));
    else
        ball->setRotation(ball->rotation() + (dy > 0 ? d : -d));
}

void CountScene::ccTouchEnded(UITouch*, void*) {
    clouds.release();
    ballIsTouched = false;
    ball = nullptr;
}

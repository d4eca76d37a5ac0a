#include "scenes/learning/LearnScene.h"

#include <cstdio>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"
#include "scenes/learning/PackedPositions.h"

namespace {

constexpr int kPages = 10;
constexpr int kAnimalTag = 200;
constexpr int kCaptionZ = 20;

const platform::Value& settings() { return SettingsManager::sharedManager()->settings(); }

std::string numbered(const char* pattern, int n) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, n);
    return KVTAppUtils::realFileName(name);
}

CGPoint toGL(UITouch* touch) { return CCDirector::sharedDirector()->convertTouchToGL(touch); }

}  // namespace

void LearnScene::registerWithReader() {
    CCBClassBuilder<LearnScene>("LearnScene")
        .member("curMenuItem", &LearnScene::curMenuItem)
        .member("distance", &LearnScene::distance)
        .member("menuNumbers", &LearnScene::menuNumbers)
        .member("labelPos", &LearnScene::labelPos)
        .member("numberPos", &LearnScene::numberPos)
        .member("buttonBack", &LearnScene::buttonBack)
        .member("buttonSound", &LearnScene::buttonSound)
        .add();
}

Ref<CCScene> LearnScene::scene() { return sceneWithLayout("learn-scene.ccb"); }

float LearnScene::windowWidth() const { return CCDirector::sharedDirector()->winSize().width; }

void LearnScene::didLoadFromCCB() {
    KVSoundManager::sharedManager()->setBackgroundMusic("bg-game.mp3");
    buttons.setUp(this, buttonBack, buttonSound);
    setIsTouchEnabled(true);
    pages.collect(this, 1, 3);
    clouds.setUp(this);

    layerDrag = false;
    cur = 1;
    next = 2;
    prev = 3;
    const bool pad = KVTAppUtils::isPad();
    numRect = pad ? CGRectMake(625, 130, 275, 490) : CGRectMake(280, 50, 161, 196);
    anRect = pad ? CGRectMake(160, 180, 350, 380) : CGRectMake(63, 69, 194, 162);

    if (distance && curMenuItem) length = static_cast<int>(distance->position().x - curMenuItem->position().x);
    if (curMenuItem) menuStartPos = curMenuItem->position();
    curIndex = 1;

    Ref<CCLabelTTF> caption = CCLabelTTF::labelWithString("", "P22UndergroundCYPro-Book", pad ? 30 : 15);
    if (caption) {
        label = caption.get();
        if (labelPos) label->setPosition(labelPos->position());
        label->setColor(ccc3(255, 255, 255));
        addChild(label, kCaptionZ);
    }
    setCaption(curIndex);

    loadLayer(cur, 0, curIndex);
    loadLayer(next, 1, curIndex + 1);
    loadLayer(prev, -1, curIndex - 1);

    runAction(CCSequence::actions({CCDelayTime::actionWithDuration(1.0f).get(), CCCallBlock::actionWithBlock([this] {
                                       playNumber();
                                   }).get()})
                  .get());
}

void LearnScene::setCaption(int num) {
    if (label) label->setString(settings()["LearnSceneStrings"][num].asString());
}

void LearnScene::playNumber() {
    KVSoundManager::sharedManager()->playVoice(settings()["VoiceNumbers"][curIndex].asString());
}

void LearnScene::loadLayer(int tag, int layerPosition, int num) {
    CCNode* layer = page(tag);
    if (!layer) return;
    layer->removeAllChildrenWithCleanup(true);
    layer->setPosition({windowWidth() * static_cast<float>(layerPosition), 0});
    if (num < 1 || num > kPages) return;

    Ref<CCSprite> digit = CCSprite::spriteWithFile(numbered("num%d.png", num));
    if (digit) {
        if (numberPos) digit->setPosition(numberPos->position());
        layer->addChild(digit.get());
    }

    const platform::Value& layout = settings()[KVTAppUtils::isPad() ? "Positions" : "Positions-Iphone"][num];
    const float scale = layout["Scale"].asFloat();
    const std::string animalFile = numbered("animal%d.png", num);
    for (const PackedAnimal& a : unpackLearnLayout(layout, num)) {
        Ref<CCSprite> animal = CCSprite::spriteWithFile(animalFile);
        if (!animal) continue;
        animal->setScale(scale);
        animal->setPosition(a.position);
        animal->setFlipX(a.flipX);
        layer->addChild(animal.get(), 0, kAnimalTag);
    }
}

void LearnScene::placePages(float dx) {
    const float w = windowWidth();
    if (CCNode* c = page(cur)) c->setPosition({dx, 0});
    if (CCNode* n = page(next)) n->setPosition({dx + w, 0});
    if (CCNode* p = page(prev)) p->setPosition({dx - w, 0});
}

void LearnScene::turnPage(int t) {
    stopAllActions();
    KVSoundManager* sound = KVSoundManager::sharedManager();
    sound->stopSound();
    sound->playSound("soundpageturn.mp3");
    const bool back = t < curIndex;
    if (t - curIndex != 1 && curIndex - t != 1) {
        if (back)
            loadLayer(prev, -1, t);
        else
            loadLayer(next, 1, t);
    }
    setIsTouchEnabled(false);

    const float w = windowWidth();
    auto slide = CCCallBlock::actionWithBlock([this, t, back, w] {
        if (CCNode* c = page(cur)) c->runAction(CCMoveTo::actionWithDuration(0.2f, {back ? w : -w, 0}).get());
        if (CCNode* in = page(back ? prev : next)) in->runAction(CCMoveTo::actionWithDuration(0.2f, {0, 0}).get());
        if (curMenuItem) {
            const int x = static_cast<int>(menuStartPos.x) + (t - 1) * length;
            curMenuItem->runAction(CCMoveTo::actionWithDuration(0.2f, {static_cast<float>(x), menuStartPos.y}).get());
        }
    });
    auto settle = CCCallBlock::actionWithBlock([this, t, back] {
        const int oldCur = cur, oldNext = next, oldPrev = prev;
        if (back) {
            cur = oldPrev;
            next = oldCur;
            prev = oldNext;
        } else {
            prev = oldCur;
            cur = oldNext;
            next = oldPrev;
        }
        setIsTouchEnabled(true);
        curIndex = t;
        loadLayer(next, 1, t + 1);
        loadLayer(prev, -1, t - 1);
        setCaption(t);
    });
    auto speak = CCCallBlock::actionWithBlock([t] {
        KVSoundManager::sharedManager()->playVoice(settings()["VoiceNumbers"][t].asString());
    });
    runAction(CCSequence::actions({slide.get(), CCDelayTime::actionWithDuration(0.5f).get(), settle.get(),
                                   CCDelayTime::actionWithDuration(0.5f).get(), speak.get()})
                  .get());
}

bool LearnScene::moveToNearPage() {
    stopAllActions();
    CCNode* current = page(cur);
    const int x = current ? static_cast<int>(current->position().x) : 0;
    const float w = windowWidth();
    const bool pulledOut = (curIndex == 1 && x > 0) || (curIndex == kPages && x < 0);
    if (std::abs(x) >= w / 8 && !pulledOut) {
        turnPage(x > 0 ? curIndex - 1 : curIndex + 1);
        return true;
    }
    auto snap = CCCallBlock::actionWithBlock([this, w] {
        setIsTouchEnabled(false);
        if (CCNode* c = page(cur)) c->runAction(CCMoveTo::actionWithDuration(0.2f, {0, 0}).get());
        if (CCNode* n = page(next)) n->runAction(CCMoveTo::actionWithDuration(0.2f, {w, 0}).get());
        if (CCNode* p = page(prev)) p->runAction(CCMoveTo::actionWithDuration(0.2f, {-w, 0}).get());
    });
    auto release = CCCallBlock::actionWithBlock([this] { setIsTouchEnabled(true); });
    runAction(CCSequence::actions({snap.get(), CCDelayTime::actionWithDuration(0.2f).get(), release.get()}).get());
    return pulledOut;
}

void LearnScene::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, 10, true);
}

bool LearnScene::ccTouchBegan(UITouch* touch, void*) {
    const CGPoint p = toGL(touch);
    if (nodeContains(menuNumbers, p)) {
        // The strip's slots: the first ends half a spacing right of the marker's start.
        int boundary = static_cast<int>(menuStartPos.x + static_cast<float>(length / 2));
        for (int i = 1; i <= kPages; ++i, boundary += length) {
            if (p.x < static_cast<float>(boundary)) {
                if (i != curIndex) {
                    KVSoundManager::sharedManager()->stopSound();
                    turnPage(i);
                }
                break;
            }
        }
        return true;
    }
    if (buttons.backTapped(p)) return true;
    if (buttons.musicTapped(p)) {
        if (KVSoundManager::sharedManager()->musicEnabled()) soundEnable = true;
        return true;
    }
    if (clouds.grab(p)) return true;
    layerDrag = true;
    curLocation = p;
    return true;
}

void LearnScene::ccTouchMoved(UITouch* touch, void*) {
    const CGPoint p = toGL(touch);
    if (clouds.drag(p)) return;
    if (layerDrag) placePages(static_cast<float>(static_cast<int>(p.x - curLocation.x)));
}

void LearnScene::ccTouchEnded(UITouch* touch, void*) {
    if (clouds.release()) return;
    if (layerDrag) {
        layerDrag = false;
        if (moveToNearPage()) return;
    }
    const CGPoint p = toGL(touch);
    KVSoundManager* sound = KVSoundManager::sharedManager();
    if (CGRectContainsPoint(numRect, p)) {
        stopAllActions();
        moveToNearPage();
        sound->stopSound();
        playNumber();
    } else if (CGRectContainsPoint(anRect, p)) {
        stopAllActions();
        moveToNearPage();
        if (curIndex < kPages) {
            sound->playVoice(settings()["VoiceAnimals"][curIndex].asString());
            return;
        }
        // Page 10: the next bird still on the page flies away.
        sound->playSound("bird.mp3");
        CCNode* layer = page(cur);
        auto* bird = layer ? dynamic_cast<CCSprite*>(layer->getChildByTag(kAnimalTag)) : nullptr;
        if (!bird) return;
        if (CCTexture2D* flying = CCTextureCache::sharedTextureCache()->addImage(numbered("animal%d.png", 11)))
            bird->setTexture(flying);
        bird->runAction(
            CCSequence::actions(
                {CCDelayTime::actionWithDuration(0.5f).get(),
                 CCCallBlock::actionWithBlock([bird] { bird->setFlipX(true); }).get(),
                 CCSpawn::actions({CCJumpBy::actionWithDuration(0.5f, {-500, 150}, 150, 1).get(),
                                   CCFadeTo::actionWithDuration(0.5f, 0).get()})
                     .get(),
                 CCFadeTo::actionWithDuration(0.5f, 0).get(), CCCallBlock::actionWithBlock([bird] {
                     bird->removeFromParentAndCleanup(true);
                     KVSoundManager::sharedManager()->stopSound();
                 }).get()})
                .get());
    }
}

#include "scenes/common/ActivityControls.h"

#include <numeric>
#include <utility>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"
#include "platform/Random.h"
#include "scenefile/CCBReader.h"
#include "scenes/learning/MyAnimation.h"
#include "scenes/menu/IntroScene.h"

namespace {

constexpr int kFirstCloudTag = 20;
constexpr int kCloudCount = 5;

void showMusicButton(CCSprite* button, bool on) {
    if (!button) return;
    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(
        KVTAppUtils::realFileName(on ? "button_sound_on.png" : "button_sound_off.png"));
    if (texture) button->setTexture(texture);
}

}  // namespace

std::vector<std::size_t> randomOrder(std::size_t count) {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    const int n = static_cast<int>(count);
    for (std::size_t k = 0; k < count; ++k) {
        const int i = platform::randomBelow(n);
        const int j = platform::randomBelow(n);
        std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
    }
    return order;
}

void dropInRandomOrder(const std::vector<CCLabelTTF*>& labels, CGPoint drop) {
    const std::vector<std::size_t> order = randomOrder(labels.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        labels[order[k]]->runAction(
            CCSequence::actions({CCDelayTime::actionWithDuration(0.1f * static_cast<float>(k)).get(),
                                 CCSpawn::actions({CCFadeIn::actionWithDuration(0.3f).get(),
                                                   CCMoveBy::actionWithDuration(0.3f, drop).get()})
                                     .get()})
                .get());
    }
}

Ref<CCScene> sceneWithLayout(const std::string& file) {
    Ref<CCScene> scene = CCScene::node();
    Ref<CCNode> root = CCBReader::nodeGraphFromFile(KVTAppUtils::realFileName(file));
    if (root) scene->addChild(root.get());
    return scene;
}

void pressButton(CCNode* scene, CCSprite* button, std::function<void()> then) {
    scene->runAction(CCSequence::actions({CCCallBlock::actionWithBlock([button] {
                                              KVSoundManager::sharedManager()->playButtonSound();
                                              button->runAction(CCScaleTo::actionWithDuration(0.01f, 0.9f).get());
                                          }).get(),
                                          CCDelayTime::actionWithDuration(0.1f).get(),
                                          CCCallBlock::actionWithBlock(std::move(then)).get()})
                         .get());
}

bool nodeContains(const CCNode* node, CGPoint p) { return node && CGRectContainsPoint(node->boundingBox(), p); }

void TaggedChildren::collect(const CCNode* parent, int firstTag, int lastTag) {
    nodes_.clear();
    for (int tag = firstTag; tag <= lastTag; ++tag)
        if (CCNode* child = parent->getChildByTag(tag)) nodes_[tag] = child;
}

CCNode* TaggedChildren::operator[](int tag) const {
    auto it = nodes_.find(tag);
    return it == nodes_.end() ? nullptr : it->second;
}

void DraggableClouds::setUp(CCNode* layer) {
    clouds.clear();
    for (int tag = kFirstCloudTag; tag < kFirstCloudTag + kCloudCount && layer; ++tag) {
        if (auto* c = dynamic_cast<CCSprite*>(layer->getChildByTag(tag))) {
            MyAnimation::moveLeftForever(c, 1.0f);
            clouds.push_back(c);
        }
    }
    cloud = nullptr;
    cloudIsTouched = false;
}

bool DraggableClouds::grab(CGPoint p) {
    // The last one is drawn on top: it is the one under the finger.
    for (auto it = clouds.rbegin(); it != clouds.rend(); ++it) {
        if (nodeContains(*it, p)) {
            cloud = *it;
            cloudIsTouched = true;
            cloud->stopAllActions();
            return true;
        }
    }
    return false;
}

bool DraggableClouds::drag(CGPoint p) {
    if (!cloudIsTouched || !cloud) return false;
    cloud->setPosition({p.x, cloud->position().y});
    return true;
}

bool DraggableClouds::release() {
    if (!cloudIsTouched) return false;
    cloudIsTouched = false;
    if (cloud) MyAnimation::moveLeftForever(cloud, static_cast<float>(30 + 7 * platform::randomBelow(5)));
    cloud = nullptr;
    return true;
}

void ActivityButtons::setUp(CCLayer* scene, CCSprite* buttonBack, CCSprite* buttonSound) {
    scene_ = scene;
    buttonBack_ = buttonBack;
    buttonSound_ = buttonSound;
    if (!KVSoundManager::sharedManager()->musicEnabled()) showMusicButton(buttonSound_, false);
}

bool ActivityButtons::backTapped(CGPoint p) {
    if (!scene_ || !nodeContains(buttonBack_, p) || !buttonBack_->isVisible()) return false;
    pressButton(scene_, buttonBack_,
                [] { CCDirector::sharedDirector()->replaceScene(IntroScene::scene().get()); });
    return true;
}

bool ActivityButtons::musicTapped(CGPoint p) {
    if (!nodeContains(buttonSound_, p) || !buttonSound_->isVisible()) return false;
    KVSoundManager* sound = KVSoundManager::sharedManager();
    const bool wasOn = sound->musicEnabled();
    sound->setMusicEnabled(!wasOn);
    showMusicButton(buttonSound_, !wasOn);
    return true;
}

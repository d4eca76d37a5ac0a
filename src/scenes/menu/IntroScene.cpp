#include "scenes/menu/IntroScene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "engine/CCDirector.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCRenderer.h"
#include "kit/KVTAdvertBannerLayer.h"
#include "kit/KVTAppCatalog.h"
#include "kit/KVTFeedbackLayer.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"
#include "scenes/draw/DrawScene.h"
#include "scenes/game/GameScene.h"
#include "scenes/learning/CountScene.h"
#include "scenes/learning/LearnScene.h"
#include "scenes/learning/MyAnimation.h"

namespace {

constexpr int kFirstSheepTag = 30;
constexpr int kSheepHeadTag = 1;
constexpr int kCaptionZ = 30;
constexpr int kCaptionedButtons = 4;

// The frog's places by tag, in tablet points.
constexpr CGPoint kFrogTargets[10] = {{893, 543}, {815, 592}, {688, 590}, {362, 570}, {120, 587},
                                      {236, 426}, {321, 305}, {538, 376}, {781, 328}, {956, 425}};

// The perching birds' perches by tag: tablet, then phone.
constexpr CGPoint kBird1Perches[2][3] = {{{894, 658}, {970, 667}, {922, 639}}, {{424, 252}, {454, 270}, {472, 254}}};
constexpr CGPoint kBird2Perches[2][3] = {{{978, 624}, {921, 607}, {877, 628}}, {{470, 239}, {450, 231}, {420, 240}}};

bool contains(CCNode* node, CGPoint p) { return nodeContains(node, p); }

int device() { return KVTAppUtils::isPad() ? 0 : 1; }

CGPoint toGL(UITouch* touch) { return CCDirector::sharedDirector()->convertTouchToGL(touch); }

}  // namespace

void IntroScene::registerWithReader() {
    CCBClassBuilder<IntroScene>("IntroScene")
        .member("water", &IntroScene::water)
        .member("fountain", &IntroScene::fountain)
        .member("bird1", &IntroScene::bird1)
        .member("bird2", &IntroScene::bird2)
        .member("bird3", &IntroScene::bird3)
        .member("butterfly", &IntroScene::butterfly)
        .member("frog", &IntroScene::frog)
        .member("mainMenu", &IntroScene::mainMenu)
        .selector("menuItemClick:", &IntroScene::menuItemClick)
        .selector("bannerClick", &IntroScene::bannerClick)
        .add();
}

Ref<CCScene> IntroScene::sceneWithFirstStart(bool firstStart) {
    Ref<CCScene> scene = CCScene::node();
    Ref<CCNode> root = CCBReader::nodeGraphFromFile(KVTAppUtils::realFileName("main-menu.ccb"));
    if (!root) return scene;  // the reader has logged why; an empty scene beats a crash
    if (auto* menu = dynamic_cast<IntroScene*>(root.get())) {
        menu->addKitLayers();
        menu->setFirstStart(firstStart);
    } else {
        platform::log("main menu: the scene file's root is not the menu");
    }
    scene->addChild(root.get());
    return scene;
}

Ref<CCScene> IntroScene::scene() { return sceneWithFirstStart(false); }

IntroScene::~IntroScene() {
    // The video player does not own its delegate: never leave it pointing here.
    if (isVideoDelegate_) VideoPlayer::setDelegate(nullptr);
}

void IntroScene::didLoadFromCCB() {
    if (water) water->resetSystem();
    if (fountain) fountain->setTag(1);

    setVisible(false);
    setIsTouchEnabled(true);
    KVSoundManager::sharedManager()->setSoundEnabled(true);

    clouds.setUp(this);

    for (int tag = kFirstSheepTag; tag < kFirstSheepTag + 3; ++tag) {
        if (auto* sheep = dynamic_cast<CCSprite*>(getChildByTag(tag))) {
            sheep->setTag(1);
            sheeps.push_back(sheep);
        }
    }

    if (bird3) MyAnimation::birdAnimation(bird3, 7.0f);

    // Captions: Italian words are longer, so their letters are smaller.
    bool pad = KVTAppUtils::isPad();
    bool italian = platform::UserDefaults::standard().objectForKey("AppleLanguages")[0].asString() == "it";
    int size = pad ? (italian ? 24 : 31) : (italian ? 11 : 14);
    platform::log("%d", size);
    const platform::Value& captions = SettingsManager::sharedManager()->settings()["MainMenuStrings"];
    for (int i = 0; i < kCaptionedButtons && mainMenu; ++i) {
        CCNode* button = mainMenu->getChildByTag(i + 1);
        if (!button) continue;
        const std::string& text = captions[i].asString();
        Ref<CCLabelTTF> face = CCLabelTTF::labelWithString(text, "P22UndergroundCYPro-Medium", size);
        Ref<CCLabelTTF> shadow = CCLabelTTF::labelWithString(text, "P22UndergroundCYPro-Medium", size);
        if (!face || !shadow) continue;
        shadow->setColor(ccc3(67, 106, 9));
        CGPoint b = button->position();
        face->setPosition(pad ? CGPoint{b.x, b.y - 5} : CGPoint{b.x, b.y - 2});
        CGPoint f = face->position();
        shadow->setPosition(pad ? CGPoint{f.x + 1, f.y - 2} : CGPoint{f.x + 1, f.y - 1});
        addChild(shadow.get(), kCaptionZ);
        addChild(face.get(), kCaptionZ);
    }

    bird1Rect = pad ? CGRectMake(865, 626, 130, 70) : CGRectMake(413, 245, 67, 35);
    bird2Rect = pad ? CGRectMake(865, 566, 130, 60) : CGRectMake(413, 224, 67, 21);
}

void IntroScene::onEnter() {
    if (firstStart_) {
        firstStart_ = false;
        VideoPlayer::setDelegate(this);
        isVideoDelegate_ = true;
        VideoPlayer::playMovieWithFile("logo-animated" + KVTAppUtils::deviceDependentFileSuffix() + ".mp4");
        updateVideoOrientation();
    } else {
        CCDirector::sharedDirector()->purgeCachedData();
        KVSoundManager* sound = KVSoundManager::sharedManager();
        sound->setBackgroundMusic("bg-music.mp3");
        sound->setMusicEnabled(SettingsManager::sharedManager()->musicEnabled());
        if (advertBannerLayer) advertBannerLayer->setCanShowAnimation(true);
        setVisible(true);
    }
    CCLayer::onEnter();
}

void IntroScene::movieStartsPlaying() {
    // Held until then, so a menu replaced meanwhile is still there to show.
    Ref<IntroScene> self(this);
    platform::performAfterDelay(1.0, [self] { self->showMe(); });
}

void IntroScene::moviePlaybackFinished() {
    KVSoundManager::sharedManager()->setMusicEnabled(SettingsManager::sharedManager()->musicEnabled());
    showBannerOnceLoaded();
}

void IntroScene::showMe() { setVisible(true); }

void IntroScene::updateVideoOrientation() {
    int orientation = CCDirector::sharedDirector()->interfaceOrientation();
    VideoPlayer::updateOrientationWithOrientation(orientation == UIInterfaceOrientationPortraitUpsideDown
                                                      ? UIInterfaceOrientationLandscapeRight
                                                      : UIInterfaceOrientationLandscapeLeft);
}

void IntroScene::menuItemClick(CCObject* sender) {
    auto* item = dynamic_cast<CCNode*>(sender);
    if (kitLayerIsOpen() || !item) return;
    KVSoundManager::sharedManager()->playButtonSound();
    CCDirector* director = CCDirector::sharedDirector();
    switch (item->tag()) {
        case 1: director->replaceScene(LearnScene::scene().get()); break;
        case 2: director->replaceScene(DrawScene::scene().get()); break;
        case 3: director->replaceScene(CountScene::scene().get()); break;
        case 4: director->replaceScene(GameScene::scene().get()); break;
        case 5:
            if (feedbackLayer) feedbackLayer->showForm();
            break;
        default: break;
    }
    director->purgeCachedData();
}

void IntroScene::bannerClick() {
    CGSize win = CCDirector::sharedDirector()->winSize();
    if (KVTAdvertBannerLayer* banner = loadedBanner()) banner->clickBannerAtLocation({win.width / 2, win.height / 2});
}

void IntroScene::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, 10, true);
}

bool IntroScene::ccTouchBegan(UITouch* touch, void*) {
    if (kitLayerIsOpen()) return false;
    CGPoint p = toGL(touch);
    platform::log("x = %f    y = %f", p.x, p.y);
    if (bannerTakesTouchAt(p)) return true;
    clouds.grab(p);
    return true;
}

void IntroScene::ccTouchMoved(UITouch* touch, void*) {
    clouds.drag(toGL(touch));
}

void IntroScene::ccTouchEnded(UITouch* touch, void*) {
    if (clouds.release()) return;
    CGPoint p = toGL(touch);
    KVSoundManager* sound = KVSoundManager::sharedManager();

    if (contains(frog, p) && frog->numberOfRunningActions() == 0) {
        sound->playVoice("frog3.mp3");
        frog->setTag(frog->tag() >= 9 || frog->tag() < 0 ? 0 : frog->tag() + 1);
        CGPoint target = frogTarget(frog->tag());
        platform::log("tag = %d     x = %f    y = %f", frog->tag(), target.x, target.y);
        MyAnimation::frogAnimation(frog, target, 1.0f);
    }

    if (bannerTapAt(p)) return;

    if (contains(butterfly, p) && butterfly->tag() != 0) {
        butterfly->setTag(0);
        bool flipped = butterfly->flipX();
        MyAnimation::butterAnimation(butterfly, flipped ? -1 : 1, !flipped, 3.0f);
    }

    if (contains(fountain, p)) {
        if (fountain->tag() == 1) {
            if (water) water->stopSystem();
            fountain->setTag(-1);
            fountain->stopAllActions();
            sound->stopSound();
        } else {
            fountain->setTag(1);
            if (water) water->resetSystem();
        }
    }

    auto perch = [&](CCSprite* bird, const CGRect& zone, const CGPoint (&perches)[2][3], bool turn) {
        if (!bird || !CGRectContainsPoint(zone, p)) return;
        sound->playVoice("bird.mp3");
        bird->setTag(bird->tag() >= 2 || bird->tag() < 0 ? 0 : bird->tag() + 1);
        MyAnimation::flyTo(bird, perches[device()][bird->tag()], 0.3f, turn);
    };
    perch(bird1, bird1Rect, kBird1Perches, false);
    perch(bird2, bird2Rect, kBird2Perches, true);

    for (CCSprite* sheep : sheeps) {
        if (!contains(sheep, p) || sheep->tag() == 0) continue;
        sheep->setTag(0);
        sound->playVoice("sheep.mp3");
        if (auto* head = dynamic_cast<CCSprite*>(sheep->getChildByTag(kSheepHeadTag))) MyAnimation::sheepAnimation(head);
        break;
    }

    bannerPictureTapAt(p);
}

CGPoint IntroScene::frogTarget(int tag) {
    CGPoint t = kFrogTargets[tag];
    if (KVTAppUtils::isPad()) return t;
    // The tablet's points would send the frog off a phone screen: scale them.
    return {static_cast<float>(static_cast<int>(t.x) * 480 / 1024), static_cast<float>(static_cast<int>(t.y) * 320 / 768)};
}

void IntroScene::visit() {
    const float covered = appCatalog ? appCatalog->coveredHeight() : 0;
    const CGRect card = feedbackLayer ? feedbackLayer->opaqueCardRect() : CGRect{};
    if ((covered <= 0 && card.size.width <= 0) || !isVisible()) {
        CCLayer::visit();
        return;
    }
    // The layers under the shelf keep to the band above it; the shelf itself
    // (and the layers over it) ends the clip when it is drawn. What the open
    // form's card hides is not drawn; the form ends that at its card.
    CCRenderer& renderer = CCRenderer::shared();
    if (covered > 0) {
        CCDirector* director = CCDirector::sharedDirector();
        const CGSize pixels = director->winSizeInPixels();
        const int bottom = static_cast<int>(std::lround(covered * director->contentScaleFactor()));
        renderer.enableScissor(0, bottom, static_cast<int>(pixels.width),
                               std::max(0, static_cast<int>(pixels.height) - bottom));
    }
    renderer.setOccluder(card);
    CCLayer::visit();
    renderer.clearOccluder();
    if (covered > 0) renderer.disableScissor();
}

// The catalogue's tab at the bottom; the hanging banner just above the top
// edge, hidden, loading in the background (it drops its tab when the menu
// allows it); the feedback form over everything.
void IntroScene::addKitLayers() {
    Ref<KVTAppCatalog> catalog = KVTAppCatalog::node();
    addChild(catalog.get(), 80, 1000);
    appCatalog = catalog.get();
    if (Ref<KVTAdvertBannerLayer> banner = KVTAdvertBannerLayer::layer()) addAdvertBanner(banner.get());
    if (Ref<KVTFeedbackLayer> form = KVTFeedbackLayer::node()) {
        addChild(form.get(), 10000);
        feedbackLayer = form.get();
    }
}

void IntroScene::addAdvertBanner(KVTAdvertBannerLayer* banner) {
    banner->setAnchorPoint({0, 0});
    banner->setPosition({0, CCDirector::sharedDirector()->winSize().height});
    banner->setVisible(false);
    banner->setCanShowAnimation(false);
    addChild(banner, 90);
    advertBannerLayer = banner;
    banner->load();
}

// The only places the menu asks the publisher's kit layers: whether the
// catalogue (isOpen) or the feedback form (isFormOpen) is open, and what the
// banner's tab, picture and open state make of a touch at p (in the banner's
// coordinates: p.y less the banner's y). A banner that has not loaded is
// hidden, and its placeholders take no touch.
bool IntroScene::kitLayerIsOpen() const {
    return (appCatalog && appCatalog->isOpen()) || (feedbackLayer && feedbackLayer->isFormOpen());
}

KVTAdvertBannerLayer* IntroScene::loadedBanner() const {
    return advertBannerLayer && advertBannerLayer->isLoaded() ? advertBannerLayer : nullptr;
}

CGPoint IntroScene::inBanner(CGPoint p) const { return {p.x, p.y - advertBannerLayer->position().y}; }

bool IntroScene::bannerTakesTouchAt(CGPoint p) const {
    KVTAdvertBannerLayer* banner = loadedBanner();
    return banner && (contains(banner->shortcut, inBanner(p)) || banner->isOpen());
}

bool IntroScene::bannerTapAt(CGPoint p) {
    KVTAdvertBannerLayer* banner = loadedBanner();
    if (!banner) return false;
    CGPoint q = inBanner(p);
    if (contains(banner->shortcut, q)) {
        banner->open();
        return true;
    }
    if (!banner->isOpen()) return false;
    banner->clickBannerAtLocation(q);
    return true;
}

void IntroScene::bannerPictureTapAt(CGPoint p) {
    KVTAdvertBannerLayer* banner = loadedBanner();
    if (banner && contains(banner->banner, inBanner(p))) banner->clickBannerAtLocation(inBanner(p));
}

void IntroScene::showBannerOnceLoaded() {
    if (!advertBannerLayer) return;
    if (advertBannerLayer->isLoaded()) {
        advertBannerLayer->setVisible(true);
        advertBannerLayer->showAnimation();
    } else {
        advertBannerLayer->setCanShowAnimation(true);
    }
}

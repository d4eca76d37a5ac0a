// The main menu: a meadow whose frog, birds, butterfly, sheep, fountain and
// clouds react to touches, and five buttons to the four activities and the
// feedback form. Its layout is "main-menu~ipad.ccb" / "main-menu~iphone.ccb",
// whose root node is this class. At the first start of the process it hides
// behind the logo video and appears one second after the video starts.
#pragma once

#include <vector>

#include "app/VideoPlayer.h"
#include "engine/CCLayer.h"
#include "engine/CCMenu.h"
#include "engine/CCParticleSystemQuad.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "scenefile/CCBReader.h"
#include "scenes/common/ActivityControls.h"

class KVTAdvertBannerLayer;
class KVTAppCatalog;
class KVTFeedbackLayer;

class IntroScene : public CCLayer, public CCBNodeLoadListener, public VideoPlayerDelegate {
public:
    // The scene with the menu loaded from its scene file; firstStart plays
    // the logo video on its first entry.
    static Ref<CCScene> sceneWithFirstStart(bool firstStart);
    // A later menu (the activities return here).
    static Ref<CCScene> scene();
    // Lets the scene-file reader create this class, bind its nodes and call
    // its actions (see registerSceneClasses).
    static void registerWithReader();
    ~IntroScene() override;

    void didLoadFromCCB() override;
    // While the shelf is up, the meadow is drawn only above it.
    void visit() override;
    void onEnter() override;
    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;

    void movieStartsPlaying() override;
    void moviePlaybackFinished() override;

    void menuItemClick(CCObject* sender);
    void bannerClick();
    void showMe();
    void updateVideoOrientation();

    bool firstStart() const { return firstStart_; }
    void setFirstStart(bool value) { firstStart_ = value; }

    // Bound from the scene file (not owned: the layer's children).
    CCParticleSystemQuad* water = nullptr;
    CCSprite* fountain = nullptr;  // tag: 1 running, -1 stopped
    CCSprite* bird1 = nullptr;     // tag: current perch 0..2
    CCSprite* bird2 = nullptr;
    CCSprite* bird3 = nullptr;
    CCSprite* butterfly = nullptr;  // tag: 0 while flying
    CCSprite* frog = nullptr;       // tag: current place 0..9
    CCMenu* mainMenu = nullptr;

    // The publisher's kit layers, made in sceneWithFirstStart; null when one
    // could not be made.
    KVTAppCatalog* appCatalog = nullptr;
    KVTAdvertBannerLayer* advertBannerLayer = nullptr;
    KVTFeedbackLayer* feedbackLayer = nullptr;

private:
    // Where the frog hops for each tag, fitted to this device's screen.
    static CGPoint frogTarget(int tag);
    void addKitLayers();
    void addAdvertBanner(KVTAdvertBannerLayer* banner);
    // The kit's say in a touch; each answers "no" while its layer is absent.
    bool kitLayerIsOpen() const;
    KVTAdvertBannerLayer* loadedBanner() const;
    CGPoint inBanner(CGPoint p) const;
    bool bannerTakesTouchAt(CGPoint p) const;
    bool bannerTapAt(CGPoint p);
    void bannerPictureTapAt(CGPoint p);
    void showBannerOnceLoaded();

    DraggableClouds clouds;         // tags 20..24
    std::vector<CCSprite*> sheeps;  // tags 30..32; tag 0 while shaking
    CGRect bird1Rect{};
    CGRect bird2Rect{};
    bool firstStart_ = false;
    bool isVideoDelegate_ = false;  // this menu told the video player to call it
};

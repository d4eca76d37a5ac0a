#include "scenes/SceneClasses.h"

#include "kit/KVTAdvertBannerLayer.h"
#include "kit/KVTFeedbackLayer.h"
#include "scenes/draw/DrawScene.h"
#include "scenes/game/GameScene.h"
#include "scenes/learning/CountScene.h"
#include "scenes/learning/LearnScene.h"
#include "scenes/menu/IntroScene.h"

void registerSceneClasses() {
    IntroScene::registerWithReader();
    LearnScene::registerWithReader();
    CountScene::registerWithReader();
    GameScene::registerWithReader();
    DrawScene::registerWithReader();
    KVTAdvertBannerLayer::registerWithReader();
    KVTFeedbackLayer::registerWithReader();
}

// Process entry: the desktop launcher runs the application delegate.
#include "app/AppController.h"
#include "engine/CCLayer.h"
#include "engine/CCMenu.h"
#include "engine/CCNodeDump.h"
#include "launcher/Launcher.h"
#include "platform/Log.h"

namespace {

// The first scene until the main menu lands: the meadow's green with one
// button in the middle that logs its taps (drawn without art, which may not
// be built yet).
Ref<CCScene> firstScene() {
    Ref<CCScene> scene = CCScene::node();
    scene->addChild(CCLayerColor::layerWithColor({140, 204, 89, 255}).get());
    const CGSize win = CCDirector::sharedDirector()->winSize();
    auto face = [](std::uint8_t shade) { return CCLayerColor::layerWithColor({shade, shade, 60, 255}, 200, 100); };
    Ref<CCMenuItemSprite> button = CCMenuItemSprite::itemWithNormalSprite(
        face(240), face(190), nullptr, [](CCObject*) { platform::log("first scene: button tapped"); });
    button->setPosition({win.width / 2, win.height / 2});
    Ref<CCMenu> menu = CCMenu::menuWithItems({button.get()});
    menu->setPosition({0, 0});
    scene->addChild(menu.get());
    return scene;
}

}  // namespace

int main(int argc, char** argv) {
    AppController delegate(firstScene);
    launcher::Hooks hooks;
    hooks.dumpScene = runningSceneToJson;
    return launcher::run(argc, argv, delegate, hooks);
}

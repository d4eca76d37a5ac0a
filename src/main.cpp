// Process entry: the desktop launcher runs the application delegate.
#include "app/AppController.h"
#include "engine/CCLayer.h"
#include "engine/CCNodeDump.h"
#include "launcher/Launcher.h"

namespace {

// The first scene until the main menu lands: the meadow's green.
Ref<CCScene> firstScene() {
    Ref<CCScene> scene = CCScene::node();
    scene->addChild(CCLayerColor::layerWithColor({140, 204, 89, 255}).get());
    return scene;
}

}  // namespace

int main(int argc, char** argv) {
    AppController delegate(firstScene);
    launcher::Hooks hooks;
    hooks.dumpScene = runningSceneToJson;
    return launcher::run(argc, argv, delegate, hooks);
}

// Process entry: the desktop launcher runs the application delegate, whose
// first scene is the main menu on its first start.
#include "app/AppController.h"
#include "engine/CCNodeDump.h"
#include "launcher/Launcher.h"
#include "scenes/SceneClasses.h"
#include "scenes/menu/IntroScene.h"

int main(int argc, char** argv) {
    registerSceneClasses();
    AppController delegate([] { return IntroScene::sceneWithFirstStart(true); });
    launcher::Hooks hooks;
    hooks.dumpScene = runningSceneToJson;
    return launcher::run(argc, argv, delegate, hooks);
}

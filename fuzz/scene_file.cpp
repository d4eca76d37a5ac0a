// Fuzz entry for the scene-file reader: bytes read as a scene file (an XML
// or binary property list) and built into a node tree, with a game class of
// every container kind registered so that custom classes, member bindings
// and menu actions are all reached. No picture or font file exists (there
// is no resource directory and no GL context), so every sprite and label
// takes the reader's fall-backs.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/CCLabelBMFont.h"
#include "engine/CCLayer.h"
#include "engine/CCMenu.h"
#include "engine/CCMenuItem.h"
#include "engine/CCParticleSystemQuad.h"
#include "engine/CCSprite.h"
#include "platform/Bundle.h"
#include "scenefile/CCBReader.h"

namespace {

int loads = 0;

class FuzzLayer : public CCLayer, public CCBNodeLoadListener {
public:
    CCSprite* sprite = nullptr;
    CCMenu* menu = nullptr;
    CCMenuItemImage* item = nullptr;
    CCNode* node = nullptr;
    CCLayer* layer = nullptr;
    CCParticleSystemQuad* particles = nullptr;
    CCLabelBMFont* label = nullptr;
    void didLoadFromCCB() override { ++loads; }
    void click(CCObject*) {}
    void tap() {}
};

class FuzzGradient : public CCLayerGradient {};
class FuzzColour : public CCLayerColor {};
class FuzzNode : public CCNode, public CCBNodeLoadListener {
public:
    CCNode* child = nullptr;
    void didLoadFromCCB() override { ++loads; }
};
class FailingLayer : public CCLayer {
public:
    bool init() override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A resource directory that is not there: every file the tree names is missing.
    platform::Bundle::main().setResourcePath("/nonexistent/number-meadow-fuzz");
    CCBClassBuilder<FuzzLayer>("FuzzLayer")
        .member("sprite", &FuzzLayer::sprite)
        .member("menu", &FuzzLayer::menu)
        .member("item", &FuzzLayer::item)
        .member("node", &FuzzLayer::node)
        .member("layer", &FuzzLayer::layer)
        .member("particles", &FuzzLayer::particles)
        .member("label", &FuzzLayer::label)
        .selector("click:", &FuzzLayer::click)
        .selector("tap", &FuzzLayer::tap)
        .add();
    CCBClassBuilder<FuzzGradient>("FuzzGradient").add();
    CCBClassBuilder<FuzzColour>("FuzzColour").add();
    CCBClassBuilder<FuzzNode>("FuzzNode").member("child", &FuzzNode::child).add();
    CCBClassBuilder<FailingLayer>("FailingLayer").add();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An owner of the game's kind, for bindings and actions aimed at the owner (type 2).
    Ref<CCNode> owner = CCBReader::createCustomClassWithName("FuzzLayer");
    owner->init();
    Ref<CCNode> root = CCBReader::nodeGraphFromData(data, size, owner.get());
    if (root) {
        // What the game does next with a tree: enter it, run its menus and leave it.
        root->onEnter();
        root->onExit();
    }
    return 0;
}

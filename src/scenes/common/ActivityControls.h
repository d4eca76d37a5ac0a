// What the main menu and every activity share: the five drifting clouds a
// child can hold and drag sideways, and the activities' back and music
// buttons. One scene object owns one of each; the nodes belong to the scene's
// tree and must outlive them (they do: both are members of the scene layer).
//
// Main thread only, called from the scenes' touch handlers.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "engine/CCLabelTTF.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"

// Children found once by their tags, while the tags still say what they
// are: a drifting cloud rewrites its own tag on every pass and may take a
// small one (a page's, on a phone), so pages are not looked up by tag later.
class TaggedChildren {
public:
    void collect(const CCNode* parent, int firstTag, int lastTag);
    CCNode* operator[](int tag) const;

private:
    std::map<int, CCNode*> nodes_;
};

// The clouds with tags 20 to 24 among a layer's children.
class DraggableClouds {
public:
    // Finds the clouds and starts each drifting left.
    void setUp(CCNode* layer);
    // A touch began at p: the topmost cloud under it stops and is held.
    bool grab(CGPoint p);
    // The held cloud follows the finger sideways; false when none is held.
    bool drag(CGPoint p);
    // The held cloud drifts again, at a new speed; false when none was held.
    bool release();
    bool isTouched() const { return cloudIsTouched; }
    const std::vector<CCSprite*>& all() const { return clouds; }

private:
    std::vector<CCSprite*> clouds;
    CCSprite* cloud = nullptr;  // the one held
    bool cloudIsTouched = false;
};

// An activity's back button (to a new main menu) and music on/off button.
class ActivityButtons {
public:
    // Shows the music button off when the music preference is off.
    void setUp(CCLayer* scene, CCSprite* buttonBack, CCSprite* buttonSound);
    // A touch began at p: the back button leaves for the menu (after its
    // press is seen), the music button switches the music. True when p was
    // on the button and it is shown.
    bool backTapped(CGPoint p);
    bool musicTapped(CGPoint p);

private:
    CCLayer* scene_ = nullptr;
    CCSprite* buttonBack_ = nullptr;
    CCSprite* buttonSound_ = nullptr;
};

// The indices 0..count-1 mixed by as many random exchanges as there are.
std::vector<std::size_t> randomOrder(std::size_t count);
// Labels dropping into place one after another in random order: each, 0.1 s
// after the one before, fades in over 0.3 s while it moves by `drop`.
void dropInRandomOrder(const std::vector<CCLabelTTF*>& labels, CGPoint drop);

// A new scene holding the tree of a scene file, named before its device
// suffix; empty when the file cannot be read (the reader has logged why).
Ref<CCScene> sceneWithLayout(const std::string& file);

// A button's press: on `scene`, the button sound and the button shrinking
// at once, then `then` a tenth of a second later, once the press is seen.
void pressButton(CCNode* scene, CCSprite* button, std::function<void()> then);

// Whether a node's bounding box holds p; false for no node.
bool nodeContains(const CCNode* node, CGPoint p);

// The picture book of the numbers: ten pages, each with its digit, that many
// animals and a caption, read aloud when the page opens. Pages turn by a
// swipe or a tap on the number strip; the digit and the animals answer taps.
// Its layout is "learn-scene~ipad.ccb" / "learn-scene~iphone.ccb", whose
// root node is this class.
//
// Three page layers (tags 1 to 3) take turns as the current, next and
// previous page; only their roles (cur, next, prev) rotate.
#pragma once

#include "engine/CCLabelTTF.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "scenefile/CCBReader.h"
#include "scenes/common/ActivityControls.h"

class LearnScene : public CCLayer, public CCBNodeLoadListener {
public:
    static Ref<CCScene> scene();
    static void registerWithReader();

    void didLoadFromCCB() override;
    // Fills the page layer with this tag with page num (1..10; others stay
    // empty) and places it at position -1, 0 or +1 window widths.
    void loadLayer(int tag, int layerPosition, int num);
    // Slides to page t.
    void turnPage(int t);
    // Ends a page drag: turns the page or snaps back. True when the touch is
    // spent (a page was turned, or the first or last page was pulled outwards).
    bool moveToNearPage();
    void playNumber();

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;

    int curIndex = 1;  // the page showing, 1..10
    int cur = 1, next = 2, prev = 3;

    // Bound from the scene file (the layer's children; not owned).
    CCSprite* curMenuItem = nullptr;  // the marker over the current number of the strip
    CCSprite* distance = nullptr;     // over the strip's second number: its x gives the spacing
    CCSprite* menuNumbers = nullptr;  // the strip of the numbers 1 to 10
    CCSprite* labelPos = nullptr;
    CCSprite* numberPos = nullptr;
    CCSprite* buttonBack = nullptr;
    CCSprite* buttonSound = nullptr;
    CCLabelTTF* label = nullptr;  // the caption, made here

private:
    CCNode* page(int tag) const { return pages[tag]; }
    TaggedChildren pages;
    float windowWidth() const;
    void placePages(float dx);
    void setCaption(int num);

    DraggableClouds clouds;
    ActivityButtons buttons;
    bool layerDrag = false;
    CGPoint curLocation{};
    int length = 0;  // points between two numbers of the strip
    CGPoint menuStartPos{};
    CGRect numRect{};
    CGRect anRect{};
    bool soundEnable = false;
};

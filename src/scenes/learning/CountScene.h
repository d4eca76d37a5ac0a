// The counting game: one to nine animals of a kind come up on the meadow, a
// voice asks how many there are, and five numbers drop in. A wrong number
// flies away; the right one hops, the rest fly away, a voice praises the
// child and the next question begins by itself. Its layout is
// "count-animal~ipad.ccb" / "count-animal~iphone.ccb", whose root node is
// this class.
//
// An answer label's tag is the number it shows, or -1 once it can no longer
// be chosen.
#pragma once

#include <array>
#include <vector>

#include "engine/CCLabelTTF.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "scenefile/CCBReader.h"
#include "scenes/common/ActivityControls.h"

class CountScene : public CCLayer, public CCBNodeLoadListener {
public:
    static Ref<CCScene> scene();
    static void registerWithReader();

    // The kind of animal for a new question (1 to 9, never 2 shown: a drawn 2
    // shows kind 1), never the kind drawn last time; previousKind becomes the
    // value drawn. 100 means no question yet.
    static int drawKind(int& previousKind);
    // The five choices for n animals, shuffled: n and the four above it, or
    // from 6 up, n and the four below it.
    static std::array<int, 5> drawChoices(int n);

    void didLoadFromCCB() override;
    void resetGame();
    void animalsApear();
    void numbersApear();
    void NumberFlyAway(CCLabelTTF* label);
    void endGame(CCLabelTTF* label);

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;

    int rightAnswer = 0;

    // Bound from the scene file (not owned).
    CCSprite* mainLayer = nullptr;  // holds the animals and the three balls
    CCSprite* buttonBack = nullptr;
    CCSprite* buttonSound = nullptr;
    CCLabelTTF* label = nullptr;

    // Made here; children of this layer.
    CCLabelTTF* mainLabel = nullptr;
    std::vector<CCLabelTTF*> Numbers;
    std::vector<CCSprite*> animals;  // children of mainLayer

private:
    DraggableClouds clouds;
    ActivityButtons buttons;
    std::vector<CCSprite*> balls;  // tags 1..3 in mainLayer
    CCSprite* ball = nullptr;
    bool ballIsTouched = false;
    bool enableResetGame = false;
};

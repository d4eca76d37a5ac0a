// The arithmetic duel: the child's ship against another, a generated sum a
// level, five answers dropping in and a timer bar running out. A right answer
// scores for the child and fires a fruit at the opponent; a wrong one or a
// timeout scores for the opponent. The first to 20 wins. Before a game a
// menu picks the operation, the difficulty and the child's team.
//
// Its layout is "game-scene~ipad.ccb" / "game-scene~iphone.ccb", whose root
// node is this class. Tags carry state: an answer label is 1 when it holds
// the answer, a plate 1 while marked as lying under it, the menu layer 1
// while the menu shows.
#pragma once

#include <vector>

#include "engine/CCLabelTTF.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "scenefile/CCBReader.h"
#include "scenes/common/ActivityControls.h"

class GameScene : public CCLayer, public CCBNodeLoadListener {
public:
    static Ref<CCScene> scene();
    static void registerWithReader();

    // The stored choices, each brought into its range (the preferences file
    // may be damaged or edited): out of range reads as 0, logged.
    static int storedType();
    static int storedDifficult();
    static int storedTeam();
    // Another team than `team` for the opponent, 0 to 5.
    static int opponentFor(int team);

    void didLoadFromCCB() override;
    void setLabels();
    void showMenuLayer();
    void hideMenuLayer();
    void menuItemClick(CCObject* sender);

    // The play.
    void newGame();
    void resetLevel();
    void shuffle();
    void numbersApear();
    void update(float dt) override;
    void setLabelToAnswer(CCLabelTTF* label);
    void checkAnswer();
    void fire(CGPoint from, CGPoint to);
    void boom(CGPoint at);
    void endGame();
    void NumberFlyAway(CCNode* node);
    void numberJump(CCNode* node);
    void numberShake(CCNode* node);

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;

    // Bound from the scene file (the layer's descendants; not owned).
    CCLayer* menuLayer = nullptr;
    CCSprite* buttonBack = nullptr;
    CCSprite* buttonSound = nullptr;
    CCSprite* buttonNewGame = nullptr;
    CCSprite* blackScreen = nullptr;
    CCSprite* youLose = nullptr;
    CCSprite* youWin = nullptr;
    CCSprite* ship1 = nullptr;
    CCSprite* ship2 = nullptr;
    CCSprite* progressBar = nullptr;
    CCLayer* effectsLayer = nullptr;

    // Made here, children of this layer.
    CCLabelTTF* task = nullptr;
    CCLabelTTF* player1Label = nullptr;
    CCLabelTTF* player2Label = nullptr;
    std::vector<CCLabelTTF*> Numbers;
    std::vector<CCSprite*> basr;  // the answer plates, tags 100..104 in the file

    int type = 0;
    int difficult = 0;
    int team = 0;
    int opponent = 0;
    float scaleStep = 0;
    int maxScore = 20;
    int player1Score = 0;
    int player2Score = 0;
    bool enableToTouch = false;
    bool rightAnswer = false;

private:
    CCNode* panel() const;
    void markPlates();
    // The answer label a touch at p chooses, or null: of those hit and done
    // appearing, the nearest in x (on a phone the bands overlap).
    CCLabelTTF* answerAt(CGPoint p) const;
    void putFlag(CCSprite* ship, int flagTeam, bool flip);

    DraggableClouds clouds;
    ActivityButtons buttons;
    std::vector<std::int64_t> rectangels;
    int selectedWidth = 0;
    std::vector<CCSprite*> selectedSprites;
};

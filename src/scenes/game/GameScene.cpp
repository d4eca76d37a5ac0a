#include "scenes/game/GameScene.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCParticleSystemQuad.h"
#include "engine/CCTextureCache.h"
#include "platform/Log.h"
#include "platform/Random.h"
#include "platform/UserDefaults.h"
#include "scenes/game/Generator.h"
#include "scenes/learning/MyAnimation.h"
#include "scenes/learning/PackedPositions.h"

namespace {

constexpr int kAnswers = 5;
constexpr int kFirstPlateTag = 100;
constexpr int kPanelTag = 10;
constexpr int kSpinnerTag = 1;
constexpr int kFlagTag = 10;
constexpr int kStartTag = 1;
constexpr int kTypes = 5, kDifficulties = 3, kTeams = 6;
constexpr float kScaleSteps[kDifficulties] = {0.0015f, 0.0022f, 0.003f};
const char* const kSigns[] = {"", "+", "-", "x", ":"};

const char* const kBook = "P22UndergroundCYPro-Book";

bool pad() { return KVTAppUtils::isPad(); }

const platform::Value& settings() { return SettingsManager::sharedManager()->settings(); }

CGPoint toGL(UITouch* touch) { return CCDirector::sharedDirector()->convertTouchToGL(touch); }

std::string numbered(const char* pattern, int n) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, n);
    return KVTAppUtils::realFileName(name);
}

std::string number(int n) { return std::to_string(n); }

int clampedChoice(const char* what, int stored, int count) {
    if (stored >= 0 && stored < count) return stored;
    platform::log("game: stored %s %d is out of range; using 0", what, stored);
    return 0;
}

Ref<CCLabelTTF> makeLabel(const std::string& text, const char* font, float size) {
    return CCLabelTTF::labelWithString(text, font, size);
}

}  // namespace

void GameScene::registerWithReader() {
    CCBClassBuilder<GameScene>("GameScene")
        .member("menuLayer", &GameScene::menuLayer)
        .member("buttonBack", &GameScene::buttonBack)
        .member("buttonSound", &GameScene::buttonSound)
        .member("buttonNewGame", &GameScene::buttonNewGame)
        .member("blackScreen", &GameScene::blackScreen)
        .member("youLose", &GameScene::youLose)
        .member("youWin", &GameScene::youWin)
        .member("ship1", &GameScene::ship1)
        .member("ship2", &GameScene::ship2)
        .member("progressBar", &GameScene::progressBar)
        .member("effectsLayer", &GameScene::effectsLayer)
        .selector("menuItemClick:", &GameScene::menuItemClick)
        .add();
}

Ref<CCScene> GameScene::scene() { return sceneWithLayout("game-scene.ccb"); }

int GameScene::storedType() { return clampedChoice("type", SettingsManager::sharedManager()->type(), kTypes); }

int GameScene::storedDifficult() {
    return clampedChoice("difficulty", SettingsManager::sharedManager()->difficult(), kDifficulties);
}

int GameScene::storedTeam() { return clampedChoice("team", SettingsManager::sharedManager()->team(), kTeams); }

int GameScene::opponentFor(int child) {
    std::uint32_t r = 0;
    do {
        r = platform::arc4random();
    } while (static_cast<int>(r % kTeams) == child);
    return static_cast<int>(r % kTeams);
}

CCNode* GameScene::panel() const { return menuLayer ? menuLayer->getChildByTag(kPanelTag) : nullptr; }

void GameScene::didLoadFromCCB() {
    KVSoundManager::sharedManager()->setBackgroundMusic("bg-game.mp3");
    buttons.setUp(this, buttonBack, buttonSound);
    setIsTouchEnabled(true);
    clouds.setUp(this);

    const bool tablet = pad();
    Ref<CCLabelTTF> label = makeLabel("1 x 5 = ", kBook, tablet ? 80 : 40);
    if (label) {
        task = label.get();
        task->setPosition(tablet ? CGPoint{500, 460} : CGPoint{235, 200});
        addChild(task);
    }
    Ref<CCLabelTTF> score1 = makeLabel("0", kBook, tablet ? 40 : 20);
    Ref<CCLabelTTF> score2 = makeLabel("0", kBook, tablet ? 40 : 20);
    if (score1 && score2) {
        player1Label = score1.get();
        player2Label = score2.get();
        player1Label->setPosition(tablet ? CGPoint{237, 238} : CGPoint{122, 107});
        player2Label->setPosition(tablet ? CGPoint{862, 343} : CGPoint{388, 143});
        player2Label->setRotation(-3);
        player1Label->setRotation(-5);
        addChild(player1Label);
        addChild(player2Label);
    }
    Numbers.clear();
    for (int i = 0; i < kAnswers; ++i) {
        Ref<CCLabelTTF> answer = makeLabel("12", kBook, tablet ? 80 : 40);
        if (!answer) continue;
        answer->setOpacity(0);
        addChild(answer.get(), 10);
        Numbers.push_back(answer.get());
    }
    basr.clear();
    for (int tag = kFirstPlateTag; tag < kFirstPlateTag + kAnswers; ++tag) {
        auto* plate = dynamic_cast<CCSprite*>(getChildByTag(tag));
        if (!plate) continue;
        plate->setTag(0);
        plate->setOpacity(0);
        basr.push_back(plate);
    }
    setLabels();
    showMenuLayer();
}

void GameScene::setLabels() {
    const bool tablet = pad();
    const float base = tablet ? 38 : 19;
    CCNode* board = panel();
    const platform::Value& strings = settings()["GameMenu"]["Strings"];
    const platform::Value& menu = settings()[tablet ? "GameMenu" : "GameMenu-iphone"];
    const platform::Value& places = menu["StringsPos"];
    auto add = [](CCNode* parent, const Ref<CCLabelTTF>& label, int z = 20) {
        if (parent && label) parent->addChild(label.get(), z);
    };

    Ref<CCLabelTTF> newGameText = makeLabel("", kBook, base);
    const bool italian = platform::UserDefaults::standard().objectForKey("AppleLanguages")[0].asString() == "it";

    // The start caption over its button, its shadow added first so it shows below.
    const std::string start = strings["Start"].asString();
    Ref<CCLabelTTF> startFace = makeLabel(start, "P22UndergroundCYPro-Medium", tablet ? 35 : 20);
    Ref<CCLabelTTF> startShadow = makeLabel(start, "P22UndergroundCYPro-Medium", tablet ? 35 : 20);
    if (startFace && startShadow) {
        CGPoint at = unpackPoint(places["Start"].asInt());
        if (!tablet) at.y += 3;
        startFace->setPosition(at);
        startShadow->setColor(ccc3(67, 106, 9));
        startShadow->setPosition({at.x + 1, at.y - 2});
        add(board, startShadow);
        add(board, startFace);
    }

    Ref<CCLabelTTF> win = makeLabel(strings["YouWin"].asString(), "P22UndergroundCYPro-Demi", base * 2);
    if (win) win->setPosition(unpackPoint(places["YouWin"].asInt()));
    add(youWin, win);
    Ref<CCLabelTTF> lose = makeLabel(strings["YouLose"].asString(), "P22UndergroundCYPro-Demi", base * 2);
    if (lose) lose->setPosition(unpackPoint(places["YouLose"].asInt()));
    add(youLose, lose);
    Ref<CCLabelTTF> again = makeLabel(strings["TryAgain"].asString(), kBook, base);
    if (again) again->setPosition(unpackPoint(places["TryAgain"].asInt()));
    add(youLose, again);

    if (newGameText) {
        newGameText->setString(strings["NewGame"].asString());
        newGameText->setPosition(unpackPoint(places["NewGame"].asInt()));
    }
    add(board, newGameText);

    // Headings, then their options; Italian headings are longer, so smaller.
    const float headingSize = (tablet ? 36.0f : 18.0f) - (italian ? 3 : 0);
    const std::pair<const char*, const char*> groups[] = {{"Type", "Types"}, {"Difficult", "Difficults"}, {"Team", "Teams"}};
    for (const auto& [heading, options] : groups) {
        Ref<CCLabelTTF> title = makeLabel(strings[heading][heading].asString(), "P22UndergroundCYPro-Light", headingSize);
        if (title) {
            title->setColor(ccc3(255, 255, 130));
            title->setPosition(unpackPoint(places[heading][heading].asInt()));
        }
        add(board, title);
    }
    for (const auto& [heading, options] : groups) {
        const platform::Value& texts = strings[heading][options];
        platform::log("arr count = %d", static_cast<int>(texts.size()));
        for (std::size_t i = 0; i < texts.size(); ++i) {
            Ref<CCLabelTTF> option = makeLabel(texts[i].asString(), kBook, tablet ? 20 : 10);
            if (option) option->setPosition(unpackPoint(places[heading][options][i].asInt()));
            add(board, option);
        }
    }

    rectangels.clear();
    for (const platform::Value& v : menu["Rectangels"].asArray()) rectangels.push_back(v.asInt());
    difficult = storedDifficult();
    team = storedTeam();
    type = storedType();

    selectedSprites.clear();
    const int marked[] = {type, difficult + kTypes, team + kTypes + kDifficulties};
    for (int index : marked) {
        Ref<CCSprite> marker = CCSprite::spriteWithFile(KVTAppUtils::realFileName("selected.png"));
        if (!marker) continue;
        marker->setAnchorPoint({0, 0});
        if (static_cast<std::size_t>(index) < rectangels.size()) marker->setPosition(unpackPoint(rectangels[index]));
        if (board) board->addChild(marker.get());
        selectedSprites.push_back(marker.get());
    }
    if (!selectedSprites.empty()) selectedWidth = static_cast<int>(selectedSprites.back()->textureRect().size.width);
}

void GameScene::showMenuLayer() {
    if (menuLayer) {
        reorderChild(menuLayer, 100);
        menuLayer->setTag(1);
    }
    if (buttonBack) buttonBack->setVisible(false);
    if (buttonSound) buttonSound->setVisible(false);
    if (menuLayer) {
        menuLayer->setIsTouchEnabled(true);
        menuLayer->setVisible(true);
    }
    // A phone's menu covers the corners where the buttons are.
    if (pad()) {
        if (buttonSound) buttonSound->setVisible(true);
        if (buttonBack) buttonBack->setVisible(true);
    }
    for (CCSprite* hidden : {buttonNewGame, blackScreen, youLose, youWin})
        if (hidden) hidden->setVisible(false);
}

void GameScene::hideMenuLayer() {
    if (menuLayer) {
        reorderChild(menuLayer, -10);
        menuLayer->setTag(0);
    }
    if (buttonBack) buttonBack->setVisible(true);
    if (buttonSound) buttonSound->setVisible(true);
    if (menuLayer) {
        menuLayer->setIsTouchEnabled(false);
        menuLayer->setVisible(false);
    }
}

void GameScene::menuItemClick(CCObject* sender) {
    auto* item = dynamic_cast<CCNode*>(sender);
    if (!item) return;
    KVSoundManager::sharedManager()->playButtonSound();
    if (item->tag() != kStartTag) return;
    platform::log("Start");
    hideMenuLayer();
    newGame();
}

// ---------------------------------------------------------------------------
// The play

void GameScene::putFlag(CCSprite* ship, int flagTeam, bool flip) {
    if (!ship) return;
    ship->removeChildByTag(kFlagTag, true);
    Ref<CCSprite> flag = CCSprite::spriteWithFile(numbered("team%d.png", flagTeam + 1));
    if (!flag) return;
    flag->setFlipX(flip);
    flag->setPosition({ship->textureRect().size.width / 2, pad() ? 100.0f : 50.0f});
    ship->addChild(flag.get(), 10, kFlagTag);
}

void GameScene::newGame() {
    scaleStep = kScaleSteps[difficult];
    maxScore = 20;
    opponent = opponentFor(team);
    platform::log("step = %f", scaleStep);
    putFlag(ship1, team, false);
    putFlag(ship2, opponent, true);
    if (ship1) MyAnimation::swim(ship1, 0);
    if (ship2) MyAnimation::swim(ship2, 1.0f);
    player1Score = player2Score = 0;
    if (player1Label) player1Label->setString("0");
    if (player2Label) player2Label->setString("0");
    for (CCLabelTTF* answer : Numbers) answer->setOpacity(0);
    if (progressBar) progressBar->setScaleX(1.0f);
    resetLevel();
}

void GameScene::resetLevel() {
    const Generator::Task t = Generator::randomData(type + 1, difficult + 1);
    const int op = t[Generator::kOperationIndex];
    const char* sign = op >= 1 && op <= 4 ? kSigns[op] : "";
    char text[64];
    std::snprintf(text, sizeof text, "%d %s %d = ", t[Generator::kLeftIndex], sign, t[Generator::kRightIndex]);
    if (task) task->setString(text);

    const platform::Value& places = settings()["CountAnimal"][pad() ? "LabelPositions" : "LabelPositions-iphone"];
    for (std::size_t i = 0; i < Numbers.size() && i + Generator::kAnswerIndex < t.size(); ++i) {
        CCLabelTTF* answer = Numbers[i];
        answer->setString(number(t[i + Generator::kAnswerIndex]));
        answer->setOpacity(0);
        answer->setRotation(0);
        answer->setScale(1.0f);
        answer->stopAllActions();
        answer->setPosition(unpackPoint(places[i].asInt()));
        answer->setTag(i == 0 ? 1 : 0);
    }
    if (player1Label) player1Label->setScale(1.0f);
    if (player2Label) player2Label->setScale(1.0f);
    for (CCSprite* plate : basr) {
        plate->setTag(0);
        if (plate->opacity() == 0) plate->runAction(CCFadeIn::actionWithDuration(1.0f).get());
    }
    shuffle();
    numbersApear();
    scheduleUpdate();
    enableToTouch = true;
    if (progressBar) progressBar->setScaleX(1.0f);
}

void GameScene::shuffle() {
    const auto count = static_cast<int>(Numbers.size());
    if (count == 0) return;
    for (int n = 0; n < kAnswers; ++n) {
        const int i = platform::randomBelow(count), j = platform::randomBelow(count);
        if (i == j) continue;
        const CGPoint a = Numbers[i]->position();
        Numbers[i]->setPosition(Numbers[j]->position());
        Numbers[j]->setPosition(a);
    }
}

void GameScene::numbersApear() { dropInRandomOrder(Numbers, pad() ? CGPoint{0, -55} : CGPoint{0, -37}); }

void GameScene::markPlates() {
    for (CCLabelTTF* answer : Numbers) {
        if (answer->tag() != 1) continue;
        for (CCSprite* plate : basr)
            if (CGRectContainsPoint(plate->boundingBox(), {answer->position().x, plate->position().y})) plate->setTag(1);
    }
}

void GameScene::update(float) {
    if (!progressBar) return;
    // Frames, not seconds: a slow machine gives the child more time, never less.
    const float left = std::max(0.0f, progressBar->scaleX() - scaleStep);
    progressBar->setScaleX(left);
    if (left != 0) return;
    rightAnswer = false;
    enableToTouch = false;
    unscheduleUpdate();
    markPlates();
    checkAnswer();
}

CCLabelTTF* GameScene::answerAt(CGPoint p) const {
    CCLabelTTF* chosen = nullptr;
    for (CCLabelTTF* answer : Numbers) {
        const float x = answer->position().x;
        const bool hit = nodeContains(answer, p) || CGRectContainsPoint(CGRectMake(x - 50, 20, 100, 65), p);
        // Still dropping in: not yet a choice.
        if (!hit || answer->numberOfRunningActions() != 0) continue;
        if (!chosen || std::fabs(x - p.x) < std::fabs(chosen->position().x - p.x)) chosen = answer;
    }
    return chosen;
}

void GameScene::setLabelToAnswer(CCLabelTTF* answer) {
    if (task) {
        const CGPoint target{task->position().x + task->textureRect().size.width / 2 +
                                 answer->textureRect().size.width / 2,
                             task->position().y};
        answer->runAction(CCEaseElasticOut::actionWithAction(CCMoveTo::actionWithDuration(1.5f, target).get()).get());
    }
    runAction(CCSequence::actions({CCDelayTime::actionWithDuration(1.0f).get(),
                                   CCCallBlock::actionWithBlock([this] { checkAnswer(); }).get()})
                  .get());
}

void GameScene::checkAnswer() {
    KVSoundManager* sound = KVSoundManager::sharedManager();
    CCLabelTTF* scoreLabel = nullptr;
    int score = 0;
    if (rightAnswer) {
        if (task) numberJump(task);
        score = ++player1Score;
        for (CCSprite* plate : basr) plate->setTag(0);
        scoreLabel = player1Label;
        sound->playSound("soundrightansweraaa.mp3");
    } else {
        score = ++player2Score;
        if (task) numberShake(task);
        scoreLabel = player2Label;
        sound->playSound("soundwronganswer.mp3");
    }

    if (scoreLabel) {
        Ref<CCNode> firework = CCBReader::nodeGraphFromFile("label-firework.ccb");
        if (auto* particles = dynamic_cast<CCParticleSystem*>(firework.get())) particles->setAutoRemoveOnFinish(true);
        if (firework) {
            firework->setPosition(scoreLabel->position());
            if (!pad()) firework->setScale(0.1f);
            addChild(firework.get(), 20);
        }
        scoreLabel->runAction(
            CCSequence::actions({CCCallBlock::actionWithBlock([scoreLabel, score] {
                                     scoreLabel->setString(number(score));
                                 }).get(),
                                 CCJumpBy::actionWithDuration(1.0f, {0, 0}, pad() ? 10.0f : 5.0f, 3).get()})
                .get());
    }
    for (CCSprite* plate : basr)
        if (plate->tag() != 1) plate->runAction(CCFadeOut::actionWithDuration(0.5f).get());
    for (CCLabelTTF* answer : Numbers) {
        if (answer->tag() == 0)
            NumberFlyAway(answer);
        else
            numberJump(answer);
    }

    const bool right = rightAnswer;
    auto shot = CCCallBlock::actionWithBlock([this, right] {
        if (!ship1 || !ship2) return;
        if (right)
            fire(ship1->position(), ship2->position());
        else
            fire(ship2->position(), ship1->position());
    });
    auto next = CCCallBlock::actionWithBlock([this] {
        if (player2Score == maxScore || player1Score == maxScore)
            endGame();
        else
            resetLevel();
    });
    runAction(CCSequence::actions({CCDelayTime::actionWithDuration(1.0f).get(), shot.get(),
                                   CCDelayTime::actionWithDuration(2.0f).get(), next.get()})
                  .get());
}

void GameScene::fire(CGPoint from, CGPoint to) {
    const int n = platform::randomBelow(6) + 1;
    KVSoundManager::sharedManager()->playVoice("boom.mp3");
    Ref<CCSprite> fruit = CCSprite::spriteWithFile(numbered("fruit%d.png", n));
    if (!fruit) return;
    fruit->setPosition(from);
    addChild(fruit.get(), 30);
    CCSprite* flying = fruit.get();
    flying->runAction(
        CCSequence::actions(
            {CCSpawn::actions({CCJumpTo::actionWithDuration(1.0f, to, pad() ? 200.0f : 70.0f, 1).get(),
                               CCRotateBy::actionWithDuration(1.0f, from.x < to.x ? 720.0f : -720.0f).get()})
                 .get(),
             CCCallBlock::actionWithBlock([this, flying] {
                 boom(flying->position());
                 flying->removeFromParentAndCleanup(true);
             }).get()})
            .get());
}

void GameScene::boom(CGPoint at) {
    Ref<CCSprite> blast = CCSprite::spriteWithFile(KVTAppUtils::realFileName("b6.png"));
    if (!blast) return;
    blast->setPosition({at.x, at.y + (pad() ? 60.0f : 0.0f)});
    blast->setScale(0.2f);
    addChild(blast.get(), 200);
    CCSprite* sprite = blast.get();
    struct Step {
        const char* image;
        float scale;
        float wait;
    };
    static constexpr Step kSteps[] = {{"b4.png", 0.5f, 0.05f}, {"b5.png", 0.8f, 0.05f}, {"b6.png", 1.0f, 0.1f},
                                      {"b4.png", 0.5f, 0.05f}, {"b3.png", 0.2f, 0.05f}, {"b2.png", 0.2f, 0.05f},
                                      {"b1.png", 0.2f, 0.05f}};
    std::vector<Ref<CCFiniteTimeAction>> steps;
    for (const Step& step : kSteps) {
        steps.push_back(CCCallBlock::actionWithBlock([sprite, step] {
            if (CCTexture2D* t = CCTextureCache::sharedTextureCache()->addImage(KVTAppUtils::realFileName(step.image)))
                sprite->setTexture(t);
            sprite->setScale(step.scale);
        }));
        steps.push_back(CCDelayTime::actionWithDuration(step.wait));
    }
    steps.push_back(CCCallBlock::actionWithBlock([sprite] { sprite->removeFromParentAndCleanup(true); }));
    std::vector<CCFiniteTimeAction*> raw;
    for (const auto& s : steps) raw.push_back(s.get());
    sprite->runAction(CCSequence::actions(raw).get());
}

void GameScene::endGame() {
    if (buttonBack) buttonBack->setVisible(false);
    if (buttonSound) buttonSound->setVisible(false);
    if (blackScreen) blackScreen->setVisible(true);
    if (buttonNewGame) buttonNewGame->setVisible(true);
    KVSoundManager* sound = KVSoundManager::sharedManager();
    sound->stopBackgroundMusic();
    if (player1Score == maxScore) {
        sound->playSound("fonfar-end.mp3");
        if (youWin) youWin->setVisible(true);
        if (effectsLayer) {
            effectsLayer->setVisible(true);
            for (int t = 1; t <= 5; ++t) {
                auto* fireworks = dynamic_cast<CCParticleSystem*>(effectsLayer->getChildByTag(t));
                if (!fireworks) continue;
                fireworks->runAction(CCSequence::actions({CCDelayTime::actionWithDuration(0.2f * static_cast<float>(t - 1)).get(),
                                                          CCCallBlock::actionWithBlock([fireworks] {
                                                              fireworks->resetSystem();
                                                          }).get()})
                                         .get());
            }
        }
    } else {
        sound->playSound("youlose.mp3");
        if (youLose) youLose->setVisible(true);
    }
}

void GameScene::NumberFlyAway(CCNode* node) {
    const auto k = static_cast<float>(platform::randomBelow(30));
    const auto m = static_cast<float>(platform::randomBelow(30));
    const bool left = (platform::arc4random() & 1) != 0;
    node->runAction(CCSpawn::actions({CCJumpBy::actionWithDuration(0.4f, {left ? -(150 + k) : 150 + k, 50 + m}, 30, 1).get(),
                                      CCFadeOut::actionWithDuration(0.4f).get(),
                                      CCRotateBy::actionWithDuration(0.4f, left ? -360.0f : 360.0f).get()})
                        .get());
}

void GameScene::numberJump(CCNode* node) {
    node->runAction(CCJumpBy::actionWithDuration(0.8f, {0, 0}, 10, 3).get());
}

void GameScene::numberShake(CCNode* node) {
    node->runAction(CCSequence::actions({CCRotateTo::actionWithDuration(0.1f, 5).get(),
                                         CCRotateTo::actionWithDuration(0.1f, -5).get(),
                                         CCRotateTo::actionWithDuration(0.1f, 5).get(),
                                         CCRotateTo::actionWithDuration(0.1f, 0).get()})
                        .get());
}

// ---------------------------------------------------------------------------
// Touches

void GameScene::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, 10, true);
}

bool GameScene::ccTouchBegan(UITouch* touch, void*) {
    const CGPoint p = toGL(touch);
    for (auto [ship, turn] : {std::pair{ship1, 360.0f}, std::pair{ship2, -360.0f}}) {
        if (!nodeContains(ship, p)) continue;
        if (CCNode* spinner = ship->getChildByTag(kSpinnerTag)) {
            spinner->stopAllActions();
            spinner->runAction(CCRotateBy::actionWithDuration(1.0f, turn).get());
        }
    }
    if (buttons.backTapped(p)) return true;
    if (nodeContains(buttonNewGame, p) && buttonNewGame->isVisible()) {
        pressButton(this, buttonNewGame, [this] {
            if (effectsLayer) effectsLayer->setVisible(false);
            KVSoundManager* sound = KVSoundManager::sharedManager();
            if (sound->musicEnabled()) sound->playBackgroundMusic("bg-game.mp3");
            showMenuLayer();
        });
        return true;
    }
    if (buttons.musicTapped(p)) return true;

    markPlates();
    if (enableToTouch) {
        if (CCLabelTTF* answer = answerAt(p)) {
            KVSoundManager* sound = KVSoundManager::sharedManager();
            if (answer->tag() == 1) {
                rightAnswer = true;
                sound->playButtonSound();
                setLabelToAnswer(answer);
            } else {
                rightAnswer = false;
                sound->playSound("soundwronganswer.mp3");
                NumberFlyAway(answer);
                checkAnswer();
            }
            enableToTouch = false;
            unscheduleUpdate();
        }
    }

    CCNode* board = panel();
    if (menuLayer && menuLayer->tag() != 0 && board) {
        const CGSize half{board->contentSize().width / 2, board->contentSize().height / 2};
        const CGPoint origin{board->position().x - half.width, board->position().y - half.height};
        for (std::size_t c = 0; c < rectangels.size(); ++c) {
            const CGPoint corner = unpackPoint(rectangels[c]);
            const auto side = static_cast<float>(selectedWidth);
            if (!CGRectContainsPoint(CGRectMake(origin.x + corner.x, origin.y + corner.y, side, side), p)) continue;
            const int index = static_cast<int>(c);
            SettingsManager* store = SettingsManager::sharedManager();
            KVSoundManager* sound = KVSoundManager::sharedManager();
            int marker = 0;
            if (index < kTypes) {
                if (index != type) sound->playSound("click1.mp3");
                type = index;
                store->setType(type);
            } else if (index < kTypes + kDifficulties) {
                if (index - kTypes != difficult) sound->playSound("click2.mp3");
                difficult = index - kTypes;
                marker = 1;
                store->setDifficult(difficult);
            } else if (index < kTypes + kDifficulties + kTeams) {
                if (index - kTypes - kDifficulties != team) sound->playSound("click3.mp3");
                team = index - kTypes - kDifficulties;
                marker = 2;
                store->setTeam(team);
            } else {
                break;  // a fifteenth square names no option
            }
            if (static_cast<std::size_t>(marker) < selectedSprites.size()) selectedSprites[marker]->setPosition(corner);
            break;
        }
    }
    clouds.grab(p);
    return true;
}

void GameScene::ccTouchMoved(UITouch* touch, void*) { clouds.drag(toGL(touch)); }

void GameScene::ccTouchEnded(UITouch* touch, void*) {
    const CGPoint p = toGL(touch);
    platform::log("x = %f    y = %f", p.x, p.y);
    clouds.release();
}

#include "scenes/draw/DrawScene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/KVSoundManager.h"
#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCParticleSystem.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/Random.h"
#include "scenes/learning/PackedPositions.h"

namespace {

constexpr int kPages = 10;
constexpr int kDigitTag = 20;
constexpr int kSwatchTag = 1;
constexpr int kCanvasZ = 6;
constexpr int kHeadZ = 10;
constexpr int kFirstStars = 3;

const platform::Value& settings() { return SettingsManager::sharedManager()->settings(); }

std::string numbered(const char* pattern, int n) {
    char name[64];
    std::snprintf(name, sizeof name, pattern, n);
    return KVTAppUtils::realFileName(name);
}

CGPoint toGL(CGPoint view) { return CCDirector::sharedDirector()->convertToGL(view); }
CGPoint toGL(UITouch* touch) { return CCDirector::sharedDirector()->convertTouchToGL(touch); }

CGSize window() { return CCDirector::sharedDirector()->winSize(); }

float distanceBetween(CGPoint a, CGPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

Ref<CCSprite> star(CGPoint at, int tag) {
    Ref<CCSprite> s = CCSprite::spriteWithFile(KVTAppUtils::realFileName("star.png"));
    if (!s) return s;
    s->setPosition(at);
    s->setTag(tag);
    s->setScale(0);
    return s;
}

bool sameColour(ccColor3B a, ccColor3B b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

}  // namespace

void DrawScene::registerWithReader() {
    CCBClassBuilder<DrawScene>("DrawScene")
        .member("buttonBack", &DrawScene::buttonBack)
        .member("buttonSound", &DrawScene::buttonSound)
        .member("buttonNext", &DrawScene::buttonNext)
        .member("buttonPrev", &DrawScene::buttonPrev)
        .member("menuNumbers", &DrawScene::menuNumbers)
        .member("curMenuItem", &DrawScene::curMenuItem)
        .member("distance", &DrawScene::distance)
        .member("colors", &DrawScene::colors)
        .member("toolsLayer", &DrawScene::toolsLayer)
        .member("wayPointsLayer", &DrawScene::wayPointsLayer)
        .member("particleLayer", &DrawScene::particleLayer)
        .member("letterLabel", &DrawScene::letterLabel)
        .member("defaultMarker", &DrawScene::defaultMarker)
        .member("colorHighlight", &DrawScene::colorHighlight)
        .add();
}

Ref<CCScene> DrawScene::scene() { return sceneWithLayout("draw-scene.ccb"); }

// ---------------------------------------------------------------------------
// Pages

void DrawScene::didLoadFromCCB() {
    exit = false;
    KVSoundManager::sharedManager()->setBackgroundMusic("bg-game.mp3");
    buttons.setUp(this, buttonBack, buttonSound);
    setIsTouchEnabled(true);
    pages.collect(this, 1, 2);
    clouds.setUp(this);
    cur = 1;
    next = 2;
    if (distance && curMenuItem) length = static_cast<int>(distance->position().x - curMenuItem->position().x);
    if (curMenuItem) menuStartPos = curMenuItem->position();
    curIndex = 1;

    // The brush and the highlight live as long as the scene: the colour
    // carries over from page to page.
    brush = CCSprite::spriteWithFile(KVTAppUtils::realFileName("brush.png"));
    if (brush && defaultMarker) brush->setColor(defaultMarker->color());
    if (colorHighlight) {
        heldHighlight_ = colorHighlight;
        colorHighlight->removeFromParentAndCleanup(true);
    }
    mask = CCSprite::spriteWithFile(KVTAppUtils::realFileName("colour-mask.png"));
    if (mask && colorHighlight) {
        colorHighlightMask = CCMask::createMaskForObject(mask.get(), colorHighlight);
        setMaskPosition();
        if (colorHighlightMask) {
            colorHighlightMask->mask();
            if (toolsLayer) toolsLayer->addChild(colorHighlightMask.get(), 1);
        }
    }
    turnPage(1);
}

void DrawScene::onExit() {
    stopAllActions();
    CCLayer::onExit();
}

void DrawScene::cleanup() {
    brush = nullptr;
    heldHighlight_ = nullptr;
    colorHighlight = nullptr;
    mask = nullptr;
    clearPathList();
    CCLayer::cleanup();
}

void DrawScene::loadLayer(int tag, int layerPosition, int num) {
    CCNode* layer = page(tag);
    if (!layer) return;
    layer->removeAllChildrenWithCleanup(true);
    const CGSize win = window();
    layer->setPosition({win.width * static_cast<float>(layerPosition), 0});
    if (num < 1 || num > kPages) return;
    Ref<CCSprite> digit = CCSprite::spriteWithFile(numbered("num%d.png", num));
    if (digit) {
        digit->setPosition({win.width * 0.5f, win.height * 0.5f});
        layer->addChild(digit.get(), 0, kDigitTag);
    }
    const platform::Value& place =
        settings()[KVTAppUtils::isPad() ? "DrawScenePositions" : "DrawScenePositions-iphone"][num];
    Ref<CCSprite> animal = CCSprite::spriteWithFile(numbered("animal%d.png", num));
    if (animal && num != kPages) {
        animal->setScale(place["Scale"].asFloat());
        animal->setPosition(unpackPoint(place["Position"].asInt()));
        layer->addChild(animal.get());
    }
}

void DrawScene::turnPage(int n) {
    stopAllActions();
    KVSoundManager* sound = KVSoundManager::sharedManager();
    sound->playSound("soundturnpage.mp3");
    if (n < 1 || n > kPages) return;
    const bool forward = curIndex <= n;
    loadLayer(next, forward ? 1 : -1, n);
    setIsTouchEnabled(false);

    const CGSize win = window();
    auto slide = CCCallBlock::actionWithBlock([this, n, win] {
        KVSoundManager::sharedManager()->playSound("soundpageturn.mp3");
        for (CCSprite* button : {buttonPrev, buttonNext})
            if (button) button->stopAllActions();
        if (buttonNext) buttonNext->setPosition({win.width, win.height * 0.5f});
        if (buttonPrev) buttonPrev->setPosition({0, win.height * 0.5f});
        if (wayPointsLayer) wayPointsLayer->removeAllChildrenWithCleanup(true);
        if (canvas) canvas->removeFromParentAndCleanup(true);
        if (tempCanvas) tempCanvas->removeFromParentAndCleanup(true);
        if (drawHead) drawHead->setVisible(false);
        if (buttonPrev) buttonPrev->setVisible(n != 1);
        if (buttonNext) buttonNext->setVisible(n != kPages);
        if (CCNode* c = page(cur))
            c->runAction(CCMoveTo::actionWithDuration(0.2f, {n < curIndex ? win.width : -win.width, 0}).get());
        if (CCNode* in = page(next)) in->runAction(CCMoveTo::actionWithDuration(0.2f, {0, 0}).get());
        if (curMenuItem) {
            const int x = static_cast<int>(menuStartPos.x) + (n - 1) * length;
            curMenuItem->runAction(CCMoveTo::actionWithDuration(0.2f, {static_cast<float>(x), menuStartPos.y}).get());
        }
    });
    auto settle = CCCallBlock::actionWithBlock([this, n] {
        std::swap(cur, next);
        setIsTouchEnabled(true);
        curIndex = n;
        initGame();
    });
    auto speak = CCCallBlock::actionWithBlock([this] {
        KVSoundManager::sharedManager()->playVoice(settings()["VoiceDraw"][curIndex].asString());
    });
    runAction(CCSequence::actions({slide.get(), CCDelayTime::actionWithDuration(0.5f).get(), settle.get(),
                                   CCDelayTime::actionWithDuration(0.5f).get(), speak.get()})
                  .get());
}

// A page's canvas is the last page's wiped, so a page turn or a slip makes no
// new window-sized texture; it is made on the first page.
void DrawScene::wipeCanvas(Ref<CCRenderTexture>& target) {
    if (target) {
        target->clear(0, 0, 0, 0);
        target->setScale(1);  // a praise pulse cut off by the page turn
    } else {
        // A new render texture starts transparent.
        const CGSize win = window();
        target = CCRenderTexture::renderTextureWithWidth(static_cast<int>(canvasRect.size.width),
                                                         static_cast<int>(canvasRect.size.height));
        if (!target) return;
        target->setPosition({win.width * 0.5f, win.height * 0.5f});
    }
    if (!target->parent()) addChild(target.get(), kCanvasZ);
}

void DrawScene::initGame() {
    drawPathPoints.clear();
    maxDrawingDeviation = KVTAppUtils::isPad() ? 40 : 20;
    if (drawHead) drawHead->removeFromParentAndCleanup(true);
    drawHead = CCSprite::spriteWithFile(KVTAppUtils::realFileName("draw-head.png"));
    if (drawHead) {
        CCNode* layer = page(cur);
        CCNode* digit = layer ? layer->getChildByTag(kDigitTag) : nullptr;
        if (digit) drawHead->setPosition(digit->position());
        addChild(drawHead.get(), kHeadZ);
    }
    const CGSize win = window();
    canvasRect = CGRectMake(0, 0, win.width, win.height);
    wipeCanvas(canvas);
    wipeCanvas(tempCanvas);
    canvasInk_ = tempInk_ = stamped_ = CGRectZero;
    clearPathList();
    currentPath = 0;
    loadPaths();
    setupWaypointsForCurrentPath();
    setIsTouchEnabled(true);
}

void DrawScene::endGame() {
    if (CCNode* layer = page(cur))
        if (CCNode* digit = layer->getChildByTag(kDigitTag)) digit->setVisible(false);
    if (drawHead) drawHead->setVisible(false);
    if (particleLayer) particleLayer->removeAllChildrenWithCleanup(true);
    const int m = curIndex == kPages ? 1 : curIndex + 1;
    Ref<CCRenderTexture> pulsing = canvas;
    auto reward = CCCallBlock::actionWithBlock([pulsing] {
        if (pulsing)
            pulsing->runAction(CCSequence::actions({CCScaleTo::actionWithDuration(0.1f, 1.1f).get(),
                                                    CCScaleTo::actionWithDuration(0.1f, 1.0f).get()})
                                   .get());
        KVSoundManager::sharedManager()->playSound("soundrightanswer.mp3");
    });
    auto praise = CCCallBlock::actionWithBlock([] {
        const platform::Value& good = settings()["VoicesGood"];
        KVSoundManager::sharedManager()->playVoice(good[platform::randomBelow(3)].asString());
    });
    auto turn = CCCallBlock::actionWithBlock([this, m] { turnPage(m); });
    runAction(CCSequence::actions({reward.get(), CCDelayTime::actionWithDuration(1.0f).get(), praise.get(),
                                   CCDelayTime::actionWithDuration(1.0f).get(),
                                   CCDelayTime::actionWithDuration(1.0f).get(), turn.get()})
                  .get());
}

// ---------------------------------------------------------------------------
// Tracing

void DrawScene::loadPaths() {
    // Read once a scene: every page takes its number from the same file.
    if (!strokesFile_) {
        const char* name = KVTAppUtils::isPad() ? "letters_data" : "letters_data-ip";
        const auto file = platform::Bundle::main().pathForResource(name, "plist");
        strokesFile_ = file ? platform::readPropertyListFile(*file) : std::nullopt;
        if (!strokesFile_) {
            platform::log("draw: no strokes file %s.plist", name);
            return;
        }
    }
    clearPathList();
    const platform::Value& number = (*strokesFile_)[curIndex - 1];
    if (!number.isArray() || number.size() == 0) {
        platform::log("draw: the strokes file has no strokes for %d", curIndex);
    }
    const CGPoint origin = letterLabel ? letterLabel->position() : CGPoint{};
    for (const platform::Value& stroke : number.asArray()) {
        // A stroke without way points could never be finished: leave it out.
        if (stroke.size() == 0) {
            platform::log("draw: an empty stroke of %d is skipped", curIndex);
            continue;
        }
        std::vector<CGPoint> points;
        for (const platform::Value& p : stroke.asArray())
            points.push_back({p["x"].asFloat() + origin.x, p["y"].asFloat() + origin.y});
        pathList.push_back(std::move(points));
    }
    currentPath = 0;
}

void DrawScene::clearPathList() { pathList.clear(); }

const std::vector<CGPoint>* DrawScene::currentStroke() const {
    return currentPath < pathList.size() ? &pathList[currentPath] : nullptr;
}

bool DrawScene::setupWaypointsForCurrentPath() {
    drawHeadCaptured = false;
    drawPathPoints.clear();
    const std::vector<CGPoint>* stroke = currentStroke();
    if (!stroke) return false;
    if (wayPointsLayer) wayPointsLayer->removeAllChildrenWithCleanup(true);
    wayPointsCount = static_cast<std::uint32_t>(stroke->size());
    wayPointChecked.assign(wayPointsCount, 0);
    wayPointCount = kFirstStars;
    for (std::uint32_t k = 1; k <= wayPointsCount && k <= kFirstStars; ++k) {
        Ref<CCSprite> s = star((*stroke)[k - 1], static_cast<int>(k));
        if (!s) continue;
        if (wayPointsLayer) wayPointsLayer->addChild(s.get());
        s->runAction(CCSequence::actions({CCDelayTime::actionWithDuration(0.15f * static_cast<float>(k - 1)).get(),
                                          CCEaseBackOut::actionWithAction(CCScaleTo::actionWithDuration(0.1f, 1.0f).get()).get()})
                         .get());
    }
    const CGPoint p0 = stroke->front();
    if (drawHead) {
        drawHead->stopAllActions();
        drawHead->runAction(
            CCSequence::actions({CCMoveTo::actionWithDuration(0.2f, p0).get(),
                                 CCMoveTo::actionWithDuration(0.1f, {p0.x, p0.y - 10}).get(),
                                 CCEaseElasticOut::actionWithAction(CCMoveTo::actionWithDuration(0.7f, p0).get()).get()})
                .get());
    }
    lastWaypoint = p0;
    finishPoint = stroke->back();
    return true;
}

void DrawScene::loadNextWayPoint(int n) {
    const std::vector<CGPoint>* stroke = currentStroke();
    if (!stroke || n < 1 || static_cast<std::size_t>(n) > stroke->size()) return;
    Ref<CCSprite> s = star((*stroke)[static_cast<std::size_t>(n) - 1], n);
    if (!s) return;
    if (wayPointsLayer) wayPointsLayer->addChild(s.get());
    s->runAction(CCEaseBackOut::actionWithAction(CCScaleTo::actionWithDuration(0.1f, 1.0f).get()).get());
}

void DrawScene::runCollectWaypointAnimationWithItem(CCSprite* item) {
    const CGPoint q = item->position();
    const int tag = item->tag();
    auto burst = CCCallBlock::actionWithBlock([this, item, q, tag] {
        Ref<CCNode> bubbles = CCBReader::nodeGraphFromFile("bubble-flap-particle~ipad.ccb");
        if (auto* particles = dynamic_cast<CCParticleSystem*>(bubbles.get())) particles->setAutoRemoveOnFinish(true);
        if (bubbles && particleLayer) {
            bubbles->setPosition(q);
            particleLayer->addChild(bubbles.get(), 20);
        }
        char sound[32];
        std::snprintf(sound, sizeof sound, "bubble-flap-%d.mp3", std::min(tag, 5));
        KVSoundManager::sharedManager()->playSound(sound);
        item->setVisible(false);
    });
    auto advance = CCCallBlock::actionWithBlock([this, item, q] {
        item->removeFromParentAndCleanup(true);
        if (q == finishPoint) {
            ++currentPath;
            if (!setupWaypointsForCurrentPath()) endGame();
        }
    });
    item->runAction(CCSequence::actions({burst.get(), advance.get()}).get());
}

void DrawScene::checkTouchWaypoint(CGPoint p) {
    CCSprite* lowest = nullptr;
    int t = 1;
    for (; wayPointsLayer && t <= static_cast<int>(wayPointsCount); ++t) {
        lowest = dynamic_cast<CCSprite*>(wayPointsLayer->getChildByTag(t));
        if (lowest) break;
    }
    if (lowest && distanceBetween(lowest->position(), p) <= collectionRadius()) {
        runCollectWaypointAnimationWithItem(lowest);
        lastWaypoint = lowest->position();
        wayPointChecked[static_cast<std::size_t>(t) - 1] = 1;
        const int collected = static_cast<int>(std::count(wayPointChecked.begin(), wayPointChecked.end(), 1));
        // The child always sees the next two stars not yet collected.
        if (wayPointCount < static_cast<int>(wayPointsCount) && wayPointCount == collected + 2) {
            ++wayPointCount;
            loadNextWayPoint(wayPointCount);
            return;
        }
    }
    const bool all = std::all_of(wayPointChecked.begin(), wayPointChecked.end(), [](std::uint8_t c) { return c == 1; });
    if (lastWaypoint == finishPoint && all && !wayPointChecked.empty()) {
        if (drawHead) drawHead->setPosition(lastWaypoint);
        drawHeadCaptured = false;
        drawPathPoints.push_back(convertToCanvasPoint(lastWaypoint));
        endDraw();
    }
}

float DrawScene::distanceFromPoint(CGPoint p, CGPoint a, CGPoint b) {
    const float dy = b.y - a.y;
    const float dx = a.x - b.x;
    const float n = dy * p.x + dx * p.y + (b.x * a.y - a.x * b.y);
    // Coinciding ends give no line: NaN or infinity, never "close".
    return static_cast<float>(std::fabs(static_cast<double>(n)) /
                              std::sqrt(static_cast<double>(dy) * dy + static_cast<double>(dx) * dx));
}

bool DrawScene::isPointCloseToSegment(CGPoint p, CGPoint a, CGPoint b) const {
    const float d = static_cast<float>(maxDrawingDeviation);
    if (p.x < std::min(a.x, b.x) - d || p.x > std::max(a.x, b.x) + d) return false;
    if (p.y < std::min(a.y, b.y) - d || p.y > std::max(a.y, b.y) + d) return false;
    return distanceFromPoint(p, a, b) < d;
}

bool DrawScene::isPointCloseToCurrentPath(CGPoint p) const {
    const std::vector<CGPoint>* stroke = currentStroke();
    if (!stroke || stroke->empty()) return false;
    if (stroke->size() == 1) return distanceBetween(p, stroke->front()) < static_cast<float>(maxDrawingDeviation);
    for (std::size_t i = 0; i + 1 < stroke->size(); ++i)
        if (isPointCloseToSegment(p, (*stroke)[i], (*stroke)[i + 1])) return true;
    return false;
}

void DrawScene::cancelDraw() {
    wipeCanvas(tempCanvas);
    tempInk_ = CGRectZero;
    setupWaypointsForCurrentPath();
}

void DrawScene::orderCheck() {
    if (wayPointsCount < 2) return;
    for (std::uint32_t i = 1; i < wayPointsCount; ++i) {
        if (!wayPointChecked[i - 1] && wayPointChecked[i]) {
            cancelDraw();
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Ink and palette

CGPoint DrawScene::convertToCanvasPoint(CGPoint p) const {
    return {p.x - canvasRect.origin.x, p.y - canvasRect.origin.y};
}

namespace {

CGRect unite(CGRect a, CGRect b) {
    if (a.size.width <= 0 || a.size.height <= 0) return b;
    if (b.size.width <= 0 || b.size.height <= 0) return a;
    const float left = std::min(a.origin.x, b.origin.x), bottom = std::min(a.origin.y, b.origin.y);
    const float right = std::max(a.origin.x + a.size.width, b.origin.x + b.size.width);
    const float top = std::max(a.origin.y + a.size.height, b.origin.y + b.size.height);
    return CGRectMake(left, bottom, right - left, top - bottom);
}

}  // namespace

void DrawScene::drawLineFromPoint(CGPoint a, CGPoint b) {
    if (!brush) return;
    const int n = static_cast<int>(distanceBetween(a, b));
    for (int i = 0; i <= n; ++i) {
        brush->setPosition(KVTAppUtils::pointOnLineWithPoint1(a, b, static_cast<float>(i)));
        brush->visit();
        stamped_ = unite(stamped_, brush->boundingBox());
    }
}

void DrawScene::showInk(CCRenderTexture* target, CGRect& ink) {
    ink = unite(ink, stamped_);
    stamped_ = CGRectZero;
    // A point of margin for the brush's smoothed edge.
    if (target) target->setShownRect(CGRectMake(ink.origin.x - 1, ink.origin.y - 1, ink.size.width + 2, ink.size.height + 2));
}

void DrawScene::drawPath(bool all) {
    if (drawPathPoints.empty() || !brush) return;
    if (drawPathPoints.size() == 1) {
        brush->setPosition(drawPathPoints.front());
        brush->visit();
        stamped_ = unite(stamped_, brush->boundingBox());
        return;
    }
    if (!all) {
        drawLineFromPoint(drawPathPoints[drawPathPoints.size() - 2], drawPathPoints.back());
        return;
    }
    for (std::size_t i = 0; i + 1 < drawPathPoints.size(); ++i) drawLineFromPoint(drawPathPoints[i], drawPathPoints[i + 1]);
}

void DrawScene::endDraw() {
    if (canvas) {
        canvas->begin();
        drawPath(true);
        canvas->end();
        showInk(canvas.get(), canvasInk_);
    }
    drawPathPoints.clear();
}

void DrawScene::paintNewestInk() {
    if (!tempCanvas) return;
    tempCanvas->begin();
    drawPath(false);
    tempCanvas->end();
    showInk(tempCanvas.get(), tempInk_);
}

void DrawScene::setMaskPosition() {
    if (!toolsLayer || !brush || !mask) return;
    for (const auto& child : toolsLayer->children()) {
        auto* swatch = dynamic_cast<CCSprite*>(child.get());
        if (!swatch || swatch->tag() != kSwatchTag || !sameColour(swatch->color(), brush->color())) continue;
        mask->setPosition(swatch->position());
        if (colorHighlightMask) colorHighlightMask->mask();
        return;
    }
}

// ---------------------------------------------------------------------------
// Touches

void DrawScene::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, 10, true);
}

bool DrawScene::ccTouchBegan(UITouch* touch, void*) {
    const CGPoint p = toGL(touch);
    if (nodeContains(menuNumbers, p)) {
        int boundary = static_cast<int>(menuStartPos.x + static_cast<float>(length / 2));
        for (int i = 1; i <= kPages; ++i, boundary += length) {
            if (p.x >= static_cast<float>(boundary)) continue;
            if (i != curIndex) {
                KVSoundManager::sharedManager()->stopSound();
                setIsTouchEnabled(false);
                turnPage(i);
            }
            break;
        }
        return true;
    }
    if (nodeContains(buttonBack, p)) {
        exit = true;
        stopAllActions();
        CCDirector::sharedDirector()->purgeCachedData();
        buttons.backTapped(p);
        return true;
    }
    for (const auto& [pressed, direction] : {std::pair{buttonNext, 1}, std::pair{buttonPrev, -1}}) {
        // Named again: the lambdas below capture them.
        auto* button = pressed;
        const int step = direction;
        if (!nodeContains(button, p) || !button->isVisible()) continue;
        stopAllActions();
        setIsTouchEnabled(false);
        const CGPoint home = button->position();
        const CGPoint pushed{home.x + 5.0f * static_cast<float>(step), home.y};
        runAction(CCSequence::actions({CCCallBlock::actionWithBlock([this, button, pushed, step] {
                                           button->runAction(CCPlace::actionWithPosition(pushed).get());
                                           turnPage(curIndex + step);
                                       }).get(),
                                       CCDelayTime::actionWithDuration(0.1f).get(),
                                       CCCallBlock::actionWithBlock([button, home] {
                                           button->runAction(CCPlace::actionWithPosition(home).get());
                                       }).get()})
                      .get());
        return true;
    }
    if (buttons.musicTapped(p)) return true;
    if (clouds.grab(p)) return true;

    // Drawing: only a touch that takes the head draws.
    drawHeadCaptured = false;
    if (!drawHead || distanceBetween(drawHead->position(), p) > captureRadius()) return true;
    drawHeadCaptured = true;
    drawHead->stopAllActions();
    if (!isPointCloseToCurrentPath(p)) {
        cancelDraw();
        drawHead->setPosition(lastWaypoint);
        return true;
    }
    drawHead->setPosition(p);
    drawPathPoints.push_back(convertToCanvasPoint(p));
    checkTouchWaypoint(p);
    paintNewestInk();
    orderCheck();
    return true;
}

void DrawScene::collectAlong(CGPoint from, CGPoint to) {
    // A fast finger is sampled every 10 points, so no star is jumped over.
    const int n = static_cast<int>(distanceBetween(from, to));
    for (int s = 0; s < n; s += 10) checkTouchWaypoint(KVTAppUtils::pointOnLineWithPoint1(from, to, static_cast<float>(s)));
    checkTouchWaypoint(to);
}

void DrawScene::ccTouchMoved(UITouch* touch, void*) {
    const CGPoint p = toGL(touch);
    clouds.drag(p);
    if (!drawHeadCaptured || !drawHead) return;
    if (!isPointCloseToCurrentPath(p)) {
        cancelDraw();
        drawHead->setPosition(lastWaypoint);
        return;
    }
    drawHead->setPosition(p);
    drawPathPoints.push_back(convertToCanvasPoint(p));
    const platform::Point previous = touch->previousLocationInView();
    collectAlong(toGL(CGPoint{previous.x, previous.y}), p);
    paintNewestInk();
    orderCheck();
}

void DrawScene::ccTouchEnded(UITouch* touch, void*) {
    if (exit) return;
    if (clouds.release()) return;
    if (drawHeadCaptured && wayPointsCount != 0 && !wayPointChecked.back()) cancelDraw();
    drawHeadCaptured = false;

    const CGPoint p = toGL(touch);
    if (!toolsLayer || !brush) return;
    for (const auto& child : toolsLayer->children()) {
        auto* swatch = dynamic_cast<CCSprite*>(child.get());
        if (!swatch || swatch->tag() != kSwatchTag || !nodeContains(swatch, p)) continue;
        brush->setColor(swatch->color());
        KVSoundManager::sharedManager()->playSound("colour-select.mp3");
        setMaskPosition();
        return;
    }
}

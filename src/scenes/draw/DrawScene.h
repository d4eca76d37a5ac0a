// The draw activity: ten pages, one a number, on which the child traces the
// number's strokes with a coloured brush. A draw head waits at the start of
// the stroke; the child drags it along the stroke, within a tolerance,
// collecting the way points shown as stars a few at a time. Straying, taking
// a star out of order or lifting early wipes the stroke's ink and starts it
// again; the last stroke completes the number, and the book turns on.
//
// Ink is stamped with a tinted brush into two window-sized canvases: a
// temporary one for the stroke in progress and a permanent one for finished
// strokes. A palette picks the colour; a masked ring marks the chosen swatch.
//
// Its layout is "draw-scene~ipad.ccb" / "draw-scene~iphone.ccb", whose root
// node is this class; the strokes come from "letters_data.plist" (tablet) or
// "letters_data-ip.plist" (phone), offsets from `letterLabel`.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/CCLayer.h"
#include "engine/CCMask.h"
#include "engine/CCRenderTexture.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "platform/Value.h"
#include "scenefile/CCBReader.h"
#include "scenes/common/ActivityControls.h"

class DrawScene : public CCLayer, public CCBNodeLoadListener {
public:
    static Ref<CCScene> scene();
    static void registerWithReader();

    void didLoadFromCCB() override;
    void onExit() override;
    void cleanup() override;

    // Pages.
    void loadLayer(int tag, int layerPosition, int num);
    void turnPage(int n);
    void initGame();
    void endGame();

    // Tracing.
    void loadPaths();
    void clearPathList();
    bool setupWaypointsForCurrentPath();
    void loadNextWayPoint(int n);
    void runCollectWaypointAnimationWithItem(CCSprite* star);
    void checkTouchWaypoint(CGPoint p);
    bool isPointCloseToCurrentPath(CGPoint p) const;
    bool isPointCloseToSegment(CGPoint p, CGPoint a, CGPoint b) const;
    static float distanceFromPoint(CGPoint p, CGPoint a, CGPoint b);
    void cancelDraw();

    // Ink and palette.
    CGPoint convertToCanvasPoint(CGPoint p) const;
    void drawLineFromPoint(CGPoint a, CGPoint b);
    void drawPath(bool all);
    void endDraw();
    void setMaskPosition();

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;

    // The radii the tolerance gives (points).
    float captureRadius() const { return static_cast<float>((maxDrawingDeviation / 10) * 6); }
    float collectionRadius() const { return static_cast<float>(maxDrawingDeviation / 2); }

    // Bound from the scene file (the layer's descendants; not owned).
    CCSprite* buttonBack = nullptr;
    CCSprite* buttonSound = nullptr;
    CCSprite* buttonNext = nullptr;
    CCSprite* buttonPrev = nullptr;
    CCSprite* menuNumbers = nullptr;
    CCSprite* curMenuItem = nullptr;
    CCSprite* distance = nullptr;
    CCSprite* colors = nullptr;
    CCLayer* toolsLayer = nullptr;
    CCLayer* wayPointsLayer = nullptr;
    CCLayer* particleLayer = nullptr;
    CCNode* letterLabel = nullptr;  // only the origin of the strokes
    CCSprite* defaultMarker = nullptr;
    CCSprite* colorHighlight = nullptr;

    int cur = 1, next = 2;
    int curIndex = 1;

    // The number's strokes in scene points, and the one being traced.
    std::vector<std::vector<CGPoint>> pathList;
    std::uint32_t currentPath = 0;
    std::uint32_t wayPointsCount = 0;
    std::vector<std::uint8_t> wayPointChecked;
    int wayPointCount = 0;  // stars put on screen so far
    CGPoint lastWaypoint{};
    CGPoint finishPoint{};
    std::uint32_t maxDrawingDeviation = 40;
    bool drawHeadCaptured = false;
    std::vector<CGPoint> drawPathPoints;  // the stroke in progress, canvas points

    // Held here: a late touch after a page turn must not reach freed nodes.
    Ref<CCSprite> drawHead;
    Ref<CCRenderTexture> canvas;
    Ref<CCRenderTexture> tempCanvas;
    Ref<CCSprite> brush;
    Ref<CCSprite> mask;
    Ref<CCMask> colorHighlightMask;

private:
    CCNode* page(int tag) const { return pages[tag]; }
    TaggedChildren pages;
    const std::vector<CGPoint>* currentStroke() const;
    void orderCheck();
    void paintNewestInk();
    // Wipes a canvas (made on first use) and puts it back on the page.
    void wipeCanvas(Ref<CCRenderTexture>& target);
    // Grows a canvas's inked area by what the brush stamped since the last
    // call, and draws only that area of it.
    void showInk(CCRenderTexture* target, CGRect& ink);
    void collectAlong(CGPoint from, CGPoint to);

    DraggableClouds clouds;
    ActivityButtons buttons;
    int length = 0;
    CGPoint menuStartPos{};
    CGRect canvasRect{};
    bool exit = false;
    // Where the brush has stamped since the canvases were last wiped (canvas
    // points, empty when none), and what the stamps of the current drawing
    // call cover.
    CGRect canvasInk_{}, tempInk_{}, stamped_{};
    Ref<CCSprite> heldHighlight_;  // colorHighlight, out of the tree
    std::optional<platform::Value> strokesFile_;
};

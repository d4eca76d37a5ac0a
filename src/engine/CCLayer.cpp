#include "engine/CCLayer.h"

#include <cmath>

#include "engine/CCDirector.h"
#include "engine/CCScene.h"

// --- CCLayer ------------------------------------------------------------------

Ref<CCLayer> CCLayer::node() {
    Ref<CCLayer> layer(new CCLayer);
    layer->init();
    return layer;
}

bool CCLayer::init() {
    setIgnoreAnchorPointForPosition(true);
    setAnchorPoint({0.5f, 0.5f});
    setContentSize(CCDirector::sharedDirector()->winSize());
    return true;
}

void CCLayer::setIsTouchEnabled(bool enabled) {
    if (isTouchEnabled_ == enabled) return;
    isTouchEnabled_ = enabled;
    if (!isRunning_) return;
    if (enabled)
        registerWithTouchDispatcher();
    else
        CCDirector::sharedDirector()->touchDispatcher()->removeDelegate(this);
}

void CCLayer::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addStandardDelegate(this, 0);
}

void CCLayer::onEnter() {
    if (isTouchEnabled_) registerWithTouchDispatcher();
    CCNode::onEnter();
}

void CCLayer::onExit() {
    if (isTouchEnabled_) CCDirector::sharedDirector()->touchDispatcher()->removeDelegate(this);
    CCNode::onExit();
}

// --- CCScene ------------------------------------------------------------------

Ref<CCScene> CCScene::node() {
    Ref<CCScene> scene(new CCScene);
    scene->init();
    return scene;
}

bool CCScene::init() {
    setIgnoreAnchorPointForPosition(true);
    setAnchorPoint({0.5f, 0.5f});
    setContentSize(CCDirector::sharedDirector()->winSize());
    return true;
}

// --- CCLayerColor ---------------------------------------------------------------

Ref<CCLayerColor> CCLayerColor::layerWithColor(ccColor4B color) {
    Ref<CCLayerColor> layer(new CCLayerColor);
    layer->initWithColor(color);
    return layer;
}

Ref<CCLayerColor> CCLayerColor::layerWithColor(ccColor4B color, float width, float height) {
    Ref<CCLayerColor> layer(new CCLayerColor);
    layer->initWithColor(color, width, height);
    return layer;
}

bool CCLayerColor::initWithColor(ccColor4B color) {
    CGSize s = CCDirector::sharedDirector()->winSize();
    return initWithColor(color, s.width, s.height);
}

bool CCLayerColor::initWithColor(ccColor4B color, float width, float height) {
    CCLayer::init();
    color_ = {color.r, color.g, color.b};
    opacity_ = color.a;
    for (ccV2F_C4B_T2F* v : {&quad_.tl, &quad_.bl, &quad_.tr, &quad_.br}) {
        v->u = 0.5f;
        v->v = 0.5f;
    }
    setContentSize({width, height});
    updateColor();
    return true;
}

void CCLayerColor::setColor(ccColor3B color) {
    color_ = color;
    updateColor();
}

void CCLayerColor::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    updateColor();
}

void CCLayerColor::setBlendFunc(ccBlendFunc blend) {
    blend_ = blend;
    updateColor();
}

void CCLayerColor::setContentSize(CGSize size) {
    quad_.bl.vertices = {0, 0};
    quad_.br.vertices = {size.width, 0};
    quad_.tl.vertices = {0, size.height};
    quad_.tr.vertices = {size.width, size.height};
    CCLayer::setContentSize(size);
}

void CCLayerColor::updateColor() {
    ccColor4B c = ccVertexColor(color_, opacity_, blend_.src == CC_GL_ONE);
    quad_.tl.colors = quad_.bl.colors = quad_.tr.colors = quad_.br.colors = c;
}

void CCLayerColor::draw() {
    CCRenderer& r = CCRenderer::shared();
    r.drawQuad(quad_, r.currentTransform(), r.whiteTexture(), blend_);
}

// --- CCLayerGradient --------------------------------------------------------------

Ref<CCLayerGradient> CCLayerGradient::layerWithColor(ccColor4B start, ccColor4B end) {
    return layerWithColor(start, end, {0, -1});
}

Ref<CCLayerGradient> CCLayerGradient::layerWithColor(ccColor4B start, ccColor4B end, CGPoint v) {
    Ref<CCLayerGradient> layer(new CCLayerGradient);
    layer->initWithColor(start, end, v);
    return layer;
}

bool CCLayerGradient::initWithColor(ccColor4B start, ccColor4B end, CGPoint v) {
    endColor_ = {end.r, end.g, end.b};
    startOpacity_ = start.a;
    endOpacity_ = end.a;
    vector_ = v;
    return CCLayerColor::initWithColor({start.r, start.g, start.b, 255});
}

void CCLayerGradient::setEndColor(ccColor3B c) {
    endColor_ = c;
    updateColor();
}

void CCLayerGradient::setStartOpacity(std::uint8_t o) {
    startOpacity_ = o;
    updateColor();
}

void CCLayerGradient::setEndOpacity(std::uint8_t o) {
    endOpacity_ = o;
    updateColor();
}

void CCLayerGradient::setVector(CGPoint v) {
    vector_ = v;
    updateColor();
}

void CCLayerGradient::setCompressedInterpolation(bool c) {
    compressedInterpolation_ = c;
    updateColor();
}

void CCLayerGradient::updateColor() {
    float h = ccpLength(vector_);
    if (h == 0) return;
    const float c = std::sqrt(2.0f);
    CGPoint u{vector_.x / h, vector_.y / h};
    if (compressedInterpolation_) {
        // Stretch u so that its projection reaches the corners.
        float h2 = 1 / (std::fabs(u.x) + std::fabs(u.y));
        u = ccpMult(u, h2 * c);
    }
    const float layerOpacity = opacity_ / 255.0f;
    const float s[4] = {float(color_.r), float(color_.g), float(color_.b), startOpacity_ * layerOpacity};
    const float e[4] = {float(endColor_.r), float(endColor_.g), float(endColor_.b), endOpacity_ * layerOpacity};
    // Weight of the start colour at a corner: 1 where the vector starts, 0 where it ends.
    auto corner = [&](float weight) {
        float rgba[4];
        for (int i = 0; i < 4; ++i) rgba[i] = e[i] + (s[i] - e[i]) * weight;
        auto a = static_cast<std::uint8_t>(std::lround(rgba[3]));
        ccColor3B rgb{static_cast<std::uint8_t>(std::lround(rgba[0])), static_cast<std::uint8_t>(std::lround(rgba[1])),
                      static_cast<std::uint8_t>(std::lround(rgba[2]))};
        return ccVertexColor(rgb, a, blend_.src == CC_GL_ONE);
    };
    quad_.bl.colors = corner((c + u.x + u.y) / (2 * c));
    quad_.br.colors = corner((c - u.x + u.y) / (2 * c));
    quad_.tl.colors = corner((c + u.x - u.y) / (2 * c));
    quad_.tr.colors = corner((c - u.x - u.y) / (2 * c));
}

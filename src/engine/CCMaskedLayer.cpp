#include "engine/CCMaskedLayer.h"

#include <algorithm>

#include "engine/CCDirector.h"
#include "engine/CCRenderer.h"

Ref<CCMaskedLayer> CCMaskedLayer::node() { return layerWithRect(CGRectZero); }

Ref<CCMaskedLayer> CCMaskedLayer::layerWithRect(CGRect pixels) {
    Ref<CCMaskedLayer> layer(new CCMaskedLayer);
    return layer->initWithRect(pixels) ? layer : nullptr;
}

bool CCMaskedLayer::initWithRect(CGRect pixels) {
    if (!CCLayer::init()) return false;
    maskedRect_ = pixels;
    return true;
}

CGRect CCMaskedLayer::maskedRectInPoints() const {
    const float scale = CC_CONTENT_SCALE_FACTOR();
    return CGRectMake(maskedRect_.origin.x / scale, maskedRect_.origin.y / scale, maskedRect_.size.width / scale,
                      maskedRect_.size.height / scale);
}

void CCMaskedLayer::visit() {
    if (!visible_) return;
    CCRenderer& renderer = CCRenderer::shared();
    // Truncated toward zero; a negative size would be refused by GL, leaving
    // whatever box was set before: it clips everything instead.
    renderer.enableScissor(static_cast<int>(maskedRect_.origin.x), static_cast<int>(maskedRect_.origin.y),
                           std::max(0, static_cast<int>(maskedRect_.size.width)),
                           std::max(0, static_cast<int>(maskedRect_.size.height)));
    CCLayer::visit();
    // Off, whatever was on before: a masked layer inside another one ends
    // the outer clip for the rest of the outer layer's subtree.
    renderer.disableScissor();
}

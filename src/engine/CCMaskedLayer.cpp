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

    // Truncated toward zero; a negative size would make GL keep the old box.
    int x = static_cast<int>(maskedRect_.origin.x);
    int y = static_cast<int>(maskedRect_.origin.y);
    int right = x + std::max(0, static_cast<int>(maskedRect_.size.width));
    int top = y + std::max(0, static_cast<int>(maskedRect_.size.height));

    // An enclosing clip (an outer masked layer) narrows ours and is given back after.
    const bool outer = renderer.isScissorEnabled();
    const CCRenderer::ScissorBox saved = renderer.scissorBox();
    if (outer) {
        x = std::max(x, saved.x);
        y = std::max(y, saved.y);
        right = std::min(right, saved.x + saved.width);
        top = std::min(top, saved.y + saved.height);
    }
    renderer.enableScissor(x, y, std::max(0, right - x), std::max(0, top - y));
    CCLayer::visit();
    if (outer)
        renderer.enableScissor(saved.x, saved.y, saved.width, saved.height);
    else
        renderer.disableScissor();
}
